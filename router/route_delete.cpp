// Wire deletion in the page image: all wires of the page, of one net, one
// branch, one segment, or the branches a block rectangle marked. What the
// deleted wires connected is worked out again from the wires that remain,
// so the groups (which pairs still need a wire) stay true.
#include "router/corvex.h"
#include "router/grid_page.h"
#include "router/route.h"

#include <algorithm>
#include <numeric>

namespace corvex {

MarkList g_BlockMarks;

void ClearBlockMarks() { g_BlockMarks.clear(); }

bool ValidRoutedBranch(int32_t b)
{
    if (!g_Branches.present || b <= 0 || b > g_Branches.capacity) return false;
    const ScrBranchRec& r = g_Branches[b];
    if (!r.inUse || r.page != g_ScrCurPage || r.flags == kBranchFrame || (r.flags & kBranchKept)) return false;
    if (r.net <= 0 || r.net > g_Nets.Count()) return false;
    for (int32_t x = g_Nets[r.net].firstBranch; x; x = g_Branches[x].next)
        if (x == b) return true;
    return false;
}

int32_t NumberNetNodes(int32_t net, int32_t first)
{
    const ScrNetRec& n = g_Nets[net];
    if (n.flags & kNetBus) return first;  // a bus record has no nodes
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        ScrNodeRec& node = g_Nodes[n.firstNode + i];
        if (node.comp > 0 && g_Comps[node.comp].page == g_ScrCurPage) node.group = first++;
    }
    return first;
}

namespace {

bool PointOnBranch(int32_t x, int32_t y, int32_t b)
{
    for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
        const ScrBPointRec& a = g_BPoints[p];
        if (a.x == x && a.y == y) return true;
        if (!a.next) break;
        Seg s = SegOf(p, a.next);
        NormaliseSeg(s);
        if (x >= s.x1 && x <= s.x2 && y >= s.y1 && y <= s.y2 && (s.x1 == s.x2 || s.y1 == s.y2)) return true;
    }
    return false;
}

bool BranchesTouch(int32_t a, int32_t b)
{
    for (int32_t p = g_Branches[a].firstPoint; p; p = g_BPoints[p].next)
        if (PointOnBranch(g_BPoints[p].x, g_BPoints[p].y, b)) return true;
    for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
        if (PointOnBranch(g_BPoints[p].x, g_BPoints[p].y, a)) return true;
    return false;
}

int32_t Find(std::vector<int32_t>& up, int32_t i)
{
    while (up[i] != i) i = up[i] = up[up[i]];
    return i;
}

// Junction points of other branches of the net at a place that no longer
// joins anything become plain points.
void ReleaseJunctions(int32_t net, const std::vector<std::pair<int32_t, int32_t>>& places)
{
    for (auto [x, y] : places)
        for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) {
            if (g_Branches[b].page != g_ScrCurPage) continue;
            for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
                ScrBPointRec& r = g_BPoints[p];
                if (r.x != x || r.y != y || !(r.flags & kPointJunction)) continue;
                bool other = false;
                for (int32_t o = g_Nets[net].firstBranch; o && !other; o = g_Branches[o].next)
                    other = o != b && g_Branches[o].page == g_ScrCurPage && PointOnBranch(x, y, o);
                if (!other) r.flags = (r.flags & ~(kPointJunction | kPointBusJunction)) | kPointPlain;
            }
        }
}

// Takes a branch out of the picture, the field grid and its net.
void RemoveBranch(int32_t b)
{
    DrawBranch(b, 1);
    FieldRemoveBranch(b);
    RemoveBranchFromChain(g_Branches[b].net, b);
}

std::vector<std::pair<int32_t, int32_t>> Places(int32_t b)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) out.emplace_back(g_BPoints[p].x, g_BPoints[p].y);
    return out;
}

}  // namespace

