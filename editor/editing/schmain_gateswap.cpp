// Exchanging the packaging of two gates, and swapping the connections of
// two pins.
#include "editor/editing/comp_swap.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/comp_picking.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/comp_texts.h"
#include "editor/objects/components.h"
#include "editor/shell/design_change.h"
#include "editor/objects/pin_nodes.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"

#include <vector>

int32_t g_NewCompId = 0;
CompRec g_CompFirst{};

namespace {

constexpr int32_t kSwapFailedCode = 75;
constexpr int32_t kPinNotFoundCode = 19;
constexpr int32_t kNotSameGateCode = 101;
constexpr int32_t kLevelMismatchCode = 102;
constexpr int32_t kNotSwappableCode = 103;
constexpr int32_t kNoNodesCode = 104;
constexpr int32_t kMixedPackagingCode = 105;

void ReportSwap(const char* text, const char* id)
{
    std::string detail = GetMsgText(text, id);
    ReportMsg(kSwapFailedCode, detail);
}

// The parts-list slot of the layout component that holds `comp`; 0 none.
int32_t FindGateSlot(int32_t layComp, int32_t comp)
{
    LayCompRec rec{};
    if (L_ReadComponent(layComp, &rec) == 0) return 0;
    g_LayComp = rec;
    for (int32_t i = 1; i <= rec.Parts; ++i)
        if (L_GetSchCompId(layComp, i) == comp) return i;
    return 0;
}

bool OnCurrentPage(int32_t comp)
{
    return O_TestPage(C_Component(comp), 0) != 0;
}

// Renames the component after its layout component and rebuilds its
// texts and pin nodes.
void RebuildGate(int32_t comp)
{
    int32_t status = 0;
    std::string name;
    ReadComp(status, comp, name);
    if (status != 0) return;
    FillCompInfo(comp, g_Comp, g_CompInfo);
    GroupRec group{};
    D_ReadGroup(g_CompInfo.Device, g_CompInfo.Group, &group);
    g_CompInfo.Name = FixedText(PtrToStr(O_GetName(L_Component(g_CompInfo.LayComp))), 15);
    const std::string device = Trim(g_CompInfo.DeviceName);
    g_CompInfo.DeviceName = FixedText(device, 15);
    g_CompInfo.GateText = FixedText(device + "," + PtrToStr(group.Name), 30);
    ApplyCompInfo(status, g_CompInfo);
    UpdateCompPinNodes(comp);
}

bool Packaged(const CompRec& rec)
{
    return rec.Device != 0 && rec.Group != 0 && rec.LayComp != 0;
}

}  // namespace

