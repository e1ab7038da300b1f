// The grid fallback: a pair that the escape lines leave unrouted is searched
// again on the routing grid, in a window around the pair, by A* over (grid
// point, direction) with a bend cost. The window's bodies and wires are
// collected by the same rectangle tests as every other question
// (MR_TestRectComps, MR_TestRectWires) and marked on its grid points; the
// moves keep the wire rules of SegmentFreeIn: half a step from every body
// (a pin's own body only on its straight exit stub), no run along, end on
// or bend on a foreign wire, crossings allowed. The wires of the pair's own
// start group are sources, those of its end group targets. The path found
// is checked again by PathFree before it counts.
#include "router/grid_page.h"
#include "router/route.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace corvex {

namespace {

constexpr uint8_t kRunH = kGridRunH, kRunV = kGridRunV, kEnd = kGridEnd, kSource = 8, kTarget = 16;
// More marks of a point: a body within half a step (GridWindow::body holds
// which), and from bit 6 the directions in which the window ends there.
constexpr uint16_t kNearBody = kGridNearBody;
constexpr int32_t kEdgeShift = 6;
constexpr int32_t kBlocked = -1;
constexpr int32_t kUnreached = INT32_MAX;
// The bits of a point's move word (EnterOf): bits 0-3 a move in that direction may end
// here, bits 4-7 the same for a move arriving at a target (no foreign wire
// across either), then a body within half a step (the stub rules decide),
// no bend here (a body or a foreign wire), the pair's own wire marks, and
// bits 12-15 the window goes on in that direction (clear on its edge).
constexpr uint16_t kEnterArrive = 4, kEnterBody = 1 << 8, kEnterStill = 1 << 9, kEnterSource = 1 << 10,
                   kEnterTarget = 1 << 11, kEnterNext = 12, kEnterInside = 0xf000;
constexpr uint8_t kClosed = 0x80;
constexpr int32_t kDx[4] = {1, 0, -1, 0}, kDy[4] = {0, 1, 0, -1};
constexpr int32_t kExitBit[4] = {kExitPosX, kExitPosY, kExitNegX, kExitNegY};

// What a move onto a point needs (the kEnter bits), from its marks alone:
// a table of the 1,024 cases, so that no pass over the window works the
// move words out beforehand.
constexpr std::array<uint16_t, 1024> kEnterOf = [] {
    std::array<uint16_t, 1024> t{};
    for (uint32_t i = 0; i < 1024; ++i) {
        const uint32_t m = i & 31, body = (i & kNearBody) != 0, free = !body && !(m & kEnd);
        const uint32_t h = free && !(m & kRunH), v = free && !(m & kRunV);
        const uint32_t e = h * (0x5 | (v ? 0x50 : 0)) | v * (0xa | (h ? 0xa0 : 0)) | body * kEnterBody |
                           (body || (m & (kRunH | kRunV)) ? kEnterStill : 0) | (m & kSource ? kEnterSource : 0) |
                           (m & kTarget ? kEnterTarget : 0);
        t[i] = uint16_t((e | kEnterInside) & ~((i >> kEdgeShift) << kEnterNext));
    }
    return t;
}();

// The search window and its marks; the state arrays are kept between
// pairs and reset only where a search touched them.
struct GridWindow {
    int64_t x0 = 0, y0 = 0;  // the window's first grid point
    int32_t cols = 0, rows = 0;  // the grid the window lies in (the page's, or its own)
    int64_t step = 0;
    int32_t lx = 0, ly = 0, hx = 0, hy = 0;  // the window's first and last columns and rows in it
    // Per point: 0 free, the component within half a step, kBlocked
    // several; and the marks. The page-wide marks (router/grid_page.h), or
    // the window's own where none are kept.
    int32_t* body = nullptr;
    uint16_t* marks = nullptr;
    std::vector<int32_t> ownBody;
    std::vector<uint16_t> ownMarks;
    // Page-wide points changed for a free pin's body: restored after the
    // window (point, body, marks).
    struct Saved {
        int32_t k, body;
        uint16_t marks;
    };
    std::vector<Saved> saved;
    bool open = false;  // a window's marks stand on the page-wide ones
    int64_t collected = 0;  // points of the windows collected one by one in this run
    // Per point, for the four directions it is reached in: the cost so
    // far, and the direction the way had one point back plus one (0 for a
    // start) with kClosed once the state is taken. One small record per
    // point keeps a state's neighbours close in memory.
    struct PointStates {
        int32_t dist[4] = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
        uint8_t link[4] = {0, 0, 0, 0};
    };
    std::vector<PointStates> states;
    std::vector<uint64_t> estimates;  // per point: the four directions' estimates plus one, 0 not yet known
    std::vector<int32_t> touched;
    std::vector<int32_t> steps, wave, ends;  // the guided search's steps to the targets
    size_t waved = 0;  // the points of `wave` in use (it holds room for every point)
    // The queue: per bucket the newest entry plus one (0 empty); per entry
    // its state and the entry below it in its bucket plus one.
    std::vector<uint32_t> buckets;
    struct Entry {
        int32_t state;
        uint32_t below;
    };
    std::vector<Entry> entries;
    std::vector<int32_t> sources, targets;  // grid points of the pair's own group wires
    struct Rect {
        int32_t x1, y1, x2, y2;
    };
    std::vector<Rect> sourceRects, targetRects;  // the same wires' segments
    int64_t counted = 0;  // bytes of the arrays entered in the memory count
    int32_t Idx(int32_t gx, int32_t gy) const { return gy * cols + gx; }
    uint16_t Enter(int32_t k) const { return kEnterOf[marks[size_t(k)]]; }
    // The grid point of an exact position; false off the grid or outside.
    bool Cell(int64_t x, int64_t y, int32_t& gx, int32_t& gy) const
    {
        if ((x - x0) % step || (y - y0) % step) return false;
        const int64_t cx = (x - x0) / step, cy = (y - y0) / step;
        if (cx < lx || cy < ly || cx > hx || cy > hy) return false;
        gx = static_cast<int32_t>(cx), gy = static_cast<int32_t>(cy);
        return true;
    }
};

GridWindow g_Win;

int64_t FloorTo(int64_t v, int64_t s) { return (v / s - (v % s < 0 ? 1 : 0)) * s; }
int64_t CeilTo(int64_t v, int64_t s) { return -FloorTo(-v, s); }

// Grid columns (or rows) whose coordinate lies in [lo, hi], clipped.
bool Span(int64_t lo, int64_t hi, int64_t origin, int64_t step, int32_t count, int32_t& a, int32_t& b)
{
    const int64_t first = CeilTo(lo - origin, step) / step, last = FloorTo(hi - origin, step) / step;
    a = static_cast<int32_t>(std::max<int64_t>(first, 0));
    b = static_cast<int32_t>(std::min<int64_t>(last, count - 1));
    return a <= b;
}

// Span clipped to the window's columns or rows.
bool SpanX(int64_t lo, int64_t hi, int32_t& a, int32_t& b)
{
    const GridWindow& w = g_Win;
    if (!Span(lo, hi, w.x0, w.step, w.cols, a, b)) return false;
    a = std::max(a, w.lx), b = std::min(b, w.hx);
    return a <= b;
}
bool SpanY(int64_t lo, int64_t hi, int32_t& a, int32_t& b)
{
    const GridWindow& w = g_Win;
    if (!Span(lo, hi, w.y0, w.step, w.rows, a, b)) return false;
    a = std::max(a, w.ly), b = std::min(b, w.hy);
    return a <= b;
}

void MarkBody(const Obstacle& o)
{
    GridWindow& w = g_Win;
    const int64_t half = w.step / 2;
    int32_t ax, bx, ay, by;
    // Points strictly closer than half a step to the body.
    if (!SpanX(int64_t(o.x1) - half + 1, int64_t(o.x2) + half - 1, ax, bx)) return;
    if (!SpanY(int64_t(o.y1) - half + 1, int64_t(o.y2) + half - 1, ay, by)) return;
    for (int32_t gy = ay; gy <= by; ++gy)
        for (int32_t gx = ax; gx <= bx; ++gx) {
            int32_t& v = w.body[size_t(w.Idx(gx, gy))];
            v = v == 0 || v == o.object ? o.object : kBlocked;
            w.marks[size_t(w.Idx(gx, gy))] |= kNearBody;
        }
}

// A foreign segment on the grid marks its points as runs and its ends; one
// off the grid blocks every point within a step of it.
void MarkForeign(const Obstacle& o)
{
    GridWindow& w = g_Win;
    const bool horizontal = o.y1 == o.y2 && o.x1 != o.x2;
    const bool vertical = o.x1 == o.x2 && o.y1 != o.y2;
    const bool point = o.x1 == o.x2 && o.y1 == o.y2;
    const bool onGrid = (o.x1 - w.x0) % w.step == 0 && (o.y1 - w.y0) % w.step == 0 && (o.x2 - w.x0) % w.step == 0 &&
                        (o.y2 - w.y0) % w.step == 0;
    int32_t ax, bx, ay, by;
    if (!onGrid || !(horizontal || vertical || point)) {
        if (!SpanX(int64_t(o.x1) - w.step, int64_t(o.x2) + w.step, ax, bx)) return;
        if (!SpanY(int64_t(o.y1) - w.step, int64_t(o.y2) + w.step, ay, by)) return;
        for (int32_t gy = ay; gy <= by; ++gy)
            for (int32_t gx = ax; gx <= bx; ++gx) {
                w.body[size_t(w.Idx(gx, gy))] = kBlocked;
                w.marks[size_t(w.Idx(gx, gy))] |= kNearBody;
            }
        return;
    }
    if (!SpanX(o.x1, o.x2, ax, bx) || !SpanY(o.y1, o.y2, ay, by)) return;
    const uint8_t run = horizontal ? kRunH : vertical ? kRunV : 0;
    // Row by row through plain pointers: the runs of a crowded window are
    // long, and a row's loop is then a vector loop.
    for (int32_t gy = ay; gy <= by; ++gy) {
        uint16_t* row = &w.marks[size_t(w.Idx(ax, gy))];
        for (int32_t i = 0; i <= bx - ax; ++i) row[i] |= run;
    }
    int32_t gx, gy;
    if (w.Cell(o.x1, o.y1, gx, gy)) w.marks[size_t(w.Idx(gx, gy))] |= kEnd;
    if (w.Cell(o.x2, o.y2, gx, gy)) w.marks[size_t(w.Idx(gx, gy))] |= kEnd;
}

// Grid points of an own wire segment of the pair's start or end group.
void MarkOwn(const Obstacle& o, uint8_t mark)
{
    GridWindow& w = g_Win;
    if (o.x1 != o.x2 && o.y1 != o.y2) return;
    int32_t ax, bx, ay, by;
    if (o.y1 == o.y2 && (o.y1 - w.y0) % w.step) return;
    if (o.x1 == o.x2 && (o.x1 - w.x0) % w.step) return;
    if (!SpanX(o.x1, o.x2, ax, bx) || !SpanY(o.y1, o.y2, ay, by)) return;
    std::vector<int32_t>& list = mark == kSource ? w.sources : w.targets;
    (mark == kSource ? w.sourceRects : w.targetRects).push_back(GridWindow::Rect{ax, ay, bx, by});
    for (int32_t gy = ay; gy <= by; ++gy)
        for (int32_t gx = ax; gx <= bx; ++gx) {
            const int32_t k = w.Idx(gx, gy);
            if (!(w.marks[size_t(k)] & mark)) list.push_back(k);
            w.marks[size_t(k)] |= mark;
        }
}

// Temporarily larger list capacities: a window sees many more objects than
// one line question.
struct Capacities {
    int32_t obstacles, tested;
    Capacities() : obstacles(g_Tuning.obstacleCapacity), tested(g_Tuning.testedCapacity)
    {
        g_Tuning.obstacleCapacity = std::max(obstacles, g_Tuning.gridObstacleCapacity);
        g_Tuning.testedCapacity = std::max(tested, g_Tuning.gridObstacleCapacity);
    }
    ~Capacities()
    {
        g_Tuning.obstacleCapacity = obstacles;
        g_Tuning.testedCapacity = tested;
    }
};

// The window's objects collected by the rectangle tests and marked one by
// one on the window's own grid: where no page-wide marks are kept.
bool CollectWindow(int64_t x1, int64_t y1, int64_t x2, int64_t y2)
{
    GridWindow& w = g_Win;
    const size_t n = size_t(w.cols) * size_t(w.rows);
    w.ownBody.assign(n, 0);
    w.ownMarks.assign(n, 0);
    w.body = w.ownBody.data(), w.marks = w.ownMarks.data();
    ObstacleList list;
    const Seg rect{static_cast<int32_t>(x1 - w.step), static_cast<int32_t>(y1 - w.step),
                   static_cast<int32_t>(x2 + w.step), static_cast<int32_t>(y2 + w.step)};
    const Capacities capacities;
    const int32_t saved = g_Clearance;
    g_Clearance = 0;
    const bool ok = MR_TestRectComps(list, rect, false) && MR_TestRectWires(list, rect, false);
    g_Clearance = saved;
    if (!ok) {
        ClearFailure();
        return false;
    }
    for (const Obstacle& o : list.rows) {
        if (o.kind & kObstBody) {
            if (!IsExempt(o.object)) MarkBody(o);
        } else if (!IsOwnWire(o.branch)) {
            MarkForeign(o);
        }
    }
    // Own wires after the foreign ones: a source or target point must be
    // clear of foreign runs and bodies.
    for (const Obstacle& o : list.rows) {
        if (!(o.kind & kObstWire) || !IsOwnWire(o.branch)) continue;
        const int32_t group = g_Branches[o.branch].group;
        if (group == g_PairGroups[0]) MarkOwn(o, kSource);
        if (group == g_PairGroups[1]) MarkOwn(o, kTarget);
    }
    return true;
}

// The window on the page-wide marks (the routed net's wires are not counted
// there): the points around a free pin's body are marked again without that
// body (and restored after the window), the wires of the pair's groups are
// marked as sources and targets.
bool PageWindow(const GridPage& g)
{
    GridWindow& w = g_Win;
    const int64_t half = w.step / 2;
    for (const int32_t c : g_ExemptComp) {
        if (!c) continue;
        const Seg zone = CompBody(c, 0);
        int32_t ax, bx, ay, by;
        if (!SpanX(int64_t(zone.x1) - half + 1, int64_t(zone.x2) + half - 1, ax, bx) ||
            !SpanY(int64_t(zone.y1) - half + 1, int64_t(zone.y2) + half - 1, ay, by))
            continue;
        ObstacleList list;
        const Seg rect{static_cast<int32_t>(zone.x1 - w.step), static_cast<int32_t>(zone.y1 - w.step),
                       static_cast<int32_t>(zone.x2 + w.step), static_cast<int32_t>(zone.y2 + w.step)};
        const Capacities capacities;
        const int32_t saved = g_Clearance;
        g_Clearance = 0;
        const bool ok = MR_TestRectComps(list, rect, false);  // a free pin's own body is not collected
        g_Clearance = saved;
        if (!ok) {
            ClearFailure();
            return false;
        }
        for (int32_t gy = ay; gy <= by; ++gy)
            for (int32_t gx = ax; gx <= bx; ++gx) {
                const int32_t k = w.Idx(gx, gy);
                w.saved.push_back(GridWindow::Saved{k, w.body[k], w.marks[k]});
                int32_t v = g.wires[size_t(k)].blocked ? kBlocked : 0;
                const int64_t x = w.x0 + int64_t(gx) * w.step, y = w.y0 + int64_t(gy) * w.step;
                for (const Obstacle& o : list.rows)
                    if ((o.kind & kObstBody) && x > int64_t(o.x1) - half && x < int64_t(o.x2) + half &&
                        y > int64_t(o.y1) - half && y < int64_t(o.y2) + half)
                        v = v == 0 || v == o.object ? o.object : kBlocked;
                w.body[k] = v;
                w.marks[k] = uint16_t((w.marks[k] & ~kNearBody) | (v ? kNearBody : 0));
            }
    }
    if (g_RouteNet < 1 || g_RouteNet > g_Nets.Count()) return true;
    for (int32_t br = g_Nets[g_RouteNet].firstBranch; br; br = g_Branches[br].next) {
        const ScrBranchRec& r = g_Branches[br];
        if (!r.inUse || r.page != g_ScrCurPage || !IsOwnWire(br)) continue;
        const bool source = r.group == g_PairGroups[0], target = r.group == g_PairGroups[1];
        if (!source && !target) continue;
        for (int32_t q = r.firstPoint; q && g_BPoints[q].next; q = g_BPoints[q].next) {
            Seg seg = SegOf(q, g_BPoints[q].next);
            NormaliseSeg(seg);
            const Obstacle o{kObstWire, q, br, seg.x1, seg.y1, seg.x2, seg.y2};
            if (source) MarkOwn(o, kSource);
            if (target) MarkOwn(o, kTarget);
        }
    }
    return true;
}

// The edge marks of the window's border: no move leads out of it.
void MarkEdges(bool on)
{
    GridWindow& w = g_Win;
    auto mark = [&](int32_t gx, int32_t gy, uint16_t bit) {
        uint16_t& m = w.marks[size_t(w.Idx(gx, gy))];
        m = on ? uint16_t(m | (bit << kEdgeShift)) : uint16_t(m & ~(0xf << kEdgeShift));
    };
    for (int32_t gx = w.lx; gx <= w.hx; ++gx) mark(gx, w.ly, 8), mark(gx, w.hy, 2);
    for (int32_t gy = w.ly; gy <= w.hy; ++gy) mark(w.lx, gy, 4), mark(w.hx, gy, 1);
}

// Takes the window's own marks off the page-wide ones.
void EndWindow()
{
    GridWindow& w = g_Win;
    if (!w.open) return;
    w.open = false;
    MarkEdges(false);
    for (const int32_t k : w.sources) w.marks[size_t(k)] &= uint16_t(~kSource);
    for (const int32_t k : w.targets) w.marks[size_t(k)] &= uint16_t(~kTarget);
    for (size_t i = w.saved.size(); i-- > 0;) {
        const GridWindow::Saved& v = w.saved[i];
        w.body[v.k] = v.body, w.marks[v.k] = v.marks;
    }
    w.saved.clear();
    w.sources.clear();
    w.targets.clear();
}

// Sets up the window [x1, x2] x [y1, y2] (grid-aligned) with its marks: on
// the page-wide marks when they are kept, else on a grid of its own. False
// when its objects could not be collected.
bool BuildWindow(int64_t x1, int64_t y1, int64_t x2, int64_t y2, const GridPage* page)
{
    GridWindow& w = g_Win;
    EndWindow();
    if (page) {
        w.x0 = page->x0, w.y0 = page->y0, w.cols = page->cols, w.rows = page->rows;
        w.body = const_cast<int32_t*>(page->body.data()), w.marks = const_cast<uint16_t*>(page->marks.data());
    } else {
        w.x0 = x1, w.y0 = y1;
        w.cols = static_cast<int32_t>((x2 - x1) / w.step + 1), w.rows = static_cast<int32_t>((y2 - y1) / w.step + 1);
    }
    w.lx = static_cast<int32_t>((x1 - w.x0) / w.step), w.ly = static_cast<int32_t>((y1 - w.y0) / w.step);
    w.hx = static_cast<int32_t>((x2 - w.x0) / w.step), w.hy = static_cast<int32_t>((y2 - w.y0) / w.step);
    const size_t n = size_t(w.cols) * size_t(w.rows);
    w.sources.clear();
    w.targets.clear();
    w.sourceRects.clear();
    w.targetRects.clear();
    if (w.states.size() < n) w.states.resize(n), w.estimates.resize(n, 0);
    if (w.steps.size() < n) w.steps.resize(n, kUnreached), w.wave.resize(n);
    w.open = page != nullptr;
    if (!page) w.collected += int64_t(n);
    const bool ok = page ? PageWindow(*page) : CollectWindow(x1, y1, x2, y2);
    // The arrays count as the router's memory while they are held.
    const int64_t bytes = int64_t(w.ownBody.capacity()) * 4 + int64_t(w.ownMarks.capacity()) * 2 +
                          int64_t(w.states.capacity()) * int64_t(sizeof(GridWindow::PointStates)) +
                          int64_t(w.estimates.capacity()) * 8 + int64_t(w.steps.capacity() + w.wave.capacity()) * 4 +
                          int64_t(w.buckets.capacity()) * 4 + int64_t(w.entries.capacity()) * 8;
    if (bytes != w.counted) CountMemory(bytes - w.counted), w.counted = bytes;
    if (!ok) {
        EndWindow();
        return false;
    }
    MarkEdges(true);
    return true;
}

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
    // A move in direction e onto point nk.
    bool Enter(int32_t e, int32_t nk) const
    {
        const uint16_t m = g_Win.Enter(nk);
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
// kUnreached where no move sequence leads to a target. True when the wave
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
    int32_t* const steps = w.steps.data();
    int32_t* const wave = w.wave.data();
    // Only the points the last wave reached hold a count.
    for (size_t i = 0; i < w.waved; ++i) steps[wave[i]] = kUnreached;
    size_t count = 0;
    for (const int32_t k : targets)
        if (steps[k] == kUnreached) steps[k] = 0, wave[count++] = k;
    bool edge = false;
    beyond = kUnreached;
    int32_t stop = kUnreached;
    const int32_t offset[4] = {1, w.cols, -1, -w.cols};
    const uint16_t* const marks = w.marks;
    const int32_t target = rules.tk;
    const uint16_t toBit = rules.toBit;
    for (size_t i = 0; i < count; ++i) {
        const int32_t k = wave[i], here = steps[k], next = here + 1;
        const uint16_t m = kEnterOf[marks[k]];
        if (stop == kUnreached && (k == start || ((m & seedBit) && (m & 0xf) == 0xf)))
            stop = here + std::max(0, g_Tuning.gridWaveSlack);
        if (here > stop) {
            // Every point up to `stop` steps has been passed on, so every
            // point still unreached is farther than that.
            beyond = stop + 1;
            break;
        }
        edge |= (m & kEnterInside) != kEnterInside;
        // Bit e: a move in direction e may end here, from a point pk of
        // the window (the window goes on the opposite way).
        const uint32_t on = (m >> kEnterNext) & 0xf, back = ((on >> 2) | (on << 2)) & 0xf;
        uint32_t moves = 0;
        if (!(m & kEnterBody)) {
            moves = (k == target || (m & toBit) ? m >> kEnterArrive : m) & back;
        } else {
            for (int32_t e = 0; e < 4; ++e)
                if (((back >> e) & 1) && rules.EnterBody(e, k)) moves |= 1u << e;
        }
        for (; moves; moves &= moves - 1) {
            const int32_t pk = k - offset[__builtin_ctz(moves)];
            if (steps[pk] != kUnreached) continue;
            steps[pk] = next;
            wave[count++] = pk;
        }
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
    int32_t* const seen = w.steps.data();
    int32_t* const list = w.wave.data();
    for (size_t i = 0; i < w.waved; ++i) seen[list[i]] = kUnreached;
    size_t& count = w.waved;
    count = 0;
    for (const int32_t k : seeds)
        if (seen[k] == kUnreached) seen[k] = 0, list[count++] = k;
    const int32_t offset[4] = {1, w.cols, -1, -w.cols};
    for (size_t i = 0; i < count; ++i) {
        const int32_t k = list[i];
        const uint16_t m = w.Enter(k);
        if (isTarget(k) || (m & kEnterInside) != kEnterInside || int64_t(count) > limit) return false;
        for (uint32_t moves = (m >> kEnterNext) & 0xf; moves; moves &= moves - 1) {
            const int32_t e = __builtin_ctz(moves), nk = k + offset[e];
            if (seen[nk] != kUnreached || !rules.Enter(e, nk)) continue;
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
WindowResult SearchWindow(const ScrNodeRec& a, const ScrNodeRec& b, uint8_t fromMark, uint8_t toMark, int64_t budget,
                          bool guided)
{
    GridWindow& w = g_Win;
    WindowResult result;
    int32_t sx, sy, tx, ty;
    if (!w.Cell(a.x, a.y, sx, sy) || !w.Cell(b.x, b.y, tx, ty)) return result;
    for (int32_t s : w.touched)
        w.states[size_t(s / 4)] = GridWindow::PointStates{}, w.estimates[size_t(s / 4)] = 0;
    w.touched.clear();
    const int32_t bendCost = g_Tuning.gridBendCost;
    const MoveRules rules{a,     b,     sx, sy, tx, ty, {IsExempt(a.comp) ? 0 : a.comp, IsExempt(b.comp) ? 0 : b.comp},
                          toMark, toMark == kSource ? kEnterSource : kEnterTarget, w.Idx(tx, ty)};
    // The lower bound of the rest: the distance to a target segment (the
    // end pin is one) plus a bend cost for each bend the way needs at least
    // (none with the segment straight ahead, one with it level or ahead, two
    // behind), the least over the segments: one box around targets spread
    // over the window would guide the search poorly. Many segments share one
    // box, to bound the cost.
    auto clean = [&](int32_t k) { return w.body[size_t(k)] == 0 && !(w.marks[size_t(k)] & (kRunH | kRunV | kEnd)); };
    auto isTarget = [&](int32_t k) {
        return k == w.Idx(tx, ty) || ((w.marks[size_t(k)] & toMark) && clean(k));
    };
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
    auto toGo = [&](int32_t k) { return w.steps[size_t(k)] == kUnreached ? beyond : w.steps[size_t(k)]; };
    if (guided && g_Tuning.gridStartFlood > 0) {
        // A start shut in by what is around it is settled at the cost of its
        // little room, before the wave from the targets fills theirs.
        std::vector<int32_t>& seeds = w.ends;
        seeds.assign(1, w.Idx(sx, sy));
        for (const int32_t k : fromList)
            if (clean(k)) seeds.push_back(k);
        if (ShutIn(rules, seeds, isTarget, g_Tuning.gridStartFlood)) {
            result.exhausted = true;
            return result;
        }
    }
    if (guided) {
        std::vector<int32_t>& ends = w.ends;
        ends.assign(1, w.Idx(tx, ty));
        for (const int32_t k : toMark == kSource ? w.sources : w.targets)
            if (isTarget(k)) ends.push_back(k);
        const bool edge = TargetSteps(rules, ends, w.Idx(sx, sy), fromMark == kSource ? kEnterSource : kEnterTarget, beyond);
        bool reached = beyond != kUnreached || w.steps[size_t(w.Idx(sx, sy))] != kUnreached;
        for (const int32_t k : fromList) reached = reached || (clean(k) && w.steps[size_t(k)] != kUnreached);
        if (!reached) {
            // No way in this window; a wider one helps only when the wave
            // from the targets met its edge.
            result.exhausted = true;
            result.edge = edge;
            return result;
        }
    }
    // The estimates of a point's four directions are worked out together,
    // once per search, when a state of the point is first queued.
    auto bound = [&](int32_t s) {
        const int32_t k = s / 4, d = s % 4;
        uint64_t& known = w.estimates[size_t(k)];
        if (!known) {
            const int32_t gx = k % w.cols, gy = k / w.cols;
            // Per direction the least length plus bends over the goals,
            // and the fewest bends alone: none with a goal straight ahead,
            // one with it level or ahead, two behind (no turning back).
            int32_t b0 = INT32_MAX, b1 = INT32_MAX, b2 = INT32_MAX, b3 = INT32_MAX, n0 = 2, n1 = 2, n2 = 2, n3 = 2;
            for (const GridWindow::Rect& r : goals) {
                const int32_t lx = r.x1 - gx, hx = gx - r.x2, ly = r.y1 - gy, hy = gy - r.y2;
                const int32_t ox = std::max(0, std::max(lx, hx)), oy = std::max(0, std::max(ly, hy));
                const int32_t base = ox + oy, offX = oy != 0, offY = ox != 0;
                const int32_t t0 = hx > 0 ? 2 : offX, t1 = hy > 0 ? 2 : offY, t2 = lx > 0 ? 2 : offX, t3 = ly > 0 ? 2 : offY;
                b0 = std::min(b0, base + t0 * bendCost), n0 = std::min(n0, t0);
                b1 = std::min(b1, base + t1 * bendCost), n1 = std::min(n1, t1);
                b2 = std::min(b2, base + t2 * bendCost), n2 = std::min(n2, t2);
                b3 = std::min(b3, base + t3 * bendCost), n3 = std::min(n3, t3);
            }
            // The steps counted by the wave and the bends are separate
            // lower bounds of the way's length and of its bends.
            const int32_t go = guided ? toGo(k) : kUnreached;
            if (go != kUnreached) {
                b0 = std::max(b0, go + n0 * bendCost), b1 = std::max(b1, go + n1 * bendCost);
                b2 = std::max(b2, go + n2 * bendCost), b3 = std::max(b3, go + n3 * bendCost);
            }
            known = uint64_t(std::min(b0, 65534) + 1) | uint64_t(std::min(b1, 65534) + 1) << 16 |
                    uint64_t(std::min(b2, 65534) + 1) << 32 | uint64_t(std::min(b3, 65534) + 1) << 48;
        }
        return int32_t((known >> (16 * d)) & 0xffff) - 1;
    };
    std::vector<uint32_t>& buckets = w.buckets;
    std::fill(buckets.begin(), buckets.end(), 0u);
    std::vector<GridWindow::Entry>& entries = w.entries;
    entries.clear();
    size_t current = 0;
    auto push = [&](int32_t s, int32_t cost) {
        const size_t f = std::max(current, size_t(2 * cost) + size_t(g_Tuning.gridGreed) * size_t(bound(s)));
        if (f >= buckets.size()) buckets.resize(f + 1 + f / 2, 0u);
        entries.push_back(GridWindow::Entry{s, buckets[f]});
        buckets[f] = uint32_t(entries.size());
    };
    auto seed = [&](int32_t k, int32_t d) {
        const int32_t s = k * 4 + d;
        GridWindow::PointStates& st = w.states[size_t(k)];
        if (st.dist[d] == 0) return;
        if (guided && toGo(k) == kUnreached) return;
        if (st.dist[d] == INT32_MAX) w.touched.push_back(s);
        st.dist[d] = 0, st.link[d] = 0;
        push(s, 0);
    };
    for (const int32_t k : fromList)
        if (clean(k))
            for (int32_t d = 0; d < 4; ++d) seed(k, d);
    for (int32_t d = 0; d < 4; ++d)
        if (a.flags & kExitBit[d]) seed(w.Idx(sx, sy), d);
    int32_t goal = -1;
    const int32_t offset[4] = {1, w.cols, -1, -w.cols};
    for (;;) {
        while (current < buckets.size() && !buckets[current]) ++current;
        if (current >= buckets.size()) {
            result.exhausted = true;
            break;
        }
        if (budget-- <= 0) break;
        const GridWindow::Entry& top = entries[buckets[current] - 1];
        const int32_t s = top.state;
        buckets[current] = top.below;
        const int32_t k = s / 4, d = s % 4;
        GridWindow::PointStates& st = w.states[size_t(k)];
        if (st.link[d] & kClosed) continue;
        st.link[d] |= kClosed;
        const int32_t cost = st.dist[d];
        const uint16_t here = w.Enter(k);
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
            GridWindow::PointStates& next = w.states[size_t(nk)];
            if (nc < next.dist[e]) {
                if (next.dist[e] == INT32_MAX) w.touched.push_back(ns);
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

}  // namespace

int32_t MR_GridSearchPair(int32_t node, Path& path)
{
    path.clear();
    if (!g_Tuning.gridFallback || g_StepSize <= 0) return 0;
    const ScrNodeRec& a = g_Nodes[node];
    const ScrNodeRec& b = g_Nodes[a.partner];
    GridWindow& w = g_Win;
    w.step = g_StepSize;
    if (a.x % w.step || a.y % w.step || b.x % w.step || b.y % w.step) return 0;
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
        if (GridPageKept() || w.collected * 100 >= points * std::max(0, g_Tuning.gridPagePercent)) page = SyncGridPage();
    }
    struct End {
        ~End() { EndWindow(); }
    } end;
    for (const int32_t margin : {g_Tuning.gridMarginSteps, g_Tuning.gridWideSteps}) {
        if (margin <= 0) continue;
        const int64_t m = std::max<int64_t>(int64_t(margin) * w.step, extent * margin / 40);
        const int64_t x1 = CeilTo(std::max(lx - m, fx1), w.step), y1 = CeilTo(std::max(ly - m, fy1), w.step);
        const int64_t x2 = FloorTo(std::min(hx + m, fx2), w.step), y2 = FloorTo(std::min(hy + m, fy2), w.step);
        if (x2 < x1 || y2 < y1) return 0;
        if ((x2 - x1) / w.step + 1 > 4096 || (y2 - y1) / w.step + 1 > 4096) return 0;
        if (!BuildWindow(x1, y1, x2, y2, page)) return 0;
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
