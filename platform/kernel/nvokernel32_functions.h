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

// The largest coordinate magnitude, in database units, that the kernel keeps:
// a position or extent beyond it is refused. Callers check against the same
// value before they ask the kernel.
constexpr int32_t kCoordLimit = 220000000;

// The system tables of E_SysTable: blocks of 2048 bytes of live memory that
// the kernel reads when it draws. Callers copy values in and out with
// E_MemCopy; a Long is 4 bytes.
namespace systable {
constexpr int32_t Count = 32;       // tables 0..31
constexpr int32_t Bytes = 2048;     // the size of each
constexpr int32_t Palette = 0;      // Longs: colours 0x00BBGGRR by palette index
constexpr int32_t Categories = 1;   // bytes: palette index of drawing category 0..63 (31 = background)
constexpr int32_t Grid = 3;         // Longs: selected index, inch steps 1..6, 7 unused, mm steps 8..13
constexpr int32_t Snap = 4;         // Longs: the same for snap
constexpr int32_t Angles = 7;       // Longs: selected index, angle steps 1..6
constexpr int32_t Pick = 8;         // Longs: selected index, pick tolerances 1..4
constexpr int32_t PadStack = 10;    // Longs: pad gap of the standard pad stacks, two more values
constexpr int32_t Help = 12;        // the help flag is the Long at byte HelpFlagOffset
constexpr int32_t HelpFlagOffset = 2044;
constexpr int32_t LineWidth = 14;   // Long 0: the current line width
constexpr int32_t LineWidths = 15;  // Longs: sixteen line-width presets
constexpr int32_t Busy = 17;        // Long 0: the kernel's busy word
constexpr int32_t Zoom = 20;        // Longs: selected index, inch presets 1..15, 16 unused, mm presets 17..31
}  // namespace systable
