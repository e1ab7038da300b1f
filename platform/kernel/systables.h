// The kernel's system tables: fixed blocks of live memory, each 4096 bytes,
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
    kGrid = 3,         // Longs: selected index, grid steps 1..13
    kSnap = 4,         // Longs: selected index, snap steps 1..13
    kAngles = 7,       // Longs: selected index, angle steps 1..6
    kPick = 8,         // Longs: selected index, pick tolerances 1..4
    kPadStack = 10,    // Longs: pad gap of the standard pad stacks, two more values
    kHelp = 12,        // the help flag is the Long at byte 2044
    kLineWidth = 14,   // Long 0: the current line width
    kLineWidths = 15,  // Longs: sixteen line-width presets
    kBusy = 17,        // Long 0: the kernel's busy word
    kZoom = 20,        // Longs: selected index, view sizes 1..31
};

union SysTable {
    int32_t longs[1024];
    uint8_t bytes[4096];
};

SysTable* Table(int index);
// The text size table: 32 entries of height, width, third value.
int32_t* TextSizes();

}  // namespace kernel
