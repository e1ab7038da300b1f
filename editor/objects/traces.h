// Layout traces seen from the schematic: deleting a trace with the vias and
// bend points no other trace of its net uses, and deleting the trace
// records at a layout pin.
#pragma once

#include <cstdint>

// Deletes the trace; a via that no other trace of the net uses leaves the
// via map, such a bend point goes back to the free ids, such a node loses
// its trace bit 4.
void DeleteTrace(int32_t trace);
// Deletes the trace records ending at the layout component's pin (entry 0:
// every pin; component 0: only the marks already set) whose node status has
// a bit of `filter` (0: every record); a record that does not pass loses the
// mark. Traces left with fewer than two records are deleted.
void DeleteTracesAtNode(int32_t layComp, int32_t entry, int32_t mask, int32_t filter);
