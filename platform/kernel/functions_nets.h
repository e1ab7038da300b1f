// Kernel functions: nets, nodes, buses, branches, junctions, traces, vias and
// bend points.
#pragma once

#define KERNEL_NETS_FUNCTIONS(X)
