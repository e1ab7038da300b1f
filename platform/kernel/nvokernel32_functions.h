// The function list of libNVOKernel32, the design database.
//
// The single source of the library's exported prototypes (nvokernel32.h)
// and of the editor's call thunks; the families are listed in the
// functions_*.h files. Strings are zero-terminated single-byte (Latin-1)
// texts; a returned string is owned by the kernel and stays valid until the
// object it belongs to changes.
#pragma once

#include "platform/export.h"
#include "platform/kernel/functions_core.h"
#include "platform/kernel/functions_draw.h"
#include "platform/kernel/functions_help.h"
#include "platform/kernel/functions_image.h"
#include "platform/kernel/functions_nets.h"
#include "platform/kernel/functions_parts.h"
#include "platform/kernel/records.h"

#include <cstdint>

#define NVOKERNEL32_LIBRARY "libNVOKernel32.so"

#define NVOKERNEL32_FUNCTIONS(X) \
    KERNEL_CORE_FUNCTIONS(X)     \
    KERNEL_PARTS_FUNCTIONS(X)    \
    KERNEL_NETS_FUNCTIONS(X)     \
    KERNEL_IMAGE_FUNCTIONS(X)    \
    KERNEL_HELP_FUNCTIONS(X)     \
    KERNEL_DRAW_FUNCTIONS(X)

namespace nvokernel32_proto {
NVOKERNEL32_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
