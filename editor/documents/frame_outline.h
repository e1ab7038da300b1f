// The outline of a page frame: the points the page format dialog builds
// and the page menu copies, and the writing of an outline as the frame
// branch of the current page.
//
// An outline of k corners is held as k + 1 points, the last a copy of the
// first (the closing point). The frame branch of page P is the branch
// -100 - P (kind 4, net 0); each of its records references a junction, and
// its last record references the junction of its first again.
#pragma once

#include "editor/shell/checked_array.h"
#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>

struct FramePoint {
    int32_t X = 0;
    int32_t Y = 0;
};

// The outline being edited (points 0..n); shared by the page menu's copy of
// the main page's frame and the page format dialog.
extern CheckedArray<FramePoint> g_FramePoints;
// The page format dialog's mode, set before it loads: 0 rectangle, 1 corners.
extern int32_t g_FrameMode;
// The page format dialog's state value; the default page format set-up sets
// it to 0 before it drives the dialog.
extern int32_t g_FrameDlgState;

// The widest an outline may span, and the widest a rectangle may be
// (database units).
constexpr int32_t kFrameSpanLimit = kCoordLimit;
constexpr int32_t kFrameSizeLimit = 2 * kCoordLimit;

// Points 0..4: the rectangle of width w and height h centred on the
// origin, from the lower left corner clockwise back to it.
void MakeFrameRectangle(CheckedArray<FramePoint>& points, int32_t width, int32_t height);
// Adds a corner at the last corner plus (dx, dy) and centres the outline;
// false (nothing changed) when the outline would then span more than
// kFrameSpanLimit in x or y.
bool AddFramePoint(CheckedArray<FramePoint>& points, int32_t dx, int32_t dy);
// Removes the last corner and centres the outline; with fewer than two
// corners left, points 0 and 1 return to the origin and the result is false.
bool DeleteFramePoint(CheckedArray<FramePoint>& points);
// Moves the outline so that its bounds are centred on the origin, then so
// that their lower left corner lies on a multiple of 1000 units.
void CentreFramePoints(CheckedArray<FramePoint>& points);
// A value rounded to a multiple of 1000, halves away from zero.
int32_t RoundFramePoint(int32_t value);
// True when the outline cannot be a frame: fewer than three corners, bounds
// of zero width or height, or all corners on one line.
bool IsFrameIncomplete(const CheckedArray<FramePoint>& points);

// Writes the corners first..n-1 of `points` (n the last index: the closing
// point is not written) as the frame branch `branch` of the current page,
// closed by a last record on the junction of corner `first`. The
// new junctions and records are added first; the old frame's records and
// junctions go only once all of them stand. One change group: on a refused
// step everything added or taken goes back, an existing frame stays as it
// was and the enclosing edit fails too (EntryChange contains it). True when
// the new frame stands.
bool WritePageFrame(int32_t branch, const CheckedArray<FramePoint>& points, long first);
