#include "editor/shell/numtext.h"

#include "editor/shell/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

CheckedArray<std::string> g_NumFormat(0, 1);
std::string g_AngleFormat;

void InitNumFormats()
{
    g_NumFormat.Redim(0, 1);
    g_NumFormat(0) = "#0.0000#";
    g_NumFormat(1) = "###0.000";
    g_AngleFormat = "##0.0#";
}

namespace {

// The significant digits of |value| rounded to 15 and the decimal exponent
// of the first one; trailing zeros dropped. value is finite and not zero.
void SignificantDigits(double value, std::string& digits, int& exponent)
{
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    digits.clear();
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits.push_back(*p);
    exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

// |value| as the runtime writes it; `leadingZero` keeps the "0" before the
// point of a value below 1.
std::string Magnitude(double value, bool leadingZero)
{
    if (!std::isfinite(value)) RaiseError(errnum::Overflow);
    if (value == 0) return "0";
    std::string digits;
    int e = 0;
    SignificantDigits(value, digits, e);
    const int n = static_cast<int>(digits.size());
    if (e >= 15 || e < -4) {
        std::string text(1, digits[0]);
        if (n > 1) text += "." + digits.substr(1);
        char exp[16];
        std::snprintf(exp, sizeof exp, "E%c%02d", e < 0 ? '-' : '+', std::abs(e));
        return text + exp;
    }
    if (e < 0) return (leadingZero ? "0." : ".") + std::string(static_cast<size_t>(-e - 1), '0') + digits;
    if (n <= e + 1) return digits + std::string(static_cast<size_t>(e + 1 - n), '0');
    return digits.substr(0, static_cast<size_t>(e + 1)) + "." + digits.substr(static_cast<size_t>(e + 1));
}

bool IsPlaceholder(char c)
{
    return c == '#' || c == '0' || c == '.' || c == ',';
}

}  // namespace

std::string Str(double value)
{
    const std::string magnitude = Magnitude(value, false);
    return (value < 0 ? "-" : " ") + magnitude;
}

std::string StrInt(int64_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string CStr(double value)
{
    const std::string magnitude = Magnitude(value, true);
    return value < 0 ? "-" + magnitude : magnitude;
}

std::string CStrInt(int64_t value)
{
    return std::to_string(value);
}

std::string Format(double value, const std::string& pattern)
{
    if (!std::isfinite(value)) RaiseError(errnum::Overflow);

    // Literal text, the placeholders, literal text.
    size_t first = 0;
    while (first < pattern.size() && !IsPlaceholder(pattern[first])) ++first;
    size_t last = first;
    while (last < pattern.size() && IsPlaceholder(pattern[last])) ++last;
    const std::string prefix = pattern.substr(0, first);
    const std::string number = pattern.substr(first, last - first);
    const std::string suffix = pattern.substr(last);
    if (number.empty()) return CStr(value);

    const size_t point = number.find('.');
    const std::string intPart = number.substr(0, point);
    const std::string fracPart = point == std::string::npos ? std::string() : number.substr(point + 1);
    int minInt = 0;
    bool grouping = false;
    for (char c : intPart) {
        if (c == '0') ++minInt;
        if (c == ',') grouping = true;
    }
    int maxDec = 0, minDec = 0;
    for (char c : fracPart) {
        if (c == '#' || c == '0') ++maxDec;
        if (c == '0') minDec = maxDec;
    }

    // Rounded on the exact binary value, halves to even.
    std::vector<char> buffer(static_cast<size_t>(maxDec) + 340);
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                       std::chars_format::fixed, maxDec);
    const std::string rounded(buffer.data(), written.ptr);
    const size_t dot = rounded.find('.');
    std::string integer = rounded.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : rounded.substr(dot + 1);
    const bool zero = integer.find_first_not_of('0') == std::string::npos &&
                      fraction.find_first_not_of('0') == std::string::npos;

    while (static_cast<int>(fraction.size()) > minDec && fraction.back() == '0') fraction.pop_back();
    if (integer == "0") integer.clear();
    if (static_cast<int>(integer.size()) < minInt)
        integer.insert(0, static_cast<size_t>(minInt) - integer.size(), '0');
    if (grouping)
        for (int i = static_cast<int>(integer.size()) - 3; i > 0; i -= 3) integer.insert(static_cast<size_t>(i), ",");

    std::string text = value < 0 && !zero ? "-" : "";
    text += prefix + integer;
    if (point != std::string::npos) text += "." + fraction;
    return text + suffix;
}
