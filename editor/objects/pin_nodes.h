// The nodes that tie component pins into nets: the nodes of a layout
// component's pins (supply pins by net name, gate pins by pin name), the
// layout side of a schematic component's nodes after its gate changed, a
// new node for a schematic pin, and a picked pin added to the node list
// being edited.
//
// Every procedure here leaves the schematic node view selected.
#pragma once

#include <cstdint>

// Makes or links the nodes of every supply pin and gate pin of the layout
// component. A supply pin without a node joins the net named like it
// (created, power/ground and named, when missing); a gate pin's node gets
// the schematic side of the same-named entry of the component packed as
// that gate, unless that entry has a node of its own already.
void MakeCompPinNodes(int32_t layComp);
// Moves the layout side of each of the component's pin nodes to the pin of
// its gate with the same name; entries without such a pin keep theirs.
void UpdateCompPinNodes(int32_t comp);
// Creates the node of pin (comp, entry) in the net, with the layout side
// (the same-named pin of its gate) when the component is packed; node
// receives its id. Status 0 when made; 1 (with a message) when the
// component cannot be read, the pin is a node already, or the kernel
// refuses the node.
void CreatePinNode(int32_t& status, int32_t comp, int32_t entry, int32_t net, int32_t& node);
// Picks the component pin at (x, y) (PickComp: g_CompId, g_CompEntry,
// g_CompName, g_CompAnchorStart) and appends it to g_NetNodes. Status 1
// when no pin was picked or, with onlyUnconnected nonzero, the pin belongs
// to a net already.
void AddPickedPinNode(int32_t& status, int32_t onlyUnconnected, int32_t x, int32_t y);
