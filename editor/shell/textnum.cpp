#include "editor/shell/textnum.h"

#include <cmath>
#include <cstring>

CheckedArray<std::string> g_ArgStr(0, 0);
CheckedArray<double> g_ArgNum(0, 0);
char g_StrBuf[kStrBufSize];

namespace {

void AddField(long& n, const std::string& field, bool read)
{
    ++n;
    g_ArgStr.RedimPreserve(n);
    g_ArgNum.RedimPreserve(n);
    g_ArgStr(n) = field;
    g_ArgNum(n) = read ? ParseNum(field) : 0.0;
}

bool IsSkippable(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

void SplitFields(const std::string& text)
{
    g_ArgStr.Redim(0, 0);
    g_ArgNum.Redim(0, 0);
    long n = 0;
    size_t s = 0;
    for (;;) {
        const size_t p = text.find(',', s);
        if (p == std::string::npos) break;
        AddField(n, text.substr(s, p - s), true);
        s = p + 1;
        if (s >= text.size()) break;
    }
    if (s < text.size())
        AddField(n, text.substr(s), true);
    else
        AddField(n, std::string(), false);
    g_ArgNum(0) = static_cast<double>(n);
}

double ParseNum(const std::string& text)
{
    if (text.empty()) return 0.0;
    std::string copy = text;
    const size_t comma = copy.find(',');
    if (comma != std::string::npos) copy[comma] = '.';
    return ReadNumber(copy);
}

double ReadNumber(const std::string& text)
{
    // Keep only the characters that can make up a number, skipping blanks,
    // tabs and line feeds wherever they stand.
    std::string s;
    s.reserve(text.size());
    for (char c : text)
        if (!IsSkippable(c)) s.push_back(c);

    size_t i = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const bool hex = s[1] == 'H' || s[1] == 'h';
        double value = 0;
        for (i = 2; i < s.size(); ++i) {
            const char c = s[i];
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (hex && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else if (hex && c >= 'A' && c <= 'F')
                digit = c - 'A' + 10;
            else
                break;
            if (!hex && digit > 7) break;
            value = value * (hex ? 16 : 8) + digit;
        }
        return value;
    }

    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number.push_back(s[i++]);
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            number.push_back(c);
            digits = true;
        } else if (c == '.' && !point) {
            number.push_back(c);
            point = true;
        } else {
            break;
        }
    }
    if (!digits) return 0.0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::string exponent = "e";
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent.push_back(s[j++]);
        bool expDigits = false;
        for (; j < s.size() && s[j] >= '0' && s[j] <= '9'; ++j) {
            exponent.push_back(s[j]);
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

std::string PtrToStr(const char* address)
{
    if (!address) return {};
    const size_t len = strnlen(address, kStrBufSize - 1);
    std::memcpy(g_StrBuf, address, len);
    g_StrBuf[len] = '\0';
    return std::string(g_StrBuf, len);
}

int32_t ToLong(double value)
{
    if (std::isnan(value)) RaiseError(errnum::Overflow);
    const double rounded = std::nearbyint(value);  // default mode: halves to even
    if (rounded < -2147483648.0 || rounded > 2147483647.0) RaiseError(errnum::Overflow);
    return static_cast<int32_t>(rounded);
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string UCase(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}
