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
    if (!r.inUse || r.page != g_ScrCurPage || r.flags == kBranchFrame) return false;
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

}  // namespace

std::vector<int32_t> JunctionNets(int32_t net)
{
    std::vector<int32_t> out;
    if (net <= 0 || net > g_Nets.Count()) return out;
    out.push_back(net);
    const ScrNetRec& n = g_Nets[net];
    if ((n.flags & kNetMember) && n.bus > 0 && n.bus <= g_BusCount) out.push_back(n.bus);
    if (n.flags & kNetBus)
        for (int32_t m = g_BusCount + 1; m <= g_Nets.Count(); ++m)
            if ((g_Nets[m].flags & kNetMember) && g_Nets[m].bus == net) out.push_back(m);
    return out;
}

void ReleaseJunctions(int32_t net, int32_t page, const std::vector<std::pair<int32_t, int32_t>>& places)
{
    const std::vector<int32_t> nets = JunctionNets(net);
    for (auto [x, y] : places)
        for (int32_t owner : nets)
            for (int32_t b = g_Nets[owner].firstBranch; b; b = g_Branches[b].next) {
                if (g_Branches[b].page != page) continue;
                for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
                    ScrBPointRec& r = g_BPoints[p];
                    if (r.x != x || r.y != y || !(r.flags & kPointJunction)) continue;
                    // Still a junction while another wire of the same net, or
                    // of the bus it belongs to (or of a member of this bus),
                    // meets the place.
                    bool other = false;
                    for (int32_t on : JunctionNets(owner))
                        for (int32_t o = g_Nets[on].firstBranch; o && !other; o = g_Branches[o].next)
                            other = o != b && g_Branches[o].page == page && PointOnBranch(x, y, o);
                    if (!other) r.flags = (r.flags & ~(kPointJunction | kPointBusJunction)) | kPointPlain;
                }
            }
}

namespace {

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

namespace {

// Takes every wire of the net on the current page away. For a bus member
// the taps on its bus go with them, for a bus the taps of its members.
void RemovePageWires(int32_t net)
{
    const bool shared = JunctionNets(net).size() > 1;
    std::vector<std::pair<int32_t, int32_t>> places;
    for (int32_t b = g_Nets[net].firstBranch; b;) {
        const int32_t next = g_Branches[b].next;
        if (g_Branches[b].page == g_ScrCurPage) {
            if (shared)
                for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
                    if (g_BPoints[p].flags & (kPointJunction | kPointBusJunction))
                        places.emplace_back(g_BPoints[p].x, g_BPoints[p].y);
            RemoveBranch(b);
        }
        b = next;
    }
    if (!places.empty()) ReleaseJunctions(net, g_ScrCurPage, places);
}

}  // namespace

void DeleteNetWires(int32_t net)
{
    RemovePageWires(net);
    NumberNetNodes(net, 1);
    DrawNetRatsnest(net, 0);
}

int32_t DeleteBranchInImage(int32_t b)
{
    if (!ValidRoutedBranch(b)) return Fail(1940, 7);
    const int32_t net = g_Branches[b].net;
    const auto places = Places(b);
    RemoveBranch(b);
    ReleaseJunctions(net, g_ScrCurPage, places);
    RegroupNet(net);
    DrawNetRatsnest(net, 0);
    return 1;
}

namespace {

std::vector<int32_t> PointList(int32_t b)
{
    std::vector<int32_t> out;
    for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) out.push_back(p);
    return out;
}

// Joins branch b at its end point `end` with the one other wire of its net
// that ends there, when nothing else meets the place and no pin stands
// there: b takes the other wire's points (its own keep their order), the
// meeting point becomes a plain point and the spare branch record is freed.
void JoinAtEnd(int32_t b, int32_t end)
{
    const ScrBPointRec e = g_BPoints[end];
    if (e.branch != b || (e.flags & kPointNode)) return;
    const int32_t net = g_Branches[b].net, page = g_Branches[b].page;
    auto at = [&](int32_t p) { return g_BPoints[p].x == e.x && g_BPoints[p].y == e.y; };
    int32_t other = 0, otherEnd = 0, touching = 0;
    for (int32_t owner : JunctionNets(net))
        for (int32_t o = g_Nets[owner].firstBranch; o; o = g_Branches[o].next) {
            if (o == b || g_Branches[o].page != page || !PointOnBranch(e.x, e.y, o)) continue;
            ++touching;
            const int32_t f = g_Branches[o].firstPoint, l = LastBPoint(o);
            if (owner != net || f == l || (at(f) && at(l))) continue;
            if (at(f)) other = o, otherEnd = f;
            else if (at(l)) other = o, otherEnd = l;
        }
    if (touching != 1 || !other || (g_BPoints[otherEnd].flags & kPointNode)) return;
    std::vector<int32_t> mine = PointList(b), theirs = PointList(other);
    if (at(mine.front()) && at(mine.back())) return;  // a closed loop
    std::vector<int32_t> all;
    if (mine.back() == end) {
        // b runs on into the other wire: its points follow, meeting point first.
        if (theirs.front() != otherEnd) std::reverse(theirs.begin(), theirs.end());
        all = mine;
        all.insert(all.end(), theirs.begin() + 1, theirs.end());
        FreeBPoint(theirs.front());
    } else if (mine.front() == end) {
        // The other wire leads into b: its points come first, meeting point last.
        if (theirs.back() != otherEnd) std::reverse(theirs.begin(), theirs.end());
        all.assign(theirs.begin(), theirs.end() - 1);
        all.insert(all.end(), mine.begin(), mine.end());
        FreeBPoint(theirs.back());
    } else {
        return;
    }
    for (size_t i = 0; i < all.size(); ++i) {
        ScrBPointRec& r = g_BPoints[all[i]];
        r.prev = i ? all[i - 1] : 0;
        r.next = i + 1 < all.size() ? all[i + 1] : 0;
        r.branch = b;
    }
    g_Branches[b].firstPoint = all.front();
    g_BPoints[end].flags = kPointPlain;
    g_Branches[other].firstPoint = 0;
    RemoveBranchFromChain(net, other);
}

// Deletes the segment from bend point p to its successor q. A cut end
// that meets the end of another wire of the net joins it.
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
    // The ends the cut leaves: (branch, end point).
    std::vector<std::pair<int32_t, int32_t>> ends;
    if (g_BPoints[q].next == 0) {
        UnlinkBPoint(q);  // p is the new end
        ends.emplace_back(b, p);
    } else if (g_BPoints[p].prev == 0) {
        UnlinkBPoint(p);  // the branch starts at q
        ends.emplace_back(b, q);
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
        ends.emplace_back(b, p);
        ends.emplace_back(nb, q);
    }
    ReleaseJunctions(net, g_ScrCurPage, places);
    for (auto [branch, end] : ends)
        if (g_Branches[branch].inUse && g_BPoints[end].inUse && g_BPoints[end].branch == branch)
            JoinAtEnd(branch, end);
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
            RemovePageWires(net);
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
            ReleaseJunctions(net, g_ScrCurPage, places);
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
