// Turning an accepted path into a wire of the page image: a new branch with
// its bend points, linked into its net, joined with the wires of the net it
// meets, junction points where it touches them, and entered into the field
// grid.
#include "router/route.h"

#include <algorithm>
#include <vector>

namespace corvex {

namespace {

// Frees a branch that was never linked anywhere.
void DropBranch(int32_t b) { DeleteBranchPoints(b); }

}  // namespace

bool PathLinksFit(const Path& path)
{
    if (!g_CellsPresent) return true;
    std::vector<Seg> boxes;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        Seg s{path[i].x, path[i].y, path[i + 1].x, path[i + 1].y};
        NormaliseSeg(s);
        boxes.push_back(s);
    }
    return CellsOfBoxes(boxes) <= FreeWireLinks();
}

int32_t InsertPathBranch(const Path& path, int32_t node)
{
    if (path.size() < 2) return 1;
    for (size_t i = 0; i + 1 < path.size(); ++i)
        if (path[i].x != path[i + 1].x && path[i].y != path[i + 1].y) return Fail(1800, 1);
    // A full link pool leaves the pair unrouted and the image as it was:
    // the net's wires leave the field grid and enter it again, and joins
    // only merge branches and put junction points on segments, so the net
    // needs at most the links it holds now plus one per cell the path covers.
    if (!PathLinksFit(path)) return Fail(2300, 2);
    const int32_t net = g_Nodes[node].net, partner = g_Nodes[node].partner;
    const int32_t b = NewBranch();
    if (!b) return 0;
    {
        ScrBranchRec& r = g_Branches[b];
        r.flags = 0, r.net = net, r.page = g_ScrCurPage, r.group = g_Nodes[node].group;
    }
    int32_t prev = 0, inner = 0;
    std::vector<int32_t> made;
    made.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        const int32_t p = NewBPoint();
        if (!p) {
            DropBranch(b);
            return 0;
        }
        made.push_back(p);
        const PathPt& q = path[i];
        // The pool may have moved: everything by index from here.
        g_BPoints[p].flags = (q.flags & kPathFixed) && (i == 0 || i + 1 == path.size())
                                 ? kPointNode
                                 : (q.flags & kPathJunction) ? kPointJunction : kPointPlain;
        g_BPoints[p].x = q.x, g_BPoints[p].y = q.y, g_BPoints[p].branch = b, g_BPoints[p].prev = prev;
        if (prev)
            g_BPoints[prev].next = p;
        else
            g_Branches[b].firstPoint = p;
        if (i == 1) inner = p;
        prev = p;
    }
    // An end that stands on no pin of the net is no node point.
    for (int32_t p : {g_Branches[b].firstPoint, prev})
        if ((g_BPoints[p].flags & kPointNode) && !NodeGroupAt(g_BPoints[p].x, g_BPoints[p].y, net))
            g_BPoints[p].flags = kPointPlain;
    InsertBranchInNet(net, b);
    ReplaceNodeGroup(net, g_Nodes[node].group, g_Nodes[partner].group);
    // Merge with open wire ends and join touching wires of the net: the
    // net's wires leave the field grid while their records change.
    FieldRemoveNet(net);
    g_BusJunctionMode = 0;
    // The net's other wires were joined with one another when they were
    // loaded or inserted: only the wires that now hold the new points (a
    // merge or split may have moved them) are joined with the rest. A net
    // of hundreds of wires would otherwise compare every pair per insert.
    // A point a merge dropped as a duplicate of an end has its survivor at
    // the same place, in the wire that now holds that segment.
    bool ok = JoinNetBranches(net);
    std::vector<std::pair<int32_t, int32_t>> dropped;
    std::vector<int32_t> holders;
    auto hold = [&](int32_t branch) {
        if (std::find(holders.begin(), holders.end(), branch) == holders.end()) holders.push_back(branch);
    };
    for (size_t i = 0; i < made.size(); ++i) {
        const ScrBPointRec& q = g_BPoints[made[i]];
        if (q.inUse && q.x == path[i].x && q.y == path[i].y && q.branch > 0 && g_Branches[q.branch].net == net)
            hold(q.branch);
        else
            dropped.emplace_back(path[i].x, path[i].y);
    }
    if (ok && !dropped.empty())
        for (int32_t br = g_Nets[net].firstBranch; br; br = g_Branches[br].next)
            for (int32_t q = g_Branches[br].firstPoint; q; q = g_BPoints[q].next)
                if (std::find(dropped.begin(), dropped.end(), std::pair{g_BPoints[q].x, g_BPoints[q].y}) != dropped.end()) {
                    hold(br);
                    break;
                }
    for (const int32_t h : holders) ok = ok && JoinBranchWithNet(h);
    if (!FieldAddNet(net) || !ok) return 0;
    // The wire's U-turns, on the branch that now holds its points (a merge
    // may have moved them into an older branch of the net).
    if (inner && g_BPoints[inner].inUse) return MR_CleanPathAtComps(g_BPoints[inner].branch, node);
    return 1;
}

}  // namespace corvex
