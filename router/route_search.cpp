// The pair search by escape lines: from each end of a pair, lines go out in
// the four axis directions until a body stops them; further lines go on past
// the corners of what stopped them. A horizontal line of one end that
// crosses a vertical line of the other gives a candidate wire; the cheapest
// candidate whose path can be placed wins.
#include "router/grid_page.h"
#include "router/route.h"

#include <algorithm>
#include <cstdlib>

namespace corvex {

namespace {

constexpr int32_t kEscRay = 8;

// One escape point with the line that grows from it.
struct EscPt {
    int32_t x, y, dir, parent;  // parent: index of the point whose line led here, -1 at the root
    int32_t parentPool;         // pool of the parent (a turned line's parent is in the other pool of its end)
    int32_t flags;              // kEscRay, or 2 once its line is grown
    int32_t stopX, stopY;       // where its line stops (grown, not a ray)
    int64_t cost;               // wire length from the root to this point
};

struct EscPool {
    std::vector<EscPt> pts;
    int32_t used = 0;  // pool slots taken (a grown line takes three)
    // The point of each place and direction: lines from the corners of one
    // cluster meet at the same places, and a second point there would grow
    // the same line again. An open-addressed table of point indexes + 1,
    // kept at most half full.
    std::vector<uint64_t> keys;
    std::vector<int32_t> slots;
    void Clear()
    {
        pts.clear();
        std::fill(slots.begin(), slots.end(), 0);
        used = 0;
    }
    // The slot of a place and direction: the one holding it, or the empty
    // one where it goes.
    size_t Slot(uint64_t key) const
    {
        const size_t mask = slots.size() - 1;
        size_t i = size_t((key * 0x9E3779B97F4A7C15ull) >> 40) & mask;
        while (slots[i] && keys[i] != key) i = (i + 1) & mask;
        return i;
    }
    void Grow()
    {
        const std::vector<int32_t> old = slots;
        const std::vector<uint64_t> oldKeys = keys;
        slots.assign(std::max<size_t>(1024, old.size() * 2), 0);
        keys.assign(slots.size(), 0);
        for (size_t i = 0; i < old.size(); ++i)
            if (old[i]) {
                const size_t at = Slot(oldKeys[i]);
                slots[at] = old[i], keys[at] = oldKeys[i];
            }
    }
    // Adds a point unless one at the same place and direction costs no
    // more; a dearer one that has not grown yet takes the new way instead.
    void Add(const EscPt& p)
    {
        if (2 * (pts.size() + 1) > slots.size()) Grow();
        const uint64_t key = (uint64_t(uint32_t(p.x)) << 32 | uint32_t(p.y)) * 8 + uint64_t(p.dir & 7);
        const size_t at = Slot(key);
        if (slots[at]) {
            EscPt& old = pts[size_t(slots[at] - 1)];
            if (old.cost <= p.cost) return;
            if (!old.flags) {
                old = p;
                return;
            }
        }
        pts.push_back(p);
        slots[at] = int32_t(pts.size()), keys[at] = key;
    }
};

struct Meeting {
    int32_t x, y, a, b;
    int64_t cost;  // 0 = used
};

EscPool g_Pools[4];  // start-horizontal, start-vertical, end-horizontal, end-vertical
std::vector<Meeting> g_Meetings[2];
int32_t g_LastMeeting[2];  // crossing of the meeting picked last

int32_t PoolCapacity() { return g_Tuning.pointPoolCapacity - 1; }

int32_t AddRoot(EscPool& pool, int32_t x, int32_t y, int32_t dir)
{
    if (pool.used + 1 > PoolCapacity()) return Fail(3000, 30);
    ++pool.used;
    pool.Add(EscPt{x, y, dir, -1, -1, 0, x, y, 0});
    return 1;
}

int64_t Step() { return g_StepSize > 0 ? g_StepSize : 50800; }
// The grid line at or below / at or above v.
int32_t FloorGrid(int64_t v)
{
    const int64_t s = Step(), q = v / s - (v % s < 0 ? 1 : 0);
    return static_cast<int32_t>(q * s);
}
int32_t CeilGrid(int64_t v) { return -FloorGrid(-v); }

// Grows the line of point i. The probe stops it at the keep-out box of a
// body (half a step plus the pair's margin around it) or of a foreign wire
// (a step around it); the line ends on the last grid line before the box,
// and two new points on the grid lines just past the box's sides (a body
// merged with the bodies whose boxes touch it) go on in the same
// direction. Nothing ahead makes the point a ray.
int32_t Grow(int32_t k, size_t i, bool turn)
{
    EscPool& pool = g_Pools[k];
    if (pool.pts[i].flags) return 1;
    const EscPt p = pool.pts[i];
    int32_t sx = 0, sy = 0, kind = 0;
    Seg c{};
    const int32_t saved = g_Clearance;
    g_Clearance = static_cast<int32_t>(Step() / 2 - 1 + std::max(0, saved));
    struct Restore {
        int32_t v;
        ~Restore() { g_Clearance = v; }
    } restore{saved};
    if (!ProbeForward(p.x, p.y, p.dir, sx, sy, c, &kind)) {
        pool.pts[i].flags = kEscRay;
        return 1;
    }
    if (pool.used + 3 > PoolCapacity()) return Fail(3000, 30);
    pool.used += 3;
    if (kind == kObstBody && !CollectCluster(c)) return 0;
    // The line stops on the last grid line before the box (at the point
    // itself when none lies between).
    switch (p.dir) {
    case 0: sx = std::max(p.x, FloorGrid(int64_t(c.x1) - 1)); break;
    case 2: sy = std::max(p.y, FloorGrid(int64_t(c.y1) - 1)); break;
    case 4: sx = std::min(p.x, CeilGrid(int64_t(c.x2) + 1)); break;
    case 6: sy = std::min(p.y, CeilGrid(int64_t(c.y2) + 1)); break;
    }
    pool.pts[i].flags = 2, pool.pts[i].stopX = sx, pool.pts[i].stopY = sy;
    const int32_t below = FloorGrid(int64_t(c.y1) - 1), above = CeilGrid(int64_t(c.y2) + 1);
    const int32_t left = FloorGrid(int64_t(c.x1) - 1), right = CeilGrid(int64_t(c.x2) + 1);
    int32_t c1x = 0, c1y = 0, c2x = 0, c2y = 0;
    switch (p.dir) {
    case 0: c1x = sx, c1y = above, c2x = sx, c2y = below; break;
    case 2: c1x = left, c1y = sy, c2x = right, c2y = sy; break;
    case 4: c1x = sx, c1y = below, c2x = sx, c2y = above; break;
    case 6: c1x = right, c1y = sy, c2x = left, c2y = sy; break;
    }
    const int64_t base = p.cost + std::llabs(int64_t(sx) - p.x) + std::llabs(int64_t(sy) - p.y);
    const int32_t parent = static_cast<int32_t>(i);
    for (auto [cx, cy] : {std::pair{c1x, c1y}, std::pair{c2x, c2y}})
        pool.Add(EscPt{cx, cy, p.dir, parent, k, 0, cx, cy,
                       base + std::llabs(int64_t(cx) - sx) + std::llabs(int64_t(cy) - sy)});
    // Turned lines: from the stop, both ways along the face of what stopped
    // the line, kept in the end's pool of the other orientation. A full
    // pool takes no more of them.
    EscPool& other = g_Pools[k ^ 1];
    if (turn && (p.parent >= 0 || sx != p.x || sy != p.y) && other.used + 2 <= PoolCapacity()) {
        other.used += 2;
        for (int32_t turn : {2, 6})
            other.Add(EscPt{sx, sy, (p.dir + turn) % 8, parent, k, 0, sx, sy, base});
    }
    return 1;
}

// Grows every point of the four pools that has no line yet (points added
// while growing wait for the next level).
int32_t GrowAll(bool turn)
{
    size_t n[4];
    for (int k = 0; k < 4; ++k) n[k] = g_Pools[k].pts.size();
    for (int k = 0; k < 4; ++k)
        for (size_t i = 0; i < n[k]; ++i)
            if (!Grow(k, i, turn)) return 0;
    return 1;
}

// The extent of a point's line along its axis; false when it has none.
bool LineSpan(const EscPt& p, int64_t& lo, int64_t& hi)
{
    if (!p.flags) return false;
    const FieldGrid& g = g_FieldGrid;
    const bool horizontal = p.dir == 0 || p.dir == 4;
    const int64_t at = horizontal ? p.x : p.y;
    int64_t end = horizontal ? p.stopX : p.stopY;
    if (p.flags & kEscRay) {
        const int64_t min = horizontal ? g.originX : g.originY;
        const int64_t max = min + int64_t(g.cellSize) * (horizontal ? g.columns : g.rows);
        end = (p.dir == 0 || p.dir == 2) ? std::max(max, at) : std::min(min, at);
    }
    lo = std::min(at, end), hi = std::max(at, end);
    return lo != hi;
}

// A grown line of a pool: its extent along its axis and where it lies
// across it.
struct Span {
    int64_t lo, hi;
    int32_t at, index;
};

// The lines of a pool (points without a line, and lines of no length, meet
// nothing), kept from call to call.
void Spans(const EscPool& pool, bool horizontal, std::vector<Span>& out)
{
    out.clear();
    for (size_t i = 0; i < pool.pts.size(); ++i) {
        const EscPt& p = pool.pts[i];
        int64_t lo, hi;
        if (LineSpan(p, lo, hi)) out.push_back(Span{lo, hi, horizontal ? p.y : p.x, static_cast<int32_t>(i)});
    }
}

void MR_IntersectEscapeLines(const EscPool& hp, const Span& h, const EscPool& vp, const Span& v,
                             std::vector<Meeting>& list)
{
    if (v.at < h.lo || v.at > h.hi || h.at < v.lo || h.at > v.hi) return;
    const EscPt& hpt = hp.pts[size_t(h.index)];
    const EscPt& vpt = vp.pts[size_t(v.index)];
    const int64_t cost = hpt.cost + std::llabs(int64_t(vpt.x) - hpt.x) + vpt.cost + std::llabs(int64_t(hpt.y) - vpt.y);
    list.push_back(Meeting{vpt.x, hpt.y, h.index, v.index, cost > 0 ? cost : 1});
}

void MR_FindLevelMeeting(int32_t level)
{
    // List 1: start-horizontal with end-vertical; list 2: start-vertical with
    // end-horizontal. Meetings are recorded in the order of the first
    // pool's points, then the second's, until the list is full.
    const EscPool& first = g_Pools[level == 0 ? 0 : 1];
    const EscPool& second = g_Pools[level == 0 ? 3 : 2];
    std::vector<Meeting>& list = g_Meetings[level];
    list.clear();
    static std::vector<Span> spans[2];
    Spans(first, level == 0, spans[0]);
    Spans(second, level != 0, spans[1]);
    const size_t room = size_t(std::max(0, g_Tuning.meetingCapacity - 1));
    for (const Span& a : spans[0])
        for (const Span& b : spans[1]) {
            if (list.size() >= room) return;
            if (level == 0)
                MR_IntersectEscapeLines(first, a, second, b, list);
            else
                MR_IntersectEscapeLines(second, b, first, a, list);
        }
}

// The chain from an escape point back to its root: point, line stop of
// the parent, parent, ... root.
void Chain(int32_t k, int32_t i, Path& out)
{
    while (i >= 0) {
        const EscPt& p = g_Pools[k].pts[static_cast<size_t>(i)];
        out.push_back(PathPt{p.x, p.y, kPathFree});
        if (p.parent >= 0) {
            const EscPt& q = g_Pools[p.parentPool].pts[static_cast<size_t>(p.parent)];
            out.push_back(PathPt{q.stopX, q.stopY, kPathFree});
        }
        k = p.parentPool, i = p.parent;
    }
}

// The best unused meeting, its path from start to end; false when none.
bool MR_GetBestProject(Path& path)
{
    Meeting* best[2] = {nullptr, nullptr};
    for (int l = 0; l < 2; ++l)
        for (Meeting& m : g_Meetings[l])
            if (m.cost && (!best[l] || m.cost < best[l]->cost)) best[l] = &m;
    const int l = best[1] && (!best[0] || best[1]->cost < best[0]->cost) ? 1 : 0;
    Meeting* m = best[l];
    if (!m) return false;
    m->cost = 0;
    g_LastMeeting[0] = m->x, g_LastMeeting[1] = m->y;
    // list 1: a in start-horizontal, b in end-vertical; list 2: a in
    // end-horizontal, b in start-vertical.
    const int32_t startPool = l == 0 ? 0 : 1, endPool = l == 0 ? 3 : 2;
    const int32_t s = l == 0 ? m->a : m->b, e = l == 0 ? m->b : m->a;
    Path head;
    Chain(startPool, s, head);
    std::reverse(head.begin(), head.end());
    path = head;
    path.push_back(PathPt{m->x, m->y, kPathFree});
    Chain(endPool, e, path);
    path.front().flags = kPathFixed;
    path.back().flags = kPathFixed;
    MR_StraightenPath(path);
    return true;
}

// A failure that leaves a pair unrouted without stopping the run: none, a
// full point pool, a slanted segment, a full obstacle or tested list, a
// wire the full link pool could not hold (refused before any change).
bool SoftFailure()
{
    const int32_t c = g_ErrorCode, f = g_ErrorFunc;
    return (c == 0 && f == 0) || (c == 30 && f == 3000) || (c == 1 && f == 1800) || f == 1920 || f == 1910 ||
           (c == 2 && f == 2300);
}

int32_t ClearanceFor(int64_t d)
{
    const RouteTuning& t = g_Tuning;
    if (d <= t.shortPair) return -1;
    if (d <= t.midPair) return t.marginMid;
    if (d <= t.longPair) return t.marginLong;
    return t.marginFar;
}

}  // namespace

bool IsFreePin(int32_t node) { return (g_Nodes[node].flags & kExitAll) == kExitAll; }

int32_t PinExitPoint(int32_t node, int32_t qx, int32_t qy, int32_t& ex, int32_t& ey)
{
    const ScrNodeRec& n = g_Nodes[node];
    const int32_t step = g_StepSize > 0 ? g_StepSize : 50800, half = step / 2;
    for (;;) {
        // The body around the pin: every body touching a small square on
        // the pin, merged with what touches it.
        Seg body{n.x - 2, n.y - 2, n.x + 2, n.y + 2};
        if (!CollectCluster(body)) return 0;
        int64_t bestScore = -1;
        static constexpr int32_t kSides[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};
        for (int side = 0; side < 4; ++side) {
            if (!(n.flags & kSides[side])) continue;
            auto beyond = [&](int64_t edge, int sign) {
                // The first grid line more than half a step beyond the edge.
                const int64_t target = edge + sign * (half + 1);
                int64_t v = (target / step) * step;
                if (sign > 0 && v < target) v += step;
                if (sign < 0 && v > target) v -= step;
                return static_cast<int32_t>(v);
            };
            int32_t x = n.x, y = n.y;
            if (side == 0) x = beyond(body.x2, 1);
            if (side == 1) y = beyond(body.y2, 1);
            if (side == 2) x = beyond(body.x1, -1);
            if (side == 3) y = beyond(body.y1, -1);
            if (!SegmentFree(n.x, n.y, x, y, n.comp, 0)) continue;
            const int64_t score = std::llabs(int64_t(x) - n.x) + std::llabs(int64_t(y) - n.y) +
                                  std::llabs(int64_t(qx) - x) + std::llabs(int64_t(qy) - y);
            if (bestScore < 0 || score < bestScore) bestScore = score, ex = x, ey = y;
        }
        if (bestScore >= 0) return 1;
        if (g_Clearance < 0) return 0;
        g_Clearance = g_Clearance - step < 0 ? -1 : g_Clearance - step;
    }
}

int32_t MR_SearchPair(int32_t node, Path& path, int32_t& connected)
{
    const WireSegScope wires;
    connected = 0;
    path.clear();
    const ScrNodeRec& a = g_Nodes[node];
    const ScrNodeRec& b = g_Nodes[a.partner];
    const int64_t d = std::llabs(int64_t(a.x) - b.x) + std::llabs(int64_t(a.y) - b.y);
    g_Clearance = ClearanceFor(d);
    g_ExemptComp[0] = IsFreePin(node) ? a.comp : 0;
    g_ExemptComp[1] = IsFreePin(a.partner) ? b.comp : 0;
    g_PinEnds[0] = PinEnd{a.x, a.y, a.comp, a.flags & kExitAll};
    g_PinEnds[1] = PinEnd{b.x, b.y, b.comp, b.flags & kExitAll};
    g_PairGroups[0] = a.group, g_PairGroups[1] = b.group;
    int32_t sx = a.x, sy = a.y, ex = b.x, ey = b.y;
    bool found = false;
    // The escape lines. A full list or point pool on their way (dense
    // arrays merge into large clusters) leaves the pair to the grid search.
    auto escape = [&]() -> int32_t {
        if (!IsFreePin(node) && !PinExitPoint(node, b.x, b.y, sx, sy)) sx = a.x, sy = a.y;
        if (g_ErrorCode) return 0;
        if (!IsFreePin(a.partner) && !PinExitPoint(a.partner, sx, sy, ex, ey)) ex = b.x, ey = b.y;
        if (g_ErrorCode) return 0;
        if (sx == ex && sy == ey) {
            path.push_back(PathPt{sx, sy, kPathFixed});
            found = true;
        } else {
            // The four escape pools with their roots, then the levels. The
            // pools keep their room from pair to pair.
            for (EscPool& p : g_Pools) p.Clear();
            const int32_t dirs[4][2] = {{0, 4}, {2, 6}, {0, 4}, {2, 6}};
            for (int k = 0; k < 4; ++k)
                for (int32_t dir : dirs[k])
                    if (!AddRoot(g_Pools[k], k < 2 ? sx : ex, k < 2 ? sy : ey, dir)) return 0;
            if (!GrowAll(false)) return 0;
            // Levels: the meetings of a level with more than one meeting (or of
            // the last level) are tried, cheapest first. When every one of them
            // is refused, the lines grow one more level and the new meetings
            // are tried, up to the level limit.
            const int32_t limit = std::max(1, g_Tuning.levelLimit);
            std::vector<std::pair<int32_t, int32_t>> tried;
            for (int32_t level = 1; level <= limit && !found; ++level) {
                MR_FindLevelMeeting(0);
                MR_FindLevelMeeting(1);
                if (g_Meetings[0].size() + g_Meetings[1].size() > 1 || level == limit) {
                    // Meetings tried at an earlier level are not tried again.
                    for (auto& list : g_Meetings)
                        for (Meeting& m : list)
                            if (std::find(tried.begin(), tried.end(), std::pair{m.x, m.y}) != tried.end()) m.cost = 0;
                    const int32_t saved = g_Clearance;
                    g_Clearance = -1;
                    while (!found && int32_t(tried.size()) < g_Tuning.meetingTryLimit && MR_GetBestProject(path)) {
                        tried.emplace_back(path.empty() ? 0 : g_LastMeeting[0], g_LastMeeting[1]);
                        int32_t accepted = 0;
                        if (!MR_BuildBranchWay(path, accepted)) return 0;
                        found = accepted != 0;
                    }
                    g_Clearance = saved;
                    if (found || level == limit) break;
                }
                if (!GrowAll(g_Tuning.turnLines)) {
                    // A full point pool ends the growing, not the pair.
                    if (g_ErrorFunc != 3000) return 0;
                    ClearFailure();
                    break;
                }
            }
            g_Clearance = -1;
        }
        return 1;
    };
    if (!escape()) {
        if (!SoftFailure()) return 0;
        found = false;
        path.clear();
        g_Clearance = -1;
    }
    // What the escape lines could not find, the grid search may: its path
    // runs from pin (or group wire) to pin (or group wire), with no stubs.
    bool viaGrid = false;
    if (!found) {
        ClearFailure();  // a full list on the way only ended the line search
        viaGrid = found = MR_GridSearchPair(node, path) != 0;
    }
    if (!found) return 1;
    // The exit stubs back to the pins, unless the shortcut pass moved that
    // end onto a wire of the pin's group.
    auto endFlags = [](PathPt& p) { p.flags = (p.flags & kPathJunction) ? kPathJunction : kPathFixed; };
    if (!viaGrid && (sx != a.x || sy != a.y) && !(path.front().flags & kPathJunction)) {
        path.front().flags = kPathFree;
        path.insert(path.begin(), PathPt{a.x, a.y, kPathFixed});
    }
    if (!viaGrid && (ex != b.x || ey != b.y) && !(path.back().flags & kPathJunction)) {
        path.back().flags = kPathFree;
        path.push_back(PathPt{b.x, b.y, kPathFixed});
    }
    endFlags(path.front());
    endFlags(path.back());
    MR_StraightenPath(path);
    if (!MR_SimplifyPath(path)) return 0;
    MR_ShortcutPath(path);
    MR_StraightenPath(path);
    if (!PathFree(path)) return 1;  // the stubs met something: not routed
    connected = 1;
    return 1;
}

int32_t MR_RouteOnePair(int32_t node, int32_t& connected)
{
    connected = 0;
    ClearFailure();
    if (node < 1 || node > g_Nodes.Count()) return Fail(2600, 7);
    const int32_t partner = g_Nodes[node].partner;
    if (partner < 1 || partner > g_Nodes.Count()) return 1;
    const int32_t net = g_Nodes[node].net;
    if (g_Nodes[node].group == g_Nodes[partner].group) return 1;
    if (g_Nodes[node].x == g_Nodes[partner].x && g_Nodes[node].y == g_Nodes[partner].y) {
        ReplaceNodeGroup(net, g_Nodes[node].group, g_Nodes[partner].group);
        connected = 1;
        return 1;
    }
    g_RouteNet = net;
    Path path;
    // The pair's pins and groups stay known until its wire is cleaned.
    struct Reset {
        int32_t net;
        ~Reset()
        {
            NoteNetWires(net);  // its wires may have changed
            g_ExemptComp[0] = g_ExemptComp[1] = 0;
            g_PinEnds[0] = g_PinEnds[1] = PinEnd{0, 0, 0, 0};
            g_PairGroups[0] = g_PairGroups[1] = 0;
        }
    } reset{net};
    const int32_t result = MR_SearchPair(node, path, connected);
    if (!result) {
        connected = 0;
        return SoftFailure() ? 1 : 0;
    }
    if (!connected) return 1;
    if (!InsertPathBranch(path, node)) {
        connected = 0;
        if (!SoftFailure()) return 0;
        ClearFailure();  // not routed; the next pair starts clean
        return 1;
    }
    DrawNodeRatsnest(node, 1);
    DrawNet(net, 0);
    return 1;
}

}  // namespace corvex
