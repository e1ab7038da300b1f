// The placement symbols of a level: their set-up with the default patterns,
// the fitting of the patterns to a changed page frame, the reset of the
// settings, and the snapping of a component to the cells of its pattern.
#include "editor/automation/placement_relocation.h"
#include "editor/automation/placement_settings.h"
#include "editor/objects/comp_state.h"
#include "editor/automation/placement_symbols.h"
#include "tests/automation/placement_fixture.h"

#include <gtest/gtest.h>

namespace {

using placement_test::PlacementTest;

std::vector<ItemRec> Items(int32_t symb)
{
    std::vector<ItemRec> out;
    const int32_t array = S_SymbolItemArray(symb);
    for (int32_t k = 1; k <= OA_GetCount(array); ++k) {
        ItemRec r{};
        I_ReadItem(OA_Object(array, k), &r);
        out.push_back(r);
    }
    return out;
}

TEST_F(PlacementTest, ANewLevelGetsFourDefaultPatternsAndTheFramePrototype)
{
    Load(2);
    int32_t f[4] = {};
    ASSERT_GT(B_FrameBranchLines(-100 - DB_CurPage(), 63, f), 0);
    EXPECT_EQ(g_GridSymbol, -(DB_CurHier() + 13000));
    EXPECT_EQ(g_ZoneSymbol, -(DB_CurHier() + 12000));
    std::map<int32_t, int> perLink;
    for (const ItemRec& r : Items(g_GridSymbol)) {
        ASSERT_EQ(r.Kind, 1);
        EXPECT_EQ(r.Flags & 7, 1);
        ++perLink[r.Link];
        if (r.Link % 2 == 1) {
            EXPECT_EQ(r.X, f[0]);
            EXPECT_EQ(r.P1, f[2] - f[0]);
            EXPECT_EQ((r.Y - f[1]) % 2032000, 0);
        } else {
            EXPECT_EQ(r.Y, f[1]);
            EXPECT_EQ(r.P2, f[3] - f[1]);
            EXPECT_EQ((r.X - f[0]) % 1016000, 0);
        }
    }
    EXPECT_EQ(perLink.size(), 8u);
    EXPECT_EQ(perLink[1], (f[3] - f[1]) / 2032000 + 1);
    EXPECT_EQ(perLink[2], (f[2] - f[0]) / 1016000 + 1);
    const auto zones = Items(g_ZoneSymbol);
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(zones[0].Kind, 3);
    EXPECT_EQ(zones[0].Link, 3);
    EXPECT_EQ(zones[0].X, f[0]);
    EXPECT_EQ(zones[0].P2, f[3] - f[1]);
    EXPECT_EQ(g_PlcGridReady, -1);
}

TEST_F(PlacementTest, AChangedFrameStretchesTheLinesAndKeepsTheirPlaces)
{
    Load(2);
    int32_t f[4] = {};
    B_FrameBranchLines(-100 - DB_CurPage(), 63, f);
    // Pretend the patterns were fitted to a smaller frame.
    const int32_t zones = S_SymbolItemArray(g_ZoneSymbol);
    ItemRec proto{};
    I_ReadItem(OA_Object(zones, 1), &proto);
    proto.P1 /= 2;
    I_ChangeItemXY(OA_Object(zones, 1), &proto);
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    ItemRec row{}, col{};
    I_ReadItem(OA_Object(grid, 2), &row);
    ASSERT_EQ(row.Link, 1);
    const int32_t rowY = row.Y;
    row.X += 1000, row.P1 = 5000;
    I_ChangeItemXY(OA_Object(grid, 2), &row);
    const int32_t lastCol = OA_GetCount(grid) / 4;  // somewhere among the first pattern's columns
    I_ReadItem(OA_Object(grid, lastCol), &col);
    ASSERT_EQ(col.Link, 2);
    const int32_t colX = col.X;
    col.Y += 7000, col.P2 = 9;
    I_ChangeItemXY(OA_Object(grid, lastCol), &col);

    SetupPlacementSymbols(Main());
    I_ReadItem(OA_Object(grid, 2), &row);
    EXPECT_EQ(row.X, f[0]);
    EXPECT_EQ(row.P1, f[2] - f[0]);
    EXPECT_EQ(row.Y, rowY);
    I_ReadItem(OA_Object(grid, lastCol), &col);
    EXPECT_EQ(col.Y, f[1]);
    EXPECT_EQ(col.P2, f[3] - f[1]);
    EXPECT_EQ(col.X, colX);
    I_ReadItem(OA_Object(zones, 1), &proto);
    EXPECT_EQ(proto.P1, f[2] - f[0]);
}

TEST_F(PlacementTest, AFramePrototypeOfAnyStoredExtentIsFittedToTheFrame)
{
    // A stored prototype's extent is any 32-bit number; those beyond the
    // coordinate space are replaced by the frame like any other change.
    const int32_t extents[][2] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 0}, {0, INT32_MIN}};
    for (const auto& e : extents) {
        SCOPED_TRACE(std::to_string(e[0]) + " " + std::to_string(e[1]));
        Load(2);
        int32_t f[4] = {};
        B_FrameBranchLines(-100 - DB_CurPage(), 63, f);
        const int32_t zones = S_SymbolItemArray(g_ZoneSymbol);
        ItemRec proto{};
        I_ReadItem(OA_Object(zones, 1), &proto);
        proto.P1 = e[0], proto.P2 = e[1];
        ASSERT_EQ(I_ChangeItemXY(OA_Object(zones, 1), &proto), 1);
        SetupPlacementSymbols(Main());
        I_ReadItem(OA_Object(zones, 1), &proto);
        EXPECT_EQ(proto.X, f[0]);
        EXPECT_EQ(proto.P1, f[2] - f[0]);
        EXPECT_EQ(proto.P2, f[3] - f[1]);
    }
}

