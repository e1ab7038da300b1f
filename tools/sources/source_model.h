// What a readable source holds once it is read: symbols, devices and a
// design, with every length already in database units and every angle in
// thousandths of a degree. Nothing here touches the kernel.
#pragma once

#include "tools/sources/source_lexer.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nvo_sources {

// Item kinds as the kernel numbers them (ItemRec Kind).
enum ItemKind : int32_t {
    kItemLine = 1,
    kItemTriangle = 2,
    kItemRectangle = 3,
    kItemCircle = 4,
    kItemArc = 5,
    kItemText = 6,
};

// One drawing item (graphic or text), field for field as ItemRec holds it.
struct ItemDef {
    SourcePos pos;
    int32_t kind = 0;
    int32_t flags = 1;
    int32_t link = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t layer = 0;  // 0: the colour of what owns the item
    int32_t style = 0;
    int32_t width = 0;
    int32_t gap = 0;
    int32_t angle = 0;
    int32_t p1 = 0;
    int32_t p2 = 0;
    int32_t p3 = 0;
    int32_t p4 = 0;
    std::string text;  // kind 6 only
};

// One symbol entry: a pin position of a schematic symbol or a pad of a
// layout symbol.
struct EntryDef {
    SourcePos pos;
    std::string name;
    int32_t x = 0;
    int32_t y = 0;
    int32_t flags = 0;
    int32_t keyOrTextX = 0;  // layout: pad-stack key; schematic: pin-number text X offset
    int32_t textY = 0;
    int32_t textAngle = 0;
    int32_t swapLevel = -1;
};

// A pad stack of a layout symbol: a hole and one pad item per layer.
struct PadStackDef {
    SourcePos pos;
    int32_t key = 0;
    int32_t hole = 0;
    std::vector<ItemDef> pads;
};

struct SymbolDef {
    SourcePos pos;
    std::string name;
    bool layout = false;  // false: schematic symbol (status 1); true: layout symbol (status 2)
    std::vector<EntryDef> entries;
    std::vector<ItemDef> items;
    std::vector<PadStackDef> padStacks;

    // Entry number (from 1) of the entry of that name; 0 when none.
    int32_t FindEntry(const std::string& entryName) const;
};

struct PinDef {
    SourcePos pos;
    int32_t number = 0;
    std::string name;  // gate pins: the symbol entry; supply pins: the net it joins
};

struct GroupDef {
    SourcePos pos;
    std::string name;
    std::string symbol;
    std::vector<PinDef> pins;
};

struct DeviceDef {
    SourcePos pos;
    std::string name;
    std::string prefix;
    std::string package;              // layout symbol name
    std::vector<std::string> fields;  // further package-text fields
    std::vector<GroupDef> groups;
    std::vector<PinDef> supply;

    // The package text the kernel keeps: the package name, and when there
    // are fields a blank and the fields separated by the character 128.
    std::string PackageText() const;
    // Group number (from 1) named by a group name or a decimal number; 0
    // when none.
    int32_t FindGroup(const std::string& gate) const;
};

// Symbols and devices by name, in the order they were defined.
struct Library {
    std::vector<SymbolDef> symbols;
    std::vector<DeviceDef> devices;
    std::map<std::string, size_t> symbolIndex;
    std::map<std::string, size_t> deviceIndex;

    const SymbolDef* FindSymbol(const std::string& name) const;
    const DeviceDef* FindDevice(const std::string& name) const;
};

// ---- Designs ----------------------------------------------------------------------------

struct ComponentDef {
    SourcePos pos;
    std::string ref;     // reference (device components) or component name (symbol only)
    std::string device;  // empty: a component drawn with `symbol` only
    std::string gate;    // group name or number; empty: the device's only group
    std::string symbol;  // symbol-only components
    int32_t x = 0;
    int32_t y = 0;
    int32_t angle = 0;
    bool mirror = false;
    std::string value;  // description text; empty: none
    std::string child;  // symbol-only components: the child level of a hierarchical block; empty: none
};

// A point of a wire: a component pin, a named junction or a position.
struct PointDef {
    enum class Kind { Pin, Junction, Position };
    SourcePos pos;
    Kind kind = Kind::Position;
    std::string ref;  // Pin: the component; Junction: the junction name
    std::string pin;  // Pin: package pin number (device components) or entry name
    int32_t x = 0;
    int32_t y = 0;
};

struct LabelDef {
    int32_t x = 0;
    int32_t y = 0;
    int32_t angle = 0;
    int32_t height = 0;  // stored text height (a sixth of the drawn height)
    int32_t width = 0;
};

struct WireDef {
    SourcePos pos;
    bool bus = false;
    std::string net;  // net, or bus for a bus wire
    std::vector<PointDef> points;
    std::optional<LabelDef> label;
};

struct JunctionDef {
    SourcePos pos;
    std::string name;
    int32_t x = 0;
    int32_t y = 0;
};

struct PageDef {
    SourcePos pos;
    std::string name;
    std::optional<std::vector<std::pair<int32_t, int32_t>>> frame;  // corners of the page outline
    std::vector<ComponentDef> components;
    std::vector<JunctionDef> junctions;
    std::vector<WireDef> wires;
    std::vector<ItemDef> items;  // page notes: free texts and drawings
};

struct PinRefDef {
    SourcePos pos;
    std::string ref;
    std::string pin;
};

struct NetDef {
    SourcePos pos;
    std::string name;
    bool power = false;
    std::vector<PinRefDef> nodes;  // pins on the net without a wire
};

struct BusDef {
    SourcePos pos;
    std::string name;
    std::vector<std::string> members;
};

struct LevelDef {
    SourcePos pos;
    std::string name;
    std::vector<PageDef> pages;
    std::vector<NetDef> nets;
    std::vector<BusDef> buses;
};

struct DesignDef {
    SourcePos pos;
    std::string name = "Untitled";
    std::vector<LevelDef> levels;
};

// A whole source: its own symbols and devices, those of the files it
// includes, and (for a design source) the design.
struct Source {
    Library library;
    // Names of the symbols and devices defined in the source itself, not in
    // an included file.
    std::vector<std::string> ownSymbols;
    std::vector<std::string> ownDevices;
    std::optional<DesignDef> design;
};

}  // namespace nvo_sources
