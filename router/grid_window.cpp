// Setting up the grid search's window: on the page-wide marks, or on a grid
// of its own whose bodies and wires are collected by the rectangle tests
// (MR_TestRectComps, MR_TestRectWires) and marked on its points.
#include "router/grid_window.h"

#include <algorithm>

namespace corvex::grid {

GridWindow g_Win;

namespace {

// Span clipped to the window's columns or rows.
bool SpanX(int64_t lo, int64_t hi, int32_t& a, int32_t& b)
{
    const GridWindow& w = g_Win;
    if (!GridSpan(lo, hi, w.x0, w.step, w.cols, a, b)) return false;
    a = std::max(a, w.lx), b = std::min(b, w.hx);
    return a <= b;
}
bool SpanY(int64_t lo, int64_t hi, int32_t& a, int32_t& b)
{
    const GridWindow& w = g_Win;
    if (!GridSpan(lo, hi, w.y0, w.step, w.rows, a, b)) return false;
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

}  // namespace

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
    if (w.states.size() < n) w.states.resize(n);
    if (w.steps.size() < n) w.steps.resize(n, kNoSteps), w.wave.resize(n);
    w.open = page != nullptr;
    if (!page) w.collected += int64_t(n);
    const bool ok = page ? PageWindow(*page) : CollectWindow(x1, y1, x2, y2);
    // The arrays count as the router's memory while they are held.
    const int64_t bytes = int64_t(w.ownBody.capacity()) * 4 + int64_t(w.ownMarks.capacity()) * 2 +
                          int64_t(w.states.capacity()) * int64_t(sizeof(GridWindow::PointStates)) +
                          int64_t(w.steps.capacity()) * 2 + int64_t(w.wave.capacity()) * 4 +
                          int64_t(w.buckets.capacity()) * 4 + int64_t(w.entries.capacity()) * 8;
    if (bytes != w.counted) CountMemory(bytes - w.counted), w.counted = bytes;
    if (!ok) {
        EndWindow();
        return false;
    }
    MarkEdges(true);
    return true;
}

}  // namespace corvex::grid
