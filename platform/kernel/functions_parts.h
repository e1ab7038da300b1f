// Kernel functions: components, layout components, devices, symbols, pad
// stacks and items.
#pragma once

#define KERNEL_PARTS_FUNCTIONS(X)
