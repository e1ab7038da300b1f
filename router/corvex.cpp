// The wire router library. Its page image and routing functions are built
// on the kernel; it links against libNVOKernel32 directly.
#include "router/corvex.h"
