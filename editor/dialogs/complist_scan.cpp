#include "editor/dialogs/complist_scan.h"

#include "editor/objects/comp_state.h"
#include "editor/shell/textnum.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr size_t kNameLength = 15;

// The text without blanks, and for every character kept its position in the
// text as typed (one more entry: the typed length).
struct Stripped {
    std::string text;
    std::vector<size_t> typedPos;
};

Stripped StripBlanks(const std::string& typed)
{
    Stripped s;
    s.text.reserve(typed.size());
    s.typedPos.reserve(typed.size() + 1);
    for (size_t i = 0; i < typed.size(); ++i) {
        if (typed[i] == ' ') continue;
        s.text.push_back(typed[i]);
        s.typedPos.push_back(i);
    }
    s.typedPos.push_back(typed.size());
    return s;
}

// A line of the blank-free text: [start, start + length), ended by CR LF
// unless `open`.
struct LineSpan {
    size_t start = 0;
    size_t length = 0;
    bool open = false;
};

// The typed selection of a whole line and its line end.
void SelectLine(const Stripped& s, const LineSpan& line, size_t typedLength, CompListResult& r)
{
    const size_t from = line.start == 0 ? 0 : s.typedPos[line.start - 1] + 1;
    const size_t to = s.typedPos[line.start + line.length];  // the line's CR, or the text's end
    r.selStart = from;
    r.selLength = std::min(to + 1, typedLength) - from;
}

// The first character of the line only.
void SelectFirst(const Stripped& s, const LineSpan& line, size_t typedLength, CompListResult& r)
{
    r.selStart = line.start == 0 ? 0 : s.typedPos[line.start - 1] + 1;
    r.selLength = r.selStart < typedLength ? 1 : 0;
}

bool HasControlCharacter(const std::string& line)
{
    for (char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 32 || u == 127) return true;
    }
    return false;
}

// The number of a decimal text as the runtime reads it, computed without the
// reader's mapping of an overflow to 0: true when it is infinite.
bool DecimalOverflows(const std::string& field)
{
    size_t i = 0;
    std::string number;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) number.push_back(field[i++]);
    bool digits = false;
    bool point = false;
    for (; i < field.size(); ++i) {
        const char c = field[i];
        if (c >= '0' && c <= '9') {
            digits = true;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
        number.push_back(c);
    }
    if (!digits) return false;
    if (i < field.size() && (field[i] == 'E' || field[i] == 'e' || field[i] == 'D' || field[i] == 'd')) {
        std::string exponent = "e";
        size_t j = i + 1;
        if (j < field.size() && (field[j] == '+' || field[j] == '-')) exponent.push_back(field[j++]);
        bool expDigits = false;
        for (; j < field.size() && field[j] >= '0' && field[j] <= '9'; ++j) {
            exponent.push_back(field[j]);
            expDigits = true;
        }
        if (expDigits) number += exponent;
    }
    return !std::isfinite(std::strtod(number.c_str(), nullptr));
}

// A whole 32-bit number rounded from `value`, if there is one.
std::optional<int32_t> ToGroup(double value, bool finite)
{
    if (!finite) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < -2147483648.0 || rounded > 2147483647.0) return std::nullopt;
    return static_cast<int32_t>(rounded);
}

int ModeOfLetter(const std::string& letter, bool create)
{
    if (letter == "A") return 0;
    if (letter == "P") return 1;
    if (letter == "R") return 2;
    if (letter == "V" && !create) return 3;
    return -1;
}

struct Fields {
    CheckedArray<std::string> text;
    CheckedArray<double> value;
    long count = 0;
    const std::string& operator[](long i) const { return text(i); }
};

Fields Split(const std::string& line)
{
    Fields f;
    SplitInto(line, ',', f.text, f.value);
    f.count = static_cast<long>(f.value(0));
    return f;
}

// One create line: 0 and the entry, or the error code.
int ParseCreateLine(const std::string& line, const ListCoordContext& context, CompListLookups& lookups,
                    std::vector<std::string>& handed, CompListResult& r, CompListEntry& entry)
{
    if (HasControlCharacter(line)) return listerr::kFormat;
    Fields f = Split(line);
    r.field1 = f[1];
    r.field1Value = f.value(1);
    if (f.count < 3) return listerr::kFormat;

    std::string name;
    if (!lookups.FreeCompName(handed, name)) return listerr::kNoFreeName;
    handed.push_back(name);
    r.field1 = name;

    const std::string& refMode = f[2];
    r.refName = f[3];
    int32_t group = 0;
    int32_t refId = 0;
    // A reference the kernel refused to load: the line is read on, its entry
    // skipped.
    bool refused = false;
    if (refMode == "s") {
        const int err = lookups.LookupSymbol(f[3], refId);
        if (err == listerr::kLoadRefused)
            refused = true;
        else if (err != 0)
            return err;
    } else if (refMode == "d") {
        double value = 0;
        const bool finite = ListFieldNumber(f.text(1), value);
        const std::optional<int32_t> wanted = ToGroup(value, finite);
        const int err = lookups.LookupPart(f[3], wanted, refId);
        if (err == listerr::kLoadRefused)
            refused = true;
        else if (err != 0)
            return err;
        group = wanted.value_or(0);
    } else {
        return listerr::kFormat;
    }

    double x = 0, y = 0, rot = 0;
    int32_t mode = 1;
    if (f.count >= 6) {
        const bool ok = ListFieldNumber(f[4], x) & ListFieldNumber(f[5], y) & ListFieldNumber(f[6], rot);
        if (f.count >= 7) {
            mode = ModeOfLetter(f[7], true);
            if (mode < 0) return listerr::kCoordMode;
        } else {
            mode = context.menuMode;
        }
        if (!ok) return listerr::kRange;
    }
    if (const int err = ConvertListCoords(mode, 0, 0, x, y, rot, context, entry.X, entry.Y, entry.Angle))
        return err;
    entry.Angle = lookups.AdjustAngle(entry.Angle);
    entry.Name = FixedText(name, kNameLength);
    entry.Group = group;
    entry.RefId = refused ? 0 : refId;
    entry.Skip = refused;
    return 0;
}

