// Components, layout components, devices with groups and pins, symbols with
// entries and pad stacks, and graphic items.
#pragma once

#include "platform/kernel/objects.h"

namespace kernel {

// A graphic item: a symbol's drawing item, a component or layout text, a
// branch text, a pad of a pad stack. Coordinates are relative to the owner
// of its array (absolute for the design's layout texts).
struct Item : Object {
    Item() : Object(Kind::Item) {}
    // The record's Flags are the item's status word: the attribute flags
    // given at creation and the marks set with O_Mask share it.
    int32_t itemKind = 0;  // 6 text; 3 square pad; 4 round pad; 1, 2, 5 other shapes
    int32_t link = 0;
    int32_t x = 0, y = 0;
    uint8_t layer = 0;
    uint8_t style = 0;
    int32_t textWidth3 = 0;
    int32_t gap = 0;
    int32_t textAngle = 0;
    int32_t dim1 = 0, dim2 = 0;
    std::string text;
    int32_t extra = 0;  // the record's last Long
};

struct Component : Object {
    Component() : Object(Kind::Component) {}
    int32_t x = 0, y = 0;
    int32_t symb = 0;
    int32_t device = 0;
    int32_t layComp = 0;
    int32_t group = 0;
    int32_t page = 0;
    int32_t long36 = 0;
    int32_t angle = 0;
    int32_t extra = 0;
    ObjectArray texts{Kind::Item, this};
};

struct LayComp : Object {
    LayComp() : Object(Kind::LayComp) {}
    int32_t x = 0, y = 0;
    int32_t angle = 0;
    int32_t symb = 0;
    int32_t device = 0;
    int32_t extra = 0;
    std::vector<int32_t> parts;  // schematic component ids packed into it
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
    std::string package;  // package name, a blank, then fields
    ObjectArray groups{Kind::Group, this};
    ObjectArray supplyPins{Kind::Pin, this};
};

struct SymbolEntry : Object {
    SymbolEntry() : Object(Kind::SymbolEntry) {}
    int32_t flags = 0;
    int32_t x = 0, y = 0;
    int32_t long20 = 0;  // pad stack key (layout) / pin-number text X offset (schematic)
    int32_t long24 = 0;  // pin-number text Y offset
    int32_t long28 = 0;  // pin-number text angle
    std::string name2;   // second name (port label)
};

struct PadStack : Object {
    PadStack() : Object(Kind::PadStack) {}
    int32_t hole = 0;
    ObjectArray items{Kind::Item, this};
};

struct Symbol : Object {
    Symbol() : Object(Kind::Symbol) { padStacks.SetOwner(this); }
    ObjectArray entries{Kind::SymbolEntry, this};
    ObjectArray items{Kind::Item, this};
    ObjectMap padStacks{Kind::PadStack};
};

}  // namespace kernel
