// Two refinements of a found path: the shortcut pass, which lets a path
// begin or end on a wire that already belongs to the group of its start or
// end pin, and the U-turn reduction, which pulls the middle of a U-shaped
// stretch of a routed wire toward the U's open side.
#include "router/route.h"

#include <algorithm>
#include <cstdlib>

namespace corvex {

int32_t g_PairGroups[2] = {};

namespace {

bool IsFreePt(const PathPt& p) { return (p.flags & (kPathFixed | kPathJunction)) == 0; }

// A place along the path: segment index and distance from its first point.
struct Place {
    size_t seg;
    int64_t t;
    bool operator<(const Place& o) const { return seg != o.seg ? seg < o.seg : t < o.t; }
};

PathPt PointAt(const Path& path, const Place& at)
{
    const PathPt& a = path[at.seg];
    const PathPt& b = path[at.seg + 1];
    const int64_t sx = (b.x > a.x) - (b.x < a.x), sy = (b.y > a.y) - (b.y < a.y);
    return PathPt{static_cast<int32_t>(a.x + sx * at.t), static_cast<int32_t>(a.y + sy * at.t), kPathJunction};
}

}  // namespace

bool MR_ShortcutPath(Path& path)
{
    if (path.size() < 2 || !g_RouteNet) return false;
    bool haveStart = false, haveEnd = false;
    Place start{0, 0}, end{path.size() - 2, 0};
    for (size_t i = 0; i + 1 < path.size() && !haveEnd; ++i) {
        const PathPt& a = path[i];
        const PathPt& b = path[i + 1];
        if (a.x != b.x && a.y != b.y) return false;
        Seg box{a.x, a.y, b.x, b.y};
        NormaliseSeg(box);
        ObstacleList list;
        if (!MR_TestRectWires(list, box, false)) {
            ClearFailure();  // a full list only means no shortcut here
            return false;
        }
        int64_t startT = -1, endT = -1;
        for (const Obstacle& o : list.rows) {
            if (!(o.kind & kObstWire) || !IsOwnWire(o.branch)) continue;
            const int32_t group = g_Branches[o.branch].group;
            const int side = group == g_PairGroups[0] ? 0 : group == g_PairGroups[1] ? 1 : -1;
            if (side < 0) continue;
            // The common part of the two axis-parallel segments.
            const int64_t x1 = std::max(box.x1, o.x1), x2 = std::min(box.x2, o.x2);
            const int64_t y1 = std::max(box.y1, o.y1), y2 = std::min(box.y2, o.y2);
            if (x1 > x2 || y1 > y2) continue;
            const int64_t t1 = std::llabs(x1 - a.x) + std::llabs(y1 - a.y);
            const int64_t t2 = std::llabs(x2 - a.x) + std::llabs(y2 - a.y);
            if (side == 0)
                startT = std::max({startT, t1, t2});
            else
                endT = endT < 0 ? std::min(t1, t2) : std::min({endT, t1, t2});
        }
        if (endT >= 0) haveEnd = true, end = Place{i, endT};
        // The start moves only to a place before the end.
        if (startT >= 0 && (!haveEnd || Place{i, startT} < end)) haveStart = true, start = Place{i, startT};
    }
    const bool startMoves = haveStart && (start.seg > 0 || start.t > 0);
    const Place last{path.size() - 2, std::llabs(int64_t(path.back().x) - path[path.size() - 2].x) +
                                          std::llabs(int64_t(path.back().y) - path[path.size() - 2].y)};
    const bool endMoves = haveEnd && end < last;
    if (!startMoves && !endMoves) return false;
    Path out;
    out.push_back(startMoves ? PointAt(path, start) : path.front());
    const size_t from = startMoves ? start.seg + 1 : 1;
    const size_t to = endMoves ? end.seg : path.size() - 2;  // last inner point kept
    for (size_t k = from; k <= to && k + 1 < path.size(); ++k) out.push_back(path[k]);
    out.push_back(endMoves ? PointAt(path, end) : path.back());
    path.swap(out);
    MR_StraightenPath(path);
    return true;
}

namespace {

bool Free(const PathPt& a, const PathPt& b, int32_t* crossings = nullptr) { return PathSegmentFree(a, b, crossings); }

int64_t Len(const PathPt& a, const PathPt& b) { return std::llabs(int64_t(a.x) - b.x) + std::llabs(int64_t(a.y) - b.y); }

PathPt Moved(const PathPt& p, int64_t dx, int64_t dy)
{
    return PathPt{static_cast<int32_t>(p.x + dx), static_cast<int32_t>(p.y + dy), p.flags};
}

// Reduces the U at points i, i + 1 (the middle); true when it changed.
bool ReduceU(Path& path, size_t i, int32_t precedence)
{
    const int64_t step = g_StepSize > 0 ? g_StepSize : 50800;
    const PathPt p0 = path[i - 1], p1 = path[i], p2 = path[i + 1], p3 = path[i + 2];
    const int64_t l1 = Len(p0, p1), l2 = Len(p2, p3), m = Len(p1, p2);
    // Unit vector of the legs toward the open side of the U.
    const int64_t ux = (p0.x > p1.x) - (p0.x < p1.x), uy = (p0.y > p1.y) - (p0.y < p1.y);
    if (m <= step) {
        // A narrow U: the middle moves to the end of the shorter leg.
        const bool toFirst = l1 < l2 || (l1 == l2 && precedence != 1);
        const int64_t s = toFirst ? l1 : l2;
        const PathPt q1 = Moved(p1, ux * s, uy * s), q2 = Moved(p2, ux * s, uy * s);
        if (toFirst ? !(Free(p0, q2) && Free(q2, p3)) : !(Free(p0, q1) && Free(q1, p3))) return false;
        path[i] = q1, path[i + 1] = q2;
        MR_StraightenPath(path);
        return true;
    }
    // A wide U: shifts by whole steps toward the open side, up to half the
    // shorter leg; the fewest crossings win, the smaller shift on a tie.
    const int64_t most = std::min(l1, l2) / 2 / step;
    int64_t best = 0;
    int32_t bestCrossings = -1;
    for (int64_t k = 0; k <= most; ++k) {
        const int64_t s = k * step;
        const PathPt q1 = Moved(p1, ux * s, uy * s), q2 = Moved(p2, ux * s, uy * s);
        int32_t crossings = 0;
        if (!Free(p0, q1, &crossings) || !Free(q1, q2, &crossings) || !Free(q2, p3, &crossings)) continue;
        if (bestCrossings < 0 || crossings < bestCrossings) bestCrossings = crossings, best = k;
    }
    if (best == 0) return false;
    path[i] = Moved(p1, ux * best * step, uy * best * step);
    path[i + 1] = Moved(p2, ux * best * step, uy * best * step);
    return true;
}

}  // namespace

bool ReduceUTurns(Path& path, int32_t precedence)
{
    bool changed = false;
    for (size_t i = 1; i + 2 < path.size(); ++i) {
        if (!IsFreePt(path[i]) || !IsFreePt(path[i + 1])) continue;
        const int32_t d1 = PathDirection(path[i - 1], path[i]), dm = PathDirection(path[i], path[i + 1]);
        const int32_t d2 = PathDirection(path[i + 1], path[i + 2]);
        if (d1 > 6 || dm > 6 || d2 != (d1 + 4) % 8 || dm % 4 == d1 % 4) continue;
        if (ReduceU(path, i, precedence)) {
            changed = true;
            i = 0;  // the path changed: look again from its start
        }
    }
    return changed;
}

int32_t MR_CleanPathAtComps(int32_t branch, int32_t node)
{
    if (branch < 1 || branch > g_Branches.capacity || !g_Branches[branch].inUse) return 1;
    if (node < 1 || node > g_Nodes.Count() || BranchPointCount(branch) < 4) return 1;
    // The precedence of the pair's ends: the body areas of their components.
    auto area = [](int32_t comp) {
        if (!comp) return int64_t(0);
        const Seg b = CompBody(comp, 0);
        return (int64_t(b.x2) - b.x1) * (int64_t(b.y2) - b.y1);
    };
    const int64_t a1 = area(g_Nodes[node].comp), a2 = area(g_Nodes[g_Nodes[node].partner].comp);
    const int32_t precedence = a1 < a2 ? 2 : a1 == a2 ? 0 : 1;
    // Each path point carries its bend point's flags above its own.
    Path path;
    std::vector<int32_t> ids;
    for (int32_t p = g_Branches[branch].firstPoint; p; p = g_BPoints[p].next) {
        const int32_t f = g_BPoints[p].flags;
        const int32_t own = (f & kPointNode) ? kPathFixed : (f & (kPointJunction | kPointBusJunction)) ? kPathJunction : kPathFree;
        path.push_back(PathPt{g_BPoints[p].x, g_BPoints[p].y, own | (f << 8)});
        ids.push_back(p);
    }
    path.front().flags |= kPathFixed;
    path.back().flags |= kPathFixed;
    // The tests see the pair's pins and net as the search saw them.
    const ScrNodeRec& a = g_Nodes[node];
    const ScrNodeRec& b = g_Nodes[a.partner > 0 ? a.partner : node];
    const PinEnd savedPins[2] = {g_PinEnds[0], g_PinEnds[1]};
    const int32_t savedNet = g_RouteNet;
    g_PinEnds[0] = PinEnd{a.x, a.y, a.comp, a.flags & kExitAll};
    g_PinEnds[1] = PinEnd{b.x, b.y, b.comp, b.flags & kExitAll};
    g_RouteNet = g_Branches[branch].net;
    FieldRemoveBranch(branch);
    bool changed = ReduceUTurns(path, precedence);
    g_PinEnds[0] = savedPins[0], g_PinEnds[1] = savedPins[1];
    g_RouteNet = savedNet;
    // The shorter wire may cross cells the old one did not: with a full link
    // pool the wire stays as it was (its links were just freed).
    if (changed && !PathLinksFit(path)) changed = false;
    if (changed) {
        for (size_t k = 0; k < ids.size(); ++k) {
            const int32_t p = ids[k];
            if (k >= path.size()) {
                FreeBPoint(p);
                continue;
            }
            const int32_t f = path[k].flags >> 8;
            g_BPoints[p].x = path[k].x, g_BPoints[p].y = path[k].y, g_BPoints[p].flags = f ? f : kPointPlain;
            g_BPoints[p].prev = k ? ids[k - 1] : 0;
            g_BPoints[p].next = k + 1 < path.size() ? ids[k + 1] : 0;
        }
    }
    return FieldAddBranch(branch);
}

}  // namespace corvex
