// The integrity check and autofix: three passes over the whole level -
// the netlist (every node of every net, schematic side and layout side),
// the layout traces and the schematic wires - that repair every reference
// leading nowhere and write a running report. A faulty node, trace or wire
// is removed; a net left empty by a removal is deleted; the free-id heaps
// are rebuilt at the end. A trace or wire, or a point record of one, that
// cannot be read is reported in a line of its own and left as it is; the
// check goes on with the next record and the next object. The kernel's node
// view is on the schematic side again when the check returns.
//
// Before the passes the check looks for marks left in the design (see
// FindDesignMarks): each is reported in a line of its own and cleared.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Shows the report in the report window as it grows, with the hourglass
// pointer while the check runs.
void CheckIntegrity();

// The check itself: `show` receives the report after each pass header and
// at the end; the whole report is returned. Every line ends with CR LF.
// With `marks` the marks of the design are looked for first (the check a
// user runs does so).
std::string RunIntegrityCheck(const std::function<void(const std::string&)>& show, bool marks = false);

// The status bits that commands, previews, selections and checks set on the
// design's objects and clear again before they end (temporary, highlight,
// command, selection and deletion marks: 64 to 8192). No such bit belongs
// in a stored design, with two exceptions that the design keeps: on a page
// frame 256 is the frame's own setting (no datum marks), and on an item 128
// says that its text has been written again. The same bits on a wire's or
// trace's point record are marks too.
constexpr int32_t kDesignMarks = 0x3FC0;

// One object that holds marks: what it is ("Wire 12 point 3"), and its mark
// bits.
struct DesignMark {
    std::string what;
    int32_t bits = 0;
};

// The marks held anywhere in the design: the design and its levels; on
// every level (not only the current one) its pages, components and their
// texts, layout components and their texts, nets and their nodes, buses,
// wires and page frames with their point records and texts, junctions,
// traces with their point records, the bend points they refer to, vias,
// file objects, layout texts and the level's own symbols (notes, zones);
// the design's symbols with their entries, items and pad stacks, devices
// with their groups and pins, and the design's pad stacks. An object of a
// level is named with its level ("Level BLOCK: Net X node 9"), the
// current one included. Other levels are reached by making each current in the
// kernel for its walk; the current level and page are as they were when
// the search returns, and nothing is drawn or sent.
std::vector<DesignMark> FindDesignMarks();

// Clears every mark FindDesignMarks finds. Returns the number of objects
// that held one.
int32_t ClearDesignMarks();
