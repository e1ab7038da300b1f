// Page-wide marks of the grid search. The bodies are marked once per routing
// run; the wires are counted per branch and only a branch whose segments
// changed is counted again, so a routed wire costs its own cells, not a
// collection of every window around every later pair.
#include "router/grid_page.h"

#include <algorithm>

namespace corvex {

namespace {

GridPage g_Page;

// The largest page marked (g_Tuning.gridPagePoints, at most 16 million
// points); a larger one keeps the window-by-window marks, whose memory the
// window bounds.
int64_t MaxPagePoints() { return std::min<int64_t>(int64_t(1) << 24, std::max(0, g_Tuning.gridPagePoints)); }

bool SameSegs(const std::vector<Seg>& a, const std::vector<Seg>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].x1 != b[i].x1 || a[i].y1 != b[i].y1 || a[i].x2 != b[i].x2 || a[i].y2 != b[i].y2) return false;
    return true;
}

bool OnGrid(const GridPage& g, int64_t x, int64_t y) { return (x - g.x0) % g.step == 0 && (y - g.y0) % g.step == 0; }

// A point's body and marks from its bodies and its counts.
void Refresh(GridPage& g, size_t k)
{
    const GridPagePoint& p = g.wires[k];
    const int32_t b = p.blocked ? kGridBlocked : g.compBody[k];
    g.body[k] = b;
    g.marks[k] = uint16_t((b ? kGridNearBody : 0) | (p.runH ? kGridRunH : 0) | (p.runV ? kGridRunV : 0) |
                          (p.ends ? kGridEnd : 0));
}

// Adds (delta 1) or takes away (-1) one wire segment: one on the grid marks
// its points as runs and its ends, one off the grid closes every point
// within a step of it.
void CountSegment(GridPage& g, const Seg& o, int32_t delta)
{
    const bool horizontal = o.y1 == o.y2 && o.x1 != o.x2;
    const bool vertical = o.x1 == o.x2 && o.y1 != o.y2;
    const bool point = o.x1 == o.x2 && o.y1 == o.y2;
    int32_t ax, bx, ay, by;
    if (!OnGrid(g, o.x1, o.y1) || !OnGrid(g, o.x2, o.y2) || !(horizontal || vertical || point)) {
        if (!GridSpan(int64_t(o.x1) - g.step, int64_t(o.x2) + g.step, g.x0, g.step, g.cols, ax, bx)) return;
        if (!GridSpan(int64_t(o.y1) - g.step, int64_t(o.y2) + g.step, g.y0, g.step, g.rows, ay, by)) return;
        for (int32_t gy = ay; gy <= by; ++gy)
            for (int32_t gx = ax; gx <= bx; ++gx) {
                const size_t k = size_t(gy) * size_t(g.cols) + size_t(gx);
                g.wires[k].blocked += uint16_t(delta);
                Refresh(g, k);
            }
        return;
    }
    if (!GridSpan(o.x1, o.x2, g.x0, g.step, g.cols, ax, bx) || !GridSpan(o.y1, o.y2, g.y0, g.step, g.rows, ay, by)) return;
    if (horizontal || vertical)
        for (int32_t gy = ay; gy <= by; ++gy)
            for (int32_t gx = ax; gx <= bx; ++gx) {
                const size_t k = size_t(gy) * size_t(g.cols) + size_t(gx);
                GridPagePoint& p = g.wires[k];
                (horizontal ? p.runH : p.runV) += uint16_t(delta);
                Refresh(g, k);
            }
    for (const auto& [x, y] : {std::pair{o.x1, o.y1}, std::pair{o.x2, o.y2}}) {
        const int64_t cx = (x - g.x0) / g.step, cy = (y - g.y0) / g.step;
        if (cx < 0 || cy < 0 || cx >= g.cols || cy >= g.rows) continue;
        const size_t k = size_t(cy) * size_t(g.cols) + size_t(cx);
        g.wires[k].ends += uint16_t(delta);
        Refresh(g, k);
    }
}

