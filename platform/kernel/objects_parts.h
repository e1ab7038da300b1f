// Components, layout components, devices with groups and pins, symbols with
// entries and pad stacks, and graphic items.
#pragma once

#include "platform/kernel/objects.h"
#include "platform/kernel/records.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace kernel {

// A graphic item: a symbol's drawing item, a component or layout text, a
// branch text, a pad of a pad stack. Coordinates are relative to the owner
// of its array (absolute for the design's layout texts and branch texts).
struct Item : Object {
    Item() : Object(Kind::Item) {}
    // The record's Flags are the item's status word: the attribute flags
    // given at creation and the marks set with O_Mask share it.
    int32_t itemKind = 0;  // 1 line, 2 triangle, 3 rectangle / square pad, 4 circle / round pad, 5 arc, 6 text
    int32_t link = 0;
    int32_t x = 0, y = 0;
    uint8_t layer = 0;
    uint8_t style = 0;
    int32_t width = 0;  // line width; texts: the third text-size value
    int32_t gap = 0;
    int32_t angle = 0;  // rotation of rectangles and texts
    int32_t p1 = 0, p2 = 0, p3 = 0, p4 = 0;  // the shape values (ItemRec P1..P4)
    std::string text;                        // kind 6

    bool IsText() const { return itemKind == 6; }
};

struct Component : Object {
    Component() : Object(Kind::Component) {}
    int32_t x = 0, y = 0;
    int32_t symb = 0;
    int32_t device = 0;
    int32_t layComp = 0;
    int32_t group = 0;
    int32_t page = 0;
    int32_t info = 0;  // kept value, no call changes it
    int32_t angle = 0;
    int32_t extra = 0;  // item display mask (C_ChangeItemMask), carried for the editor
    ObjectArray texts{Kind::Item, this};
};

// One packed schematic component of a layout component, held by the
// component's handle rather than its id: a link whose component has gone
// is then dead even when the id has been given to a new component, and a
// link follows its component when the component's id changes.
struct PartLink {
    int32_t handle = 0;
};

struct LayComp : Object {
    LayComp() : Object(Kind::LayComp) {}
    int32_t x = 0, y = 0;
    int32_t angle = 0;
    int32_t symb = 0;
    int32_t device = 0;
    int32_t extra = 0;
    std::vector<PartLink> parts;  // slots 1..count
    ObjectArray texts{Kind::Item, this};
};

struct Pin : Object {
    Pin() : Object(Kind::Pin) {}
    int32_t number = 0;  // the name is the symbol entry it is drawn at
};

struct Group : Object {
    Group() : Object(Kind::Group) {}
    std::string symbName;
    ObjectArray pins{Kind::Pin, this};
};

struct Device : Object {
    Device() : Object(Kind::Device) {}
    std::string prefix;   // reference-name prefix of new layout components
    std::string package;  // package name, a blank, then fields
    ObjectArray groups{Kind::Group, this};
    ObjectArray supplyPins{Kind::Pin, this};
};

struct SymbolEntry : Object {
    SymbolEntry() : Object(Kind::SymbolEntry) {}
    int32_t flags = 0;
    int32_t x = 0, y = 0;
    int32_t keyOrTextX = 0;  // pad-stack key (layout) / pin-number text X offset (schematic)
    int32_t textY = 0;       // pin-number text Y offset
    int32_t textAngle = 0;   // pin-number text angle
    int32_t swapLevel = -1;  // pins of equal level may be swapped; -1 = not swappable
    std::string label;       // second name (port label); empty = use the name
};

struct PadStack : Object {
    PadStack() : Object(Kind::PadStack) {}
    int32_t hole = 0;   // 0 = pads without a hole
    int32_t hole2 = 0;  // second hole value
    ObjectArray items{Kind::Item, this};
};

struct Symbol : Object {
    Symbol() : Object(Kind::Symbol) { padStacks.SetOwner(this); }
    ObjectArray entries{Kind::SymbolEntry, this};
    ObjectArray items{Kind::Item, this};
    ObjectMap padStacks{Kind::PadStack};
};

