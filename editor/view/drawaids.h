// The drawing aids' values: lengths and angles shown in the display unit
// and typed values read back and checked.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Bounds of the grid and snap steps (database units) and of the angle step
// (thousandths of a degree), inclusive.
constexpr double kMinStep = 254;
constexpr double kMaxStep = 2540000;
constexpr double kMinAngleStep = 1;
constexpr double kMaxAngleStep = 90000;

// A length in the display unit, with its suffix.
std::string LengthText(double length);
// An angle (thousandths of a degree) in degrees, with the degree sign.
std::string AngleText(double angle);
// A typed length in the display unit, in database units.
double TypedLength(const std::string& text);

// The step a typed grid or snap step (index 0, 1) or angle step (index 2)
// gives, or nothing when it lies outside its bounds.
std::optional<int32_t> ParseAidStep(int index, const std::string& text);

// v snapped to the nearest multiple of `step`, halves away from zero: the
// sum v + Sgn(v) x step / 2, rounded to a whole number (halves to even),
// divided by the step truncating toward zero, times the step. A step of 1 or
// less leaves v as it is. A result past the canvas limit is taken one step
// back towards zero so that it stays on the grid and inside the limit.
// The rule of the pointer's snap (SnapPoint); the snapped reference point,
// the snapped input point and a free wire start take it too.
int32_t SnapCoord(int32_t v, int32_t step);
