// The kernel's system tables: fixed blocks of live memory, each 2048 bytes,
// indexed as below. The editor copies values in and out with E_MemCopy; the
// kernel reads them when it draws.
#pragma once

#include <cstdint>

namespace kernel {

constexpr int kSysTableCount = 32;
constexpr int kTextSizeCount = 32;

enum SysTableIndex {
    kPalette = 0,      // Longs: colours 0x00BBGGRR by palette index
    kCategories = 1,   // bytes: palette index of drawing category 0..63 (31 = background)
    kGrid = 3,         // Longs: selected index, inch steps 1..6, 7 unused, mm steps 8..13
    kSnap = 4,         // Longs: the same for snap
    kAngles = 7,       // Longs: selected index, angle steps 1..6
    kPick = 8,         // Longs: selected index, pick tolerances 1..4
    kPadStack = 10,    // Longs: pad gap of the standard pad stacks, two more values
    kHelp = 12,        // the help flag is the Long at byte 2044
    kLineWidth = 14,   // Long 0: the current line width
    kLineWidths = 15,  // Longs: sixteen line-width presets
    kBusy = 17,        // Long 0: the kernel's busy word
    kZoom = 20,        // Longs: selected index, inch presets 1..15, 16 unused, mm presets 17..31
};

union SysTable {
    int32_t longs[512];
    uint8_t bytes[2048];
};

SysTable* Table(int index);

// Fills a text size table (32 entries of height, width, third value) with
// the sizes a new database starts with.
void DefaultTextSizes(int32_t* table);

}  // namespace kernel
