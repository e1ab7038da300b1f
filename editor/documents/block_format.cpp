#include "editor/documents/block_format.h"

#include <cmath>
#include <limits>
#include <set>
#include <unordered_set>

namespace block {

namespace {

std::vector<std::string> Split(std::string_view line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.emplace_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) return fields;
        start = comma + 1;
    }
}

// A whole number as the writer writes it: one optional blank, an optional
// minus sign, digits; within 32 bits.
bool ParseInt(const std::string& text, int32_t& value)
{
    size_t i = 0;
    if (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && text[i] == '-') {
        negative = true;
        ++i;
    }
    if (i >= text.size()) return false;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
        if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return false;
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min()) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool ParseId(const std::string& text, int32_t& id)
{
    if (text.size() < 2 || text[0] != '#') return false;
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    int32_t value = 0;
    if (!ParseInt(text.substr(1), value) || value <= 0) return false;
    id = value;
    return true;
}

class Parser {
public:
    Parser(File& file, Problem& problem) : file_(file), problem_(problem) {}

    bool Fail(const std::string& reason)
    {
        problem_.line = line_;
        problem_.reason = reason;
        return false;
    }

    bool Run(std::string_view bytes)
    {
        if (bytes.size() > kMaxFile) return Fail("the file is too large");
        size_t pos = 0;
        while (pos < bytes.size()) {
            ++line_;
            size_t end = bytes.find('\n', pos);
            if (end == std::string_view::npos) end = bytes.size();
            std::string_view text = bytes.substr(pos, end - pos);
            pos = end + 1;
            if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
            if (text.size() > kMaxLine) return Fail("the line is too long");
            for (const char c : text)
                if (static_cast<unsigned char>(c) < 32 || c == 127) return Fail("the line holds a control character");
            if (text.empty()) continue;
            fields_ = Split(text);
            int32_t code = 0;
            if (!ParseInt(fields_[0], code)) continue;  // not a record of the block
            if (code == kEnd) return true;
            if (!Record(code)) return false;
        }
        line_ = 0;
        return Fail("the file ends before its end record \"999\"");
    }

private:
    bool Need(size_t count)
    {
        if (fields_.size() < count) return Fail("fields are missing");
        return true;
    }
    bool Int(size_t field, int32_t& value, const char* what)
    {
        if (!ParseInt(fields_[field], value)) return Fail(std::string("the ") + what + " is not a whole number");
        return true;
    }
    bool Byte(size_t field, int32_t& value, const char* what)
    {
        if (!Int(field, value, what)) return false;
        if (value < 0 || value > 255) return Fail(std::string("the ") + what + " lies outside 0..255");
        return true;
    }
    bool Id(size_t field, int32_t& value, const char* what)
    {
        if (!ParseId(fields_[field], value)) return Fail(std::string("the ") + what + " is not an id (\"#\" and digits)");
        return true;
    }
    bool Name(size_t field, std::string& value, const char* what)
    {
        value = fields_[field];
        if (value.empty()) return Fail(std::string("the ") + what + " is empty");
        return true;
    }
    bool KnownComp(int32_t id)
    {
        if (compIds_.count(id) == 0) return Fail("the component " + IdText(id) + " is not defined before");
        return true;
    }

    bool Record(int32_t code)
    {
        switch (code) {
        case kHeader:
            if (!Need(3) || !Int(1, file_.width, "width") || !Int(2, file_.height, "height")) return false;
            file_.hasHeader = true;
            return true;
        case kComp: return CompRecord();
        case kNet: return NetRecord();
        case kNode: return NodeRecord();
        case kBranch: return BranchRecord();
        case kPoint: return PointRecord();
        case kText: return TextRecord();
        default: return true;  // another code: skipped
        }
    }

    bool CompRecord()
    {
        if (!file_.nets.empty() || !file_.branches.empty()) return Fail("a component record follows the nets or wires");
        if (fields_.size() != 9) return Fail(fields_.size() < 9 ? "fields are missing" : "the record has too many fields");
        Comp comp;
        comp.line = line_;
        if (!Id(1, comp.id, "component id") || !Name(2, comp.name, "component name") ||
            !Name(3, comp.device, "part name") || !Name(4, comp.symbol, "symbol name") ||
            !Byte(5, comp.flags, "component flags") || !Int(6, comp.angle, "angle") || !Int(7, comp.x, "X offset") ||
            !Int(8, comp.y, "Y offset"))
            return false;
        if (comp.angle < 0 || comp.angle >= 360000) return Fail("the angle lies outside 0..359999");
        if (!compIds_.insert(comp.id).second) return Fail("the component " + IdText(comp.id) + " is defined twice");
        file_.comps.push_back(comp);
        return true;
    }

    bool NetRecord()
    {
        if (!file_.branches.empty()) return Fail("a net record follows the wires");
        if (!Need(3)) return false;
        Net net;
        net.line = line_;
        if (!Id(1, net.id, "net id") || !Name(2, net.name, "net name")) return false;
        if (fields_.size() > 3 && !Byte(3, net.flags, "net flags")) return false;
        if (!netIds_.insert(net.id).second) return Fail("the net " + IdText(net.id) + " is defined twice");
        file_.nets.push_back(net);
        return true;
    }

