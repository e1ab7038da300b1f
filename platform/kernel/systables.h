// The kernel's system tables: fixed blocks of live memory, each 2048 bytes,
// indexed as the public header lists them (systable::). The editor copies
// values in and out with E_MemCopy; the kernel reads them when it draws.
#pragma once

#include "platform/kernel/nvokernel32.h"

#include <cstdint>

namespace kernel {

constexpr int kSysTableCount = systable::Count;
constexpr int kTextSizeCount = 32;

// The kernel's own names for the tables of the public header.
enum SysTableIndex {
    kPalette = systable::Palette,
    kCategories = systable::Categories,
    kGrid = systable::Grid,
    kSnap = systable::Snap,
    kAngles = systable::Angles,
    kPick = systable::Pick,
    kPadStack = systable::PadStack,
    kHelp = systable::Help,
    kLineWidth = systable::LineWidth,
    kLineWidths = systable::LineWidths,
    kBusy = systable::Busy,
    kZoom = systable::Zoom,
};

union SysTable {
    int32_t longs[systable::Bytes / 4];
    uint8_t bytes[systable::Bytes];
};

SysTable* Table(int index);

// Fills a text size table (32 entries of height, width, third value) with
// the sizes a new database starts with.
void DefaultTextSizes(int32_t* table);

}  // namespace kernel
