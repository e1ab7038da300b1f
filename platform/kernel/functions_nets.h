// Kernel functions: nets, nodes, buses, branches, junctions, traces, vias and
// bend points.
#pragma once

#include <cstdint>

#define KERNEL_NETS_FUNCTIONS(X)                                                                   \
    /* The node view: the side the component-keyed node calls work on */                          \
    X(int32_t, N_SetNodeView, (int32_t view), (view))                                              \
    /* Nets and their nodes */                                                                    \
    X(int32_t, N_Net, (int32_t net), (net))                                                        \
    X(int32_t, N_CreateNet, (int32_t id, int32_t flags, const char* name), (id, flags, name))      \
    X(int32_t, N_ReadNet, (int32_t net, NetRec* record), (net, record))                            \
    X(int32_t, N_NodeMap, (int32_t net), (net))                                                    \
    X(int32_t, N_Node, (int32_t net, int32_t node), (net, node))                                   \
    X(int32_t, N_CreateNode,                                                                       \
      (int32_t net, int32_t node, int32_t comp, int32_t entry, int32_t layComp, int32_t layEntry), \
      (net, node, comp, entry, layComp, layEntry))                                                 \
    X(int32_t, N_ReadNode, (int32_t net, int32_t node, NodeRec* record), (net, node, record))      \
    X(int32_t, N_ChangeNode, (int32_t net, int32_t node, int32_t ref, int32_t number),             \
      (net, node, ref, number))                                                                    \
    X(int32_t, N_FindCompEntry, (int32_t comp, int32_t entry, int32_t* net), (comp, entry, net))   \
    X(int32_t, N_MaskAllNodes, (int32_t value, int32_t mask), (value, mask))                       \
    X(int32_t, N_MaskCompNodes,                                                                    \
      (int32_t comp, int32_t entry, int32_t nodeValue, int32_t nodeMask, int32_t netValue,         \
       int32_t netMask),                                                                           \
      (comp, entry, nodeValue, nodeMask, netValue, netMask))                                       \
    /* Buses and their member slots (0..127) */                                                   \
    X(int32_t, N_Bus, (int32_t bus), (bus))                                                        \
    X(int32_t, N_CreateBus, (int32_t id, int32_t flags, const char* name), (id, flags, name))      \
    X(int32_t, N_ReadBus, (int32_t bus, BusRec* record), (bus, record))                            \
    X(int32_t, N_ReadBusMember, (int32_t bus, int32_t index), (bus, index))                        \
    X(int32_t, N_SetBusMember, (int32_t bus, int32_t index, int32_t net), (bus, index, net))       \
    X(int32_t, N_DeleteBusMember, (int32_t bus, int32_t index), (bus, index))                      \
    X(int32_t, N_FindBusMember, (int32_t net, int32_t* index), (net, index))                       \
    /* Branches (wires), their point records and texts */                                         \
    X(int32_t, B_Branch, (int32_t branch), (branch))                                               \
    X(int32_t, B_CreateBranch, (int32_t id, int32_t flags, int32_t net), (id, flags, net))         \
    X(int32_t, B_ReadBranch, (int32_t branch, BranchRec* record), (branch, record))                \
    X(int32_t, B_ChangeBranchNet, (int32_t branch, int32_t net), (branch, net))                    \
    X(int32_t, B_ReadRecord, (int32_t branch, int32_t index, BranchPointRec* record),              \
      (branch, index, record))                                                                     \
    X(int32_t, B_ReadRecords, (int32_t branch, BranchPointRec* records, int32_t capacity),         \
      (branch, records, capacity))                                                                 \
    X(int32_t, B_InsertRecord, (int32_t branch, int32_t index, int32_t flags, int32_t ref),        \
      (branch, index, flags, ref))                                                                 \
    X(int32_t, B_DeleteRecord, (int32_t branch, int32_t index), (branch, index))                   \
    X(int32_t, B_DeleteRecordsMask,                                                                 \
      (int32_t branch, int32_t mask, BranchPointRec* records, int32_t capacity),                   \
      (branch, mask, records, capacity))                                                           \
    X(int32_t, B_ChangeRecordRef, (int32_t branch, int32_t index, int32_t ref), (branch, index, ref)) \
    X(int32_t, B_MaskRecord, (int32_t branch, int32_t index, int32_t value, int32_t mask),         \
      (branch, index, value, mask))                                                                \
    X(int32_t, B_MaskBranchRecords, (int32_t branch, int32_t value, int32_t mask),                 \
      (branch, value, mask))                                                                       \
    X(int32_t, B_MaskAllRecords, (int32_t value, int32_t mask), (value, mask))                     \
    X(int32_t, B_MaskNodeRecords,                                                                  \
      (int32_t comp, int32_t entry, int32_t branchValue, int32_t branchMask, int32_t recValue,      \
       int32_t recMask, int32_t nodeValue, int32_t nodeMask),                                      \
      (comp, entry, branchValue, branchMask, recValue, recMask, nodeValue, nodeMask))              \
    X(int32_t, B_MaskNodeRecordSet,                                                                \
      (const int32_t* comps, int32_t count, int32_t branchValue, int32_t branchMask,               \
       int32_t recValue, int32_t recMask, int32_t nodeValue, int32_t nodeMask),                    \
      (comps, count, branchValue, branchMask, recValue, recMask, nodeValue, nodeMask))             \
    X(int32_t, B_MaskSelRecords,                                                                   \
      (int32_t kind, int32_t ref, int32_t branchValue, int32_t branchMask, int32_t recValue,       \
       int32_t recMask, int32_t objValue, int32_t objMask),                                        \
      (kind, ref, branchValue, branchMask, recValue, recMask, objValue, objMask))                  \
    X(int32_t, B_MaskSelRecordSet,                                                                 \
      (int32_t kind, const int32_t* refs, int32_t count, int32_t branchValue, int32_t branchMask,   \
       int32_t recValue, int32_t recMask, int32_t objValue, int32_t objMask),                      \
      (kind, refs, count, branchValue, branchMask, recValue, recMask, objValue, objMask))          \
    X(int32_t, B_ReadRecordSet,                                                                    \
      (const int32_t* branches, int32_t count, BranchPointRec* records, int32_t capacity,          \
       int32_t* counts),                                                                           \
      (branches, count, records, capacity, counts))                                                \
    X(int32_t, B_MaskRecordSet, (const int32_t* pairs, int32_t count, int32_t value, int32_t mask), \
      (pairs, count, value, mask))                                                                 \
    X(int32_t, B_TextBranchSet, (int32_t* ids, int32_t capacity), (ids, capacity))                 \
    X(int32_t, B_MaskAllBranches,                                                                  \
      (int32_t branchValue, int32_t branchMask, int32_t recValue, int32_t recMask),                \
      (branchValue, branchMask, recValue, recMask))                                                \
    X(int32_t, B_SearchRecordMaskRef,                                                              \
      (int32_t branch, int32_t from, int32_t mask, int32_t ref, BranchPointRec* record),           \
      (branch, from, mask, ref, record))                                                           \
    X(int32_t, B_SearchNetPage, (int32_t* cursor, int32_t kind, int32_t owner, int32_t page),      \
      (cursor, kind, owner, page))                                                                 \
    X(int32_t, B_FindNetPage, (int32_t kind, int32_t owner, int32_t page), (kind, owner, page))    \
    X(int32_t, B_BranchTextArray, (int32_t branch), (branch))                                      \
    X(int32_t, B_BranchText, (int32_t branch, int32_t index), (branch, index))                     \
    /* Junctions */                                                                               \
    X(int32_t, J_Junction, (int32_t junction), (junction))                                         \
    X(int32_t, J_CreateJunction, (int32_t id, int32_t type, int32_t x, int32_t y), (id, type, x, y)) \
    X(int32_t, J_ReadJunction, (int32_t junction, JunctionRec* record), (junction, record))        \
    /* Layout traces, bend points and vias. T_CreateTrace and T_InsertRecord */                   \
    /* build traces for the design compiler and the tests; the editor only */                     \
    /* reads and changes them. */                                                                 \
    X(int32_t, T_Trace, (int32_t trace), (trace))                                                  \
    X(int32_t, T_CreateTrace, (int32_t id, int32_t flags, int32_t net), (id, flags, net))          \
    X(int32_t, T_ReadTrace, (int32_t trace, TraceRec* record), (trace, record))                    \
    X(int32_t, T_ChangeTraceNet, (int32_t trace, int32_t net), (trace, net))                       \
    X(int32_t, T_FindNet, (int32_t net), (net))                                                    \
    X(int32_t, T_SearchNet, (int32_t* cursor, int32_t net), (cursor, net))                         \
    X(int32_t, T_InsertRecord,                                                                     \
      (int32_t trace, int32_t index, int32_t flags, int32_t ref, int32_t layer, int32_t width),    \
      (trace, index, flags, ref, layer, width))                                                    \
    X(int32_t, T_ReadRecord, (int32_t trace, int32_t index, TracePointRec* record),                \
      (trace, index, record))                                                                      \
    X(int32_t, T_ChangeRecordRef, (int32_t trace, int32_t index, int32_t ref), (trace, index, ref)) \
    X(int32_t, T_MaskRecord, (int32_t trace, int32_t index, int32_t value, int32_t mask),          \
      (trace, index, value, mask))                                                                 \
    X(int32_t, T_SearchRecordMaskRef,                                                              \
      (int32_t trace, int32_t from, int32_t mask, int32_t ref, TracePointRec* record),             \
      (trace, from, mask, ref, record))                                                            \
    X(int32_t, T_MaskNodeRecords,                                                                  \
      (int32_t comp, int32_t entry, int32_t traceValue, int32_t traceMask, int32_t recValue,       \
       int32_t recMask, int32_t nodeValue, int32_t nodeMask),                                      \
      (comp, entry, traceValue, traceMask, recValue, recMask, nodeValue, nodeMask))                \
    X(int32_t, T_BendPoint, (int32_t bendPoint), (bendPoint))                                      \
    X(int32_t, T_CreateBendPoint, (int32_t id, int32_t type, int32_t x, int32_t y), (id, type, x, y)) \
    X(int32_t, V_Via, (int32_t via), (via))                                                        \
    X(int32_t, V_CreateVia,                                                                        \
      (int32_t id, int32_t flags, int32_t x, int32_t y, int32_t padStack, int32_t layers),         \
      (id, flags, x, y, padStack, layers))
