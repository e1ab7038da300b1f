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
    int32_t Flags;     // 0   status: 2 mirrored, 32 locked
    const char* Name;  // 4   reference designator
    int32_t X;         // 8
    int32_t Y;         // 12
    int32_t Symb;      // 16  symbol id
    int32_t Device;    // 20  device id, 0 = none
    int32_t LayComp;   // 24  layout component it is packed into, 0 = unpacked
    int32_t Group;     // 28  device group (gate) number, from 1
    int32_t Page;      // 32  page it lies on
    int32_t Long;      // 36  carried unchanged
    int32_t Angle;     // 40  thousandths of a degree
    int32_t Extra;     // 44  carried unchanged
} CompRec;

// A layout component.
typedef struct LayCompRec {
    int32_t Flags;     // 0   status: 2 board side
    const char* Name;  // 4
    int32_t X;         // 8
    int32_t Y;         // 12
    int32_t Angle;     // 16
    int32_t Symb;      // 20  layout symbol id
    int32_t Device;    // 24
    int32_t Extra;     // 28  carried unchanged
    int32_t Parts;     // 32  schematic components packed into it
} LayCompRec;

// An entry (pin position) of a placed component.
typedef struct EntryRec {
    int32_t Flags;      // 0
    int32_t Number;     // 4   entry number
    int32_t X;          // 8   absolute position
    int32_t Y;          // 12
    const char* Name;   // 16  entry (pin) name
    int32_t Long20;     // 20
    int32_t Long24;     // 24  label's vertical offset
    int32_t Long28;     // 28
    int32_t Long32;     // 32
    const char* Name2;  // 36  second name (port label)
} EntryRec;

// A symbol header.
typedef struct SymbRec {
    int32_t Flags;    // 0   status
    int32_t Entries;  // 4   number of entries, numbered from 1
    int32_t Items;    // 8   number of drawing items
} SymbRec;

// One entry of a symbol.
typedef struct SymbEntryRec {
    int32_t Number;     // 0   entry number
    int32_t Flags;      // 4   2 = shows a plain pin number
    int32_t X;          // 8   position in the symbol
    int32_t Y;          // 12
    const char* Name;   // 16  entry (pin) name
    int32_t Long20;     // 20  pad stack key (layout) / pin-number text X offset
    int32_t Long24;     // 24  pin-number text Y offset
    int32_t Long28;     // 28  pin-number text angle
    int32_t Long32;     // 32
    const char* Name2;  // 36  second name (port label)
} SymbEntryRec;

// A pad stack.
typedef struct PadStackRec {
    int32_t Flags;  // 0   status
    int32_t Hole;   // 4   0 = a pad without hole
    int32_t Items;  // 8   number of items (pads and texts)
} PadStackRec;

// A device (part).
typedef struct DeviceRec {
    int32_t Flags;        // 0   status
    const char* Name;     // 4
    int32_t Long8;        // 8
    const char* Package;  // 12  package name, a blank, then fields
    int32_t Long16;       // 16
    int32_t Groups;       // 20  number of groups (gates), from 1
    int32_t SupplyPins;   // 24  number of supply pins
    int32_t Long28;       // 28
    int32_t Long32;       // 32
    int32_t Long36;       // 36
    int32_t Long40;       // 40
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

// A graphic item.
typedef struct ItemRec {
    int32_t Kind;        // 0   6 text; 3 square pad; 4 round pad; 1, 2, 5 shapes
    int32_t Flags;       // 4   attribute flags and marks
    int32_t Link;        // 8
    int32_t X;           // 12
    int32_t Y;           // 16
    uint8_t Layer;       // 20  layer code
    uint8_t Style;       // 21  draw style
    uint16_t Reserved;   // 22
    int32_t TextWidth3;  // 24
    int32_t Gap;         // 28
    int32_t TextAngle;   // 32  thousandths of a degree
    int32_t Dim1;        // 36  text height / first dimension
    int32_t Dim2;        // 40  text width / second dimension
    const char* Text;    // 44
    int32_t Extra;       // 48
} ItemRec;

// One entry of the text size table.
typedef struct TextSizeRec {
    int32_t Height;  // 0
    int32_t Width;   // 4
    int32_t Third;   // 8
} TextSizeRec;

// A node of a net: a schematic side and a layout side.
typedef struct NodeRec {
    int32_t Flags;     // 0   status
    int32_t Comp;      // 4   component id, 0 = none
    int32_t Entry;     // 8   entry number, 0 = no pin
    int32_t LayComp;   // 12  layout component, 0 = no layout side
    int32_t LayEntry;  // 16  pin number on it
    int32_t X;         // 20
    int32_t Y;         // 24
} NodeRec;

// A net.
typedef struct NetRec {
    int32_t Flags;     // 0   status: 1 accepted, 2 power/ground, 4 named, 8 bus member
    const char* Name;  // 4
    int32_t Nodes;     // 8   number of nodes
    int32_t Branches;  // 12  number of branches of the net
    int32_t Traces;    // 16  number of traces of the net
    int32_t Long20;    // 20
} NetRec;

// A bus.
typedef struct BusRec {
    int32_t Flags;     // 0   status: 4 named
    const char* Name;  // 4
    int32_t Members;   // 8   number of member nets, slots 0..Members-1
    int32_t Branches;  // 12
    int32_t Long16;    // 16
    int32_t Long20;    // 20
} BusRec;

// A branch (wire).
typedef struct BranchRec {
    int32_t Flags;   // 0   status: 2 bus branch
    int32_t Net;     // 4   net or bus id
    int32_t Page;    // 8
    int32_t Points;  // 12  number of point records, from 1
} BranchRec;

// One point record of a branch.
typedef struct BranchPointRec {
    int32_t Flags;  // 0   (Flags And 6) = 2: Ref is a node id; 4: Ref is a junction id
    int32_t Ref;    // 4
    int32_t X;      // 8
    int32_t Y;      // 12
} BranchPointRec;

// A junction.
typedef struct JunctionRec {
    int32_t Flags;  // 0   status (the junction's type word)
    int32_t X;      // 4
    int32_t Y;      // 8
    int32_t Page;   // 12
} JunctionRec;

// A layout trace.
typedef struct TraceRec {
    int32_t Flags;   // 0   status
    int32_t Net;     // 4
    int32_t Points;  // 8   number of point records, from 1
} TraceRec;

// One point record of a trace.
typedef struct TracePointRec {
    int32_t Flags;   // 0   2 node id, 4 bend point id, 8 via id
    int32_t Ref;     // 4
    int32_t Layer;   // 8
    int32_t Width;   // 12
    int32_t Long16;  // 16
    int32_t X;       // 20
    int32_t Y;       // 24
} TracePointRec;

// A page.
typedef struct PageRec {
    int32_t Flags;   // 0   status
    int32_t Number;  // 4   page id
    int32_t ViewX;   // 8   stored view origin
    int32_t ViewY;   // 12
    int32_t View3;   // 16  two further view values
    int32_t View4;   // 20
    int32_t Format;  // 24  page format slot
} PageRec;

}  // extern "C"
