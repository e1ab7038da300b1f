// The component list texts (create list and relocation list) read into
// CompListEntry records. The scanning here touches no kernel: the lookups a
// list needs (a free name, a part with its group, a symbol, a component by
// name, the angle normalisation) come through CompListLookups, called in
// line order, and the first error of the text wins. Positions are found in
// the text with its blanks removed and given back in the text as typed, so
// that the selection of a line in error covers the line the user sees.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One parsed list line.
struct CompListEntry {
    std::string Name;    // 15 characters, cut or blank-padded
    int32_t X = 0;       // database units
    int32_t Y = 0;
    int32_t Angle = 0;   // thousandths of a degree, normalised
    int32_t Group = 0;   // gate of a part line; 0 for a symbol line and a relocation line
    int32_t RefId = 0;   // device of a part line, symbol of a symbol line; 0 for relocation
    int32_t CompId = 0;  // relocation: the component the parse found by its full name
    // Create: the kernel refused a step of bringing the line's part or
    // symbol into the design (the user was told); the entry is not made.
    bool Skip = false;
};

// Error codes of a list (the error texts are the list editor's).
namespace listerr {
constexpr int kTextMissing = -2;  // relocation: the text ends before a line "@END"
constexpr int kEndMissing = -1;   // no line "@END" after a line end
constexpr int kFormat = 1;
constexpr int kRange = 2;
constexpr int kNoComponent = 3;
constexpr int kCoordMode = 4;
constexpr int kNoFreeName = 5;
constexpr int kNoPart = 6;
constexpr int kNoGroup = 7;
constexpr int kNoSymbol = 8;
// Not an error of the text: a lookup's answer when the kernel refused a step
// of loading the line's part or symbol. The line is read on and its entry
// skipped when the list is applied.
constexpr int kLoadRefused = 100;
}  // namespace listerr

// What the coordinates of a line are converted with.
struct ListCoordContext {
    double unitFactor = 1.0;     // millimetres to the display unit (g_UnitFactor of g_UnitIndex)
    double dbUnitsPerMm = 100000;
    int32_t menuMode = 0;        // the editor's Mode menu: 0 A, 1 P, 2 R, 3 V
    int32_t frameX = 0;          // origin of mode P: the frame box's lower-left corner
    int32_t frameY = 0;
    int32_t refX = 0;            // origin of mode R: the reference point
    int32_t refY = 0;
};

// The kernel side of a parse.
class CompListLookups {
public:
    virtual ~CompListLookups() = default;
    // A name for the next new component, free in the design and not one of
    // `handed` (the names given to earlier lines); false when none.
    virtual bool FreeCompName(const std::vector<std::string>& handed, std::string& name) = 0;
    // Part `name`, group `group` (none: not a 32-bit number): 0 and the
    // device id, else kNoPart, kNoGroup, kNoSymbol or kLoadRefused.
    virtual int LookupPart(const std::string& name, std::optional<int32_t> group, int32_t& device) = 0;
    // Symbol `name`: 0 and its id, else kNoSymbol or kLoadRefused.
    virtual int LookupSymbol(const std::string& name, int32_t& symbol) = 0;
    // Schematic component `name`: true with its id and location.
    virtual bool FindComp(const std::string& name, int32_t& id, int32_t& x, int32_t& y) = 0;
    // The angle brought into 0 .. 359,999.
    virtual int32_t AdjustAngle(int32_t angle) = 0;
};

// The outcome of a parse.
struct CompListResult {
    int error = 0;             // 0 accepted, else a code of listerr
    std::string stripped;      // the text without blanks
    std::vector<CompListEntry> entries;  // the lines before the error (all when accepted)
    // The selection that shows the error, in the text as typed.
    size_t selStart = 0;
    size_t selLength = 0;
    // What the error texts name: field 1 of the line (the free name of a
    // create line), field 1's value (the group), and the line's reference.
    std::string field1;
    double field1Value = 0;
    std::string refName;
};

// Parses a create list (`create`) or a relocation list.
CompListResult ParseCompList(const std::string& typed, bool create, const ListCoordContext& context,
                             CompListLookups& lookups);

// Converts one line's position and rotation (display unit, degrees) with the
// origin of `mode` (the current position (curX, curY) for mode 3): 0, or
// kRange when the rotation is beyond ±360 or a coordinate beyond
// ±220,000,000 or not a finite number. The angle is rot x 1000 rounded,
// not yet normalised.
int ConvertListCoords(int32_t mode, int32_t curX, int32_t curY, double x, double y, double rot,
                      const ListCoordContext& context, int32_t& outX, int32_t& outY, int32_t& outAngle);

// The value of a list field and whether it is a finite number (a field
// whose number overflows, "1e999", is not).
bool ListFieldNumber(const std::string& field, double& value);
