// Number texts: the one module through which the editor turns numbers into
// text, so that every read-out, report and command string follows the same
// rules.
//
// - Str: the runtime's number-to-text conversion, with a blank before a
//   number that is not negative (" 0", " 2", "-1", " .5"). Texts sent to the
//   other applications and written into files use it.
// - CStr: the plain conversion without that blank ("0.5", "-3").
// - Format: a value through a pattern of digit placeholders ("#0.0000#",
//   "###0.000", "##0.0#", "#.##"), rounded halves to even.
#pragma once

#include "editor/shell/checked_array.h"

#include <concepts>
#include <cstdint>
#include <string>

// Coordinate patterns by display unit: (0) inches "#0.0000#", (1)
// millimetres "###0.000"; the angle pattern "##0.0#". Set by InitNumFormats.
extern CheckedArray<std::string> g_NumFormat;
extern std::string g_AngleFormat;

// Sets g_NumFormat and g_AngleFormat (called by the unit set-up).
void InitNumFormats();

// The runtime's number-to-text conversion of a Double: at most 15
// significant digits, a point as decimal separator, no zero before the point
// when the value is below 1 in size (" .5", "-.25"), exponent form from
// 1E+15 up and below 1E-04 (" 1E+15", " 1.5E-05"), and a blank in front of a
// value that is not negative.
std::string Str(double value);
// The same for whole numbers: " 12", "-3".
std::string StrInt(int64_t value);
template <std::integral T>
std::string Str(T value)
{
    return StrInt(static_cast<int64_t>(value));
}

// The plain conversion: as Str, without the blank and with the zero before
// the point ("0.5", "-0.25", "12", "1E+15").
std::string CStr(double value);
std::string CStrInt(int64_t value);
template <std::integral T>
std::string CStr(T value)
{
    return CStrInt(static_cast<int64_t>(value));
}

// `value` through `pattern`. The placeholders are "0" (a digit always shown),
// "#" (a digit shown only when it matters), "." (the decimal point, always
// written when the pattern has one) and "," between integer placeholders
// (thousands grouping). Text before and after the placeholders is copied.
// The integer part shows at least as many digits as the pattern has "0"s
// there ("#.##" writes nothing before the point for values below 1); the
// fraction at most as many as it has placeholders after the point and at
// least up to its last "0". The value is rounded to the last decimal shown,
// halves to even on the exact binary value. A value that rounds to zero is
// written without a minus sign. NaN and infinities raise the overflow error
// (6).
std::string Format(double value, const std::string& pattern);
