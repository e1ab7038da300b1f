// Kernel functions: drawing contexts, primitives, metafiles, object drawing,
// frames, hit tests and coordinates.
#pragma once

#define KERNEL_DRAW_FUNCTIONS(X)
