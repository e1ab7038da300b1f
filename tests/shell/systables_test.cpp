// The editor's copies of the kernel's system tables, the text-size list of
// a window and the standard pad stacks, against the real kernel.
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/kernel_fixture.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using SystemTables = palvane_test::KernelTest;

int32_t* Longs(int table)
{
    return static_cast<int32_t*>(E_SysTable(table));
}

TEST_F(SystemTables, CopiesOfAFreshKernel)
{
    LoadSystemTables();
    const struct {
        const char* name;
        int32_t value;
        int32_t expected;
    } derived[] = {
        {"grid step (index 4)", g_GridStep, 254000},
        {"snap step (index 3)", g_SnapStep, 127000},
        {"angle step (index 1)", g_AngleStep, 1000},
        {"pick step (index 2)", g_PickStep, 4},
        {"view size (index 8)", g_DefaultViewSize, 25400},
        {"highlight colour", g_HighlightColor, 191},
        {"grid table selected index", g_GridTable(14), 4},
        {"first grid step", g_GridTable(15), 25400},
        {"last grid step", g_GridTable(27), 500000},
        {"first snap step", g_SnapTable(15), 25400},
        {"sixth angle step", g_AngleTable(6), 90000},
        {"fourth pick size", g_PickTable(4), 8},
        {"pad gap", g_PadStackParams(0), 25400},
        {"last line width", g_LineWidths(15), 254000},
        {"last zoom preset", g_ZoomTable(31), 1000000},
    };
    for (const auto& d : derived) EXPECT_EQ(d.value, d.expected) << d.name;
    // Grid elements below 14 belong to the view and are left alone.
    EXPECT_EQ(g_GridTable(0), 0);

    const int32_t* sizes = DB_TextSizeTable();
    ASSERT_NE(sizes, nullptr);
    for (long i : {0L, 1L, 31L}) {
        EXPECT_EQ(g_TextSizes(i).Height, sizes[3 * i]) << i;
        EXPECT_EQ(g_TextSizes(i).Width, sizes[3 * i + 1]) << i;
        EXPECT_EQ(g_TextSizes(i).Width3, sizes[3 * i + 2]) << i;
    }
    EXPECT_EQ(g_TextSizes(0).Height, 10583);
    EXPECT_EQ(g_TextSizes(32).Height, 0) << "entry 32 is the editor's own";

    const auto* categories = static_cast<const uint8_t*>(E_SysTable(systable::Categories));
    for (long i : {0L, 10L, 31L, 63L}) {
        EXPECT_EQ(g_CatColorTable(i).PaletteIndex, categories[i]) << i;
        EXPECT_EQ(g_CatColorTable(i).Color, Longs(systable::Palette)[categories[i]]) << i;
    }
}

TEST_F(SystemTables, ChangesInTheKernelTablesAreTakenAtTheNextLoad)
{
    LoadSystemTables();
    auto* categories = static_cast<uint8_t*>(E_SysTable(systable::Categories));
    categories[31] = 200;
    Longs(systable::Palette)[200] = 0x00123456;
    Longs(systable::Grid)[0] = 1;
    Longs(systable::Zoom)[0] = 16;  // the unused preset, 0
    Longs(systable::PadStack)[0] = 12700;
    DB_TextSizeTable()[3 * 1 + 1] = 100000;
    LoadSystemTables();
    EXPECT_EQ(g_CatColorTable(31).PaletteIndex, 200);
    EXPECT_EQ(g_CatColorTable(31).Color, 0x00123456);
    EXPECT_EQ(g_GridStep, 25400) << "selected index 1 gives element 15";
    EXPECT_EQ(g_DefaultViewSize, 25400) << "a zero view size gives 25400";
    EXPECT_EQ(g_PadStackParams(0), 12700);
    EXPECT_EQ(g_TextSizes(1).Width, 100000);
}

TEST_F(SystemTables, SelectedIndexesOutsideTheirTablesLeaveTheValues)
{
    LoadSystemTables();
    const struct {
        int table;
        int32_t index;
        const int32_t* value;
        int32_t kept;
    } cases[] = {
        {systable::Grid, 14, &g_GridStep, 254000},  {systable::Grid, 0, &g_GridStep, 254000},
        {systable::Snap, -3, &g_SnapStep, 127000},  {systable::Angles, 7, &g_AngleStep, 1000},
        {systable::Pick, 5, &g_PickStep, 4},        {systable::Zoom, 32, &g_DefaultViewSize, 25400},
        {systable::Zoom, -1, &g_DefaultViewSize, 25400},
    };
    for (const auto& c : cases) {
        const int32_t saved = Longs(c.table)[0];
        Longs(c.table)[0] = c.index;
        LoadSystemTables();
        EXPECT_EQ(*c.value, c.kept) << "table " << c.table << " index " << c.index;
        Longs(c.table)[0] = saved;
    }
}

