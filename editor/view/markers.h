// The reference markers the user sets on the canvas: entries 0 to 2 are the
// point markers P1 to P3 of item making, entry 3 is the reference point
// (the origin of the "R" coordinate mode of the component lists and of the
// "RefPoint" read-out). Nothing stores them in the design.
#pragma once

#include <array>
#include <cstdint>

struct MarkerRec {
    int32_t Shown = 0;  // True (-1) while the marker is drawn
    int32_t X = 0;      // database units
    int32_t Y = 0;
};

extern std::array<MarkerRec, 4> g_Markers;

// The index of the reference point in g_Markers.
constexpr int kRefPointMarker = 3;
