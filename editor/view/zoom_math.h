// The arithmetic of the zoom: steps, the zoom value's text in the display
// unit and its reading back, fitting and the coordinate limit.
#pragma once

#include <cstdint>
#include <string>

// The view size after one 5 % step: direction 0 in (not below 100), 1 out
// (not above 2,540,000), any other unchanged.
int32_t ZoomStepSize(int32_t size, int32_t direction);

// The zoom value shown for a view size: display units per pixel with the
// unit's format and suffix.
std::string ZoomValueText(int32_t viewSize);

// The view size a typed zoom value asks for: read in the display unit; an
// empty or unreadable text (or 0) keeps `current`; clamped to 100 ..
// 2,540,000 and rounded.
int32_t ParseZoomText(const std::string& text, int32_t current);

// The view size for a ratio of database units to pixels: 1 when it fits at
// one unit per pixel, else ratio + margin, rounded.
int32_t FitSize(double ratio, int32_t margin);

// An origin (stored form) pulled back so that the half extents (hx, hy)
// stay within the coordinate limit on every side.
struct LimitedOrigin {
    int32_t x = 0;
    int32_t y = 0;
};
LimitedOrigin KeepOriginInLimits(int32_t ox, int32_t oy, int32_t hx, int32_t hy);
