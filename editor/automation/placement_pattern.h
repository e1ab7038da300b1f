// The generation of a placement pattern from a component: the cell size
// from the component's outline and the pattern parameters, the number of
// cells that fit the page frame and their centred start.
#pragma once

#include <cstdint>

// -1 when the last MakePatternByComponent replaced the pattern's lines, 0
// when it was declined or failed.
extern int32_t g_PatRebuilt;

// One axis of a generated pattern.
struct PatternAxis {
    int64_t cell = 0;   // cell width or height, a whole number of alignment steps
    int64_t gap = 0;    // space between cells
    int64_t count = 0;  // number of cells; 0 when none fits
    int64_t start = 0;  // coordinate of the first line
};

// The pattern parameters the computation reads.
struct PatternParams {
    int64_t clearance = 0;  // g_PatClearanceX or g_PatClearanceY
    int64_t alignment = 1;  // g_PatAlignment; below 1 counts as 1
    bool asSetup = false;   // g_PatAsSetup
    int64_t wanted = 1;     // g_PatColumns or g_PatRows ("As Setup")
};

// Offset `d` of an outline edge from the component, aligned outward.
int64_t AlignOutward(int64_t d, int64_t alignment);

// One axis: `low` and `high` are the outline's edges relative to the
// component, already widened by the clearance; `f1`, `f2` the frame's edges
// on this axis. A result with count 0 means the axis cannot hold a cell.
PatternAxis ComputePatternAxis(int64_t low, int64_t high, int64_t f1, int64_t f2, const PatternParams& p);

// The lines of one axis never exceed this many: a bigger result is capped.
constexpr int64_t kMaxPatternLines = 1000;
