// The grid search's window (router/grid_window.cpp): the marks of its grid
// points, the search's state arrays kept between pairs, and how a window is
// set up, either on the page-wide marks (router/grid_page.h) or on a grid of
// its own whose bodies and wires are collected by the rectangle tests.
// Internal to the grid search (router/route_grid.cpp).
#pragma once

#include "router/grid_page.h"
#include "router/route.h"

#include <array>
#include <cstdint>
#include <vector>

namespace corvex::grid {

constexpr uint8_t kRunH = kGridRunH, kRunV = kGridRunV, kEnd = kGridEnd, kSource = 8, kTarget = 16;
// More marks of a point: a body within half a step (GridWindow::body holds
// which), and from bit 6 the directions in which the window ends there.
constexpr uint16_t kNearBody = kGridNearBody;
constexpr int32_t kEdgeShift = 6;
constexpr int32_t kBlocked = -1;
constexpr int32_t kUnreached = INT32_MAX;
// A point's steps to the targets in 16 bits (half the memory the wave
// walks): kNoSteps for a point not reached, and a count above kMostSteps
// kept as kMostSteps, which is still a lower bound of the way's length.
constexpr uint16_t kNoSteps = 0xffff;
constexpr int32_t kMostSteps = 0xfffe;
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

// What the guiding wave (which walks the moves backwards) needs of a point,
// from its marks alone: bits 0-3 the moves that may end here from the
// window's side they come from (the move word's bits 0-3 where the window
// goes on the opposite way), bits 4-7 the same for moves arriving at a
// target, then the body, edge and own wire bits, and bits 16-19 the
// directions whose opposite the window goes on in.
constexpr uint32_t kWaveArrive = 4, kWaveBody = 1 << 8, kWaveEdge = 1 << 9, kWaveSource = 1 << 10,
                   kWaveTarget = 1 << 11, kWaveFree = 1 << 12, kWaveBack = 16;
constexpr std::array<uint32_t, 1024> kWaveOf = [] {
    std::array<uint32_t, 1024> t{};
    for (uint32_t i = 0; i < 1024; ++i) {
        const uint32_t m = kEnterOf[i], on = (m >> kEnterNext) & 0xf, back = ((on >> 2) | (on << 2)) & 0xf;
        t[i] = (m & back) | (((m >> kEnterArrive) & back) << kWaveArrive) | (m & kEnterBody ? kWaveBody : 0) |
               ((m & kEnterInside) != kEnterInside ? kWaveEdge : 0) | (m & kEnterSource ? kWaveSource : 0) |
               (m & kEnterTarget ? kWaveTarget : 0) | ((m & 0xf) == 0xf ? kWaveFree : 0) | back << kWaveBack;
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
    // start) with kClosed once the state is taken; and the four
    // directions' estimates plus one (0 not yet known). One record of 32
    // bytes per point: a point the search reaches costs one cache line, not
    // one per array.
    struct alignas(32) PointStates {
        int32_t dist[4] = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
        uint8_t link[4] = {0, 0, 0, 0};
        uint64_t estimate = 0;
    };
    std::vector<PointStates> states;
    std::vector<int32_t> touched;  // the points whose states the last search set
    std::vector<uint16_t> steps;  // the guided search's steps to the targets
    std::vector<int32_t> wave, ends;
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

extern GridWindow g_Win;

// Sets up the window [x1, x2] x [y1, y2] (grid-aligned) with its marks: on
// the page-wide marks when they are kept, else on a grid of its own. False
// when its objects could not be collected.
bool BuildWindow(int64_t x1, int64_t y1, int64_t x2, int64_t y2, const GridPage* page);
// Takes the window's own marks off the page-wide ones.
void EndWindow();

}  // namespace corvex::grid
