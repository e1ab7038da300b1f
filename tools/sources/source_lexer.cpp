#include "tools/sources/source_lexer.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace nvo_sources {

std::string Where(const SourcePos& pos)
{
    return pos.file + ":" + std::to_string(pos.line);
}

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

// A decimal number without exponent: optional sign, digits, at most one
// point, at least one digit. Gives the number and the rest of the word.
bool SplitNumber(const std::string& word, double& number, std::string& rest)
{
    size_t i = 0;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) ++i;
    size_t digits = 0;
    bool point = false;
    for (; i < word.size(); ++i) {
        const char c = word[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    // from_chars takes no leading '+'.
    const size_t start = word[0] == '+' ? 1 : 0;
    const auto result = std::from_chars(word.data() + start, word.data() + i, number);
    if (result.ec != std::errc() || result.ptr != word.data() + i) return false;
    rest = word.substr(i);
    return true;
}

// Database units per suffix unit; 0 for an unknown suffix.
double SuffixScale(const std::string& suffix)
{
    if (suffix == "in") return static_cast<double>(kUnitsPerInch);
    if (suffix == "mil") return kUnitsPerInch / 1000.0;
    if (suffix == "mm") return 100000.0;
    if (suffix == "u") return 1.0;
    return 0.0;
}

}  // namespace

bool Tokenize(const std::string& text, const std::string& fileName, std::vector<SourceLine>& lines,
              std::string& error)
{
    lines.clear();
    int number = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(pos, end - pos);
        ++number;
        SourceLine out;
        out.pos = {fileName, number};
        size_t i = 0;
        while (i < line.size()) {
            const char c = line[i];
            if (IsBlank(c)) {
                ++i;
            } else if (c == '#') {
                break;
            } else if (c == '(' || c == ')') {
                out.tokens.push_back({c == '(' ? Token::Kind::Open : Token::Kind::Close, std::string(1, c)});
                ++i;
            } else if (c == '"') {
                std::string s;
                ++i;
                bool closed = false;
                while (i < line.size()) {
                    const char d = line[i];
                    if (d == '"') {
                        closed = true;
                        ++i;
                        break;
                    }
                    if (d == '\\') {
                        if (i + 1 >= line.size() || (line[i + 1] != '"' && line[i + 1] != '\\')) {
                            error = Where(out.pos) + ": in a quoted text a backslash must be followed by \" or \\";
                            return false;
                        }
                        s += line[i + 1];
                        i += 2;
                        continue;
                    }
                    if (static_cast<unsigned char>(d) < 32 && d != '\t') {
                        error = Where(out.pos) + ": control character in a quoted text";
                        return false;
                    }
                    s += d;
                    ++i;
                }
                if (!closed) {
                    error = Where(out.pos) + ": quoted text is not closed on its line";
                    return false;
                }
                out.tokens.push_back({Token::Kind::String, s});
            } else {
                std::string word;
                while (i < line.size() && !IsBlank(line[i]) && line[i] != '#' && line[i] != '(' &&
                       line[i] != ')' && line[i] != '"') {
                    if (static_cast<unsigned char>(line[i]) < 32) {
                        error = Where(out.pos) + ": control character in the line";
                        return false;
                    }
                    word += line[i++];
                }
                out.tokens.push_back({Token::Kind::Word, word});
            }
        }
        if (!out.tokens.empty()) lines.push_back(std::move(out));
        if (end == text.size()) break;
        pos = end + 1;
    }
    return true;
}

bool ParseLength(const std::string& word, int64_t unit, int32_t& value)
{
    double number = 0;
    std::string rest;
    if (!SplitNumber(word, number, rest)) return false;
    double scale = static_cast<double>(unit);
    if (!rest.empty()) {
        scale = SuffixScale(rest);
        if (scale == 0.0) return false;
    }
    const double units = std::round(number * scale);
    if (!(std::fabs(units) <= static_cast<double>(kCoordLimit))) return false;
    value = static_cast<int32_t>(units);
    return true;
}

bool ParseUnit(const std::string& word, int64_t& unit)
{
    int32_t value = 0;
    if (!ParseLength(word, 1, value) || value <= 0) return false;
    unit = value;
    return true;
}

bool ParseAngle(const std::string& word, int32_t& value)
{
    double number = 0;
    std::string rest;
    if (!SplitNumber(word, number, rest) || !rest.empty()) return false;
    if (std::fabs(number) > 360.0) return false;
    value = static_cast<int32_t>(std::lround(number * 1000.0));
    return true;
}

bool ParseInteger(const std::string& word, int32_t& value)
{
    if (word.empty()) return false;
    const size_t start = word[0] == '+' ? 1 : 0;
    if (start == 1 && (word.size() < 2 || word[1] == '-')) return false;
    int64_t v = 0;
    const auto result = std::from_chars(word.data() + start, word.data() + word.size(), v);
    if (result.ec != std::errc() || result.ptr != word.data() + word.size()) return false;
    if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool LooksNumeric(const std::string& word)
{
    if (word.empty()) return false;
    const char c = word[0];
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

}  // namespace nvo_sources
