// The block file (*.NSB): the text form in which a block of components,
// their nets and nodes, and the wires inside a rectangle travel between
// pages and designs. One record a line, fields separated by commas with no
// quoting; a record starts with its code:
//
//   090   width, height                          (the block rectangle)
//   1600  #comp, name, device or "none", symbol, flags, angle, x, y
//   1300  #net, name[, flags]
//   1301  #comp, entry                           (a node of the last net)
//   1700  #net, net name                         (a wire)
//   1701  flags, #comp, entry, x, y              (a wire point at a pin)
//   1701  flags, x, y                            (a wire point at a junction)
//   1702  attribute, link, byte 1, byte 2, value, gap, angle, text height,
//         text width, x, y, #net, text           (a wire text)
//   999                                          (the end)
//
// Plain numbers are written with one leading blank when not negative, ids
// as "#" and the digits. Positions are offsets from the block's reference
// point. Ids only link the records of one file.
//
// ParseBlock reads a whole file into memory and checks all of it without
// touching the design; PlaceBlock works out where everything lands. Both
// are pure, so a damaged file is refused before anything is made.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace block {

constexpr int kHeader = 90;
constexpr int kComp = 1600;
constexpr int kNet = 1300;
constexpr int kNode = 1301;
constexpr int kBranch = 1700;
constexpr int kPoint = 1701;
constexpr int kText = 1702;
constexpr int kEnd = 999;

// The longest line and the largest file a block may have.
constexpr size_t kMaxLine = 4096;
constexpr size_t kMaxFile = 64u << 20;

struct Comp {
    int line = 0;
    int32_t id = 0;
    std::string name;
    std::string device;  // "none" when the component has no device
    std::string symbol;
    int32_t flags = 0;
    int32_t angle = 0;
    int32_t x = 0;
    int32_t y = 0;
};

struct Node {
    int line = 0;
    int32_t comp = 0;  // the file's component id
    int32_t entry = 0;
};

struct Net {
    int line = 0;
    int32_t id = 0;
    std::string name;
    int32_t flags = 1;
    std::vector<Node> nodes;
};

struct Point {
    int line = 0;
    int32_t flags = 0;  // (flags And 6) 2 at a pin, 4 at a junction
    int32_t comp = 0;   // at a pin: the file's component id and its entry
    int32_t entry = 0;
    int32_t x = 0;
    int32_t y = 0;
    bool AtPin() const { return (flags & 6) == 2; }
};

struct Text {
    int line = 0;
    int32_t attribute = 0;
    int32_t link = 0;
    int32_t byte1 = 0;
    int32_t byte2 = 0;
    int32_t value = 0;
    int32_t gap = 0;
    int32_t angle = 0;
    int32_t height = 0;
    int32_t width = 0;
    int32_t x = 0;
    int32_t y = 0;
};

struct Branch {
    int line = 0;
    int32_t net = 0;  // the file's net id
    std::string netName;
    std::vector<Point> points;
    std::vector<Text> texts;
};

struct File {
    bool hasHeader = false;
    int32_t width = 0;
    int32_t height = 0;
    std::vector<Comp> comps;
    std::vector<Net> nets;
    std::vector<Branch> branches;
};

struct Problem {
    int line = 0;  // 0: the file as a whole
    std::string reason;
};

// Reads and checks the whole file. False with the first problem (its line
// number from 1) for: a file without "999", a line too long or holding a
// control character (a lone CR among them), a record of a known code with
// fields missing, a number that is not a whole 32-bit number, an id
// without "#", an id defined twice or never defined, a flag or byte value
// above 255, an angle outside 0..359999, a text size of 0 or below, an
// empty name, records out of their order (nodes after the wires). Lines
// ended by CR LF or LF; empty lines, unknown codes and lines after "999"
// are skipped; node, wire point and wire text records before their net or
// wire are ignored.
bool ParseBlock(std::string_view bytes, File& file, Problem& problem);

// Where a block lands: each position turned by `rotation` degrees about the
// reference point (lengths and angles rounded as the block drag shows
// them) and moved to the drop point; each angle turned with it (mirrored
// components the other way) into 0..359999.
struct Placement {
    int32_t dropX = 0;
    int32_t dropY = 0;
    double rotation = 0;
};

// Turns and moves one offset; the angle (thousandths of a degree) is turned
// by the rotation, `mirror` -1 for a mirrored component. False when the
// result leaves the drawing area.
bool PlaceOffset(const Placement& where, int32_t& x, int32_t& y, int32_t& angle, int32_t mirror);

// Places every position of the file in place; false with the record whose
// position would leave the drawing area.
bool PlaceBlock(File& file, const Placement& where, Problem& problem);

// The text forms of the writer.
std::string PlainNumber(int64_t value);  // " 5", "-5"
std::string IdText(int32_t id);          // "#5"
// True when `name` can be a field: not empty, no comma, no control
// character.
bool IsFieldText(const std::string& name);

}  // namespace block