void RegroupNet(int32_t net)
{
    ScrNetRec& n = g_Nets[net];
    const bool bus = n.flags & kNetBus;
    std::vector<int32_t> branches;
    for (int32_t b = n.firstBranch; b; b = g_Branches[b].next)
        if (g_Branches[b].page == g_ScrCurPage) branches.push_back(b);
    std::vector<int32_t> nodes;
    if (!bus)
        for (int32_t i = 0; i < n.nodeCount; ++i)
            if (g_Nodes[n.firstNode + i].comp > 0 && g_Comps[g_Nodes[n.firstNode + i].comp].page == g_ScrCurPage)
                nodes.push_back(n.firstNode + i);
    // Union of nodes (first) and branches (after them) that touch.
    const int32_t count = static_cast<int32_t>(nodes.size() + branches.size());
    std::vector<int32_t> up(static_cast<size_t>(count));
    std::iota(up.begin(), up.end(), 0);
    const int32_t off = static_cast<int32_t>(nodes.size());
    auto join = [&](int32_t a, int32_t b) { up[Find(up, a)] = Find(up, b); };
    for (int32_t i = 0; i < static_cast<int32_t>(branches.size()); ++i) {
        for (int32_t j = i + 1; j < static_cast<int32_t>(branches.size()); ++j)
            if (BranchesTouch(branches[i], branches[j])) join(off + i, off + j);
        for (int32_t k = 0; k < off; ++k)
            if (PointOnBranch(g_Nodes[nodes[k]].x, g_Nodes[nodes[k]].y, branches[i])) join(k, off + i);
    }
    for (int32_t k = 0; k < off; ++k)
        for (int32_t m = k + 1; m < off; ++m)
            if (g_Nodes[nodes[k]].x == g_Nodes[nodes[m]].x && g_Nodes[nodes[k]].y == g_Nodes[nodes[m]].y) join(k, m);
    // Groups numbered from 1 (16000 for a bus) in the order their first
    // member appears.
    std::vector<int32_t> id(static_cast<size_t>(count), 0);
    int32_t next = bus ? 16000 : 1;
    for (int32_t i = 0; i < count; ++i) {
        int32_t& g = id[static_cast<size_t>(Find(up, i))];
        if (!g) g = next++;
        if (i < off)
            g_Nodes[nodes[i]].group = g;
        else
            g_Branches[branches[i - off]].group = g;
    }
}

void DeleteNetWires(int32_t net)
{
    for (int32_t b = g_Nets[net].firstBranch; b;) {
        const int32_t next = g_Branches[b].next;
        if (g_Branches[b].page == g_ScrCurPage) RemoveBranch(b);
        b = next;
    }
    NumberNetNodes(net, 1);
    DrawNetRatsnest(net, 0);
}

int32_t DeleteBranchInImage(int32_t b)
{
    if (!ValidRoutedBranch(b)) return Fail(1940, 7);
    const int32_t net = g_Branches[b].net;
    const auto places = Places(b);
    RemoveBranch(b);
    ReleaseJunctions(net, places);
    RegroupNet(net);
    DrawNetRatsnest(net, 0);
    return 1;
}

namespace {

int32_t DeleteSegment(int32_t p)
{
    const int32_t q = g_BPoints[p].next, b = g_BPoints[p].branch;
    if (!q || !ValidRoutedBranch(b)) return Fail(1940, 7);
    const int32_t net = g_Branches[b].net;
    DrawSegment(p, 1);
    if (g_BPoints[p].prev == 0 && g_BPoints[q].next == 0) return DeleteBranchInImage(b);
    FieldRemoveNet(net);
    const std::vector<std::pair<int32_t, int32_t>> places{{g_BPoints[p].x, g_BPoints[p].y},
                                                          {g_BPoints[q].x, g_BPoints[q].y}};
    if (g_BPoints[q].next == 0) {
        UnlinkBPoint(q);  // p is the new end
    } else if (g_BPoints[p].prev == 0) {
        UnlinkBPoint(p);  // the branch starts at q
    } else {
        const int32_t nb = NewBranch();
        if (!nb) {
            FieldAddNet(net);
            return 0;
        }
        ScrBranchRec& r = g_Branches[nb];
        r.flags = g_Branches[b].flags, r.net = net, r.page = g_Branches[b].page, r.group = g_Branches[b].group;
        r.firstPoint = q;
        g_BPoints[p].next = 0;
        g_BPoints[q].prev = 0;
        SetPointsBranch(nb);
        r.next = g_Branches[b].next;
        g_Branches[b].next = nb;
    }
    ReleaseJunctions(net, places);
    RegroupNet(net);
    FieldAddNet(net);
    DrawNetRatsnest(net, 0);
    return 1;
}

// The common frame of the deletion exports: buffer checked, failure state
// cleared, the body run guarded.
template <class F>
int32_t DeleteExport(int32_t* state, char* msg, int32_t size, F&& body)
{
    return Guarded(1940, 0, [&]() -> int32_t {
        ClearFailure();
        if (!state || !msg || size <= 0) return Fail(1940, 5);
        if (!g_Nets.present || !g_Branches.present) return Fail(1940, 6);
        // The grid search's page-wide marks follow routed nets only.
        FreeGridPage();
        return body();
    });
}

}  // namespace

}  // namespace corvex

