// Grid, snap and angle steps, the unit, the text size and snapping.
#include "editor/shell/controls.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/drawaids.h"
#include "editor/view/view_state.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

namespace {

using DrawingAids = view_test::DemoTest;

TEST_F(DrawingAids, StepBoundsAreInclusive)
{
    struct Case {
        int unit, index;
        const char* text;
        int32_t step;  // 0 = refused
    } cases[] = {
        {0, 0, "0.0001", 254},    {0, 0, "1", 2540000},     {0, 1, "0.05", 127000}, {0, 1, "2", 0},
        {0, 0, "0.00009", 0},     {1, 0, "25.4", 2540000},  {1, 1, "0.00254", 254}, {1, 1, "", 0},
        {0, 2, "90", 90000},      {0, 2, "0.001", 1},       {0, 2, "91", 0},        {0, 2, "-5", 0},
        {1, 0, "1,5mm", 150000},  {0, 0, "0.1000\"", 254000},
    };
    for (const Case& c : cases) {
        g_UnitIndex = c.unit;
        auto step = ParseAidStep(c.index, c.text);
        EXPECT_EQ(step.value_or(0), c.step) << c.unit << " " << c.index << " " << c.text;
    }
    g_UnitIndex = 0;
}

TEST_F(DrawingAids, RefusedStepBeepsAndShowsTheOldOne)
{
    SCHMAIN& m = Main();
    g_SnapStep = 127000;
    m.F_GridSnap(1)->SetText("2");
    m.F_GridSnap_Click(1);
    EXPECT_EQ(g_SnapStep, 127000);
    EXPECT_EQ(m.F_GridSnap(1)->Text(), "0.0500\"");
    ASSERT_FALSE(ui.asked().empty());
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(DrawingAids, GridStepShownIsTheStepInForce)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    m.GridCheck3D->SetValue(1);
    m.F_GridSnap(0)->SetText("0.0001");
    m.F_GridSnap_Click(0);
    EXPECT_EQ(g_GridStep, 254);
    EXPECT_EQ(m.F_GridSnap(0)->Text(), "0.0001\"");
    EXPECT_NE(m.F_MsgLine->Caption().find("Grid adjusted"), std::string::npos);
}

TEST_F(DrawingAids, TypedTextSizeKeepsTheSizeInForce)
{
    SCHMAIN& m = Main();
    g_TextSizeIdx = 4;
    m.F_Tsize->SetListIndex(-1);
    m.F_Tsize_Click();
    EXPECT_EQ(g_TextSizeIdx, 4);
    m.F_Tsize->SetListIndex(2);
    m.F_Tsize_Click();
    EXPECT_EQ(g_TextSizeIdx, 3);
}

TEST_F(DrawingAids, UnitChangeRefillsTheLists)
{
    SCHMAIN& m = Main();
    m.M_Mm_Click();
    EXPECT_EQ(g_UnitIndex, 1);
    EXPECT_NE(m.ZoomCombo->List(0).find("mm"), std::string::npos);
    EXPECT_NE(m.F_GridSnap(0)->List(0).find("mm"), std::string::npos);
    m.M_Inches_Click();
    EXPECT_NE(m.ZoomCombo->List(0).find("\""), std::string::npos);
}

TEST(Snap, StaysInsideTheCoordinateRange)
{
    // 220,500,000 lies past the limit: one step back keeps the point on the
    // grid.
    EXPECT_EQ(SnapCoord(219999999, 1500000), 219000000);
    EXPECT_EQ(SnapCoord(219700000, 254000), 219710000);
    EXPECT_EQ(SnapCoord(-219999999, 1500000), -219000000);
    EXPECT_EQ(SnapCoord(12345, 1), 12345);
}

}  // namespace
