// Text and number helpers shared by the whole editor: the comma splitter
// through which command strings and file lines are read, the number reader,
// the conversion of the kernel's C strings, and the rounding conversion.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

// Fields of the last text given to SplitFields: g_ArgStr(1..n) the texts,
// g_ArgNum(1..n) their values, g_ArgNum(0) the field count n.
extern CheckedArray<std::string> g_ArgStr;
extern CheckedArray<double> g_ArgNum;

// Shared 1024-character buffer through which kernel strings pass.
constexpr size_t kStrBufSize = 1024;
extern char g_StrBuf[kStrBufSize];

// Splits `text` at every comma; nothing is trimmed.
void SplitFields(const std::string& text);

// Reads a number, taking the first comma as the decimal point; what cannot
// be read is 0.
double ParseNum(const std::string& text);

// Reads a number by the runtime's rule: blanks, tabs and line feeds skipped,
// sign, digits, one point, exponent E or D, "&H" hexadecimal and "&O" octal;
// stops at the first character that fits none of these.
double ReadNumber(const std::string& text);

// Copies a kernel C string (null gives the empty text) through g_StrBuf,
// cut to the buffer's size.
std::string PtrToStr(const char* address);

// Rounds to the nearest whole number, halves to the even one; raises the
// overflow error (6) outside the 32-bit range.
int32_t ToLong(double value);

// Removes leading and trailing blanks (code 32 only).
std::string Trim(const std::string& text);
std::string UCase(const std::string& text);