using namespace corvex;

int32_t SCR_DeleteAllWiresInThePage(int32_t* state, char* msg, int32_t size) noexcept
{
    return DeleteExport(state, msg, size, [&]() -> int32_t {
        int32_t n = 0;
        for (int32_t net = g_BusCount + 1; net <= g_Nets.Count(); ++net) {
            if (g_Nets[net].flags & (kNetBus | kNetMember)) continue;
            DeleteNetWires(net);
            ++n;
        }
        if (n == 1)
            PutText(msg, size, "Delete All Wires in one Net.");
        else if (n > 1)
            PutText(msg, size, "Delete All Wires in %d Nets.", n);
        else
            PutText(msg, size, "Wires in All Net(s) deleted.");
        *state = n >= 1 ? 1 : 2;
        return 1;
    });
}

int32_t SCR_DeleteOneNetInThePage(int32_t* state, char* msg, int32_t size, int32_t net) noexcept
{
    return DeleteExport(state, msg, size, [&]() -> int32_t {
        if (net == 0) {
            *state = 2;
            return 1;
        }
        if (net < 0 || net > g_Nets.Count()) return Fail(1940, 7);
        if (g_Nets[net].flags & kNetBus) {
            for (int32_t b = g_Nets[net].firstBranch; b;) {
                const int32_t next = g_Branches[b].next;
                if (g_Branches[b].page == g_ScrCurPage) RemoveBranch(b);
                b = next;
            }
        } else {
            DeleteNetWires(net);
        }
        PutText(msg, size, "Delete All Wires in Net \"%s\"", NetName(net));
        *state = 1;
        return 1;
    });
}

int32_t SCR_DeleteOneBranchInThePage(int32_t* state, char* msg, int32_t size, int32_t branch) noexcept
{
    return DeleteExport(state, msg, size, [&]() -> int32_t {
        if (branch == 0) {
            *state = 2;
            return 1;
        }
        const int32_t net = ValidRoutedBranch(branch) ? g_Branches[branch].net : 0;
        if (!DeleteBranchInImage(branch)) return 0;
        PutText(msg, size, "Delete selected Wire in net: \"%s\". Deleting completed.", NetName(net));
        *state = 1;
        return 1;
    });
}

int32_t SCR_DeleteOneSegmentInThePage(int32_t* state, char* msg, int32_t size, int32_t point) noexcept
{
    return DeleteExport(state, msg, size, [&]() -> int32_t {
        if (point == 0) {
            *state = 2;
            return 1;
        }
        if (point < 0 || point > g_BPoints.capacity || !g_BPoints[point].inUse) return Fail(1940, 7);
        const int32_t b = g_BPoints[point].branch;
        const int32_t net = ValidRoutedBranch(b) ? g_Branches[b].net : 0;
        if (!DeleteSegment(point)) return 0;
        PutText(msg, size, "Delete selected Wire segment from Net: \"%s\". Deleting completed.", NetName(net));
        *state = 1;
        return 1;
    });
}

int32_t SCR_DeleteBranchesWithBlok(int32_t* state, char* msg, int32_t size) noexcept
{
    return DeleteExport(state, msg, size, [&]() -> int32_t {
        if (g_BlockMarks.empty()) {
            *state = 2;
            return 1;
        }
        const int32_t entries = static_cast<int32_t>(g_BlockMarks.size());
        std::vector<int32_t> nets;
        std::vector<int32_t> done;
        for (int32_t b : g_BlockMarks) {
            if (std::find(done.begin(), done.end(), b) != done.end() || !ValidRoutedBranch(b)) continue;
            done.push_back(b);
            const int32_t net = g_Branches[b].net;
            const auto places = Places(b);
            RemoveBranch(b);
            ReleaseJunctions(net, places);
            if (std::find(nets.begin(), nets.end(), net) == nets.end()) nets.push_back(net);
        }
        for (int32_t net : nets) {
            RegroupNet(net);
            DrawNetRatsnest(net, 0);
        }
        ClearBlockMarks();
        PutText(msg, size, "Delete %d Wire segment(s) from Page. Deleting completed.", entries);
        *state = 1;
        return 1;
    });
}