// The page's grid and its bodies, as the windows mark them: every point
// strictly within half a step of a body (not a free pin's body: none is
// exempt here) holds the component, or kGridBlocked for several.
bool BuildPage(int32_t pageId, const ScrPageRec& p)
{
    GridPage& g = g_Page;
    FreeGridPage();
    g.step = g_StepSize;
    g.x0 = GridCeilTo(p.frameMinX, g.step), g.y0 = GridCeilTo(p.frameMinY, g.step);
    const int64_t x2 = GridFloorTo(p.frameMaxX, g.step), y2 = GridFloorTo(p.frameMaxY, g.step);
    if (x2 < g.x0 || y2 < g.y0) return false;
    const int64_t cols = (x2 - g.x0) / g.step + 1, rows = (y2 - g.y0) / g.step + 1;
    if (cols * rows > MaxPagePoints()) return false;
    g.cols = static_cast<int32_t>(cols), g.rows = static_cast<int32_t>(rows), g.page = pageId;
    const size_t n = size_t(cols) * size_t(rows);
    g.compBody.assign(n, 0);
    g.wires.assign(n, GridPagePoint{});
    ObstacleList list;
    const Seg rect{static_cast<int32_t>(g.x0 - g.step), static_cast<int32_t>(g.y0 - g.step),
                   static_cast<int32_t>(x2 + g.step), static_cast<int32_t>(y2 + g.step)};
    const int32_t savedObstacles = g_Tuning.obstacleCapacity, savedTested = g_Tuning.testedCapacity;
    const int32_t savedClearance = g_Clearance, savedExempt[2] = {g_ExemptComp[0], g_ExemptComp[1]};
    g_Tuning.obstacleCapacity = std::max({savedObstacles, g_Tuning.gridObstacleCapacity, g_Comps.Count() + 2});
    g_Tuning.testedCapacity = std::max({savedTested, g_Tuning.gridObstacleCapacity, g_Comps.Count() + 2});
    g_Clearance = 0, g_ExemptComp[0] = g_ExemptComp[1] = 0;
    const bool ok = MR_TestRectComps(list, rect, false);
    g_Tuning.obstacleCapacity = savedObstacles, g_Tuning.testedCapacity = savedTested;
    g_Clearance = savedClearance, g_ExemptComp[0] = savedExempt[0], g_ExemptComp[1] = savedExempt[1];
    if (!ok) {
        ClearFailure();
        FreeGridPage();
        return false;
    }
    const int64_t half = g.step / 2;
    for (const Obstacle& o : list.rows) {
        if (!(o.kind & kObstBody)) continue;
        int32_t ax, bx, ay, by;
        if (!GridSpan(int64_t(o.x1) - half + 1, int64_t(o.x2) + half - 1, g.x0, g.step, g.cols, ax, bx)) continue;
        if (!GridSpan(int64_t(o.y1) - half + 1, int64_t(o.y2) + half - 1, g.y0, g.step, g.rows, ay, by)) continue;
        for (int32_t gy = ay; gy <= by; ++gy)
            for (int32_t gx = ax; gx <= bx; ++gx) {
                int32_t& v = g.compBody[size_t(gy) * size_t(g.cols) + size_t(gx)];
                v = v == 0 || v == o.object ? o.object : kGridBlocked;
            }
    }
    g.body = g.compBody;
    g.marks.assign(n, 0);
    for (size_t k = 0; k < n; ++k)
        if (g.body[k]) g.marks[k] = kGridNearBody;
    g.bytes = int64_t(g.body.capacity() + g.compBody.capacity()) * 4 + int64_t(g.marks.capacity()) * 2 +
              int64_t(g.wires.capacity()) * int64_t(sizeof(GridPagePoint));
    CountMemory(g.bytes);
    g.valid = true;
    return true;
}

