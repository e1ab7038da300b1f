// Exchanging a component's part and symbol for others chosen in the
// insertion dialogs, and the unpacked copy of a component.
#include "editor/dialogs/schicmpd.h"
#include "editor/editing/comp_dialog.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/net_removal.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

namespace {

constexpr int32_t kPackagedCode = 76;
constexpr int32_t kCantAssignPartCode = 13;
constexpr int32_t kNoPrefixNumberCode = 22;

}  // namespace

void SCHMAIN::ChangeCompDevice(int32_t& status)
{
    DesignChange change;
    ReadComp(status, g_CompId, g_CompName);
    if (status != 0) return;
    if (g_Comp.LayComp != 0) {
        ReportMsg(kPackagedCode);
        return;
    }
    const CompRec old = g_Comp;
    // The dialog empties g_CompName when it looks a part up; the picked
    // component keeps it.
    const std::string picked = g_CompName;
    std::string name = Trim(picked);
    g_CompDlgMode = true;
    const bool symbolOnly = old.Device == 0 && !F_OST(0)->Value();
    InsertionDialog* dialog = symbolOnly ? static_cast<InsertionDialog*>(&FormInstance<SCHICMPS>())
                                         : static_cast<InsertionDialog*>(&FormInstance<SCHICMPD>());
    WaitForInsertionDialog(*this, dialog);
    g_CompName = picked;
    if (!g_DlgAccepted) return;

    // Both symbols are read before anything changes: a symbol the kernel
    // cannot give leaves the component as it was.
    SymbRec newSymb{};
    SymbRec oldSymb{};
    if (S_ReadSymbol(g_CompInfo.Symb, &newSymb) == 0 || S_ReadSymbol(old.Symb, &oldSymb) == 0) {
        ReportMsg(kCantAssignPartCode, name);
        return;
    }
    N_SetNodeView(0);
    OpenCanvasDC();
    EraseComp(g_CompId);
    DrawMaskedBranches(0, 128);
    CloseCanvasDC();

    bool done = true;
    if (!symbolOnly && C_ChangeCompDevice(g_CompId, g_CompInfo.Device) == 0) done = false;
    if (done && C_ChangeCompSymbol(g_CompId, g_CompInfo.Symb) == 0) {
        // The device goes back with the refused symbol.
        if (!symbolOnly) C_ChangeCompDevice(g_CompId, old.Device);
        done = false;
    }
    if (done) {
        // Pins the new symbol no longer has lose their wires and nodes.
        for (int32_t e = newSymb.Entries + 1; e <= oldSymb.Entries; ++e) {
            DeleteBranchesAtNode(g_CompId, e, 256);
            DeleteCompNodes(0, g_CompId, e, 256);
        }
    }
    OpenCanvasDC();
    DrawCompWithWires(g_CompId);
    CloseCanvasDC();
    if (!done) ReportMsg(kCantAssignPartCode, name);
}

void SCHMAIN::CopyCompUnpacked(int32_t& status, int32_t compId, int32_t X, int32_t Y)
{
    status = 1;
    FillCompInfo(compId, g_Comp, g_CompInfo);
    g_CompInfo.X = X;
    g_CompInfo.Y = Y;
    g_CompInfo.Id = 0;
    int32_t found = 0;
    std::string name;
    FindFreeName(found, DB_SchCompMap(), "Unpck", name);
    if (found != 0) {
        std::string detail = "Unpck";
        ReportMsg(kNoPrefixNumberCode, detail);
        return;
    }
    g_CompInfo.Name = FixedText(name, 15);
    g_CompInfo.LayComp = 0;
    g_CompInfo.Group = 0;
    int32_t created = 0;
    CreateComp(created, g_CompInfo, 1);
    if (created != 0) return;
    // Hidden and marked for the move that follows.
    N_SetNodeView(0);
    O_Mask(C_Component(g_CompInfo.Id), 4, 5);
    N_MaskCompNodes(g_CompInfo.Id, 0, 128, 129, 128, 129);
    status = 0;
}