void SCHMAIN::ExchangeGates()
{
    DesignChange change;
    const CompRec second = g_Comp;
    const CompRec first = g_CompFirst;
    int32_t refused = 0;
    CheckLayCompExchange(refused, second.LayComp, first.LayComp);
    if (refused != 0) {
        ReportSwap("gates on different board sides", "99720");
        return;
    }
    // Both slots are found before either changes: in one layout component
    // the second search would otherwise find the slot the first half wrote.
    const int32_t a = second.LayComp;
    const int32_t b = first.LayComp;
    const int32_t i = FindGateSlot(a, g_CompId);
    const int32_t j = FindGateSlot(b, g_NewCompId);
    if (i == 0 || j == 0 || L_ChangeSchCompId(a, i, g_NewCompId) == 0) {
        ReportSwap("exchange of gates failed", "13106");
        return;
    }
    if (C_ChangeCompPackInfo(g_CompId, first.LayComp, first.Group) == 0) {
        L_ChangeSchCompId(a, i, g_CompId);
        ReportSwap("exchange of packinfo failed", "99666");
        return;
    }
    bool ok = L_ChangeSchCompId(b, j, g_CompId) != 0;
    const char* text = "exchange of gates failed";
    const char* textId = "13106";
    if (ok && C_ChangeCompPackInfo(g_NewCompId, second.LayComp, second.Group) == 0) {
        L_ChangeSchCompId(b, j, g_NewCompId);
        ok = false;
        text = "exchange of packinfo failed";
        textId = "99666";
    }
    if (!ok) {
        L_ChangeSchCompId(a, i, g_CompId);
        C_ChangeCompPackInfo(g_CompId, a, second.Group);
        ReportSwap(text, textId);
        return;
    }

    const int32_t comps[2] = {g_CompId, g_NewCompId};
    OpenCanvasDC();
    for (int32_t comp : comps)
        if (OnCurrentPage(comp)) EraseComp(comp);
    DrawMaskedBranches(0, 128);
    CloseCanvasDC();
    // Gates of one layout component exchange their names too: both leave
    // their old names first, so that neither new name is still taken.
    for (int32_t comp : comps) {
        int32_t status = 0;
        std::string free;
        FindFreeName(status, DB_SchCompMap(), "Unpck", free);
        if (status == 0) O_Rename(C_Component(comp), free.c_str());
    }
    for (int32_t comp : comps) RebuildGate(comp);
    OpenCanvasDC();
    for (int32_t comp : comps) {
        if (OnCurrentPage(comp)) {
            DrawCompWithWires(comp);
        } else {
            N_MaskCompNodes(comp, 0, 1, 129, 1, 129);
            B_MaskNodeRecords(comp, 0, 1, 129, 1, 129, 1, 129);
        }
    }
    CloseCanvasDC();
    RedrawView();
}

