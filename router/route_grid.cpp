// The grid fallback: a pair that the escape lines leave unrouted is searched
// again on the routing grid, in a window around the pair, by A* over (grid
// point, direction) with a bend cost. The window's marks (router/grid_window.h)
// come from the page-wide marks or from the window's own collection; the
// moves keep the wire rules of SegmentFreeIn: half a step from every body
// (a pin's own body only on its straight exit stub), no run along, end on
// or bend on a foreign wire, crossings allowed. The wires of the pair's own
// start group are sources, those of its end group targets. The path found
// is checked again by PathFree before it counts.
#include "router/grid_window.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace corvex {

namespace {

using namespace grid;

bool OnRay(int32_t gx, int32_t gy, int32_t px, int32_t py, int32_t dir)
{
    const int32_t ux = gx - px, uy = gy - py;
    if (kDx[dir] == 0 ? ux != 0 : uy != 0) return false;
    return (kDx[dir] ? ux * kDx[dir] : uy * kDy[dir]) >= 0;
}

// The result of one window search: the cells of the way found (empty for
// none), and whether the search reached the window's edge (a wider window
// may then succeed where this one did not).
struct WindowResult {
    std::vector<int32_t> way;
    bool edge = false;
    bool exhausted = false;
};

// The rules of one move from grid point (gx, gy) in direction e that do
// not depend on the direction the way came in: what lies on the point moved
// to. A pin's own body is entered only along its exit stub: away from the
// start pin, or toward the end pin.
struct MoveRules {
    const ScrNodeRec& a;
    const ScrNodeRec& b;
    int32_t sx, sy, tx, ty;
    int32_t own[2];
    uint8_t toMark;
    uint16_t toBit;
    int32_t tk;
    // The window's marks, held here: the search's byte stores would make
    // the compiler read the window's pointer again for every move.
    const uint16_t* marks;
    // A move in direction e onto point nk.
    bool Enter(int32_t e, int32_t nk) const
    {
        const uint16_t m = kEnterOf[marks[size_t(nk)]];
        if (!(m & kEnterBody)) return (m >> (nk == tk || (m & toBit) ? kEnterArrive + e : e)) & 1;
        return EnterBody(e, nk);
    }
    // A move onto a point within half a step of a body: only a pin's stub.
    __attribute__((noinline)) bool EnterBody(int32_t e, int32_t nk) const
    {
        const GridWindow& w = g_Win;
        const int32_t nx = nk % w.cols, ny = nk / w.cols, gx = nx - kDx[e], gy = ny - kDy[e];
        const int32_t nb = w.body[size_t(nk)];
        const bool stubA = nb == own[0] && (a.flags & kExitBit[e]) && OnRay(gx, gy, sx, sy, e);
        const bool stubB = nb == own[1] && (b.flags & kExitBit[(e + 2) % 4]) && OnRay(nx, ny, tx, ty, (e + 2) % 4);
        if (!stubA && !stubB) return false;
        const bool h = e == 0 || e == 2;
        const uint16_t there = w.marks[size_t(nk)];
        if (there & ((h ? kRunH : kRunV) | kEnd)) return false;
        const bool arrives = (nx == tx && ny == ty) || (there & toMark);
        return !(arrives && (there & (h ? kRunV : kRunH)));
    }
};

// Steps from every grid point to the nearest target, by a breadth-first
// wave from the targets over the moves of MoveRules (the rules that depend
// on the way's direction left out, so no way is shorter than its count).
// kNoSteps where no move sequence leads to a target. True when the wave
// met the window's edge. The wave stops `gridWaveSlack` steps beyond the
// first start point it meets (point `start`, or a clean point marked
// `seedBit`): on an open page the whole window would cost more than the
// search. `beyond` is then the estimate of every point not reached (no way
// from there is shorter), else kUnreached.
bool TargetSteps(const MoveRules& rules, const std::vector<int32_t>& targets, int32_t start, uint16_t seedBit,
                 int32_t& beyond)
{
    GridWindow& w = g_Win;
    // Plain pointers: the wave is the search's largest loop, and the list
    // has room for every point of the grid.
    uint16_t* const steps = w.steps.data();
    int32_t* const wave = w.wave.data();
    // Only the points the last wave reached hold a count.
    for (size_t i = 0; i < w.waved; ++i) steps[wave[i]] = kNoSteps;
    size_t count = 0;
    for (const int32_t k : targets)
        if (steps[k] == kNoSteps) steps[k] = 0, wave[count++] = k;
    bool edge = false;
    beyond = kUnreached;
    int32_t stop = kUnreached;
    const int32_t cols = w.cols;
    const uint16_t* const marks = w.marks;
    const int32_t target = rules.tk;
    const uint32_t toBit = rules.toBit == kEnterSource ? kWaveSource : kWaveTarget;
    const uint32_t seedWave = seedBit == kEnterSource ? kWaveSource : kWaveTarget;
    const int32_t slack = std::max(0, g_Tuning.gridWaveSlack);
    for (size_t i = 0; i < count; ++i) {
        const int32_t k = wave[i], here = steps[k];
        const uint32_t v = kWaveOf[marks[k]];
        if (stop == kUnreached) {
            if (k == start || ((v & seedWave) && (v & kWaveFree))) stop = here + slack;
        } else if (here > stop) {
            // Every point up to `stop` steps has been passed on, so every
            // point still unreached is farther than that.
            beyond = stop + 1;
            break;
        }
        edge |= (v & kWaveEdge) != 0;
        // Bit e: a move in direction e may end here, from a point pk of
        // the window (the window goes on the opposite way).
        uint32_t moves;
        if (!(v & kWaveBody)) {
            moves = (k == target || (v & toBit) ? v >> kWaveArrive : v) & 0xf;
        } else {
            moves = 0;
            const uint32_t back = v >> kWaveBack;
            for (int32_t e = 0; e < 4; ++e)
                if (((back >> e) & 1) && rules.EnterBody(e, k)) moves |= 1u << e;
        }
        const uint16_t next = uint16_t(std::min(here + 1, kMostSteps));
        // The four moves written out (no table of offsets, no loop).
        auto reach = [&](int32_t pk) __attribute__((always_inline)) {
            if (steps[pk] != kNoSteps) return;
            steps[pk] = next;
            wave[count++] = pk;
        };
        if (moves & 1) reach(k - 1);
        if (moves & 2) reach(k - cols);
        if (moves & 4) reach(k + 1);
        if (moves & 8) reach(k + cols);
    }
    w.waved = count;
    return edge;
}

// Whether the start's room is closed: a flood from the start points (`seeds`)
// over the moves of MoveRules (the rules that depend on the way's direction
// left out, so it reaches every point a way could) that meets no target and
// not the window's edge within `limit` points. No window then holds a way.
// The flood's points are listed in the wave's list, whose next wave resets
// them.
template <class IsTarget>
bool ShutIn(const MoveRules& rules, const std::vector<int32_t>& seeds, IsTarget&& isTarget, int32_t limit)
{
    GridWindow& w = g_Win;
    uint16_t* const seen = w.steps.data();
    int32_t* const list = w.wave.data();
    for (size_t i = 0; i < w.waved; ++i) seen[list[i]] = kNoSteps;
    size_t& count = w.waved;
    count = 0;
    for (const int32_t k : seeds)
        if (seen[k] == kNoSteps) seen[k] = 0, list[count++] = k;
    const int32_t offset[4] = {1, w.cols, -1, -w.cols};
    for (size_t i = 0; i < count; ++i) {
        const int32_t k = list[i];
        const uint16_t m = w.Enter(k);
        if (isTarget(k) || (m & kEnterInside) != kEnterInside || int64_t(count) > limit) return false;
        for (uint32_t moves = (m >> kEnterNext) & 0xf; moves; moves &= moves - 1) {
            const int32_t e = __builtin_ctz(moves), nk = k + offset[e];
            if (seen[nk] != kNoSteps || !rules.Enter(e, nk)) continue;
            seen[nk] = 0;
            list[count++] = nk;
        }
    }
    return true;
}

// A* in the window from pin `a` (and the wires marked `from`) to pin `b`
// (and the wires marked `to`), at most `budget` states taken. The queue is
// a bucket list by estimate (the estimate never falls along a move), newest
// first within a bucket, so that a straight run is followed to its end.
// A guided search first counts the steps to the targets (TargetSteps) and
// takes the larger of that and the plain estimate: in a crowded window the
// plain one lets the search fill most of the window before it finds the
// way around, and points that cannot reach a target are never queued.
// With `floodOnly` above 0 only the flood of the start's room is made, of at
// most that many points: the result is exhausted when the room is shut, and
// holds nothing otherwise.
WindowResult SearchWindow(const ScrNodeRec& a, const ScrNodeRec& b, uint8_t fromMark, uint8_t toMark, int64_t budget,
                          bool guided, int32_t floodOnly = 0)
{
    GridWindow& w = g_Win;
    WindowResult result;
    int32_t sx, sy, tx, ty;
    if (!w.Cell(a.x, a.y, sx, sy) || !w.Cell(b.x, b.y, tx, ty)) return result;
    // The arrays through plain pointers held in locals (none is resized
    // during a search): the byte stores of the state links may alias
    // anything, so members and globals would be read again after each.
    GridWindow::PointStates* const states = w.states.data();
    const uint16_t* const steps = w.steps.data();
    const int32_t* const body = w.body;
    const uint16_t* const marks = w.marks;
    const int32_t cols = w.cols;
    for (const int32_t k : w.touched) states[size_t(k)] = GridWindow::PointStates{};
    w.touched.clear();
    const int32_t bendCost = g_Tuning.gridBendCost;
    const size_t greed = size_t(g_Tuning.gridGreed);
    const MoveRules rules{a,      b,     sx, sy, tx, ty, {IsExempt(a.comp) ? 0 : a.comp, IsExempt(b.comp) ? 0 : b.comp},
                          toMark, toMark == kSource ? kEnterSource : kEnterTarget, w.Idx(tx, ty), marks};
    // The lower bound of the rest: the distance to a target segment (the
    // end pin is one) plus a bend cost for each bend the way needs at least
    // (none with the segment straight ahead, one with it level or ahead, two
    // behind), the least over the segments: one box around targets spread
    // over the window would guide the search poorly. Many segments share one
    // box, to bound the cost.
    const int32_t tk = w.Idx(tx, ty);
    auto clean = [&](int32_t k) { return body[size_t(k)] == 0 && !(marks[size_t(k)] & (kRunH | kRunV | kEnd)); };
    auto isTarget = [&](int32_t k) { return k == tk || ((marks[size_t(k)] & toMark) && clean(k)); };
    const std::vector<int32_t>& fromList = fromMark == kSource ? w.sources : w.targets;
    std::vector<GridWindow::Rect> goals{GridWindow::Rect{tx, ty, tx, ty}};
    for (const GridWindow::Rect& r : toMark == kSource ? w.sourceRects : w.targetRects) goals.push_back(r);
    // The guided search has its lengths from the wave and takes only the
    // bends from the goals: their one box serves for that, at less cost.
    if (goals.size() > (guided ? 1u : 16u)) {
        GridWindow::Rect all = goals.front();
        for (const GridWindow::Rect& r : goals)
            all = GridWindow::Rect{std::min(all.x1, r.x1), std::min(all.y1, r.y1), std::max(all.x2, r.x2), std::max(all.y2, r.y2)};
        goals.assign(1, all);
    }
    int32_t beyond = kUnreached;
    // The steps from a point to the targets as far as the guided search
    // knows them; kUnreached for a point from which none is reached.
    auto toGo = [&](int32_t k) { return steps[size_t(k)] == kNoSteps ? beyond : int32_t(steps[size_t(k)]); };
    if ((guided && g_Tuning.gridStartFlood > 0) || floodOnly > 0) {
        // A start shut in by what is around it is settled at the cost of its
        // little room, before the wave from the targets fills theirs.
        std::vector<int32_t>& seeds = w.ends;
        seeds.assign(1, w.Idx(sx, sy));
        for (const int32_t k : fromList)
            if (clean(k)) seeds.push_back(k);
        if (ShutIn(rules, seeds, isTarget, floodOnly > 0 ? floodOnly : g_Tuning.gridStartFlood)) {
            result.exhausted = true;
            return result;
        }
    }
    if (floodOnly > 0) return result;
    if (guided) {
        std::vector<int32_t>& ends = w.ends;
        ends.assign(1, w.Idx(tx, ty));
        for (const int32_t k : toMark == kSource ? w.sources : w.targets)
            if (isTarget(k)) ends.push_back(k);
        const bool edge = TargetSteps(rules, ends, w.Idx(sx, sy), fromMark == kSource ? kEnterSource : kEnterTarget, beyond);
        bool reached = beyond != kUnreached || steps[size_t(w.Idx(sx, sy))] != kNoSteps;
        for (const int32_t k : fromList) reached = reached || (clean(k) && steps[size_t(k)] != kNoSteps);
        if (!reached) {
            // No way in this window; a wider one helps only when the wave
            // from the targets met its edge.
            result.exhausted = true;
            result.edge = edge;
            return result;
        }
    }
    // The estimates of a point's four directions are worked out together,
    // once per search, when a state of the point is first queued; the point
    // is then listed for the next search's reset (a point, not each of its
    // four states). Out of line: a point's later states only read them.
    auto estimate = [&](int32_t k) __attribute__((noinline)) {
        w.touched.push_back(k);
        const int32_t gx = k % cols, gy = k / cols;
        // Per direction the least length plus bends over the goals,
        // and the fewest bends alone: none with a goal straight ahead,
        // one with it level or ahead, two behind (no turning back).
        int32_t b0 = INT32_MAX, b1 = INT32_MAX, b2 = INT32_MAX, b3 = INT32_MAX;
        if (!guided) {
            for (const GridWindow::Rect& r : goals) {
                const int32_t lx = r.x1 - gx, hx = gx - r.x2, ly = r.y1 - gy, hy = gy - r.y2;
                const int32_t ox = std::max(0, std::max(lx, hx)), oy = std::max(0, std::max(ly, hy));
                const int32_t base = ox + oy, offX = oy != 0 ? bendCost : 0, offY = ox != 0 ? bendCost : 0;
                b0 = std::min(b0, base + (hx > 0 ? 2 * bendCost : offX));
                b1 = std::min(b1, base + (hy > 0 ? 2 * bendCost : offY));
                b2 = std::min(b2, base + (lx > 0 ? 2 * bendCost : offX));
                b3 = std::min(b3, base + (ly > 0 ? 2 * bendCost : offY));
            }
        } else {
            // The guided search's goals are one box; the steps counted by
            // the wave and the bends are separate lower bounds of the
            // way's length and of its bends.
            const GridWindow::Rect& r = goals.front();
            const int32_t lx = r.x1 - gx, hx = gx - r.x2, ly = r.y1 - gy, hy = gy - r.y2;
            const int32_t ox = std::max(0, std::max(lx, hx)), oy = std::max(0, std::max(ly, hy));
            const int32_t base = ox + oy, offX = oy != 0, offY = ox != 0;
            const int32_t n0 = hx > 0 ? 2 : offX, n1 = hy > 0 ? 2 : offY, n2 = lx > 0 ? 2 : offX, n3 = ly > 0 ? 2 : offY;
            b0 = base + n0 * bendCost, b1 = base + n1 * bendCost, b2 = base + n2 * bendCost, b3 = base + n3 * bendCost;
            const int32_t go = toGo(k);
            if (go != kUnreached) {
                b0 = std::max(b0, go + n0 * bendCost), b1 = std::max(b1, go + n1 * bendCost);
                b2 = std::max(b2, go + n2 * bendCost), b3 = std::max(b3, go + n3 * bendCost);
            }
        }
        const uint64_t known = uint64_t(std::min(b0, 65534) + 1) | uint64_t(std::min(b1, 65534) + 1) << 16 |
                               uint64_t(std::min(b2, 65534) + 1) << 32 | uint64_t(std::min(b3, 65534) + 1) << 48;
        states[size_t(k)].estimate = known;
        return known;
    };
    auto bound = [&](int32_t s) __attribute__((always_inline)) {
        const int32_t k = int32_t(uint32_t(s) >> 2), d = int32_t(uint32_t(s) & 3);
        uint64_t known = states[size_t(k)].estimate;
        if (!known) known = estimate(k);
        return int32_t((known >> (16 * d)) & 0xffff) - 1;
    };
    std::vector<uint32_t>& buckets = w.buckets;
    std::fill(buckets.begin(), buckets.end(), 0u);
    uint32_t* bucket = buckets.data();
    size_t bucketCount = buckets.size();
    std::vector<GridWindow::Entry>& entries = w.entries;
    entries.clear();
    size_t current = 0;
    auto push = [&](int32_t s, int32_t cost) __attribute__((always_inline)) {
        const size_t f = std::max(current, size_t(2 * cost) + greed * size_t(bound(s)));
        if (f >= bucketCount) {
            buckets.resize(f + 1 + f / 2, 0u);
            bucket = buckets.data(), bucketCount = buckets.size();
        }
        entries.push_back(GridWindow::Entry{s, bucket[f]});
        bucket[f] = uint32_t(entries.size());
    };
    auto seed = [&](int32_t k, int32_t d) {
        const int32_t s = k * 4 + d;
        GridWindow::PointStates& st = states[size_t(k)];
        if (st.dist[d] == 0) return;
        if (guided && toGo(k) == kUnreached) return;
        st.dist[d] = 0, st.link[d] = 0;
        push(s, 0);
    };
    for (const int32_t k : fromList)
        if (clean(k))
            for (int32_t d = 0; d < 4; ++d) seed(k, d);
    for (int32_t d = 0; d < 4; ++d)
        if (a.flags & kExitBit[d]) seed(w.Idx(sx, sy), d);
    int32_t goal = -1;
    const int32_t offset[4] = {1, cols, -1, -cols};
    for (;;) {
        while (current < bucketCount && !bucket[current]) ++current;
        if (current >= bucketCount) {
            result.exhausted = true;
            break;
        }
        if (budget-- <= 0) break;
        const GridWindow::Entry& top = entries[bucket[current] - 1];
        const int32_t s = top.state;
        bucket[current] = top.below;
        const int32_t k = int32_t(uint32_t(s) >> 2), d = int32_t(uint32_t(s) & 3);
        GridWindow::PointStates& st = states[size_t(k)];
        if (st.link[d] & kClosed) continue;
        st.link[d] |= kClosed;
        const int32_t cost = st.dist[d];
        const uint16_t here = kEnterOf[marks[size_t(k)]];
        if ((here & kEnterInside) != kEnterInside) result.edge = true;
        if (isTarget(k)) {
            goal = s;
            break;
        }
        // Inside a body's half step only the straight stub moves on.
        uint32_t moves = (here >> kEnterNext) & 0xf & ~(1u << ((d + 2) % 4));
        if (here & kEnterStill) moves &= 1u << d;
        for (; moves; moves &= moves - 1) {
            const int32_t e = __builtin_ctz(moves), nk = k + offset[e];
            if (!rules.Enter(e, nk)) continue;
            if (guided && toGo(nk) == kUnreached) continue;
            const int32_t ns = nk * 4 + e, nc = cost + 1 + (e != d ? bendCost : 0);
            GridWindow::PointStates& next = states[size_t(nk)];
            if (nc < next.dist[e]) {
                next.dist[e] = nc, next.link[e] = uint8_t(d + 1);
                push(ns, nc);
            }
        }
    }
    if (goal < 0) return result;
    for (int32_t s = goal;;) {
        const int32_t k = s / 4, d = s % 4, from = (w.states[size_t(k)].link[d] & ~kClosed) - 1;
        result.way.push_back(k);
        if (from < 0) break;
        s = (k - offset[d]) * 4 + from;
    }
    std::reverse(result.way.begin(), result.way.end());
    return result;
}

// The fewest field-grid cells a wire between the pair's groups covers (the
// pins and the wires of the start group, those of the end group): it passes
// through every column and every row of the grid between its ends. 0 when
// an end lies outside the grid (no bound).
int64_t FewestCells(const ScrNodeRec& a, const ScrNodeRec& b)
{
    const FieldGrid& g = g_FieldGrid;
    if (!g_CellsPresent || g.cellSize <= 0) return 0;
    struct Cells {
        int64_t c1, r1, c2, r2;
    };
    auto cell = [&](int64_t v, int64_t origin) { return (v - origin) / g.cellSize - ((v - origin) < 0 ? 1 : 0); };
    auto collect = [&](const ScrNodeRec& n, std::vector<Cells>& out) {
        auto add = [&](Seg s) {
            NormaliseSeg(s);
            const Cells c{cell(s.x1, g.originX), cell(s.y1, g.originY), cell(s.x2, g.originX), cell(s.y2, g.originY)};
            if (c.c1 < 0 || c.r1 < 0 || c.c2 >= g.columns || c.r2 >= g.rows) return false;
            out.push_back(c);
            return true;
        };
        if (!add(Seg{n.x, n.y, n.x, n.y})) return false;
        if (n.net < 1 || n.net > g_Nets.Count()) return true;
        for (int32_t br = g_Nets[n.net].firstBranch; br; br = g_Branches[br].next) {
            const ScrBranchRec& r = g_Branches[br];
            if (!r.inUse || r.page != g_ScrCurPage || r.group != n.group) continue;
            for (int32_t q = r.firstPoint; q && g_BPoints[q].next; q = g_BPoints[q].next)
                if (!add(SegOf(q, g_BPoints[q].next))) return false;
        }
        return true;
    };
    std::vector<Cells> from, to;
    if (!collect(a, from) || !collect(b, to)) return 0;
    int64_t fewest = INT64_MAX;
    for (const Cells& s : from)
        for (const Cells& t : to) {
            const int64_t dc = std::max<int64_t>({0, s.c1 - t.c2, t.c1 - s.c2});
            const int64_t dr = std::max<int64_t>({0, s.r1 - t.r2, t.r1 - s.r2});
            fewest = std::min(fewest, std::max(dc, dr) + 1);
        }
    return fewest == INT64_MAX ? 0 : fewest;
}

// A way from a pin off the routing grid onto it: straight out of the pin
// in one of its exit directions (any for a free pin) to a grid line, then
// along that line to the nearer grid row or column when the pin is off the
// grid across that direction too. `pts` runs from the pin to the grid point.
struct Stub {
    std::array<PathPt, 3> pts{};
    int32_t n = 0;
    int64_t score = 0;
    int8_t free = -1;  // whether its segments keep the wire rules: -1 not known yet
    const PathPt& Grid() const { return pts[size_t(n - 1)]; }
};

// The stubs of pin `p` cheapest first: the stub's length plus the distance
// from its grid point to (qx, qy). Up to three steps farther out than the
// first grid line, so that a stub can clear a lead or a wire beside the pin.
std::vector<Stub> PinStubs(const ScrNodeRec& p, int64_t qx, int64_t qy, int64_t step)
{
    std::vector<Stub> out;
    const bool freePin = (p.flags & kExitAll) == kExitAll;
    for (int32_t e = 0; e < 4; ++e) {
        if (!freePin && !(p.flags & kExitBit[e])) continue;
        const bool h = kDx[e] != 0;
        const int32_t sign = h ? kDx[e] : kDy[e];
        const int64_t along = h ? p.x : p.y, across = h ? p.y : p.x;
        const int64_t first = along % step == 0 ? along : sign > 0 ? GridCeilTo(along, step) : GridFloorTo(along, step);
        int64_t sides[2] = {GridFloorTo(across, step), GridCeilTo(across, step)};
        const int32_t sideCount = sides[0] == sides[1] ? 1 : 2;
        for (int32_t k = 0; k < 4; ++k) {
            const int64_t a = first + sign * k * step;
            for (int32_t i = 0; i < sideCount; ++i) {
                const int64_t c = sides[i];
                if (a == along && c == across) continue;  // on the grid: no stub
                Stub s;
                auto put = [&](int64_t u, int64_t v) {
                    const PathPt q{int32_t(h ? u : v), int32_t(h ? v : u), kPathFree};
                    if (s.n && s.pts[size_t(s.n - 1)].x == q.x && s.pts[size_t(s.n - 1)].y == q.y) return;
                    s.pts[size_t(s.n++)] = q;
                };
                put(along, across);
                s.pts[0].flags = kPathFixed;
                put(a, across);
                put(a, c);
                const PathPt& g = s.Grid();
                s.score = std::llabs(a - along) + std::llabs(c - across) + std::llabs(g.x - qx) + std::llabs(g.y - qy);
                out.push_back(s);
            }
        }
    }
    std::stable_sort(out.begin(), out.end(), [](const Stub& l, const Stub& r) { return l.score < r.score; });
    return out;
}

// The first stub whose grid point lies in the window clear of bodies and
// foreign wires and whose segments keep the wire rules; nullptr for none.
const Stub* PickStub(std::vector<Stub>& stubs)
{
    const GridWindow& w = g_Win;
    for (Stub& s : stubs) {
        int32_t gx, gy;
        const PathPt& g = s.Grid();
        if (!w.Cell(g.x, g.y, gx, gy)) continue;
        const int32_t k = w.Idx(gx, gy);
        if (w.body[size_t(k)] != 0 || (w.marks[size_t(k)] & (kRunH | kRunV | kEnd))) continue;
        if (s.free < 0) {
            s.free = 1;
            for (int32_t i = 0; i + 1 < s.n && s.free; ++i)
                if (!PathSegmentFree(s.pts[size_t(i)], s.pts[size_t(i + 1)])) s.free = 0;
        }
        if (s.free) return &s;
    }
    return nullptr;
}

}  // namespace

