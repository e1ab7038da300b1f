// The system tables and the text size table: live kernel memory that the
// editor reads and writes through E_SysTable / DB_TextSizeTable and
// E_MemCopy, and that the kernel itself reads when it draws.
#include "platform/kernel/systables.h"

#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <cmath>
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

// The default palette (0x00BBGGRR): a calm, light background and distinct
// colours for what the page shows. Indexes 0..31 are the named colours the
// drawing categories use; the editor and the router also name 0 (black, for
// monochrome), 6 and 15 (the router's temporary lines), 42 and 45 (the
// ratsnest), 61 (the page frame and XOR frames) and 191 (markings). The
// other indexes hold a spread of hues: 32..63 medium, 64..95 the copper
// layers, 96..255 light to dark.
void FillPalette(SysTable& palette)
{
    static const int32_t named[32] = {
        Rgb(0, 0, 0),        // 0 black: monochrome
        Rgb(250, 249, 244),  // 1 canvas background: warm off-white
        Rgb(0, 128, 64),     // 2 net wires: green
        Rgb(25, 80, 200),    // 3 bus wires: blue
        Rgb(210, 80, 0),     // 4 junction dots: burnt orange
        Rgb(150, 30, 40),    // 5 component bodies: dark red
        Rgb(190, 0, 190),    // 6 router lines (mode 2): magenta
        Rgb(40, 50, 100),    // 7 texts: dark slate blue
        Rgb(165, 165, 165),  // 8 grid: grey
        Rgb(215, 215, 215),  // 9 light grey
        Rgb(0, 130, 140),    // 10 pin marks: teal
        Rgb(255, 130, 0),    // 11 highlight: orange
        Rgb(120, 40, 190),   // 12 selection: purple
        Rgb(125, 125, 0),    // 13 nodes: olive
        Rgb(90, 100, 135),   // 14 page frame: slate
        Rgb(220, 30, 30),    // 15 router lines (mode 1): red
        Rgb(115, 95, 75),    // 16 notes graphics: warm grey
        Rgb(80, 65, 50),     // 17 notes texts: brown
        Rgb(0, 105, 115),    // 18 entry names: dark teal
        Rgb(0, 100, 50),     // 19 net names: dark green
        Rgb(20, 60, 150),    // 20 bus names: dark blue
        Rgb(30, 40, 130),    // 21 component names: navy
        Rgb(110, 85, 60),    // 22 component descriptions: brown
        Rgb(130, 40, 120),   // 23 component values and gates: plum
        Rgb(0, 115, 165),    // 24 port and hierarchy texts: steel blue
        Rgb(115, 115, 115),  // 25 pin numbers: grey
        Rgb(236, 238, 242),  // 26 layout background: light cool grey
        Rgb(255, 255, 255),  // 27 white
        Rgb(160, 110, 200),  // 28 ratsnest: lavender
        Rgb(230, 190, 0),    // 29 yellow
        Rgb(0, 175, 200),    // 30 cyan
        Rgb(60, 60, 60),     // 31 dark grey
    };
    for (int i = 0; i < 32; ++i) palette.longs[i] = named[i];
    // A wheel of hues at a given lightness.
    auto hue = [](int step, int steps, double light) {
        const double h = 6.0 * step / steps;
        const double x = 1.0 - std::abs(std::fmod(h, 2.0) - 1.0);
        double r = 0, g = 0, b = 0;
        switch (static_cast<int>(h)) {
        case 0: r = 1; g = x; break;
        case 1: r = x; g = 1; break;
        case 2: g = 1; b = x; break;
        case 3: g = x; b = 1; break;
        case 4: r = x; b = 1; break;
        default: r = 1; b = x; break;
        }
        auto c = [light](double v) { return static_cast<int>(std::lround(40 + v * (light - 40))); };
        return Rgb(c(r), c(g), c(b));
    };
    for (int i = 32; i < 64; ++i) palette.longs[i] = hue(i - 32, 32, 190);
    for (int i = 64; i < 96; ++i) palette.longs[i] = hue((i - 64) * 7 % 32, 32, 230);
    for (int i = 96; i < 256; ++i) palette.longs[i] = hue((i - 96) % 32, 32, 250 - ((i - 96) / 32) * 40);
    palette.longs[42] = named[28];          // ratsnest
    palette.longs[45] = Rgb(140, 90, 190);  // ratsnest of the net viewer
    palette.longs[61] = named[14];          // page frame, XOR frames
    palette.longs[64 + 1] = Rgb(200, 40, 40);   // top copper
    palette.longs[64 + 2] = Rgb(40, 80, 210);   // bottom copper
    palette.longs[191] = Rgb(230, 0, 120);  // markings: vivid pink
}

// Drawing category -> palette index. 0..31 and 32..62 are schematic
// categories (32 is the editor's default colour for new items and the
// library sources' default; 33..38 component texts; 44 wire texts), 31 and 63
// the schematic and layout backgrounds, 64..95 pad-stack texts and the
// copper layers 1..31.
void FillCategories(SysTable& categories)
{
    static const uint8_t schematic[64] = {
        5,   // 0 component bodies
        7,   // 1 symbol texts
        16,  // 2 notes graphics
        17,  // 3 notes texts
        18,  // 4 entry names
        13,  // 5 nodes
        11,  // 6 highlight (modes 1 and 32)
        3,   // 7 bus wires
        19,  // 8 net names
        20,  // 9 bus names and members
        2,   // 10 net wires
        4,   // 11 junctions
        12,  // 12 selection marks
        10,  // 13 pin marks
        61,  // 14 page frame
        42,  // 15 ratsnest
        8,   // 16 grid
        7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 17..30 further texts
        1,   // 31 schematic background
        5,   // 32 drawing items (the default colour of new items)
        21,  // 33 component names
        22,  // 34 component descriptions
        23,  // 35 component values and gates
        24,  // 36 port and hierarchy texts
        7,   // 37 other component texts
        25,  // 38 pin numbers
        7, 7, 7, 7, 7,  // 39..43 texts
        19,  // 44 wire texts
        7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7,  // 45..62 texts
        26,  // 63 layout background
    };
    std::memcpy(categories.bytes, schematic, sizeof schematic);
    categories.bytes[64] = 7;   // pad-stack texts
    for (int i = 65; i < 96; ++i) categories.bytes[i] = static_cast<uint8_t>(i);  // copper layers
}

Tables::Tables()
{
    std::memset(tables, 0, sizeof tables);
    FillPalette(tables[kPalette]);
    FillCategories(tables[kCategories]);
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
