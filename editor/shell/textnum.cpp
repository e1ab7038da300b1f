#include "editor/shell/textnum.h"

#include "editor/shell/platform_calls.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

CheckedArray<std::string> g_ArgStr(0, 0);
CheckedArray<double> g_ArgNum(0, 0);
CheckedArray<std::string> g_DevArgStr(0, 0);
CheckedArray<double> g_DevArgNum(0, 0);
char g_StrBuf[kStrBufSize];

namespace {

void AddField(CheckedArray<std::string>& fields, CheckedArray<double>& values, long& n, const std::string& field,
              bool read)
{
    ++n;
    fields.RedimPreserve(n);
    values.RedimPreserve(n);
    fields(n) = field;
    values(n) = read ? ParseNum(field) : 0.0;
}

bool IsSkippable(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

void SplitInto(const std::string& text, char separator, CheckedArray<std::string>& fields,
               CheckedArray<double>& values)
{
    fields.Redim(0, 0);
    values.Redim(0, 0);
    long n = 0;
    size_t s = 0;
    for (;;) {
        const size_t p = text.find(separator, s);
        if (p == std::string::npos) break;
        AddField(fields, values, n, text.substr(s, p - s), true);
        s = p + 1;
        if (s >= text.size()) break;
    }
    if (s < text.size())
        AddField(fields, values, n, text.substr(s), true);
    else
        AddField(fields, values, n, std::string(), false);
    values(0) = static_cast<double>(n);
}

void SplitFields(const std::string& text)
{
    SplitInto(text, ',', g_ArgStr, g_ArgNum);
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

void ReadDeviceFields(int32_t device)
{
    g_DevArgStr.Redim(0, 0);
    g_DevArgNum.Redim(0, 0);
    g_DevArgNum(0) = 0;
    DeviceRec record{};
    if (D_ReadDevice(device, &record) == 0) return;
    std::string text = Trim(PtrToStr(record.Package));
    const size_t blank = text.find(' ');
    if (blank == std::string::npos) return;
    // The package name goes; the fields are separated by the character 128.
    SplitInto(text.substr(blank + 1), static_cast<char>(128), g_DevArgStr, g_DevArgNum);
}

std::string FirstWord(const std::string& text)
{
    return text.substr(0, text.find(' '));
}

std::string CommaToPoint(const std::string& text)
{
    std::string out = text;
    const size_t comma = out.find(',');
    if (comma != std::string::npos) out[comma] = '.';
    return out;
}

void RemoveSpaces(std::string& text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
}

std::string SplitAtLast(const std::string& text, std::string& separator, bool wantLeft)
{
    separator = Trim(separator);
    if (separator.size() >= 2) return {};
    size_t found = 0;  // position from 1 of the last separator; 0 when none
    if (separator.size() == 1) {
        const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
        const char wanted = lower(separator[0]);
        for (size_t i = text.size(); i > 0; --i)
            if (lower(text[i - 1]) == wanted) {
                found = i;
                break;
            }
    }
    return wantLeft ? text.substr(0, found) : text.substr(found);
}

void FindFreeName(int32_t& ok, int32_t nameMap, const std::string& name, std::string& newName)
{
    std::memset(g_StrBuf, 0, kStrBufSize);
    if (OM_FindNextFreeNumSuffix(nameMap, name.c_str(), g_StrBuf) < 1) {
        ok = 1;
        newName = name;
        return;
    }
    ok = 0;
    newName = std::string(g_StrBuf, strnlen(g_StrBuf, kStrBufSize));
}

void SwapLong(int32_t& a, int32_t& b)
{
    std::swap(a, b);
}

void SwapPoint(PointL& p, PointL& q)
{
    std::swap(p.X, q.X);
    std::swap(p.Y, q.Y);
}

std::string DisplayText(const std::string& text)
{
    return text;
}

std::string EnteredText(const std::string& text)
{
    return text;
}

namespace {

// The locale that decides the language of the user interface.
std::string UserLocaleName()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

struct LanguageEntry {
    const char* code;
    int primary;
    int16_t charset;
};

// The system's primary language numbers and the character set of each
// language's script.
constexpr LanguageEntry kLanguages[] = {
    {"ar", 0x01, 178}, {"bg", 0x02, 204}, {"ca", 0x03, 0},   {"zh", 0x04, 136}, {"cs", 0x05, 238},
    {"da", 0x06, 0},   {"de", 0x07, 0},   {"el", 0x08, 161}, {"en", 0x09, 0},   {"es", 0x0A, 0},
    {"fi", 0x0B, 0},   {"fr", 0x0C, 0},   {"he", 0x0D, 177}, {"hu", 0x0E, 238}, {"is", 0x0F, 0},
    {"it", 0x10, 0},   {"ja", 0x11, 128}, {"ko", 0x12, 129}, {"nl", 0x13, 0},   {"nb", 0x14, 0},
    {"nn", 0x14, 0},   {"no", 0x14, 0},   {"pl", 0x15, 238}, {"pt", 0x16, 0},   {"ro", 0x18, 238},
    {"ru", 0x19, 204}, {"hr", 0x1A, 238}, {"sk", 0x1B, 238}, {"sq", 0x1C, 238}, {"sv", 0x1D, 0},
    {"th", 0x1E, 222}, {"tr", 0x1F, 162}, {"ur", 0x20, 178}, {"id", 0x21, 0},   {"uk", 0x22, 204},
    {"be", 0x23, 204}, {"sl", 0x24, 238}, {"et", 0x25, 186}, {"lv", 0x26, 186}, {"lt", 0x27, 186},
    {"fa", 0x29, 178}, {"vi", 0x2A, 163}, {"eu", 0x2D, 0},
};

struct SubLanguageEntry {
    const char* code;
    const char* country;
    int sub;
};

// Countries whose sub-language is not the first of their language.
constexpr SubLanguageEntry kSubLanguages[] = {
    {"zh", "TW", 1}, {"zh", "CN", 2}, {"zh", "HK", 3}, {"zh", "SG", 4}, {"zh", "MO", 5},
    {"en", "US", 1}, {"en", "GB", 2}, {"en", "AU", 3}, {"en", "CA", 4}, {"en", "NZ", 5},
    {"de", "DE", 1}, {"de", "CH", 2}, {"de", "AT", 3}, {"fr", "FR", 1}, {"fr", "BE", 2},
    {"fr", "CA", 3}, {"fr", "CH", 4}, {"pt", "BR", 1}, {"pt", "PT", 2}, {"es", "MX", 2},
};

// "de_DE.UTF-8@euro" -> language "de", country "DE".
void SplitLocale(const std::string& locale, std::string& language, std::string& country)
{
    const size_t end = locale.find_first_of(".@");
    const std::string base = locale.substr(0, end);
    const size_t underscore = base.find('_');
    language = base.substr(0, underscore);
    country = underscore == std::string::npos ? std::string() : base.substr(underscore + 1);
    for (char& c : language) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : country) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

const LanguageEntry* FindLanguage(const std::string& language)
{
    for (const LanguageEntry& entry : kLanguages)
        if (language == entry.code) return &entry;
    return nullptr;
}

// The user's language (null when it is not one of kLanguages) and its
// sub-language number.
const LanguageEntry* UserLanguage(int& sub)
{
    std::string language, country;
    SplitLocale(UserLocaleName(), language, country);
    sub = 1;
    for (const SubLanguageEntry& s : kSubLanguages)
        if (language == s.code && country == s.country) sub = s.sub;
    return FindLanguage(language);
}

}  // namespace

int32_t UserLanguageId()
{
    int sub = 1;
    const LanguageEntry* entry = UserLanguage(sub);
    if (!entry) return 0x0409;
    return entry->primary | (sub << 10);
}

int16_t GetLocaleCharset()
{
    int sub = 1;
    const LanguageEntry* entry = UserLanguage(sub);
    if (!entry) return 0;
    // Simplified Chinese (China, Singapore) has its own character set.
    if (entry->primary == 4 && (sub == 2 || sub == 4)) return 134;
    return entry->charset;
}

bool IsFontAvailable(std::string& name)
{
    // Fonts need the window system; without it no font is available.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    const QString requested = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    const QString reported = QFontInfo(QFont(requested)).family();
    name = reported.toUtf8().toStdString();
    return reported.compare(requested, Qt::CaseInsensitive) == 0;
}

int16_t PrimaryLangId(int32_t languageId)
{
    return static_cast<int16_t>(languageId & 1023);
}

int16_t SubLangId(int32_t languageId)
{
    return static_cast<int16_t>(ToLong(languageId / 1024.0));
}
