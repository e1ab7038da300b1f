// The records through which the kernel and its callers exchange objects.
//
// Every field is a 32-bit integer unless stated; names and texts are
// pointers to zero-terminated single-byte strings owned by the kernel, valid
// until the object changes. The comment beside each field gives its byte
// offset in the documented 32-bit layout; this 64-bit build keeps the field
// order, but pointers are 8 bytes, so nothing may depend on a record's size
// or on an offset computed from this header.
#pragma once

#include <cstdint>

extern "C" {

// A schematic component.
typedef struct CompRec {
    int32_t Flags;     // 0   status: 1 drawn, 2 mirrored, 4 erased, 32 locked, marks
    const char* Name;  // 4   reference name
    int32_t X;         // 8   placement origin
    int32_t Y;         // 12
    int32_t Symb;      // 16  symbol id
    int32_t Device;    // 20  device id, 0 = symbol only
    int32_t LayComp;   // 24  layout component it is packed into, 0 = unpacked
    int32_t Group;     // 28  gate number in the device, from 1; 0 = not assigned
    int32_t Page;      // 32  page id
    int32_t Info;      // 36  kept value, 0 at creation
    int32_t Angle;     // 40  thousandths of a degree
    int32_t Extra;     // 44  creation value; set by C_ChangeItemMask
} CompRec;

// A layout component.
typedef struct LayCompRec {
    int32_t Flags;     // 0   status: 2 board side (mirrored)
    const char* Name;  // 4
    int32_t X;         // 8   placement origin
    int32_t Y;         // 12
    int32_t Angle;     // 16  thousandths of a degree
    int32_t Symb;      // 20  layout symbol (package) id
    int32_t Device;    // 24
    int32_t Extra;     // 28  creation value
    int32_t Parts;     // 32  parts-list slots (L_GetSchCompId 1..Parts), stale ones included
} LayCompRec;

// One entry (pin) of a symbol (S_ReadEntry: in the symbol's frame) or of a
// placed component (C_ReadEntry, L_ReadEntry: X, Y absolute on the page).
typedef struct EntryRec {
    int32_t Number;      // 0   entry number, from 1
    int32_t Flags;       // 4   2 = the entry shows a plain pin number
    int32_t X;           // 8   position
    int32_t Y;           // 12
    const char* Name;    // 16  entry (pin) name
    int32_t KeyOrTextX;  // 20  layout: pad-stack key in the symbol's map; schematic: pin-number text X offset
    int32_t TextY;       // 24  pin-number text Y offset (also the port label's vertical offset)
    int32_t TextAngle;   // 28  pin-number text angle
    int32_t SwapLevel;   // 32  gate-swap level, -1 = not swappable
    const char* Label;   // 36  second name (port label), empty = use Name
} EntryRec;

// A symbol header.
typedef struct SymbRec {
    int32_t Flags;     // 0   status: 1 schematic symbol, 2 layout symbol
    int32_t Entries;   // 4   number of entries, numbered from 1
    const char* Name;  // 8   symbol name
} SymbRec;

// One entry of a symbol: the same layout as the entry of a placed component.
typedef EntryRec SymbEntryRec;

// A pad stack.
typedef struct PadStackRec {
    int32_t Flags;  // 0   status
    int32_t Hole;   // 4   0 = a pad without hole
    int32_t Hole2;  // 8   second hole value (third argument of S_ChangePadStackHole)
} PadStackRec;

// A device (part).
typedef struct DeviceRec {
    int32_t Flags;        // 0   status: 128 packaging-run mark
    const char* Name;     // 4
    const char* Prefix;   // 8   reference-name prefix of new layout components, at most 8 characters
    const char* Package;  // 12  package name, a blank, then fields separated by code 128
    int32_t SupplyPins;   // 16  number of supply pins (D_SupplyPinArray 1..SupplyPins)
    int32_t Groups;       // 20  number of groups (gates), from 1
    int32_t Reserved[5];  // 24  0
} DeviceRec;

// One group (gate) of a device.
typedef struct GroupRec {
    const char* Name;      // 0
    const char* SymbName;  // 4   symbol the group is drawn with
    int32_t Pins;          // 8   number of pins
} GroupRec;

// One device pin.
typedef struct PinRec {
    int32_t Number;    // 0   pin number
    const char* Name;  // 4   the symbol entry the pin is drawn at
} PinRec;

// A graphic item. Coordinates are relative to the owner (absolute from
// I_ReadItemAbs).
typedef struct ItemRec {
    int32_t Kind;       // 0   1 line, 2 triangle, 3 rectangle / square pad, 4 circle / round pad, 5 arc, 6 text
    int32_t Flags;      // 4   the item's status word
    int32_t Link;       // 8
    int32_t X;          // 12  reference point
    int32_t Y;          // 16
    uint8_t Layer;      // 20  layer or drawing-category code
    uint8_t Style;      // 21  line style 0..4, 16 filled
    uint16_t Reserved;  // 22  0
    int32_t Width;      // 24  line width; texts: the third text-size value
    int32_t Gap;        // 28
    int32_t Angle;      // 32  rotation of rectangles and texts, thousandths of a degree
    int32_t P1;         // 36  line dX; triangle B-A x; rectangle size X; radius; text height
    int32_t P2;         // 40  line dY; triangle B-A y; rectangle size Y; arc start angle; text width
    int32_t P3;         // 44  triangle C-A x; arc sweep
    int32_t P4;         // 48  triangle C-A y
    const char* Text;   // 44  kind 6: the text; null for other kinds
} ItemRec;

// One entry of the text size table.
typedef struct TextSizeRec {
    int32_t Height;  // 0   character height (ItemRec P1)
    int32_t Width;   // 4   character width (ItemRec P2)
    int32_t Width3;  // 8   stroke width (ItemRec Width), 0 = default
} TextSizeRec;

// A node of a net: a schematic side and a layout side.
typedef struct NodeRec {
    int32_t Flags;     // 0   status: 2 has a wire, 4 has a trace, marks
    int32_t Comp;      // 4   schematic component, 0 = no schematic side
    int32_t Entry;     // 8   entry number on Comp, 0 = none
    int32_t LayComp;   // 12  layout component, 0 = no layout side
    int32_t LayEntry;  // 16  pad (pin) number on LayComp, 0 = none
    int32_t X;         // 20  pin position on the node view's side, 0 when that side is not set
    int32_t Y;         // 24
} NodeRec;

// A net.
typedef struct NetRec {
    int32_t Flags;     // 0   status: 1 accepted, 2 power/ground, 4 named, 8 bus member
    const char* Name;  // 4
    int32_t Nodes;     // 8   number of nodes
    int32_t Bus;       // 12  bus that has the net as a member, 0 = none
} NetRec;

// A bus.
typedef struct BusRec {
    int32_t Flags;     // 0   status: 4 named
    const char* Name;  // 4
    int32_t Members;   // 8   number of member nets, slots 0..Members-1
} BusRec;

// A branch (wire).
typedef struct BranchRec {
    int32_t Flags;   // 0   status: 2 bus branch
    int32_t Net;     // 4   net id, or bus id when bit 2 is set; 0 = none
    int32_t Page;    // 8   page id
    int32_t Points;  // 12  number of point records, from 1
} BranchRec;

// One point record of a branch.
typedef struct BranchPointRec {
    int32_t Flags;  // 0   status: (Flags And 6) = 2 Ref is a node id, = 4 Ref is a junction id
    int32_t Ref;    // 4
    int32_t X;      // 8   position of the referenced node (schematic side) or junction
    int32_t Y;      // 12
} BranchPointRec;

// A junction.
typedef struct JunctionRec {
    int32_t Flags;  // 0   status (the junction's type word)
    int32_t X;      // 4
    int32_t Y;      // 8
    int32_t Page;   // 12  page id
} JunctionRec;

// A layout trace.
typedef struct TraceRec {
    int32_t Flags;   // 0   status
    int32_t Net;     // 4
    int32_t Points;  // 8   number of point records, from 1
} TraceRec;

// One point record of a trace.
typedef struct TracePointRec {
    int32_t Flags;     // 0   status: (Flags And 14) = 2 node id, 4 bend point id, 8 via id
    int32_t Ref;       // 4
    int32_t Layer;     // 8   copper layer of the segment ending here
    int32_t Width;     // 12  width of that segment
    int32_t Reserved;  // 16  0
    int32_t X;         // 20  position of the referenced node (layout side), bend point or via
    int32_t Y;         // 24
} TracePointRec;

// A page.
typedef struct PageRec {
    int32_t Flags;     // 0   status
    int32_t Hier;      // 4   hierarchy level the page belongs to
    int32_t ViewX;     // 8   stored view origin, as given to DB_ChangePageDispl
    int32_t ViewY;     // 12
    int32_t ViewMode;  // 16
    int32_t ViewSize;  // 20  database units per pixel; 0 = no stored view
    const char* Name;  // 24
} PageRec;

}  // extern "C"