// Fills an entry record from a symbol entry; X, Y as stored in the symbol.
inline void FillEntryRecord(const SymbolEntry& e, int32_t number, EntryRec& record)
{
    record.Number = number;
    record.Flags = e.flags;
    record.X = e.x;
    record.Y = e.y;
    record.Name = e.name.c_str();
    record.KeyOrTextX = e.keyOrTextX;
    record.TextY = e.textY;
    record.TextAngle = e.textAngle;
    record.SwapLevel = e.swapLevel;
    record.Label = e.label.c_str();
}

// ---- Placement -------------------------------------------------------------------

// An angle in thousandths of a degree, brought into 0..359999.
inline int32_t NormalAngle(int64_t angle)
{
    const int64_t a = angle % 360000;
    return static_cast<int32_t>(a < 0 ? a + 360000 : a);
}

inline int32_t ClampCoord(double v)
{
    if (v >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (v <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::lround(v));
}

// cos and sin of an angle in thousandths of a degree; quarter turns are exact.
inline void CosSin(int32_t angle, double& c, double& s)
{
    switch (NormalAngle(angle)) {
    case 0: c = 1; s = 0; return;
    case 90000: c = 0; s = 1; return;
    case 180000: c = -1; s = 0; return;
    case 270000: c = 0; s = -1; return;
    default: {
        const double r = NormalAngle(angle) * (3.14159265358979323846 / 180000.0);
        c = std::cos(r);
        s = std::sin(r);
    }
    }
}

// Where a component (or layout component) puts its symbol: the symbol's
// coordinates are mirrored in X first (when mirrored), then rotated
// counter-clockwise about the origin by the angle, then moved to the
// component's position. Quarter turns are exact; other angles round to the
// nearest unit.
struct Placement {
    int32_t x = 0, y = 0;
    int32_t angle = 0;  // thousandths of a degree
    bool mirrored = false;

    // A vector (a size or an offset): mirrored and rotated, not moved.
    void Turn(int32_t dx, int32_t dy, int32_t& outX, int32_t& outY) const
    {
        const double vx = mirrored ? -static_cast<double>(dx) : dx;
        const double vy = dy;
        double c, s;
        CosSin(angle, c, s);
        outX = ClampCoord(vx * c - vy * s);
        outY = ClampCoord(vx * s + vy * c);
    }
    // A point: turned, then moved to the position.
    void Place(int32_t px, int32_t py, int32_t& outX, int32_t& outY) const
    {
        int32_t tx, ty;
        Turn(px, py, tx, ty);
        outX = ClampCoord(static_cast<double>(tx) + x);
        outY = ClampCoord(static_cast<double>(ty) + y);
    }
    // The rotation of a text or rectangle: negated when mirrored, then the
    // placement angle added; 0..359999.
    int32_t Rotation(int32_t a) const { return NormalAngle((mirrored ? -int64_t{a} : int64_t{a}) + angle); }
    // A direction in the plane (an arc's start): reflected in the Y axis
    // when mirrored, as the points are, then turned; 0..359999.
    int32_t Direction(int32_t a) const { return NormalAngle((mirrored ? 180000 - int64_t{a} : int64_t{a}) + angle); }
};

inline Placement PlacementOf(const Component& c)
{
    return Placement{c.x, c.y, c.angle, (c.status & 2) != 0};
}
inline Placement PlacementOf(const LayComp& c)
{
    return Placement{c.x, c.y, c.angle, (c.status & 2) != 0};
}

// Where an item's owner puts it: the texts of a component or layout
// component at their owner's placement, symbol and pad-stack items at the
// placement frame (below); none for items stored absolute (branch and
// layout texts, items not in an array).
std::optional<Placement> ItemPlacement(const Item& item);

// An item's record as stored (relative to its owner).
void FillRecord(const Item& item, ItemRec& record);
// Moves a record from FillRecord to where the placement puts it (see
// I_ReadItemAbs).
void PlaceRecord(const Placement& placement, ItemRec& record);
// A size or sweep turned the other way; the most negative value, which
// has no opposite, gives the largest.
int32_t Negated(int32_t v);

// The kernel-wide placement frame (origin, angle, mirror) that the drawing
// work sets for symbols drawn at a place; identity at start. Symbol and
// pad-stack items read in absolute coordinates go through it.
inline Placement& PlacementFrame()
{
    static Placement frame;
    return frame;
}

}  // namespace kernel
