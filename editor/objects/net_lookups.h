// Nets, buses and nodes: found by name, by pin or under a point, asked of
// the user, the nearest node of a net, a node described in words, and a
// net's nodes collected into the shared node list (wire_state.h).
//
// status: 0 found or done, 1 not found or failed; a procedure that succeeds
// leaves the status as the caller set it, unless it says otherwise.
#pragma once

#include "editor/objects/wire_state.h"

#include <cstdint>
#include <string>

// Status 0 with the id when an object of that name exists, else 1.
void FindBusByName(int32_t& status, int32_t& bus, const std::string& name);
void FindNetByName(int32_t& status, int32_t& net, const std::string& name);
// The node and net of a component pin on side 0 (schematic) or 1 (layout);
// `net` on entry is the preferred net. Status 0 when the pin has a node, 1
// when it is not connected. The schematic node view is set afterwards.
void FindPinNet(int32_t& status, int32_t side, int32_t comp, int32_t entry, int32_t& net, std::string& netName,
                int32_t& node);
// The node under the point (pick distance) with its net.
void CoverNodeAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& net, std::string& netName, int32_t& node,
                      NetRec& netRec, NodeRec& nodeRec);
// A node under the point, else the net of the wire under it (node 0); a
// bus wire counts as nothing.
void CoverNetAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& net, std::string& netName, int32_t& node,
                     NetRec& netRec, NodeRec& nodeRec);
// Reads the net (status 1 when it cannot) and the node (not reported).
void ReadNetNode(int32_t& status, int32_t net, std::string& netName, int32_t node, NetRec& netRec, NodeRec& nodeRec);
// Asks for a net name ("Net Name (" detail "):"); an empty answer gives
// status 1, an unknown name message 24 and status 1.
void AskNetName(int32_t& status, const std::string& detail, int32_t& net, std::string& name, int32_t node,
                NetRec& netRec, NodeRec& nodeRec);
// The node of the net, on the component's current page and matching
// (value, mask), nearest to (x, y) by Manhattan distance, a node at the
// point itself excepted; the first wins a tie. 0 when none (node X and Y
// then unchanged). The schematic node view is set again afterwards.
int32_t FindNearestNetNode(int32_t view, int32_t net, int32_t value, int32_t mask, int32_t x, int32_t y,
                           int32_t& nodeX, int32_t& nodeY);
// The next free node id.
int32_t GetFreeNodeId();
// Describes the node in `info`.
void ReadNodeInfo(int32_t net, int32_t node, const NetRec& netRec, const NodeRec& nodeRec, NodeInfoRec& info);
// Fills g_NetNodes / g_NetNodeIds with the net's nodes that have a
// schematic side; result -1 when the net has a layout-only node, else 0.
// `node` is the walk's cursor.
void CollectNetNodes(int32_t& result, int32_t net, int32_t& node, const NetRec& netRec);
