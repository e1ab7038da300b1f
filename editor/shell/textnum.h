// Text and number helpers shared by the whole editor: the comma splitter
// through which command strings and file lines are read, the number reader,
// the conversion of the kernel's C strings, the search for a free numbered
// name, small cutting and trimming rules, the display and entry hooks, the
// locale helpers and the rounding conversion. Numbers are turned into text
// by numtext.h alone.
#pragma once

#include "editor/shell/checked_array.h"
#include "editor/shell/numtext.h"

#include <cstdint>
#include <string>

// Carriage return and line feed: the line end of messages, reports and the
// editor's text files.
inline const std::string g_CrLf = "\r\n";

// Fields of the last text given to SplitFields: g_ArgStr(1..n) the texts,
// g_ArgNum(1..n) their values, g_ArgNum(0) the field count n.
extern CheckedArray<std::string> g_ArgStr;
extern CheckedArray<double> g_ArgNum;
// The same for the last package text given to ReadDeviceFields.
extern CheckedArray<std::string> g_DevArgStr;
extern CheckedArray<double> g_DevArgNum;

// Shared 1024-character buffer through which kernel strings pass.
constexpr size_t kStrBufSize = 1024;
extern char g_StrBuf[kStrBufSize];

// Splits `text` at every comma; nothing is trimmed. k commas give k + 1
// fields; an empty last field has the value 0.
void SplitFields(const std::string& text);
// The same splitting at `separator` into the caller's arrays.
void SplitInto(const std::string& text, char separator, CheckedArray<std::string>& fields,
               CheckedArray<double>& values);

// Reads a number, taking the first comma as the decimal point; what cannot
// be read is 0.
double ParseNum(const std::string& text);

// Reads a number by the runtime's rule: blanks, tabs and line feeds skipped,
// sign, digits, one point, exponent E or D, "&H" hexadecimal and "&O" octal;
// stops at the first character that fits none of these.
double ReadNumber(const std::string& text);

// Splits the fields of device `device`'s package text (after the package
// name and its blank, separated by the character 128) into g_DevArgStr and
// g_DevArgNum; both stay empty (count 0) when the device cannot be read or
// its text has no blank.
void ReadDeviceFields(int32_t device);

// The text up to its first blank (the whole text when it has none).
std::string FirstWord(const std::string& text);
// The text with its first comma replaced by a point.
std::string CommaToPoint(const std::string& text);
// Removes every blank, in place.
void RemoveSpaces(std::string& text);
// The part of `text` before (wantLeft, ending with the separator) or after
// the last `separator`, found without regard to letter case. The separator
// is trimmed first, in place; one of two or more characters gives "".
std::string SplitAtLast(const std::string& text, std::string& separator, bool wantLeft);

// Copies a kernel C string (null gives the empty text) through g_StrBuf,
// cut to the buffer's size.
std::string PtrToStr(const char* address);

// The next free numbered variant of `name` in the kernel map `nameMap`
// ("UN" -> "UN3"): ok 0 and newName set; ok 1 and newName = name when the
// kernel could make none.
void FindFreeName(int32_t& ok, int32_t nameMap, const std::string& name, std::string& newName);

// A point of two Longs.
struct PointL {
    int32_t X = 0;
    int32_t Y = 0;
};
void SwapLong(int32_t& a, int32_t& b);
void SwapPoint(PointL& p, PointL& q);

// The hooks that every displayed text (message boxes, the prompt and message
// lines, the input box) and every typed text pass through.
std::string DisplayText(const std::string& text);
std::string EnteredText(const std::string& text);

// The language of the user's locale as the system numbers languages
// (English, United States 0x0409; German 0x0407; Chinese, Taiwan 0x0404),
// from LC_ALL, LC_MESSAGES or LANG; English when none is set or the locale
// is "C" or "POSIX".
int32_t UserLanguageId();
// The character-set number of the user's locale's script (0 Western, 128
// Japanese, 129 Korean, 134 and 136 Chinese, 161 Greek, 204 Cyrillic, 238
// Central European ...).
int16_t GetLocaleCharset();
// True when a font of that family is installed, compared without regard to
// letter case; `name` takes the family name as the font system reports it.
// Font family names are UTF-8, the system's own text.
bool IsFontAvailable(std::string& name);
// The language id's low 10 bits, and the sub-language (id / 1024, rounded).
int16_t PrimaryLangId(int32_t languageId);
int16_t SubLangId(int32_t languageId);

// Rounds to the nearest whole number, halves to the even one; raises the
// overflow error (6) outside the 32-bit range.
int32_t ToLong(double value);

// Removes leading and trailing blanks (code 32 only).
std::string Trim(const std::string& text);
std::string UCase(const std::string& text);