TEST_F(SystemTables, FillTextSizeListNeedsAListNamedFTsize)
{
    class NoList : public Form {
    public:
        NoList() : Form("NoList") {}

    protected:
        std::unique_ptr<QWidget> CreateWindow() override { return std::make_unique<QWidget>(); }
    } form;
    form.Load();
    EXPECT_THROW(FillTextSizeList(form), RuntimeError);
    form.Unload();
}

using TextSizeList = palvane_test::EditorTest;

TEST_F(TextSizeList, ListsFifteenSizesInTheDisplayUnit)
{
    SCHMAIN& main = Main();
    DB_TextSizeTable()[3 * 1 + 1] = 100000;  // entry 1: 6 mm wide as drawn
    LoadSystemTables();
    const struct {
        int32_t unit;
        int32_t sizeIdx;
        const char* first;
        const char* second;
        int selected;
    } cases[] = {
        {1, 1, "6.000mm", "1.270mm", 0},
        {0, 2, "0.23622\"", "0.0500\"", 1},
        {0, 15, "0.23622\"", "0.0500\"", 14},
        {1, 16, "6.000mm", "1.270mm", -1},
        {1, 0, "6.000mm", "1.270mm", -1},
    };
    for (const auto& c : cases) {
        g_UnitIndex = c.unit;
        g_TextSizeIdx = c.sizeIdx;
        FillTextSizeList(main);
        ASSERT_EQ(main.F_Tsize->ListCount(), 15);
        EXPECT_EQ(main.F_Tsize->List(0), c.first) << "item 0 is entry 1";
        EXPECT_EQ(main.F_Tsize->List(1), c.second) << "entry 2: 6 x 21165 wide";
        EXPECT_EQ(main.F_Tsize->ListIndex(), c.selected) << "entry " << c.sizeIdx;
    }
}

using PadStacks = palvane_test::KernelTest;

std::vector<ItemRec> Pads(int32_t key)
{
    std::vector<ItemRec> items;
    const int32_t array = S_PadStackItemArray(OM_Object(DB_PadStackMap(), key));
    for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
        ItemRec item{};
        EXPECT_NE(I_ReadItem(OA_Object(array, i), &item), 0);
        items.push_back(item);
    }
    return items;
}

TEST_F(PadStacks, SevenStandardPadStacksAreMadeInAnEmptyDatabase)
{
    LoadSystemTables();
    LoadPadStacks();
    const int32_t map = DB_PadStackMap();
    EXPECT_EQ(OM_GetCount(map), 7);
    for (long k = 0; k <= 7; ++k) EXPECT_EQ(g_StdPadStacks(k), k) << k;
    const std::vector<ItemRec> pads = Pads(3);
    ASSERT_EQ(pads.size(), 30u);
    // Every layer round (shape 0): X = Y = 0, P1 = half the size.
    EXPECT_EQ(pads[0].Kind, 4);
    EXPECT_EQ(pads[0].Layer, 97);
    EXPECT_EQ(pads[0].Style, 16);
    EXPECT_EQ(pads[0].Flags & 1, 1);
    EXPECT_EQ(pads[0].Gap, 25400);
    EXPECT_EQ(pads[0].P1, 157480 / 2);
    EXPECT_EQ(pads[1].P1, 142240 / 2);
    EXPECT_EQ(pads[29].Layer, 126);
    EXPECT_EQ(pads[29].P1, 157480 / 2);
    PadStackRec record{};
    ASSERT_NE(S_ReadPadStack(OM_Object(map, 3), &record), 0);
    EXPECT_EQ(record.Hole, 88900);

    // A second load finds them and makes nothing.
    LoadPadStacks();
    EXPECT_EQ(OM_GetCount(map), 7);
}

TEST_F(PadStacks, FewerThanSevenAreReplacedSevenOrMoreAreKept)
{
    LoadSystemTables();
    const int32_t map = DB_PadStackMap();
    for (const int existing : {6, 8}) {
        OM_DeleteAll(map);
        for (int32_t key = 1; key <= existing; ++key) {
            const int32_t padStack = S_MakePadStack();
            ASSERT_EQ(OM_Add(map, padStack, key + 10), key + 10);
        }
        LoadPadStacks();
        if (existing < 7) {
            EXPECT_EQ(OM_GetCount(map), 7);
            EXPECT_EQ(OM_Object(map, 11), 0) << "the old ones are gone";
            for (long k = 1; k <= 7; ++k) EXPECT_EQ(g_StdPadStacks(k), k);
        } else {
            EXPECT_EQ(OM_GetCount(map), 8);
            for (long k = 0; k <= 7; ++k) EXPECT_EQ(g_StdPadStacks(k), 0) << "ids above 7 are no standard ones";
        }
    }
}

}  // namespace
