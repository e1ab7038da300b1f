// Page-wide marks of the grid search (router/grid_page.cpp): for every grid
// point inside the page's frame, the body within half a step and counts of
// the wire pieces on it. A window of the grid search copies its marks from
// here instead of collecting and marking its objects for every pair.
#pragma once

#include "router/route.h"

#include <cstdint>
#include <vector>

namespace corvex {

constexpr int32_t kGridBlocked = -1;
// Marks of a grid point: a foreign wire runs along it horizontally or
// vertically, one ends on it, a body lies within half a step. The grid
// search adds its own marks above these (router/route_grid.cpp).
constexpr uint16_t kGridRunH = 1, kGridRunV = 2, kGridEnd = 4, kGridNearBody = 32;

inline int64_t GridFloorTo(int64_t v, int64_t s) { return (v / s - (v % s < 0 ? 1 : 0)) * s; }
inline int64_t GridCeilTo(int64_t v, int64_t s) { return -GridFloorTo(-v, s); }

// Grid columns (or rows) whose coordinate lies in [lo, hi], clipped to
// [0, count).
inline bool GridSpan(int64_t lo, int64_t hi, int64_t origin, int64_t step, int32_t count, int32_t& a, int32_t& b)
{
    const int64_t first = GridCeilTo(lo - origin, step) / step, last = GridFloorTo(hi - origin, step) / step;
    a = static_cast<int32_t>(first < 0 ? 0 : first);
    b = static_cast<int32_t>(last > count - 1 ? count - 1 : last);
    return a <= b;
}

// What lies on one grid point of the page: wire segments on the grid that
// run along it horizontally or vertically or end on it, and segments off
// the grid within a step (they close the point). Wires of the net being
// routed are not counted while its pairs are searched.
struct GridPagePoint {
    uint16_t runH = 0, runV = 0, ends = 0, blocked = 0;
};

struct GridPage {
    int64_t x0 = 0, y0 = 0, step = 0;  // the first grid point (multiples of the step)
    int32_t cols = 0, rows = 0;
    int32_t page = 0;  // the page the marks are of
    // Per point: 0 free, the component whose body lies within half a step,
    // kGridBlocked for several (compBody: the bodies alone; body: closed by
    // a wire off the grid too), and the marks.
    std::vector<int32_t> compBody, body;
    std::vector<uint16_t> marks;
    std::vector<GridPagePoint> wires;
    // Per branch: the segments counted in `wires` (normalised).
    std::vector<std::vector<Seg>> counted;
    // Per net: the branches it had when it was last counted; the nets
    // routed since then; the net whose wires are left out.
    std::vector<std::vector<int32_t>> netBranches;
    std::vector<int32_t> dirty;
    int32_t excluded = 0;
    int64_t bytes = 0;  // entered in the router's memory count
    bool valid = false;
};

// The page-wide marks brought up to date for the pair being routed: built at
// the first use of a routing run (or when the page, the step or the frame
// changed), then the branches of the nets routed since the last use are
// counted again where their segments changed, and the wires of the routed
// net (g_RouteNet) are left out. Nullptr when the page has no frame, is too
// large, or its objects could not be collected: the windows are then
// collected and marked one by one.
GridPage* SyncGridPage();
void FreeGridPage();
// Whether page-wide marks are kept now.
bool GridPageKept();
// A pair of the net was routed (its wires may have changed). Wires changed
// any other way (deletion) free the page-wide marks instead.
void NoteNetWires(int32_t net);

}  // namespace corvex
