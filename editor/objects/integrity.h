// The integrity check and autofix: three passes over the whole level -
// the netlist (every node of every net, schematic side and layout side),
// the layout traces and the schematic wires - that repair every reference
// leading nowhere and write a running report. A faulty node, trace or wire
// is removed; a net left empty by a removal is deleted; the free-id heaps
// are rebuilt at the end. A trace or wire, or a point record of one, that
// cannot be read is reported in a line of its own and left as it is; the
// check goes on with the next record and the next object. The kernel's node
// view is on the schematic side again when the check returns.
#pragma once

#include <functional>
#include <string>

// Shows the report in the report window as it grows, with the hourglass
// pointer while the check runs.
void CheckIntegrity();

// The check itself: `show` receives the report after each pass header and
// at the end; the whole report is returned. Every line ends with CR LF.
std::string RunIntegrityCheck(const std::function<void(const std::string&)>& show);
