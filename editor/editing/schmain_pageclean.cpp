// Page-level edits of the main window: the page frame edit, the cleaning of
// the current page and the deletion of one component.
#include "editor/editing/bitmaps.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/components.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/packaging.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/forms.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

#include "editor/shell/design_change.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"

#include <string>
#include <vector>

namespace {

constexpr int32_t kHighlight = 0x80;

std::string CurrentPageName()
{
    return PtrToStr(O_GetName(DB_Page(g_CurPage)));
}

}  // namespace

// Removes every component and wire of the current page, then the nets and
// buses nothing uses any more. Each map is walked once: the kernel's
// cursors stay valid across deletions, so an object the kernel refuses to
// delete is passed over instead of being met again and again.
void SCHMAIN::CleanPage()
{
    DesignChange change;
    SetScreenMousePointer(mousepointer::Hourglass);
    auto pointer = OnExit([] { SetScreenMousePointer(mousepointer::Default); });
    const std::string pageName = CurrentPageName();
    ShowMessage(GetMsgText("Cleaning Page: ", "1358") + pageName);

    // The wires go first, all at once, so that their junctions and nodes
    // are checked in one walk per net and each component's deletion finds
    // no wire records left to mark at its pins.
    const int32_t branchMap = DB_BranchMap();
    std::vector<int32_t> wires;
    int32_t cursor = OM_GetFirst(branchMap);
    while (const int32_t branch = OM_SearchMask(branchMap, &cursor, 0, 0)) {
        BranchRec rec{};
        // The walk passes over the page frames (negative ids): the frame stays.
        if (branch < 0 || B_ReadBranch(branch, &rec) == 0 || rec.Page != g_CurPage) continue;
        wires.push_back(branch);
    }
    DeleteBranches(wires);

    // The page's components are unpacked as they are met and deleted
    // together, their pins' wires and nodes in one walk each.
    const int32_t compMap = DB_SchCompMap();
    std::vector<int32_t> comps;
    cursor = OM_GetFirst(compMap);
    while (const int32_t comp = OM_SearchMask(compMap, &cursor, 0, 0)) {
        int32_t status = 1;
        std::string name;
        ReadComp(status, comp, name);
        if (status != 0 || g_Comp.Page != g_CurPage) continue;
        const CompRec rec = g_Comp;
        UnpackComp(comp, rec);
        comps.push_back(comp);
    }
    DeleteComps(comps);

    const int32_t netMap = DB_NetMap();
    cursor = OM_GetFirst(netMap);
    while (const int32_t net = OM_SearchMask(netMap, &cursor, 0, 0)) {
        int32_t result = 0;
        DeleteNetIfEmpty(net, result);
    }

    const int32_t busMap = DB_BusMap();
    cursor = OM_GetFirst(busMap);
    while (const int32_t bus = OM_SearchMask(busMap, &cursor, 0, 0)) {
        int32_t result = 0;
        DeleteBusIfEmpty(bus, result);
    }

    RemovePageBitmaps(g_CurPage);
    // A refused step took the whole clean back: the put-back has said so.
    if (!change.Finish()) return;
    ShowMessage(GetMsgText("Cleaning Page: ", "1358") + pageName + GetMsgText(" completed", "99457"));
}

// Deletes one schematic component; the wires that ended at its pins stay
// and are drawn again without highlight.
void SCHMAIN::RemoveComponent(int32_t comp)
{
    DesignChange change;
    OpenCanvasDC();
    EraseComp(comp);
    DrawMaskedBranches(0, kHighlight);
    CloseCanvasDC();

    N_SetNodeView(0);
    CompRec rec{};
    if (C_ReadComponent(comp, &rec) != 0) UnpackComp(comp, rec);
    DeleteComp(comp);

    OpenCanvasDC();
    G_SetDrawMode(0);
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) {
        const int32_t branch = g_MaskedBranchIds(i);
        if (B_Branch(branch) == 0) continue;
        B_DrawAllRecords(branch, 0x7E);
        B_DrawBranchAllTexts(branch, 15);
        B_MaskBranchRecords(branch, 1, 0x81);
        O_Mask(B_Branch(branch), 1, 0x81);
    }
    CloseCanvasDC();
    OM_MaskAll(DB_NetMap(), 1, 0x81);
    N_MaskAllNodes(1, 0x81);
    // Erasing the component's wires also took the pin ends of the
    // components at their other ends: the page is painted again.
    RefreshCanvas();
}

// Marks the current page's frame, shows the page format dialog (which may
// replace the frame) and highlights the frame as it then stands.
void SCHMAIN::EditPageFrame(int32_t mode)
{
    // The frame's marks and what the dialog accepts are one edit.
    DesignChange change;
    BranchRec rec{};
    if (B_ReadBranch(g_FrameBranch, &rec) != 0) {
        g_MaskedBranchIds.Redim(0, 0);
        OpenCanvasDC();
        MarkBranchRecord(1, g_FrameBranch, 1, rec.Points - 1);
        CloseCanvasDC();
    }
    ShowPageFrameDialog(mode);
    if (B_ReadBranch(g_FrameBranch, &rec) != 0) {
        OpenCanvasDC();
        HighlightBranchRecords(1, g_FrameBranch, 1, rec.Points - 1);
        CloseCanvasDC();
    }
}
