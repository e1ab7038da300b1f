// Exported interface of libNVOKernel32, the design database. Prototypes come
// from the function list; see nvokernel32_functions.h.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"

NVOKERNEL32_FUNCTIONS(PLATFORM_DECLARE_EXPORT)

