// Taking nodes, nets and buses out of the design without leaving an empty
// net or bus behind: a node handed to the kernel's heap counts as deleted.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <vector>

// AddToHeap(node map, node, 3); the kernel's result.
int32_t AddNodeToHeap(int32_t nodeMap, int32_t node);
// Deletes the net when it has no node, no wire on any page, no trace and no
// item of @COPPAR (mask 1) or @AGAPMSK (mask 1) linked to it; a bus member
// leaves its bus first. result -1 when deleted, else 0.
void DeleteNetIfEmpty(int32_t net, int32_t& result);
// Deletes the bus when it has no member and no bus wire; result -1 when
// deleted, else 0.
void DeleteBusIfEmpty(int32_t bus, int32_t& result);
// Every node of the net carrying all bits of `mask` goes to the heap; then
// DeleteNetIfEmpty.
void DeleteMaskedNetNodes(int32_t net, int32_t mask, int32_t& result);
// Marks and removes the component's nodes on side 0 (schematic) or 1
// (layout) (entry 0: every pin) and deletes the nets left empty. The
// schematic node view is set again afterwards.
void DeleteCompNodes(int32_t side, int32_t comp, int32_t entry, int32_t mask);
// DeleteCompNodes on the schematic side for every pin of each component of
// `comps`: all their nodes marked first, then one walk of the nets. The
// schematic node view is set again afterwards, also for an empty set.
void DeleteCompSetNodes(const std::vector<int32_t>& comps, int32_t mask);
// Removes the wires at the picked node's schematic pin, the traces at its
// layout pin, and the node itself on `side`.
void DisconnectPin(int32_t side, int32_t net, int32_t node, const NodeRec& nodeRec, int32_t spare);
// Deletes the net with its wires on every page, traces, nodes, bus slot and
// the special-symbol items linked to it.
void DeleteNet(int32_t net);
// Clears the layout side of the nodes carrying `mask` in the nets carrying
// it, and removes the trace records at the layout component's pins.
void UnlinkCompLayoutNodes(int32_t layComp, int32_t mask);
