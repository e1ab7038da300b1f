// Splitting a net into two and merging two nets: one group of a net's wires
// (found by GroupNetBranches, net_groups.h) goes into a new net together
// with its nodes and the layout traces that reach them, or everything of one
// net goes into another.
#pragma once

#include <cstdint>
#include <string>

// Moves node `node` of `from` into net `to` under the same id (node ids are
// unique in a level), keeping its status bits and both sides. One kernel
// step: when it is refused the node stays where it was. True when moved.
bool MoveNetNode(int32_t from, int32_t to, int32_t node);

// Moves group `group` of the last analysis into a new net named `name` with
// the flags g_NetEditFlags (net_text.h) left. The caller has given node mask
// 128 to every node of the old net that goes with the group. Traces that
// reach moving nodes go along (cut by a bend point or via where they also
// reach staying nodes), and so do the pinless traces joined to them by bend
// points and vias; a trace both sides reach stays with the side of more
// pins and the other side's trace gets a bend point or via of its own.
// All or nothing: status 0 with `newNet` when split; 1 with newNet 0 when
// nothing changed: all nodes move or all stay (silently), or a kernel step
// was refused or the marks do not match the wires (reported, code 35, and
// everything done so far is taken back). The split is a DesignChange
// (design_change.h) of its own: inside an enclosing change, a split taken
// back makes that change put the design back too when it ends. The trace,
// via and bend point marks it clears at its end are in that change too: a
// refused clear puts the split back (status 1), so that a caller outside
// any action never gets a mark left behind.
void SplitNet(int32_t& status, int32_t oldNet, int32_t& newNet, const std::string& name, int32_t group);

// Gives node mask 4 (has a trace) to every node that a trace carrying all
// bits of `mask` refers to.
void MaskTraceNodes(int32_t mask);

// Moves the wires, traces, nodes (same ids, same status bits) and the
// copper-area and gap-mask items of `source` into `target`, deletes
// `source` and rebuilds the name texts on the target's wires. All or
// nothing: when a kernel step is refused, what was moved goes back, both
// nets stay as they were and the user is told (code 54). status 1 when the
// nets were not merged (the same net; a net that cannot be read, reported
// with code 25; a refused step), or when a name text could not be made
// after the merge; `status` is otherwise left as given. The merge happened
// exactly when `source` is gone. The moves are a DesignChange of their own,
// as for SplitNet.
void MergeNets(int32_t& status, int32_t target, int32_t source);