// Counts one branch again when its segments changed since it was counted:
// the wires of the page but the routed net's own, as a window would
// collect them.
void Recount(GridPage& g, int32_t b, std::vector<Seg>& now)
{
    if (b < 1 || size_t(b) >= g_Branches.rows.size()) return;
    if (size_t(b) >= g.counted.size()) g.counted.resize(size_t(b) + 1);
    const ScrBranchRec& r = g_Branches[b];
    now.clear();
    if (r.inUse && r.page == g_ScrCurPage && !IsOwnWire(b))
        for (int32_t q = r.firstPoint; q && g_BPoints[q].next; q = g_BPoints[q].next) {
            Seg s = SegOf(q, g_BPoints[q].next);
            NormaliseSeg(s);
            now.push_back(s);
        }
    std::vector<Seg>& was = g.counted[size_t(b)];
    if (SameSegs(was, now)) return;
    for (const Seg& s : was) CountSegment(g, s, -1);
    for (const Seg& s : now) CountSegment(g, s, 1);
    was = now;
}

bool NetIndex(int32_t net) { return net >= 1 && net <= g_Nets.Count(); }

}  // namespace

GridPage* SyncGridPage()
{
    GridPage& g = g_Page;
    const int32_t pg = FindPageIndex(g_ScrCurPage);
    if (!pg || g_StepSize <= 0) return nullptr;
    const ScrPageRec& p = g_Pages[pg];
    if (p.frameMaxX <= p.frameMinX || p.frameMaxY <= p.frameMinY) return nullptr;
    std::vector<Seg> now;
    if (!g.valid || g.page != g_ScrCurPage || g.step != g_StepSize || g.x0 != GridCeilTo(p.frameMinX, g_StepSize) ||
        g.y0 != GridCeilTo(p.frameMinY, g_StepSize) || g.x0 + int64_t(g.cols - 1) * g.step != GridFloorTo(p.frameMaxX, g_StepSize) ||
        g.y0 + int64_t(g.rows - 1) * g.step != GridFloorTo(p.frameMaxY, g_StepSize)) {
        if (!BuildPage(g_ScrCurPage, p)) return nullptr;
        // Every branch of the field grid once (the nets' wires, the kept
        // wires, the frames); then only the nets routed since.
        g.netBranches.assign(size_t(std::max(g_Nets.Count(), 0)) + 1, {});
        for (int32_t net = 1; net <= g_Nets.Count(); ++net)
            for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) {
                Recount(g, b, now);
                g.netBranches[size_t(net)].push_back(b);
            }
        for (const int32_t b : g_KeptBranches) Recount(g, b, now);
        for (int32_t i = 1; i <= g_Pages.Count(); ++i) Recount(g, g_Pages[i].frameBranch, now);
        g.excluded = g_RouteNet;
        g.dirty.clear();
        return &g;
    }
    // Only the routed nets' wires change while a run goes on: the nets
    // routed since the last time, the net left out until now and the net
    // left out from now on are counted again, with every branch they had
    // then (freed ones) and have now.
    if (g.netBranches.size() < size_t(std::max(g_Nets.Count(), 0)) + 1)
        g.netBranches.resize(size_t(std::max(g_Nets.Count(), 0)) + 1);
    g.dirty.push_back(g.excluded);
    g.dirty.push_back(g_RouteNet);
    std::sort(g.dirty.begin(), g.dirty.end());
    g.dirty.erase(std::unique(g.dirty.begin(), g.dirty.end()), g.dirty.end());
    for (const int32_t net : g.dirty) {
        if (!NetIndex(net)) continue;
        std::vector<int32_t>& ids = g.netBranches[size_t(net)];
        for (const int32_t b : ids) Recount(g, b, now);
        ids.clear();
        for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) {
            Recount(g, b, now);
            ids.push_back(b);
        }
    }
    g.excluded = g_RouteNet;
    g.dirty.clear();
    return &g;
}

bool GridPageKept() { return g_Page.valid; }

void NoteNetWires(int32_t net)
{
    if (g_Page.valid) g_Page.dirty.push_back(net);
}

void FreeGridPage()
{
    CountMemory(-g_Page.bytes);
    g_Page = GridPage{};
}

}  // namespace corvex