    bool NodeRecord()
    {
        if (!file_.branches.empty()) return Fail("a node record follows the wires");
        if (file_.nets.empty()) return true;  // before any net: ignored
        if (!Need(3)) return false;
        Node node;
        node.line = line_;
        if (!Id(1, node.comp, "component id") || !KnownComp(node.comp) || !Int(2, node.entry, "entry number"))
            return false;
        if (node.entry < 1) return Fail("the entry number is below 1");
        file_.nets.back().nodes.push_back(node);
        return true;
    }

    bool BranchRecord()
    {
        if (!Need(3)) return false;
        Branch branch;
        branch.line = line_;
        if (!Id(1, branch.net, "net id") || !Name(2, branch.netName, "net name")) return false;
        file_.branches.push_back(branch);
        return true;
    }

    bool PointRecord()
    {
        if (file_.branches.empty()) return true;  // before any wire: ignored
        if (!Need(2)) return false;
        Point point;
        point.line = line_;
        if (!Byte(1, point.flags, "point flags")) return false;
        const int32_t kind = point.flags & 6;
        if (kind == 2) {
            if (!Need(6) || !Id(2, point.comp, "component id") || !KnownComp(point.comp) ||
                !Int(3, point.entry, "entry number") || !Int(4, point.x, "X offset") || !Int(5, point.y, "Y offset"))
                return false;
            if (point.entry < 1) return Fail("the entry number is below 1");
        } else if (kind == 4) {
            if (!Need(4) || !Int(2, point.x, "X offset") || !Int(3, point.y, "Y offset")) return false;
        } else {
            return true;  // neither pin nor junction: skipped
        }
        file_.branches.back().points.push_back(point);
        return true;
    }

    bool TextRecord()
    {
        if (file_.branches.empty()) return true;
        if (!Need(12)) return false;
        Text text;
        text.line = line_;
        if (!Byte(1, text.attribute, "text attribute") || !Int(2, text.link, "link") ||
            !Byte(3, text.byte1, "first byte attribute") || !Byte(4, text.byte2, "second byte attribute") ||
            !Int(5, text.value, "attribute value") || !Int(6, text.gap, "gap") || !Int(7, text.angle, "angle") ||
            !Int(8, text.height, "text height") || !Int(9, text.width, "text width") || !Int(10, text.x, "X offset") ||
            !Int(11, text.y, "Y offset"))
            return false;
        if (text.angle < 0 || text.angle >= 360000) return Fail("the angle lies outside 0..359999");
        if (text.height <= 0 || text.width <= 0) return Fail("the text size is 0 or below");
        file_.branches.back().texts.push_back(text);
        return true;
    }

    File& file_;
    Problem& problem_;
    int line_ = 0;
    std::vector<std::string> fields_;
    std::unordered_set<int32_t> compIds_;
    std::unordered_set<int32_t> netIds_;
};

}  // namespace

bool ParseBlock(std::string_view bytes, File& file, Problem& problem)
{
    file = File{};
    problem = Problem{};
    Parser parser(file, problem);
    if (parser.Run(bytes)) return true;
    file = File{};
    return false;
}

bool PlaceOffset(const Placement& where, int32_t& x, int32_t& y, int32_t& angle, int32_t mirror)
{
    double px = x;
    double py = y;
    int64_t a = angle;
    if (where.rotation != 0) {
        const double length = std::hypot(px, py);
        const double direction = std::atan2(py, px) + where.rotation * M_PI / 180.0;
        px = std::nearbyint(length * std::cos(direction));
        py = std::nearbyint(length * std::sin(direction));
        a = static_cast<int64_t>(std::llround(where.rotation * 1000.0)) * mirror + angle;
        a %= 360000;
        if (a < 0) a += 360000;
    }
    px += where.dropX;
    py += where.dropY;
    if (!(std::fabs(px) <= kCoordLimit) || !(std::fabs(py) <= kCoordLimit)) return false;
    x = static_cast<int32_t>(px);
    y = static_cast<int32_t>(py);
    angle = static_cast<int32_t>(a);
    return true;
}

bool PlaceBlock(File& file, const Placement& where, Problem& problem)
{
    const auto outside = [&problem](int line) {
        problem.line = line;
        problem.reason = "the position leaves the drawing area";
        return false;
    };
    for (Comp& comp : file.comps)
        if (!PlaceOffset(where, comp.x, comp.y, comp.angle, (comp.flags & 2) != 0 ? -1 : 1)) return outside(comp.line);
    for (Branch& branch : file.branches) {
        for (Point& point : branch.points) {
            int32_t angle = 0;
            if (!PlaceOffset(where, point.x, point.y, angle, 1)) return outside(point.line);
        }
        for (Text& text : branch.texts)
            if (!PlaceOffset(where, text.x, text.y, text.angle, 1)) return outside(text.line);
    }
    return true;
}

std::string PlainNumber(int64_t value)
{
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string IdText(int32_t id)
{
    return "#" + std::to_string(id);
}

bool IsFieldText(const std::string& name)
{
    if (name.empty()) return false;
    for (const char c : name)
        if (c == ',' || static_cast<unsigned char>(c) < 32 || c == 127) return false;
    return true;
}

}  // namespace block
