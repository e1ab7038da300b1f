#include "editor/objects/components.h"

#include "editor/objects/branches.h"
#include "editor/objects/net_lookups.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/curpos.h"

#include "editor/interaction/commands.h"

#include <vector>

namespace {

// Status bits of components, nodes and wire records.
constexpr int32_t kDrawn = 1;
constexpr int32_t kErased = 4;
constexpr int32_t kRedraw = 128;
constexpr int32_t kTempMark = 8192;
// Marks the wires at a redrawn component's pins and their pin records for
// as long as DrawCompWithWires draws them again.
constexpr int32_t kPinWire = 4096;

// The component text commands draw only the component.
bool TextCommandRunning()
{
    return g_CurCommand == 5 || g_CurCommand == CMD_COMP_TEXT_DELETE;
}

// The ratsnest of every net marked for redraw, when guidelines and
// ratsnest disagree.
void DrawMarkedRatsnests()
{
    if ((g_NetGuidelines ? -1 : 0) == g_ShowRatsnest) return;
    const int32_t map = DB_NetMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t net = OM_SearchMask(map, &cursor, kRedraw, kRedraw)) N_DrawNetRatsnest(net, 0, 1);
}

// The kernel draws a wire's segment for the record that ends it, so the
// first record of a wire ends none: a pin at the start of a wire marks the
// record after it as well, the end of the leg from the pin, for the
// drawing of the marked records to take that leg.
bool FirstRecordMarked(int32_t branch)
{
    BranchPointRec first{};
    return B_ReadRecord(branch, 1, &first) != 0 && (first.Flags & 6) == 2 && (first.Flags & kRedraw) != 0;
}

// The page paint draws the wires over the components, so a wire's leg
// that ends on a pin covers the pin's end. The component drawn again here
// covers the legs instead: the legs on its pins (the one before a pin
// record and the one after it) are drawn again over it, with the dots of
// their wires, whichever wires the caller marked for redrawing.
void RedrawPinLegs(int32_t comp)
{
    N_SetNodeView(0);
    if (B_MaskNodeRecords(comp, 0, kPinWire, kPinWire, kPinWire, kPinWire, 0, 0) == 0) return;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, kPinWire, kPinWire)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) != 0) {
            for (int32_t k = 1; k <= rec.Points; ++k) {
                BranchPointRec point{};
                if (B_ReadRecord(branch, k, &point) == 0 || (point.Flags & kPinWire) == 0) continue;
                if (k > 1) B_DrawRecords(branch, k - 1, 1);
                if (k < rec.Points) B_DrawRecords(branch, k, 1);
            }
            B_DrawAllJunctions(branch, -1);
        }
        B_MaskBranchRecords(branch, 0, kPinWire);
        O_Mask(B_Branch(branch), 0, kPinWire);
    }
}

void MarkFirstLegs()
{
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, kRedraw, kRedraw))
        if (FirstRecordMarked(branch)) B_MaskRecord(branch, 2, kRedraw, kDrawn | kRedraw);
}

// Fits one direction of an array: a copy is added only when the extent
// with it stays within the limit.
void FitCount(int32_t& count, int32_t gap, int32_t size, int32_t& extent)
{
    if (count < 2) return;
    int64_t reached = extent;
    for (int32_t k = 2; k <= count; ++k) {
        const int64_t next = reached + gap + size;
        if (next > kMaxArrayExtent) {
            count = k - 1;
            break;
        }
        reached = next;
    }
    extent = static_cast<int32_t>(reached);
}

// True when a trace record ends on a pin of the layout component. The
// kernel picks a component's pins by its node view, so the layout side is
// made current for the question and the schematic side again after it. The
// kernel's count of the records it selects is the answer: no trace is
// marked, so marks other commands left on traces neither count nor go.
bool HasTraces(int32_t layComp)
{
    N_SetNodeView(1);
    const int32_t records = T_MaskNodeRecords(layComp, 0, 0, 0, 0, 0, 0, 0);
    N_SetNodeView(0);
    return records > 0;
}