// One relocation line.
int ParseRelocLine(const std::string& line, const ListCoordContext& context, CompListLookups& lookups,
                   CompListResult& r, CompListEntry& entry)
{
    if (HasControlCharacter(line)) return listerr::kFormat;
    Fields f = Split(line);
    r.field1 = f[1];
    r.field1Value = f.value(1);
    if (f.count < 4) return listerr::kFormat;

    int32_t id = 0, curX = 0, curY = 0;
    if (!lookups.FindComp(f[1], id, curX, curY)) return listerr::kNoComponent;

    int32_t mode = context.menuMode;
    if (f.count >= 5) {
        mode = ModeOfLetter(f[5], false);
        if (mode < 0) return listerr::kCoordMode;
    }
    double x = 0, y = 0, rot = 0;
    const bool ok = ListFieldNumber(f[2], x) & ListFieldNumber(f[3], y) & ListFieldNumber(f[4], rot);
    if (!ok) return listerr::kRange;
    if (const int err = ConvertListCoords(mode, curX, curY, x, y, rot, context, entry.X, entry.Y, entry.Angle))
        return err;
    entry.Angle = lookups.AdjustAngle(entry.Angle);
    entry.Name = FixedText(f[1], kNameLength);
    entry.CompId = id;
    return 0;
}

}  // namespace

bool ListFieldNumber(const std::string& field, double& value)
{
    value = ParseNum(field);
    return std::isfinite(value) && !DecimalOverflows(field);
}

int ConvertListCoords(int32_t mode, int32_t curX, int32_t curY, double x, double y, double rot,
                      const ListCoordContext& context, int32_t& outX, int32_t& outY, int32_t& outAngle)
{
    double originX = 0, originY = 0;
    switch (mode) {
    case 1:
        originX = context.frameX;
        originY = context.frameY;
        break;
    case 2:
        originX = context.refX;
        originY = context.refY;
        break;
    case 3:
        originX = curX;
        originY = curY;
        break;
    default:
        break;
    }
    const double dbX = x / context.unitFactor * context.dbUnitsPerMm + originX;
    const double dbY = y / context.unitFactor * context.dbUnitsPerMm + originY;
    if (!std::isfinite(rot) || std::fabs(rot) > 360.0) return listerr::kRange;
    if (!std::isfinite(dbX) || std::fabs(dbX) > kCoordLimit) return listerr::kRange;
    if (!std::isfinite(dbY) || std::fabs(dbY) > kCoordLimit) return listerr::kRange;
    outX = ToLong(dbX);
    outY = ToLong(dbY);
    outAngle = ToLong(rot * 1000.0);
    return 0;
}

CompListResult ParseCompList(const std::string& typed, bool create, const ListCoordContext& context,
                             CompListLookups& lookups)
{
    CompListResult r;
    const Stripped s = StripBlanks(typed);
    r.stripped = s.text;
    const std::string& text = s.text;

    if (text.find("\r\n@END") == std::string::npos) {
        r.error = listerr::kEndMissing;
        r.selStart = typed.size();
        r.selLength = 0;
        return r;
    }

    std::vector<std::string> handed;
    size_t pos = 0;
    for (;;) {
        LineSpan line;
        line.start = pos;
        const size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            line.length = text.size() - pos;
            line.open = true;
            r.error = create ? listerr::kEndMissing : listerr::kTextMissing;
            SelectFirst(s, line, typed.size(), r);
            return r;
        }
        line.length = end - pos;
        const std::string content = text.substr(pos, line.length);
        if (content == "@END") return r;

        CompListEntry entry;
        const int err = create ? ParseCreateLine(content, context, lookups, handed, r, entry)
                               : ParseRelocLine(content, context, lookups, r, entry);
        if (err != 0) {
            r.error = err;
            SelectLine(s, line, typed.size(), r);
            return r;
        }
        r.entries.push_back(entry);
        pos = end + 2;
    }
}
