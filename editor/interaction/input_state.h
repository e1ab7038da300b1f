// State of the canvas input shared with the keyboard and the steps: the box
// flags of the next idle click, the text buffer of the router's answers, and
// the pure arithmetic of the pointer conversion and of the angle snap.
#pragma once

#include <array>
#include <cstdint>

// The next idle click starts the box command as a zoom box / a screen-copy
// box (Shift+B, Shift+S).
extern int32_t g_BoxZoomOn;
extern int32_t g_BoxCopyOn;

// Room for the router's description of what lies under the pointer
// (8-bit text, always terminated).
constexpr int32_t kHoverMsgSize = 256;

// A coordinate past the canvas limit becomes the limit with its sign.
int32_t ClampToLimit(int64_t v);
// The angle (degrees) snapped to the nearest multiple of `stepMilli`
// thousandths of a degree, halves to even; the count is taken in 64 bits.
// A step of 0 or less leaves the angle as it is.
double SnapAngleValue(double angle, int32_t stepMilli);

// Placement point of the bitmap being placed or moved, left by its preview.
extern std::array<int32_t, 2> g_BitmapPos;
