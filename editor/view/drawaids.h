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

// A point snapped to the snap step (when above 1) and clamped into the
// coordinate limit.
int32_t SnapCoord(double value, int32_t step);