// The supply net of a power symbol: entry 1 joins the net named like the
// symbol. A net made here and left without the node goes again.
void JoinSupplyNet(int32_t comp, const std::string& symbName)
{
    int32_t status = 0;
    int32_t net = 0;
    FindNetByName(status, net, symbName);
    bool created = false;
    if (status != 0) {
        net = N_CreateNet(0, 7, symbName.c_str());
        if (net == 0) return;
        created = true;
    }
    const int32_t node = GetFreeNodeId();
    if (N_CreateNode(net, node, comp, 1, 0, 0) != 0) {
        O_Mask(N_Net(net), 7, 7);
    } else if (created) {
        int32_t deleted = 0;
        DeleteNetIfEmpty(net, deleted);
    }
}

}  // namespace

void FindCompByName(int32_t& status, int32_t side, int32_t& id, const std::string& name)
{
    id = OM_FindName(side == 1 ? DB_LayCompMap() : DB_SchCompMap(), name.c_str());
    status = id == 0 ? 1 : 0;
}

void ReadComp(int32_t& status, int32_t id, std::string& name)
{
    CompRec rec{};
    if (C_ReadComponent(id, &rec) == 0) {
        status = 1;
        return;
    }
    g_Comp = rec;
    g_CompOld = rec;
    name = PtrToStr(rec.Name);
    status = 0;
}

void CheckCompEntry(int32_t& status, int32_t id, int32_t entry)
{
    status = 1;
    CompRec comp{};
    SymbRec symb{};
    if (C_ReadComponent(id, &comp) == 0 || S_ReadSymbol(comp.Symb, &symb) == 0) return;
    if (entry >= 1 && entry <= symb.Entries) status = 0;
}

void FitCompArray(int32_t& status, int32_t id, int32_t& countX, int32_t& countY, int32_t gapX, int32_t gapY,
                  PointL& extent, PointL& frameSize)
{
    int32_t box[4] = {};
    if (C_FrameCompItems(id, box) == 0) {
        status = 1;
        return;
    }
    frameSize.X = box[2] - box[0];
    frameSize.Y = box[3] - box[1];
    extent = frameSize;
    // Sound behaviour: a copy is kept only when the extent with it stays
    // within the limit (rather than adding it and testing the next one).
    FitCount(countX, gapX, frameSize.X, extent.X);
    FitCount(countY, gapY, frameSize.Y, extent.Y);
    status = 0;
}

void CreateComp(int32_t& status, CompInfoRec& rec, int32_t supplyNet)
{
    const std::string name = FirstWord(rec.Name);
    const std::string symbName = FirstWord(rec.SymbName);
    // Sound behaviour: without a name nothing is made, and the supply step
    // never works on the record's earlier id.
    if (name.empty()) {
        status = 1;
        return;
    }
    const int32_t id =
        C_CreateComponent(rec.Id, name.c_str(), rec.Flags, rec.Device, rec.Symb, rec.Extra, rec.X, rec.Y, rec.Angle);
    if (id == 0) {
        std::string detail = name;
        ReportMsg(15, detail);
        status = 1;
        return;
    }
    rec.Id = id;
    if (supplyNet != 0 && rec.Device == 0 && symbName.size() > 3 && symbName.compare(0, 3, "SPL") == 0)
        JoinSupplyNet(id, symbName);
}

void DeleteComps(const std::vector<int32_t>& ids)
{
    if (ids.empty()) return;
    N_SetNodeView(0);
    // The wires at the pins of all the components go first, then their
    // nodes and the nets left empty: one walk of the branches and one of
    // the nets for the whole set.
    DeleteBranchesAtComps(ids, kTempMark);
    DeleteCompSetNodes(ids, kTempMark);
    const int32_t map = DB_SchCompMap();
    for (const int32_t id : ids) OM_Delete(map, id);
    DeleteTempFileObjects(ids, g_CurHier);
}

void DeleteComp(int32_t id)
{
    DeleteComps({id});
}