int32_t MR_GridSearchPair(int32_t node, Path& path)
{
    path.clear();
    if (!g_Tuning.gridFallback || g_StepSize <= 0) return 0;
    const ScrNodeRec& pinA = g_Nodes[node];
    const ScrNodeRec& pinB = g_Nodes[pinA.partner];
    GridWindow& w = g_Win;
    w.step = g_StepSize;
    // A pin off the grid is searched from (to) the grid point of its stub:
    // the search's ends `a` and `b` are the pins moved there, with the
    // pins' exits, components, nets and groups.
    auto offGrid = [&](const ScrNodeRec& p) { return p.x % w.step != 0 || p.y % w.step != 0; };
    std::vector<Stub> stubsA, stubsB;
    if (offGrid(pinA)) stubsA = PinStubs(pinA, pinB.x, pinB.y, w.step);
    if (offGrid(pinB)) stubsB = PinStubs(pinB, pinA.x, pinA.y, w.step);
    ScrNodeRec a = pinA, b = pinB;
    if (!stubsA.empty()) a.x = stubsA.front().Grid().x, a.y = stubsA.front().Grid().y;
    if (!stubsB.empty()) b.x = stubsB.front().Grid().x, b.y = stubsB.front().Grid().y;
    // A wire-link pool that cannot hold the shortest wire the pair could
    // have refuses whatever way is found (the insertion fails 2300/2): no
    // search. Asked only when the pool is nearly full.
    if (FreeWireLinks() < g_FieldGrid.columns + g_FieldGrid.rows && FewestCells(a, b) > FreeWireLinks()) return 0;
    // The page's frame bounds every window.
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    int64_t fx1 = INT32_MIN, fy1 = INT32_MIN, fx2 = INT32_MAX, fy2 = INT32_MAX;
    if (pg) {
        const ScrPageRec& p = g_Pages[pg];
        if (p.frameMaxX > p.frameMinX && p.frameMaxY > p.frameMinY)
            fx1 = p.frameMinX, fy1 = p.frameMinY, fx2 = p.frameMaxX, fy2 = p.frameMaxY;
    }
    const int64_t lx = std::min(a.x, b.x), hx = std::max(a.x, b.x), ly = std::min(a.y, b.y), hy = std::max(a.y, b.y);
    const int64_t extent = std::max(hx - lx, hy - ly);
    // A short search that used its whole budget in the narrow window found
    // the end in open room: the wide window goes to the guided search at
    // once (the short one would spend its budget again).
    bool probeSpent = false;
    // The window's marks come from the page-wide ones, brought up to date
    // for this pair once; they are taken off again whatever the result.
    // The page-wide marks are built once the windows collected one by one
    // in this run hold `gridPagePercent` percent of the page's points: a
    // run with few grid searches is cheaper without them.
    GridPage* page = nullptr;
    if (g_Tuning.gridPageMarks && fx1 != INT32_MIN) {  // a page with a frame
        const int64_t points = ((fx2 - fx1) / w.step + 1) * ((fy2 - fy1) / w.step + 1);
        if (points <= g_Tuning.gridPagePoints &&
            (GridPageKept() || w.collected * 100 >= points * std::max(0, g_Tuning.gridPagePercent)))
            page = SyncGridPage();
    }
    struct End {
        ~End() { EndWindow(); }
    } end;
    for (const int32_t margin : {g_Tuning.gridMarginSteps, g_Tuning.gridWideSteps}) {
        if (margin <= 0) continue;
        int64_t m = std::max<int64_t>(int64_t(margin) * w.step, extent * margin / 40);
        auto box = [&](int64_t mm, int64_t& x1, int64_t& y1, int64_t& x2, int64_t& y2) {
            x1 = GridCeilTo(std::max(lx - mm, fx1), w.step), y1 = GridCeilTo(std::max(ly - mm, fy1), w.step);
            x2 = GridFloorTo(std::min(hx + mm, fx2), w.step), y2 = GridFloorTo(std::min(hy + mm, fy2), w.step);
            return x2 < x1 || y2 < y1 ? int64_t(0) : ((x2 - x1) / w.step + 1) * ((y2 - y1) / w.step + 1);
        };
        int64_t x1, y1, x2, y2;
        int64_t points = box(m, x1, y1, x2, y2);
        if (!points) return 0;
        // A window on a grid of its own holds at most gridWindowPoints: the
        // margin gives way (by halves, then none), and a pair whose own box
        // is larger gets no grid search.
        if (!page && points > g_Tuning.gridWindowPoints) {
            while (m > w.step && points > g_Tuning.gridWindowPoints) m /= 2, points = box(m, x1, y1, x2, y2);
            if (points > g_Tuning.gridWindowPoints) m = 0, points = box(0, x1, y1, x2, y2);
            if (!points || points > g_Tuning.gridWindowPoints) return 0;
        }
        if ((x2 - x1) / w.step + 1 > 4096 || (y2 - y1) / w.step + 1 > 4096) return 0;
        if (!BuildWindow(x1, y1, x2, y2, page)) return 0;
        // The stubs of pins off the grid, to grid points free in this window.
        const Stub* stubA = nullptr;
        const Stub* stubB = nullptr;
        if (!stubsA.empty() && !(stubA = PickStub(stubsA))) return 0;
        if (!stubsB.empty() && !(stubB = PickStub(stubsB))) return 0;
        if (stubA) a.x = stubA->Grid().x, a.y = stubA->Grid().y;
        if (stubB) b.x = stubB->Grid().x, b.y = stubB->Grid().y;
        // A short search from the end pin: an end shut in by what is
        // around it is found at about the cost of its little room (and a
        // near way found serves). Then the full search from the start. A
        // search that runs out of places without meeting the window's edge
        // settles that no wider window helps.
        WindowResult r;
        if (g_Tuning.gridProbeLimit > 0 && !probeSpent) {
            r = SearchWindow(b, a, kTarget, kSource, g_Tuning.gridProbeLimit, false);
            std::reverse(r.way.begin(), r.way.end());
            probeSpent = r.way.empty() && !r.exhausted;
            // The end's room goes beyond the window: before a wider window
            // is searched, a start shut in by what is around it settles the
            // pair at the cost of its little room (a pair that cannot be
            // routed would otherwise spend the wide window's short search).
            // The flood is kept small: a larger room is flooded again by the
            // wider window's guided search.
            if (r.way.empty() && r.exhausted && r.edge && g_Tuning.gridEdgeFlood > 0 &&
                SearchWindow(a, b, kSource, kTarget, 0, true, g_Tuning.gridEdgeFlood).exhausted)
                return 0;
        }
        if (r.way.empty() && !r.exhausted) r = SearchWindow(a, b, kSource, kTarget, g_Tuning.gridExpansionLimit, true);
        if (r.way.empty()) {
            if (r.exhausted && !r.edge) return 0;
            continue;
        }
        for (size_t i = 0; i < r.way.size(); ++i) {
            const int32_t k = r.way[i];
            const int32_t x = static_cast<int32_t>(w.x0 + (k % w.cols) * w.step);
            const int32_t y = static_cast<int32_t>(w.y0 + (k / w.cols) * w.step);
            int32_t flags = kPathFree;
            if (i == 0) flags = x == a.x && y == a.y ? kPathFixed : kPathJunction;
            if (i + 1 == r.way.size()) flags = x == b.x && y == b.y ? kPathFixed : kPathJunction;
            path.push_back(PathPt{x, y, flags});
        }
        // The stubs back to the pins, unless the way begins or ends on a
        // wire of the pin's group instead.
        if (stubA && path.front().flags == kPathFixed) {
            path.front().flags = kPathFree;
            path.insert(path.begin(), stubA->pts.begin(), stubA->pts.begin() + (stubA->n - 1));
        }
        if (stubB && path.back().flags == kPathFixed) {
            path.back().flags = kPathFree;
            for (int32_t i = stubB->n - 2; i >= 0; --i) path.push_back(stubB->pts[size_t(i)]);
        }
        MR_StraightenPath(path);
        if (path.size() >= 2 && PathFree(path)) return 1;
        path.clear();
    }
    return 0;
}

void FreeGridSearch()
{
    EndWindow();
    CountMemory(-g_Win.counted);
    g_Win = GridWindow{};
    FreeGridPage();
}

}  // namespace corvex
