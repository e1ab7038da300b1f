// The field grid: its geometry, its limits and the cell lists.
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

using namespace corvex;

struct GridCase {
    Box format;
    int32_t columns, rows;
};

class FieldGeometry : public ::testing::TestWithParam<GridCase> {};

TEST_P(FieldGeometry, CellsOfHalfAnInch)
{
    g_FormatBox = GetParam().format;
    SetFieldGeometry();
    EXPECT_EQ(g_FieldGrid.columns, GetParam().columns);
    EXPECT_EQ(g_FieldGrid.rows, GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Grid, FieldGeometry,
                         ::testing::Values(GridCase{{-12700000, -10160000, 12700000, 10160000}, 21, 17},
                                           GridCase{{0, 0, 0, 0}, 65, 65},
                                           // 101 x 101 cells of half an inch are too many:
                                           // cells of 0.55 in, 91 x 91.
                                           GridCase{{0, 0, 127000000, 127000000}, 91, 91}));

class Field : public RouterTest {};

TEST_F(Field, AFormatOfMoreThan10000HalfInchCellsGetsLargerCells)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 60in 60in
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
end
)"));
    ASSERT_EQ(SCR_LoadComponentsAndSymbols(), 1);
    ASSERT_EQ(SCR_LoadFields(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    // 60 in would be 121 cells of half an inch a side; 0.65 in gives 93.
    EXPECT_EQ(g_FieldGrid.cellSize, 1651000);
    EXPECT_EQ(g_FieldGrid.columns, 93);
    EXPECT_EQ(g_FieldGrid.rows, 93);
    EXPECT_LE(g_FieldGrid.cellCount, 10000);
}

TEST_F(Field, ComponentsAndFramesAreEnteredInTheirCells)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 10in 8in
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
end
)"));
    ASSERT_EQ(LoadImage(false), 1);
    EXPECT_EQ(g_FieldGrid.cellCount, 21 * 17);
    // R1 spans x -0.3in..0.3in around the centre of the format.
    const int32_t column = (0 - g_FieldGrid.originX) / g_FieldGrid.cellSize;
    const int32_t row = (0 - g_FieldGrid.originY) / g_FieldGrid.cellSize;
    const int32_t cell = row * g_FieldGrid.columns + column;
    bool found = false;
    for (int32_t l = g_Cells[cell].firstComp; l; l = g_CompLinks.rows[l].next) found |= g_CompLinks.rows[l].value == 1;
    EXPECT_TRUE(found);
    // The frame's corner cell holds the frame.
    EXPECT_NE(g_Cells[0].firstWire, 0);
}

TEST_F(Field, APageWithoutAFrameGetsTheDefaultGrid)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
  wire A R1.2 R2.1
end
)"));
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    EXPECT_EQ(g_Pages[1].frameBranch, 0);
    EXPECT_EQ(g_FieldGrid.cellCount, 65 * 65);
    EXPECT_EQ(Chain(ImageNet("A")).size(), 1u);
}

TEST_F(Field, ABranchEntersACellOnceAndBoxesOutsideTheGridAreClamped)
{
    g_FormatBox = Box{0, 0, 12700000, 12700000};
    SetFieldGeometry();
    ASSERT_EQ(AllocFieldTables(), 1);
    Seg s{0, 0, 100, 0};
    ASSERT_EQ(FieldAddSegment(5, s), 1);
    Seg again{50, 0, 200, 0};
    ASSERT_EQ(FieldAddSegment(5, again), 1);
    int32_t links = 0;
    for (int32_t l = g_Cells[0].firstWire; l; l = g_WireLinks.rows[l].next) ++links;
    EXPECT_EQ(links, 1);
    // Far left of and below the origin: only the cells inside are entered.
    Seg wide{-2000000000, -2000000000, 1000, 1000};
    ASSERT_EQ(FieldAddSegment(6, wide), 1);
    EXPECT_EQ(g_WireLinks.rows[g_Cells[0].firstWire].value, 6);
    Seg outside{-2000000000, -2000000000, -1000, -1000};
    ASSERT_EQ(FieldAddSegment(7, outside), 1);
    EXPECT_EQ(g_WireLinks.rows[g_Cells[0].firstWire].value, 6);
    // A horizontal segment on a cell border lies in the row above it only.
    Seg border{0, 1270000, 100, 1270000};
    ASSERT_EQ(FieldAddSegment(8, border), 1);
    EXPECT_EQ(g_WireLinks.rows[g_Cells[g_FieldGrid.columns].firstWire].value, 8);
    FieldRemoveSegment(5, s);
    for (int32_t l = g_Cells[0].firstWire; l; l = g_WireLinks.rows[l].next) EXPECT_NE(g_WireLinks.rows[l].value, 5);
    FreeFieldTables();
}

TEST_F(Field, TheWireLinkPoolGrowsInStepsUpTo64000)
{
    g_FormatBox = Box{0, 0, 100000000, 100000000};
    SetFieldGeometry();
    ASSERT_EQ(AllocFieldTables(), 1);
    int32_t entered = 0;
    for (int32_t cell = 0; cell < g_FieldGrid.cellCount && entered < 70000; ++cell)
        for (int32_t b = 1; b <= 12 && entered < 70000; ++b, ++entered)
            if (!CellAddWire(cell, b)) goto full;
full:
    EXPECT_EQ(entered, 63999);
    EXPECT_EQ(SCR_ErrorFunc(), 2300);
    EXPECT_EQ(SCR_ErrorCode(), 1);
    FreeFieldTables();
}

}  // namespace
}  // namespace router_test