void DrawCompWithWires(int32_t id)
{
    O_Mask(C_Component(id), kDrawn, kDrawn | kErased);
    G_SetDrawMode(0);
    C_DrawComponent(id);
    RedrawPinLegs(id);
    if (TextCommandRunning()) return;
    N_SetNodeView(0);
    if (g_ShowNodes) N_DrawAllNodes(kRedraw);
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) {
        B_DrawAllRecords(g_MaskedBranchIds(i), kRedraw);
        B_DrawBranchAllTexts(g_MaskedBranchIds(i), 15);
    }
    // The page paint draws the junction dots over the wires; a wire drawn
    // again here would cut into the dot at its end, so the dots of these
    // wires are drawn again on top.
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) B_DrawAllJunctions(g_MaskedBranchIds(i), -1);
    DrawMarkedRatsnests();
    // The legs marked with the component's first records lose the mark
    // with them: those of the wires EraseComp marked (found as it found
    // them), whether or not the caller listed the wires for redrawing.
    std::vector<int32_t> legs;
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i)
        if (FirstRecordMarked(g_MaskedBranchIds(i))) legs.push_back(g_MaskedBranchIds(i));
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, kRedraw, kRedraw))
        if (FirstRecordMarked(branch)) legs.push_back(branch);
    N_MaskCompNodes(id, 0, kDrawn, kDrawn | kRedraw, kDrawn, kDrawn | kRedraw);
    B_MaskNodeRecords(id, 0, kDrawn, kDrawn | kRedraw, kDrawn, kDrawn | kRedraw, kDrawn, kDrawn | kRedraw);
    for (const int32_t branch : legs)
        if (!FirstRecordMarked(branch)) B_MaskRecord(branch, 2, kDrawn, kDrawn | kRedraw);
}

void EraseComp(int32_t id)
{
    O_Mask(C_Component(id), kErased, kDrawn | kErased);
    G_SetDrawMode(2);
    C_DrawComponent(id);
    if (TextCommandRunning()) return;
    N_SetNodeView(0);
    N_MaskCompNodes(id, 0, kRedraw, kDrawn | kRedraw, kRedraw, kDrawn | kRedraw);
    B_MaskNodeRecords(id, 0, kDrawn | kRedraw, kDrawn | kRedraw, kRedraw, kDrawn | kRedraw, kRedraw,
                      kDrawn | kRedraw);
    MarkFirstLegs();
    if (g_ShowNodes) N_DrawAllNodes(kRedraw);
    DrawMarkedRatsnests();
}

void SetCompPlacement(int32_t id, const CompRec& rec)
{
    O_ChangePosition(C_Component(id), rec.X, rec.Y);
    C_ChangeCompDispAttr(id, rec.Angle, (rec.Flags & 2) != 0 ? 1 : 0);
}

void CheckLayCompExchange(int32_t& result, int32_t a, int32_t b)
{
    if (a == b) return;
    LayCompRec recA{};
    LayCompRec recB{};
    if (L_ReadComponent(a, &recA) == 0 || L_ReadComponent(b, &recB) == 0) return;
    if ((recA.Flags & 2) == (recB.Flags & 2)) return;
    const bool tracesA = HasTraces(a);
    const bool tracesB = HasTraces(b);
    if (!tracesA && !tracesB) return;
    if (recA.Symb != recB.Symb) {
        result = 1;
        return;
    }
    SymbRec symb{};
    if (S_ReadSymbol(recA.Symb, &symb) == 0) {
        result = 1;
        return;
    }
    const int32_t stacks = S_SymbolPadStackMap(recA.Symb);
    for (int32_t e = 1; e <= symb.Entries; ++e) {
        SymbEntryRec entry{};
        if (S_ReadEntry(recA.Symb, e, &entry) == 0) return;
        PadStackRec stack{};
        if (S_ReadPadStack(OM_Object(stacks, entry.KeyOrTextX), &stack) == 0) return;
        if (stack.Hole == 0) {
            result = 1;
            return;
        }
    }
}