TEST_F(PlacementTest, RefreshResetsTheSettingsAndKeepsTheSymbols)
{
    Load(2);
    const size_t lines = Items(g_GridSymbol).size();
    g_PlcAlignIdx = 0;
    g_CompSideGrids[2] = 1;
    g_PatClearanceX = 999;
    RefreshPlacementSymbols(Main());
    EXPECT_EQ(g_PlcAlignIdx, 5);
    EXPECT_EQ(g_CompSideGrids[2], 0);
    EXPECT_EQ(g_PatClearanceX, 25);
    EXPECT_EQ(Items(g_GridSymbol).size(), lines);
}

}  // namespace


namespace {

// Selects the component named `ref` as the one being placed.
void Pick(const std::string& ref)
{
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        CompRec r{};
        C_ReadComponent(id, &r);
        if (std::string(r.Name).substr(0, std::string(r.Name).find('/')) == ref) {
            g_CompId = id;
            g_Comp = r;
            g_RelocComp = 0;
            return;
        }
    }
    FAIL() << ref;
}

TEST_F(PlacementTest, RelocationFollowsTheNamePrefixes)
{
    Load(12);
    struct Case {
        std::array<const char*, 4> column;
        int expected;
    } cases[] = {
        {{"", "R*", "R1*", ""}, 3},
        {{"", "R*", "R1*", "R12"}, 4},
        {{"", "", "", ""}, 1},
    };
    for (const Case& c : cases) {
        for (auto& col : g_PatternPrefixes) col.fill("");
        for (int n = 0; n < 4; ++n) g_PatternPrefixes[n + 1][1] = c.column[n];
        Pick("R12");
        ApplyPatternRelocation(0, 0);
        EXPECT_EQ(m_RelocPattern, c.expected);
    }
}

TEST_F(PlacementTest, RelocationSnapsToTheCellCornerAndLeavesAnEmptyAxis)
{
    Load(2);
    for (auto& col : g_PatternPrefixes) col.fill("");
    int32_t f[4] = {};
    B_FrameBranchLines(-100 - DB_CurPage(), 63, f);
    Pick("R1");
    g_PatAlignment = 0;  // taken as one unit: no division by zero
    ApplyPatternRelocation(f[0] + 2500000, f[1] + 2100000);
    // Columns are 0.4 inch apart, rows 0.8 inch: the lines under the point.
    EXPECT_EQ(g_Comp.X, f[0] + 2 * 1016000 + g_RelocOffsetX);
    EXPECT_EQ(g_Comp.Y, f[1] + 2032000 + g_RelocOffsetY);
    // Without column lines the X axis stays.
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    for (int32_t k = OA_GetCount(grid); k >= 1; --k) {
        ItemRec r{};
        I_ReadItem(OA_Object(grid, k), &r);
        if (r.Link == 2) OA_Delete(grid, k);
    }
    Pick("R1");
    g_Comp.X = 12345;
    ApplyPatternRelocation(f[0] + 2500000, f[1] + 2100000);
    EXPECT_EQ(g_Comp.X, 12345);
    EXPECT_EQ(g_Comp.Y, f[1] + 2032000 + g_RelocOffsetY);
    g_PatAlignment = 25;
}

}  // namespace
