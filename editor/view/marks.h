// What the view marks on the canvas besides the page: the point markers and
// the reference point, the origin of the coordinate read-out, the colour of
// every marking, and the components picked by a multi-component command.
#pragma once

#include "editor/shell/checked_array.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <cstdint>

// One marker: shown flag (-1 / 0) and its point in database units.
struct MarkerRec {
    int32_t Shown = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

// 0..2 the point markers P1..P3 of item mode, 3 the reference point.
extern std::array<MarkerRec, 4> g_Markers;
// The index of the reference point in g_Markers.
constexpr int kRefPointMarker = 3;
// Origin of the read-out: 0 page origin, 1 frame datum, 2 reference point.
extern int32_t g_MeasureOrigin;
// Colour code of markers, blinks and other markings.
extern int32_t g_MarkColor;

// One component of a multi-component command, laid out as an item record
// (its location at X, Y).
struct PickedCompRec {
    int32_t Comp = 0;
    int32_t Flags = 0;
    int32_t Link = 0;
    int32_t X = 0;
    int32_t Y = 0;
};
// The picked components, from element 1.
extern CheckedArray<PickedCompRec> g_CompList;

// Asks for a point typed as "x,y[,D]" in the display unit, `firstLine`
// heading the prompt (D: from the page datum). Nothing when cancelled; a
// beep and nothing for fewer than two fields, a field that is no number, or
// a point beyond the canvas range.
std::optional<std::pair<int32_t, int32_t>> AskTypedPoint(const std::string& firstLine);
