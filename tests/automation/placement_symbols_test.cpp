// The placement symbols of a level: their set-up with the default patterns,
// the fitting of the patterns to a changed page frame, the reset of the
// settings, and the snapping of a component to the cells of its pattern.
#include "editor/automation/placement_relocation.h"
#include "editor/automation/placement_settings.h"
#include "editor/objects/comp_state.h"
#include "editor/automation/placement_symbols.h"
#include "editor/shell/controls.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"
#include "tests/automation/placement_fixture.h"

#include <QTemporaryDir>
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

// A default pattern line fitted to the frame f: row lines (odd links) span
// its width at a multiple of 0.8 in from its bottom, column lines (even
// links) its height at a multiple of 0.4 in from its left edge.
void ExpectDefaultLine(const ItemRec& r, const int32_t f[4])
{
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

// Four patterns on each side: links 1..8 the component side, 9..16 the
// solder side, the same lines on both.
TEST_F(PlacementTest, ANewLevelGetsTheDefaultPatternsOfBothSidesAndTheFramePrototype)
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
        ExpectDefaultLine(r, f);
    }
    EXPECT_EQ(perLink.size(), 16u);
    for (int32_t l = 1; l <= 16; ++l)
        EXPECT_EQ(perLink[l], l % 2 == 1 ? (f[3] - f[1]) / 2032000 + 1 : (f[2] - f[0]) / 1016000 + 1) << l;
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
    int32_t lastCol = 0;  // the last column line of the first pattern
    for (int32_t k = 1; k <= OA_GetCount(grid); ++k) {
        I_ReadItem(OA_Object(grid, k), &col);
        if (col.Link == 2) lastCol = k;
    }
    ASSERT_GT(lastCol, 0);
    I_ReadItem(OA_Object(grid, lastCol), &col);
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

// A grid symbol stored before the set-up made the solder-side patterns has
// the component-side lines only. Loaded again (the host's update), it gets
// the default lines of the solder side over the page frame, keeps its own
// lines as they were, and then places a page with mirrored parts.
TEST_F(PlacementTest, AGridStoredWithoutSolderSideLinesGetsThemAndPlacesMirroredParts)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 100 80
  component R1 R at -20 10
  component R2 R at 0 10 mirror
  component R3 R at 20 10 angle 90 mirror
  component R4 R at 0 -10 angle 180
end
)"));
    Main().LoadSettings();
    RefreshPlacementSymbols(Main());
    int32_t f[4] = {};
    ASSERT_GT(B_FrameBranchLines(-100 - DB_CurPage(), 63, f), 0);
    int32_t grid = S_SymbolItemArray(g_GridSymbol);
    std::map<int32_t, int> defaults;
    for (int32_t k = OA_GetCount(grid); k >= 1; --k) {
        ItemRec r{};
        I_ReadItem(OA_Object(grid, k), &r);
        ++defaults[r.Link];
        if (r.Link >= 9) OA_Delete(grid, k);
    }
    // A row line of pattern #2 the user moved.
    int32_t moved = 0;
    ItemRec row{};
    for (int32_t k = 1; k <= OA_GetCount(grid) && moved == 0; ++k)
        if (I_ReadItem(OA_Object(grid, k), &row) == 1 && row.Link == 3) moved = k;
    ASSERT_GT(moved, 0);
    row.Y += 254000;
    ASSERT_EQ(I_ChangeItemXY(OA_Object(grid, moved), &row), 1);
    const std::vector<ItemRec> stored = Items(g_GridSymbol);

    QTemporaryDir dir;
    const std::string path = dir.filePath("stored.nvd").toStdString();
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1);
    ASSERT_EQ(DB_LoadDataBase(path.c_str()), 1);
    std::string aname = "HOST", command = "All,UP";
    link->NotifyMe(aname, command);

    const std::vector<ItemRec> loaded = Items(g_GridSymbol);
    ASSERT_GE(loaded.size(), stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(loaded[i].Link, stored[i].Link) << i;
        EXPECT_EQ(loaded[i].X, stored[i].X) << i;
        EXPECT_EQ(loaded[i].Y, stored[i].Y) << i;
        EXPECT_EQ(loaded[i].P1, stored[i].P1) << i;
        EXPECT_EQ(loaded[i].P2, stored[i].P2) << i;
    }
    std::map<int32_t, int> perLink;
    for (size_t i = stored.size(); i < loaded.size(); ++i) {
        const ItemRec& r = loaded[i];
        ASSERT_EQ(r.Kind, 1);
        ASSERT_GE(r.Link, 9);
        ++perLink[r.Link];
        ExpectDefaultLine(r, f);
    }
    for (int32_t l = 9; l <= 16; ++l) EXPECT_EQ(perLink[l], defaults[l]) << l;
    // Loaded again, nothing more is added.
    link->NotifyMe(aname, command);
    EXPECT_EQ(Items(g_GridSymbol).size(), loaded.size());

    ui.ExpectMessageBox(winsys::mb::AnswerYes, "Current positions of the components will be changed.");
    Main().M_AutPlcExecute_Click();
    EXPECT_EQ(Trim(Main().F_MsgLine->Caption()), "Placement Completed");
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