void SCHMAIN::SwapPins(int32_t& status, int32_t X, int32_t Y)
{
    DesignChange change;
    const int32_t compA = g_CompId;
    const int32_t entryA = g_CompEntry;
    const std::string nameA = g_CompName;
    const CompRec recA = g_Comp;
    const CompRec oldA = g_CompOld;
    int32_t compB = 0;
    int32_t entryB = 0;
    std::string nameB;
    int32_t picked = 1;
    g_CompEntry = 0;
    PickComp(picked, X, Y, compB, entryB, nameB);
    const CompRec recB = g_Comp;
    g_Comp = recA;
    g_CompOld = oldA;
    g_CompId = compA;
    g_CompEntry = entryA;
    g_CompName = nameA;
    status = 1;
    if (picked != 0 || entryB == 0) return;
    if (compA == compB && entryA == entryB) return;
    EntryRec pinA{};
    EntryRec pinB{};
    if (C_ReadEntry(compA, entryA, &pinA) == 0 || C_ReadEntry(compB, entryB, &pinB) == 0) return;
    const bool logical = F_OST(1)->Value();
    if (logical && compA != compB) {
        std::string detail = Trim(nameA) + " & " + Trim(nameB);
        ReportMsg(kNotSameGateCode, detail);
        return;
    }
    N_SetNodeView(0);
    int32_t netA = 0;
    int32_t netB = 0;
    const int32_t nodeA = N_FindCompEntry(compA, entryA, &netA);
    const int32_t nodeB = N_FindCompEntry(compB, entryB, &netB);
    if (nodeA == 0 && nodeB == 0) {
        ReportMsg(kNoNodesCode);
        return;
    }
    // The layout pins of packaged components.
    PinRec layPin[2] = {};
    const CompRec* recs[2] = {&recA, &recB};
    const EntryRec* pins[2] = {&pinA, &pinB};
    const std::string* names[2] = {&nameA, &nameB};
    for (int k = 0; k < 2; ++k) {
        if (!Packaged(*recs[k])) continue;
        const int32_t array = D_GroupPinArray(recs[k]->Device, recs[k]->Group);
        const int32_t index = D_SearchPinName(array, 1, pins[k]->Name ? pins[k]->Name : "");
        if (index == 0) {
            std::string detail = GetMsgText(" for component ", "13108") + Trim(*names[k]);
            ReportMsg(kPinNotFoundCode, detail);
            return;
        }
        D_ReadPin(array, index, &layPin[k]);
    }
    if (logical) {
        if (pinA.SwapLevel != pinB.SwapLevel) {
            std::string detail = Str(pinA.SwapLevel) + " & " + Str(pinB.SwapLevel);
            ReportMsg(kLevelMismatchCode, detail);
            return;
        }
        if (pinA.SwapLevel < 0) {
            ReportMsg(kNotSwappableCode);
            return;
        }
    } else {
        if (!F_OST(2)->Value()) return;
        if (Packaged(recA) && Packaged(recB)) {
            int32_t refused = 0;
            CheckLayCompExchange(refused, recA.LayComp, recB.LayComp);
            if (refused != 0) {
                ReportSwap("gates on different board sides", "99720");
                return;
            }
        } else if (Packaged(recA) != Packaged(recB)) {
            ReportMsg(kMixedPackagingCode);
            return;
        }
    }
    NodeRec nodeRecA{};
    NodeRec nodeRecB{};
    if (nodeA != 0) N_ReadNode(netA, nodeA, &nodeRecA);
    if (nodeB != 0) N_ReadNode(netB, nodeB, &nodeRecB);

    OpenCanvasDC();
    EraseComp(compA);
    if (compB != compA) EraseComp(compB);
    DrawMaskedBranches(0, 128);
    CloseCanvasDC();

    // The layout side changes only for packaged components, whose pins were
    // read above.
    const bool layout = Packaged(recA) && Packaged(recB);
    struct Change {
        int32_t net, node, view, ref, number;
    };
    std::vector<Change> changes;
    if (nodeA == 0) {
        changes.push_back({netB, nodeB, 0, compA, entryA});
        if (layout) changes.push_back({netB, nodeB, 1, recA.LayComp, layPin[0].Number});
    } else if (nodeB == 0) {
        changes.push_back({netA, nodeA, 0, compB, entryB});
        if (layout) changes.push_back({netA, nodeA, 1, recB.LayComp, layPin[1].Number});
    } else {
        changes.push_back({netA, nodeA, 0, nodeRecB.Comp, nodeRecB.Entry});
        changes.push_back({netB, nodeB, 0, nodeRecA.Comp, nodeRecA.Entry});
        if (layout) {
            changes.push_back({netA, nodeA, 1, nodeRecB.LayComp, nodeRecB.LayEntry});
            changes.push_back({netB, nodeB, 1, nodeRecA.LayComp, nodeRecA.LayEntry});
        }
    }
    bool done = true;
    for (const Change& c : changes) {
        N_SetNodeView(c.view);
        if (N_ChangeNode(c.net, c.node, c.ref, c.number) == 0) {
            done = false;
            break;
        }
    }
    if (!done) {
        // Both nodes go back to what was read before the swap.
        const NodeRec* saved[2] = {&nodeRecA, &nodeRecB};
        const int32_t netsOf[2] = {netA, netB};
        const int32_t nodesOf[2] = {nodeA, nodeB};
        for (int k = 0; k < 2; ++k) {
            if (nodesOf[k] == 0) continue;
            N_SetNodeView(0);
            N_ChangeNode(netsOf[k], nodesOf[k], saved[k]->Comp, saved[k]->Entry);
            N_SetNodeView(1);
            N_ChangeNode(netsOf[k], nodesOf[k], saved[k]->LayComp, saved[k]->LayEntry);
        }
    }
    // The drawing works on the schematic side.
    N_SetNodeView(0);
    OpenCanvasDC();
    DrawCompWithWires(compA);
    if (compB != compA) DrawCompWithWires(compB);
    CloseCanvasDC();
    if (!done) {
        std::string detail = Trim(nameA) + " & " + Trim(nameB);
        ReportMsg(kSwapFailedCode, detail);
        return;
    }
    if (change.Finish()) status = 0;
}
