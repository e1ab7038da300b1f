// The system tables and the text size table: live kernel memory that the
// editor reads and writes through E_SysTable / DB_TextSizeTable and
// E_MemCopy, and that the kernel itself reads when it draws.
#include "platform/kernel/systables.h"

#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <cstring>

namespace kernel {

namespace {

struct Tables {
    SysTable tables[kSysTableCount];
    Tables();
};

void Fill(SysTable& table, std::initializer_list<int32_t> values)
{
    int i = 0;
    for (int32_t v : values) table.longs[i++] = v;
}

// Colours are 0x00BBGGRR.
constexpr int32_t Rgb(int r, int g, int b)
{
    return r | (g << 8) | (b << 16);
}

Tables::Tables()
{
    std::memset(tables, 0, sizeof tables);
    // Palette: a calm light background and distinct colours for the
    // drawing categories.
    Fill(tables[kPalette], {
        Rgb(0, 0, 0),        Rgb(250, 248, 242), Rgb(0, 110, 60),    Rgb(20, 60, 170),
        Rgb(150, 30, 30),    Rgb(120, 60, 150),  Rgb(200, 120, 0),   Rgb(90, 90, 90),
        Rgb(170, 170, 170),  Rgb(230, 40, 40),   Rgb(40, 160, 220),  Rgb(255, 200, 0),
        Rgb(60, 60, 60),     Rgb(210, 205, 195), Rgb(255, 255, 255), Rgb(0, 150, 150),
    });
    // Drawing category -> palette index; category 31 is the background.
    const uint8_t categories[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15, 4, 3};
    std::memcpy(tables[kCategories].bytes, categories, sizeof categories);
    tables[kCategories].bytes[31] = 1;
    // Grid and snap: selected index; inch steps 1..6; 7 unused; mm steps 8..13.
    Fill(tables[kGrid], {4, 25400, 50800, 127000, 254000, 635000, 1270000, 0, 10000, 25000, 50000, 100000, 250000,
                         500000});
    Fill(tables[kSnap], {3, 25400, 50800, 127000, 254000, 635000, 1270000, 0, 10000, 25000, 50000, 100000, 250000,
                         500000});
    // Angles: selected index, six steps in thousandths of a degree.
    Fill(tables[kAngles], {1, 1000, 5000, 15000, 30000, 45000, 90000});
    // Pick sizes in screen pixels: selected index, four sizes.
    Fill(tables[kPick], {2, 2, 4, 6, 8});
    // Pad stacks: pad gap of the standard pad stacks, and two more values.
    Fill(tables[kPadStack], {25400, 0, 0});
    // Line-width presets (database units); table 14 holds the one in use.
    Fill(tables[kLineWidths], {0, 2540, 5080, 7620, 10160, 12700, 15240, 20320, 25400, 38100, 50800, 76200, 101600,
                               127000, 190500, 254000});
    // Zoom: selected index; inch presets 1..15; 16 unused; mm presets 17..31
    // (database units per pixel).
    Fill(tables[kZoom], {8,    254,  508,   1270,  2540,   5080,   7620,   12700,  25400,  38100,  50800,
                         127000, 254000, 508000, 1270000, 2540000, 0,   100,    200,    500,    1000,   2000,
                         3000, 5000, 10000, 15000, 20000, 50000, 100000, 200000, 500000, 1000000});
}

}  // namespace

void DefaultTextSizes(int32_t* table)
{
    for (int i = 0; i < kTextSizeCount; ++i) {
        table[i * 3] = 10583 * (i + 1);
        table[i * 3 + 1] = 7055 * (i + 1);
        table[i * 3 + 2] = 0;
    }
}

namespace {

Tables& All()
{
    static Tables tables;
    return tables;
}

}  // namespace

SysTable* Table(int index)
{
    return index >= 0 && index < kSysTableCount ? &All().tables[index] : nullptr;
}

}  // namespace kernel

using namespace kernel;

void* E_SysTable(int32_t table) noexcept
{
    return Table(table);
}

int32_t E_MemCopy(void* destination, const void* source, int32_t bytes) noexcept
{
    if (!destination || !source || bytes <= 0) return 0;
    std::memmove(destination, source, static_cast<size_t>(bytes));
    return bytes;
}

int32_t* DB_TextSizeTable() noexcept
{
    Database* db = Db();
    return db ? db->textSizes : nullptr;
}
