#include "fuzz/block/block_fuzz.h"

#include "editor/documents/block_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace block_fuzz {

namespace {

bool Inside(int32_t x, int32_t y)
{
    return x >= -kCoordLimit && x <= kCoordLimit && y >= -kCoordLimit && y <= kCoordLimit;
}

// The promises of an accepted file.
std::string CheckParsed(const block::File& file)
{
    std::set<int32_t> comps;
    for (const block::Comp& c : file.comps) {
        if (!comps.insert(c.id).second) return "component id accepted twice";
        if (c.name.empty() || c.symbol.empty()) return "empty component name accepted";
        if (c.flags < 0 || c.flags > 255) return "component flags out of range";
        if (c.angle < 0 || c.angle >= 360000) return "component angle out of range";
    }
    std::set<int32_t> nets;
    for (const block::Net& n : file.nets) {
        if (!nets.insert(n.id).second) return "net id accepted twice";
        if (n.name.empty()) return "empty net name accepted";
        for (const block::Node& node : n.nodes)
            if (!comps.count(node.comp)) return "node of an unknown component accepted";
    }
    for (const block::Branch& b : file.branches) {
        // A wire of a net the file does not define joins the design's net
        // of its name (or a new one): no link to check.
        for (const block::Point& p : b.points) {
            if (p.flags < 0 || p.flags > 255) return "point flags out of range";
            if (p.AtPin() && !comps.count(p.comp)) return "wire point at an unknown component accepted";
        }
        for (const block::Text& t : b.texts) {
            if (t.height <= 0 || t.width <= 0) return "text size of 0 or below accepted";
            if (t.angle < 0 || t.angle >= 360000) return "text angle out of range";
            for (const int32_t byte : {t.byte1, t.byte2})
                if (byte < 0 || byte > 255) return "text byte out of range";
        }
    }
    return {};
}

std::string CheckPlaced(const block::File& file)
{
    for (const block::Comp& c : file.comps) {
        if (!Inside(c.x, c.y)) return "placed component outside the drawing area";
        if (c.angle < 0 || c.angle >= 360000) return "placed component angle out of range";
    }
    for (const block::Branch& b : file.branches) {
        for (const block::Point& p : b.points)
            if (!Inside(p.x, p.y)) return "placed wire point outside the drawing area";
        for (const block::Text& t : b.texts)
            if (!Inside(t.x, t.y)) return "placed wire text outside the drawing area";
    }
    return {};
}

}  // namespace

std::string CheckBlockText(std::string_view bytes, double rotation)
{
    block::File file;
    block::Problem problem;
    const int lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    if (!block::ParseBlock(bytes, file, problem)) {
        if (problem.reason.empty()) return "refusal without a reason";
        if (problem.line < 0 || problem.line > lines) return "refusal on a line beyond the file";
        return {};
    }
    if (std::string broken = CheckParsed(file); !broken.empty()) return broken;
    block::Placement where;
    where.dropX = kCoordLimit - 1000000;
    where.dropY = -kCoordLimit + 1000000;
    where.rotation = rotation;
    if (!block::PlaceBlock(file, where, problem)) {
        if (problem.line <= 0 || problem.line > lines) return "placement refused without its record's line";
        return {};
    }
    return CheckPlaced(file);
}

std::string CheckInput(const uint8_t* data, size_t size)
{
    if (size == 0) return {};
    const double rotation = 90.0 * (data[0] & 3);
    return CheckBlockText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), rotation);
}

}  // namespace block_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string problem = block_fuzz::CheckInput(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "block file parser: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
