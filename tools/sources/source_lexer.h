// The lexical layer of the readable sources: lines of tokens, numbers with
// length units, angles. See docs/SOURCES.md for the text form.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>
#include <string>
#include <vector>

namespace nvo_sources {

// Where a statement stands, for error messages ("file:line: ...").
struct SourcePos {
    std::string file;
    int line = 0;
};

std::string Where(const SourcePos& pos);

struct Token {
    enum class Kind { Word, String, Open, Close };
    Kind kind = Kind::Word;
    std::string text;
};

struct SourceLine {
    SourcePos pos;
    std::vector<Token> tokens;
};

// Splits a text into its non-empty lines of tokens. A '#' outside a quoted
// string starts a comment; '(' and ')' are tokens of their own; a quoted
// string may hold \" and \\. Returns false with `error` set ("file:line:
// message") on the first bad line; `lines` is then unspecified.
bool Tokenize(const std::string& text, const std::string& fileName, std::vector<SourceLine>& lines,
              std::string& error);

// Database units per inch; every length ends up in these units.
constexpr int64_t kUnitsPerInch = 2540000;
// Coordinates and lengths stay within plus or minus kCoordLimit.

// Reads a length: a decimal number with an optional unit suffix "in",
// "mil", "mm" or "u" (database units); a bare number counts in `unit`
// database units. The result is rounded to the nearest database unit and
// must lie within kCoordLimit. False when the word is not such a length.
bool ParseLength(const std::string& word, int64_t unit, int32_t& value);

// Reads a unit for bare numbers ("0.1in", "1mil", "1mm", "254000"): a
// length above 0 with the unit given explicitly or in database units.
bool ParseUnit(const std::string& word, int64_t& unit);

// Reads an angle in degrees ("90", "-22.5") into thousandths of a degree,
// within plus or minus 360 degrees.
bool ParseAngle(const std::string& word, int32_t& value);

// Reads a whole decimal number (an optional sign, digits) within 32 bits.
bool ParseInteger(const std::string& word, int32_t& value);

// True when the word starts like a number (a digit, a sign or a point).
bool LooksNumeric(const std::string& word);

}  // namespace nvo_sources
