#include "editor/objects/net_removal.h"

#include "editor/objects/branches.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/traces.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"

namespace {

int32_t CopParSymbol()
{
    return -400 - DB_CurHier();
}

int32_t AGapMskSymbol()
{
    return -800 - DB_CurHier();
}

// The net leaves its bus (when it is a member) and the bus's member texts
// are rebuilt.
void LeaveBus(int32_t net)
{
    int32_t index = 0;
    const int32_t bus = N_FindBusMember(net, &index);
    if (bus == 0) return;
    N_DeleteBusMember(bus, index);
    UpdateBusTexts(bus);
}

// Hands every node of the map carrying (value, mask) to the heap. One
// walk: the cursor survives the deletions, and a node the kernel keeps is
// passed over.
void HeapNodes(int32_t map, int32_t value, int32_t mask)
{
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &cursor, value, mask)) AddNodeToHeap(map, node);
}

// Each net marked `mask` loses the mark and its nodes marked `mask`, and
// goes when that leaves it empty. One walk of the nets.
void HeapMarkedNetNodes(int32_t mask)
{
    const int32_t nets = DB_NetMap();
    int32_t cursor = OM_GetFirst(nets);
    while (const int32_t net = OM_SearchMask(nets, &cursor, mask, mask)) {
        O_Mask(N_Net(net), 0, mask);
        HeapNodes(N_NodeMap(net), mask, mask);
        int32_t deleted = 0;
        DeleteNetIfEmpty(net, deleted);
    }
}

}  // namespace

int32_t AddNodeToHeap(int32_t nodeMap, int32_t node)
{
    return AddToHeap(nodeMap, node, 3);
}

void DeleteNetIfEmpty(int32_t net, int32_t& result)
{
    result = 0;
    if (N_Net(net) == 0) return;
    if (OM_GetCount(N_NodeMap(net)) >= 1) return;
    if (B_FindNetPage(0, net, -1) >= 1) return;
    if (T_FindNet(net) >= 1) return;
    // Both special symbols may hold items linked to the net.
    if (IA_SearchMaskLink(S_SymbolItemArray(CopParSymbol()), 1, 1, net) >= 1) return;
    if (IA_SearchMaskLink(S_SymbolItemArray(AGapMskSymbol()), 1, 1, net) >= 1) return;
    LeaveBus(net);
    OM_Delete(DB_NetMap(), net);
    result = -1;
}

void DeleteBusIfEmpty(int32_t bus, int32_t& result)
{
    result = 0;
    BusRec rec{};
    if (N_ReadBus(bus, &rec) == 0 || rec.Members >= 1) return;
    if (B_FindNetPage(1, bus, -1) >= 1) return;
    OM_Delete(DB_BusMap(), bus);
    result = -1;
}

void DeleteMaskedNetNodes(int32_t net, int32_t mask, int32_t& result)
{
    HeapNodes(N_NodeMap(net), mask, mask);
    DeleteNetIfEmpty(net, result);
}

void DeleteCompNodes(int32_t side, int32_t comp, int32_t entry, int32_t mask)
{
    // The node view is one kernel-wide switch: the schematic view is set
    // again on every way out.
    auto schematicView = OnExit([] { N_SetNodeView(0); });
    if (side == 0 || side == 1) N_SetNodeView(side);
    if (comp != 0) N_MaskCompNodes(comp, entry, mask, mask, mask, mask);
    HeapMarkedNetNodes(mask);
}

void DeleteCompSetNodes(const std::vector<int32_t>& comps, int32_t mask)
{
    auto schematicView = OnExit([] { N_SetNodeView(0); });
    if (comps.empty()) return;
    N_SetNodeView(0);
    for (const int32_t comp : comps)
        if (comp != 0) N_MaskCompNodes(comp, 0, mask, mask, mask, mask);
    HeapMarkedNetNodes(mask);
}

void DisconnectPin(int32_t side, int32_t, int32_t, const NodeRec& nodeRec, int32_t)
{
    DeleteBranchesAtNode(nodeRec.Comp, nodeRec.Entry, 256);
    DeleteTracesAtNode(nodeRec.LayComp, nodeRec.LayEntry, 256, 0);
    if (side == 0)
        DeleteCompNodes(0, nodeRec.Comp, nodeRec.Entry, 256);
    else if (side == 1)
        DeleteCompNodes(1, nodeRec.LayComp, nodeRec.LayEntry, 256);
}

void DeleteNet(int32_t net)
{
    if (N_Net(net) == 0) return;
    // Deleting a branch never deletes another, so one walk visits each.
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) DeleteBranch(branch);
    for (int32_t trace; (trace = T_FindNet(net)) != 0;) {
        DeleteTrace(trace);
        if (T_FindNet(net) == trace) break;  // a trace the kernel would not delete
    }
    HeapNodes(N_NodeMap(net), 0, 0);
    LeaveBus(net);
    OM_Delete(DB_NetMap(), net);
    DeleteSymbItemsByLink(CopParSymbol(), -1, net);
    DeleteSymbItemsByLink(AGapMskSymbol(), 1, net);
}

void UnlinkCompLayoutNodes(int32_t layComp, int32_t mask)
{
    auto schematicView = OnExit([] { N_SetNodeView(0); });
    T_MaskNodeRecords(layComp, 0, 128, 128, 128, 128, 0, 0);
    const int32_t nets = DB_NetMap();
    int32_t netCursor = OM_GetFirst(nets);
    while (const int32_t net = OM_SearchMask(nets, &netCursor, mask, mask)) {
        const int32_t map = N_NodeMap(net);
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t node = OM_SearchMask(map, &cursor, mask, mask)) {
            NodeRec rec{};
            if (N_ReadNode(net, node, &rec) == 0) continue;
            O_Mask(N_Node(net, node), 0, 4);
            N_SetNodeView(1);
            N_ChangeNode(net, node, 0, 0);
            N_SetNodeView(0);
        }
    }
    DeleteTracesAtNode(0, 0, 128, 128);
}
