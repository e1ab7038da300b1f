// Drawing a net in its normal look or highlighted, and the texts on the
// wires of nets and buses: bus-member texts drawn or erased, bus-member and
// name texts rebuilt. Everything draws into the drawing context the caller
// has open.
#pragma once

#include <cstdint>
#include <string>

// The draw mode of the net highlight: the kernel's XOR overlay in the
// highlight colour (its mode 2 erases), so a second drawing takes it off.
constexpr int32_t kHighlightDrawMode = 32;

// Ends a highlight: takes the highlight's overlay and the masked-branch
// pass off (when the net is still marked highlighted) and draws the net in
// its normal look, its wires on the page and their junctions included; the
// net, its nodes, branches and records get mark 1 and lose 128.
void RedrawNet(int32_t net);
// Marks the whole net highlighted (128), erases its shown node marks and
// its wires and wire texts on the page, and draws its nodes, junctions and
// ratsnest in the highlight overlay. The wires are drawn by the caller's
// masked-branch pass (mask 128), in the overlay mode this leaves set. A net
// highlighted already loses its highlight first.
void HighlightNet(int32_t net);
// Draws once more, on a page just painted, what HighlightNet and the
// masked-branch pass drew for every net still marked highlighted (128):
// the paint leaves such a net's wires and nodes out, and the highlight went
// straight onto the canvas, so a repaint while a net command runs would
// leave the net off the page, and the highlight's later removal (RedrawNet)
// would then draw it on instead. The draw mode is left as it was.
void DrawNetHighlights();
// The net's nodes (when shown) and ratsnest in the normal look.
void DrawNetNodes(int32_t net, int32_t mask);
// The same in draw mode 2, marking the net and its nodes with `mask`.
void DrawNetNodesXor(int32_t net, int32_t mask);
// The same without the net's wires: the nodes and ratsnest of the net a
// wire is being drawn for, while its other wires stay on the canvas.
void EraseNetNodes(int32_t net, int32_t mask);
// Draws (flag not 0) or erases (0) the bus-member texts on the current
// page's wires of the bus's member nets.
void DrawBusMemberTexts(int32_t flag, int32_t bus);
// Rebuilds the bus-member texts: every wire of member net k (from 0) is
// labelled "k" and linked to k + 1.
void UpdateBusTexts(int32_t bus);
// Rebuilds the name texts on every wire of a net (kind 0) or bus (kind 1)
// with `name`. status 1 when a text could not be made.
void RefreshNetNameTexts(int32_t& status, int32_t kind, int32_t id, const std::string& name);
