#include "editor/objects/net_wires.h"

#include "editor/objects/branch_drawing.h"
#include "editor/objects/branches.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/design_change.h"
#include "editor/shell/geometry.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"

#include <utility>
#include <vector>

namespace {

constexpr double kFarAway = 440000000.0;

double NodeDistance(const NodeRec& a, const NodeRec& b)
{
    return VectorLength(static_cast<double>(b.X) - a.X, static_cast<double>(b.Y) - a.Y);
}

void SwapNodes(long i, long j)
{
    std::swap(g_NetNodes(i), g_NetNodes(j));
    std::swap(g_NetNodeIds(i), g_NetNodeIds(j));
}

// True when the node has a pin of a component on the current page.
bool PinOnCurrentPage(int32_t net, int32_t node, NodeRec& rec)
{
    return N_ReadNode(net, node, &rec) != 0 && rec.Comp != 0 && rec.Entry != 0 &&
           O_TestPage(C_Component(rec.Comp), g_CurPage) != 0;
}

}  // namespace

void OrderNetNodes(int32_t net)
{
    g_NetNodes.Redim(0, 0);
    g_NetNodeIds.Redim(0, 0);
    ReadFrameBox();
    double best = kFarAway;
    const int32_t map = N_NodeMap(net);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &cursor, 0, 0)) {
        NodeRec rec{};
        CompRec comp{};
        if (N_ReadNode(net, node, &rec) == 0 || rec.Comp == 0 || rec.Entry == 0) continue;
        if (C_ReadComponent(rec.Comp, &comp) == 0 || comp.Page != g_CurPage) continue;
        const long last = g_NetNodes.UBound() + 1;
        g_NetNodes.RedimPreserve(last);
        g_NetNodeIds.RedimPreserve(last);
        g_NetNodes(last) = rec;
        g_NetNodeIds(last) = node;
        const double distance =
            VectorLength(static_cast<double>(rec.X) - g_FrameX1, static_cast<double>(rec.Y) - g_FrameY1);
        if (distance < best) {
            SwapNodes(1, last);
            best = distance;
        }
    }
    const long count = g_NetNodes.UBound();
    for (long i = 1; i < count; ++i) {
        best = NodeDistance(g_NetNodes(i), g_NetNodes(i + 1));
        for (long j = i + 2; j <= count; ++j) {
            const double distance = NodeDistance(g_NetNodes(i), g_NetNodes(j));
            if (distance < best) {
                SwapNodes(i + 1, j);
                best = distance;
            }
        }
    }
}

void MakeNetWires(int32_t net, bool deleteOnly)
{
    // One edit: the new wire, the old ones gone and the nodes marked wired,
    // or (a step refused) none of it.
    DesignChange change;
    NetRec netRec{};
    if (N_ReadNet(net, &netRec) == 0) return;
    std::vector<int32_t> old;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, g_CurPage)) old.push_back(branch);

    int32_t made = 0;
    std::vector<int32_t> wired;
    if (!deleteOnly && netRec.Nodes >= 2) {
        OrderNetNodes(net);
        if (g_NetNodeIds.UBound() >= 2) {
            made = B_CreateBranch(0, 1, net);
            if (made < 1) {
                ReportMsg(50);
                return;
            }
            for (long i = 1; i <= g_NetNodeIds.UBound(); ++i) {
                const int32_t node = g_NetNodeIds(i);
                NodeRec rec{};
                if (!PinOnCurrentPage(net, node, rec)) continue;
                if (B_InsertRecord(made, -1, 3, node) == 0) {
                    ReportMsg(51);
                    return;
                }
                wired.push_back(node);
            }
        }
    }
    for (const int32_t branch : old) {
        RedrawBranch(2, branch, -1);
        DeleteBranch(branch);
    }
    if (made == 0) return;
    for (const int32_t node : wired) O_Mask(N_Node(net, node), 2, 2);
    BranchRec header{};
    if (B_ReadBranch(made, &header) != 0 && header.Points >= 2) RedrawBranch(0, made, -1);
    else OM_Delete(DB_BranchMap(), made);
}

void MakeWiresForAllNets(bool deleteOnly)
{
    // Every net's wires or, a step refused, none.
    DesignChange change;
    const int32_t map = DB_NetMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t net = OM_SearchMask(map, &cursor, 0, 0)) MakeNetWires(net, deleteOnly);
}
