// Wires made for nets: a net's nodes on the current page put in chain order
// from the page corner, and one wire laid through them.
#pragma once

#include <cstdint>

// g_NetNodes / g_NetNodeIds = the net's nodes that have a component and a
// pin on the current page: first the one nearest the frame's first corner,
// then each time the nearest of the rest to the one before (the first met on
// a tie).
void OrderNetNodes(int32_t net);

// Replaces the net's wires on the current page by one wire through its nodes
// in chain order; with `deleteOnly` set only removes them. One change
// group: a refused step (the new wire's reported with codes 50 and 51)
// leaves the page as it was. A net with fewer than two nodes there gets no
// wire.
void MakeNetWires(int32_t net, bool deleteOnly);

// MakeNetWires for every net of the design, as one edit: a refused step
// leaves every net as it was.
void MakeWiresForAllNets(bool deleteOnly);
