// The connected pieces of a net: which wires (branches) of a net still touch
// one another through shared nodes and junctions or by their geometry, and
// which layout traces hang together through shared nodes, bend points and
// vias. The split and the net-split command read the group tables between
// the analysis and the split.
//
// status: 0 done, 1 nothing found (as each procedure says).
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

// One branch of the analysed net. Mark: 1 not yet grouped, 0 grouped.
struct NetGroupBranchEntry {
    int32_t Mark = 0;
    int32_t Branch = 0;
    int32_t Spare = 0;
    int32_t Group = 0;
};
// One point record of those branches that refers to a node (Kind 2) or a
// junction (Kind 4). Element 0: Ref counts the groups made so far.
struct NetGroupRefEntry {
    int32_t Kind = 0;
    int32_t Ref = 0;
    int32_t Group = 0;
    int32_t Branch = 0;
};
// One layout trace of the analysed net.
struct NetGroupTraceEntry {
    int32_t Mark = 0;
    int32_t Trace = 0;
    int32_t Group = 0;
};
// One trace record that refers to a node (2), a bend point (4) or a via
// (8), with its group and trace.
struct NetGroupTraceRefEntry {
    int32_t Kind = 0;
    int32_t Ref = 0;
    int32_t Group = 0;
    int32_t Spare1 = 0;
    int32_t Spare2 = 0;
    int32_t GroupAgain = 0;
    int32_t Trace = 0;
};
// A point of a point list: a separator (Kind 100) before each branch's
// points, then its points (Kind 2 a junction point, 3 any other).
struct GroupPointEntry {
    int32_t Branch = 0;
    int32_t List = 0;
    int32_t Spare1 = 0;
    int32_t Spare2 = 0;
    int32_t Kind = 0;
    int32_t X = 0;
    int32_t Y = 0;
};

constexpr int32_t kGroupSeparator = 100;

// The tables of the last analysis, entries from 1.
extern CheckedArray<NetGroupBranchEntry> g_NetGroupBranches;
extern CheckedArray<NetGroupRefEntry> g_NetGroupRefs;
extern CheckedArray<NetGroupTraceEntry> g_NetGroupTraces;
extern CheckedArray<NetGroupTraceRefEntry> g_NetGroupTraceRefs;
// One comma-separated list of branch ids per group found by GroupNetBranches.
extern CheckedArray<std::string> g_NetGroupLists;
extern CheckedArray<int32_t> g_NetGroupNodeBranches;
extern CheckedArray<GroupPointEntry> g_GroupPointsA;
extern CheckedArray<GroupPointEntry> g_GroupPointsB;

// Every branch of the net on any page into g_NetGroupBranches, grouped by
// the nodes and junctions they share; their references into g_NetGroupRefs,
// group by group. status 1 when the net has no branch, else 0.
void CollectNetBranches(int32_t& status, int32_t net);
// Appends the branch's node and junction records to g_NetGroupRefs with
// `group`; `count` is the table's last index before and after.
void CollectBranchRefs(int32_t branch, int32_t& count, int32_t group);
// The same for the net's traces (shared nodes, bend points and vias) into
// g_NetGroupTraces and g_NetGroupTraceRefs. status 1 when the net has no
// trace, else 0.
void CollectNetTraces(int32_t& status, int32_t net);
void CollectTraceRefs(int32_t trace, int32_t& count, int32_t group);

// Appends a separator and the branch's points to `points` with list number
// `list`; a branch with fewer than two points adds nothing.
void LoadBranchRecords(int32_t branch, int32_t list, CheckedArray<GroupPointEntry>& points);

// Status 1 and the touch point when segment A (X1, Y1, X2, Y2) and segment B
// meet: crossing, one's end on the other, or collinear and overlapping (in
// either direction). Parallel segments that are not on one line never touch.
void SegmentsTouch(int32_t& status, const int32_t (&a)[4], const int32_t (&b)[4], int32_t& x, int32_t& y);

// Holds every segment of g_GroupPointsA against every segment of
// g_GroupPointsB of a wire on the same page; at the first touching pair B's
// list is appended to A's in g_NetGroupLists and emptied, and status is 1.
// Else status 0.
void PointListsTouch(int32_t& status);

// The whole analysis: the connected pieces of the net's wires, by shared
// nodes and by geometry (wires of one page that cross or touch join; wires
// of different pages join only through what they share). Afterwards
// g_NetGroupBranches carries each branch's group (1..n, numbered in the
// order of the branches), g_NetGroupRefs the references of each group and
// the group count in element 0, g_NetGroupLists the branch ids of each group.
// status 1 for a net without branches, 0 otherwise; an unreadable net
// changes nothing.
void GroupNetBranches(int32_t& status, int32_t net);
