// Zoom and scroll: the steps and their bounds, typed zoom values in both
// units, fitting the page, the coordinate limit and the scroll bars.
#include "editor/shell/controls.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"
#include "editor/view/zoom_math.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

namespace {

using Zoom = view_test::DemoTest;

TEST(ZoomMath, StepsKeepTheirBounds)
{
    EXPECT_EQ(ZoomStepSize(100, 0), 100);
    EXPECT_EQ(ZoomStepSize(2540000, 1), 2540000);
    EXPECT_EQ(ZoomStepSize(2000000, 0), 1900000);
    EXPECT_EQ(ZoomStepSize(2000000, 1), 2100000);
    EXPECT_EQ(ZoomStepSize(2000000, -1), 2000000);
}

TEST(ZoomMath, OriginPulledBackIntoTheLimit)
{
    EXPECT_EQ(KeepOriginInLimits(219000000, 0, 5000000, 3000000).x, 215000000);
    EXPECT_EQ(KeepOriginInLimits(0, -219000000, 5000000, 3000000).y, -217000000);
    EXPECT_EQ(KeepOriginInLimits(1000, 2000, 5000000, 3000000).x, 1000);
}

TEST_F(Zoom, TypedValuesParsedAndClamped)
{
    struct Case {
        int unit;
        const char* text;
        int32_t size;
    } cases[] = {
        {0, "0.01\"", 25400},   {0, "0.01", 25400},  {0, "", 31750},   {0, "abc", 31750},
        {0, "-1", 100},         {0, "1e9", 2540000}, {0, "0.00001", 100}, {1, "1,5", 150000},
        {1, "0.254mm", 25400},  {1, "30", 2540000},  {1, "0", 31750},
    };
    for (const Case& c : cases) {
        g_UnitIndex = c.unit;
        EXPECT_EQ(ParseZoomText(c.text, 31750), c.size) << c.unit << " " << c.text;
    }
    g_UnitIndex = 0;
}

TEST_F(Zoom, RedrawButtonAppliesTheTypedValue)
{
    SCHMAIN& m = Main();
    m.ZoomCombo->SetText("0.002\"");
    m.RedrawBtn_Click();
    EXPECT_EQ(m.m_ViewSize, 5080);
    EXPECT_EQ(m.ZoomCombo->Text(), "0.0020\"");
    m.ZoomCombo->SetText("nonsense");
    m.RedrawBtn_Click();
    EXPECT_EQ(m.m_ViewSize, 5080);
}

TEST_F(Zoom, FitThePageCentresTheFrame)
{
    SCHMAIN& m = Main();
    m.m_ViewOrgX = 5000000;
    m.ZoomMode->SetListIndex(2);
    EXPECT_EQ(m.m_ViewOrgX, 0);
    EXPECT_EQ(m.m_ViewOrgY, 0);
    const QSize px = m.ViewPicture->ClientSize();
    // The frame (11 x 8.5 inch) fits: its larger relative side fills the canvas.
    EXPECT_LE(27940000.0 / m.m_ViewSize, px.width() + 1);
    EXPECT_LE(21590000.0 / m.m_ViewSize, px.height() + 1);
    EXPECT_GE(m.m_ViewSize, kMinViewSize);
}

TEST_F(Zoom, OverlargeViewShrinksToTheCoordinateRange)
{
    SCHMAIN& m = Main();
    m.ViewPicture->resize(1000 + m.ViewPicture->width() - m.ViewPicture->ClientSize().width(),
                          m.ViewPicture->height());
    ASSERT_EQ(m.ViewPicture->ClientSize().width(), 1000);
    m.m_ViewSize = 2540000;
    m.CalcCanvasArea();
    EXPECT_EQ(m.m_ViewSize, 440000);
    EXPECT_EQ(m.ZoomCombo->Text(), "0.17323\"");
}

TEST_F(Zoom, ScrollBarsAndOrigin)
{
    SCHMAIN& m = Main();
    int32_t x = 687500, y = 0;
    m.SetScrollBars(x, y);
    EXPECT_EQ(m.ViewHScroll->Value(), 100);
    m.m_ViewOrgX = 687500;
    m.SetScrollBars(x, y);
    EXPECT_EQ(m.m_ViewOrgX, 687500);
    m.ViewHScroll->SetValue(200);
    EXPECT_EQ(m.m_ViewOrgX, 1375000);
    m.ViewVScroll->SetValue(-100);
    EXPECT_EQ(m.m_ViewOrgY, -687500);
}

TEST_F(Zoom, StepZoomsAboutThePointer)
{
    SCHMAIN& m = Main();
    m.m_ViewSize = 200000;
    m.m_CursorX = 1000000;
    m.m_CursorY = 2000000;
    int32_t in = 0;
    m.ZoomStep(in);
    EXPECT_EQ(m.m_ViewSize, 190000);
    EXPECT_EQ(m.m_ViewOrgX, 1000000);
    EXPECT_EQ(m.m_ViewOrgY, -2000000);
}

TEST_F(Zoom, BoxWithAZeroSideChangesNothing)
{
    SCHMAIN& m = Main();
    const int32_t size = m.m_ViewSize;
    m.m_BoxW = 0;
    m.m_BoxH = 1000000;
    m.ZoomToArea();
    EXPECT_EQ(m.m_ViewSize, size);
    EXPECT_EQ(m.m_RedrawBusy, 0);
    m.m_BoxW = 4000000;
    m.m_BaseX = 4000000;
    m.m_BaseY = 1000000;
    m.ZoomToArea();
    EXPECT_EQ(m.m_ViewOrgX, 2000000);
    EXPECT_EQ(m.m_ViewOrgY, 500000 * -1);
}

}  // namespace
