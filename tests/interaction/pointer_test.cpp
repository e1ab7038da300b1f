// Canvas pointer input through the real canvas and kernel: snapping, the
// step table, release routing, recentring and a block command carried by
// mouse events with the canvas as a fresh paint afterwards.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/curpos.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using palvane_test::CompareImages;
using Pointer = view_test::DemoTest;

// A component by its reference; a part's gate is named "REF/1".
CompRec Comp(const std::string& name)
{
    int32_t id = OM_FindName(DB_SchCompMap(), name.c_str());
    if (id == 0) id = OM_FindName(DB_SchCompMap(), (name + "/1").c_str());
    CompRec rec{};
    EXPECT_NE(C_ReadComponent(id, &rec), 0) << name;
    return rec;
}

TEST(SnapCoord, Table)
{
    struct Case {
        int32_t v, step, want;
    } cases[] = {
        {190000, 127000, 127000},   {190500, 127000, 254000},     {-190500, 127000, -254000},
        {0, 127000, 0},             {5, 1, 5},                    {219990000, 127000, 219964000},
        {-219990000, 127000, -219964000}, {220000000, 127000, 219964000},
    };
    for (const Case& c : cases) EXPECT_EQ(SnapCoord(c.v, c.step), c.want) << c.v;
}

TEST(SnapAngleValue, CountsPastSixteenBits)
{
    EXPECT_DOUBLE_EQ(SnapAngleValue(44.0, 15000), 45.0);
    EXPECT_DOUBLE_EQ(SnapAngleValue(359.0, 1), 359.0);
    EXPECT_DOUBLE_EQ(SnapAngleValue(12.5, 0), 12.5);
}

TEST(CommandSteps, TableHoldsTheBuiltSteps)
{
    for (int32_t id : {1, 2, 5, 24, 31, 38, 50, 51, 57, 58, 60, 61, 65, 87, 88, 99, 96, 201})
        EXPECT_NE(FindCommandStep(id), nullptr) << id;
    for (int32_t id : {0, 11, 100, 200, 250, 400, -3}) EXPECT_EQ(FindCommandStep(id), nullptr) << id;
}

// The block, component and item commands whose operations the table calls.
TEST(CommandSteps, TableHoldsTheBlockComponentAndItemSteps)
{
    for (int32_t id : {52, 53, 54, 55, 56, 7, 8, 9, 15, 16, 17, 98, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80})
        EXPECT_NE(FindCommandStep(id), nullptr) << id;
}

TEST_F(Pointer, ClickWithNoStepEndsTheCommand)
{
    SCHMAIN& m = Main();
    for (int32_t id : {11, 250}) {
        m.BeginCommand(id);
        m.ViewPicture_MouseUp(1, 0, 50, 50);
        EXPECT_EQ(g_CurCommand, 0) << id;
        EXPECT_EQ(m.m_CanvasDCLevel, 0);
        EXPECT_TRUE(m.M_Edit->Enabled());
        EXPECT_TRUE(m.ViewPicture->isEnabled());
    }
}

TEST_F(Pointer, RightReleaseRecentres)
{
    SCHMAIN& m = Main();
    m.ViewPicture_MouseMove(0, 0, 30, 40);
    const int32_t x = m.m_CursorX, y = m.m_CursorY;
    m.ViewPicture_MouseUp(2, 0, 30, 40);
    EXPECT_EQ(m.m_ViewOrgX, x);
    EXPECT_EQ(m.m_ViewOrgY, -y);
}

TEST_F(Pointer, OtherButtonsLeaveNoContextOpen)
{
    SCHMAIN& m = Main();
    m.ViewPicture_MouseUp(4, 0, 30, 40);
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
}

TEST_F(Pointer, BoxCopyFlagGoesWithTheCopy)
{
    SCHMAIN& m = Main();
    g_CurMode = MODE_NONE;
    g_BoxCopyOn = -1;
    m.ViewPicture_MouseUp(1, 0, 20, 20);
    EXPECT_EQ(g_CurCommand, CMD_BOX_AREA);
    m.ViewPicture_MouseMove(0, 0, 60, 50);
    m.ViewPicture_MouseUp(1, 0, 60, 50);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_BoxCopyOn, 0);
}

TEST_F(Pointer, BlockMoveThroughMouseEventsLeavesAFreshPaint)
{
    SCHMAIN& m = Main();
    g_CurMode = MODE_BLOCK_EDIT;
    ModeTools(MODE_BLOCK_EDIT).SelFunc = 1;
    Canvas& canvas = *m.ViewPicture;
    canvas.setFocus();
    m.RefreshCanvas();
    const QImage before = canvas.Image().copy();
    const CompRec r1 = Comp("R1");
    // A box around R1 and its value, then the destination of the move.
    QTest::mouseMove(&canvas, QPoint(330, 280));
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(330, 280));
    EXPECT_EQ(g_CurCommand, 51);
    for (int x : {350, 380, 400}) {
        QTest::mouseMove(&canvas, QPoint(x, x - 70));
        EXPECT_NE(m.m_OverlayMF, 0) << x;
        EXPECT_FALSE(CompareImages(before, canvas.Image()).Same()) << x;
    }
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(400, 330));
    EXPECT_EQ(g_CurCommand, 52);
    QTest::mouseMove(&canvas, QPoint(420, 380));
    const int32_t dx = m.m_OffsetX, dy = m.m_OffsetY;
    ASSERT_TRUE(dx != 0 || dy != 0);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(420, 380));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(m.m_OverlayMF, 0);
    // The block really moved: R1 by the vector, and the picture with it.
    const CompRec moved = Comp("R1");
    EXPECT_EQ(moved.X, r1.X + dx);
    EXPECT_EQ(moved.Y, r1.Y + dy);
    const QImage after = canvas.Image().copy();
    EXPECT_FALSE(CompareImages(before, after).Same());
    m.RefreshCanvas();
    const auto d = CompareImages(after, canvas.Image());
    EXPECT_TRUE(d.Same()) << d.differing << " at " << d.firstAt.x() << "," << d.firstAt.y();
}

}  // namespace

// The box taken by 74 and 77 is the selection their follow-ups read, even
// after the follow-up's preview has carried the box elsewhere.
TEST_F(Pointer, ItemBoxStepsPublishTheSelection)
{
    SCHMAIN& m = Main();
    for (int32_t id : {74, 77}) {
        g_SelRect = {1, 2, 3, 4};
        m.m_StepRequest = 0;
        m.m_BoxOrgX = -500000;
        m.m_BoxOrgY = 300000;
        m.m_BoxW = 1000000;
        m.m_BoxH = -600000;
        g_CurCommand = id;
        int32_t x = 0, y = 0;
        m.ExecuteCommandStep(x, y);
        EXPECT_EQ(g_CurCommand, id == 74 ? 80 : 78) << id;
        EXPECT_EQ(g_SelRect.X1, -500000) << id;
        EXPECT_EQ(g_SelRect.Y1, 300000) << id;
        EXPECT_EQ(g_SelRect.X2, 500000) << id;
        EXPECT_EQ(g_SelRect.Y2, -300000) << id;
        m.m_StepRequest = -1;
        m.ExecuteCommandStep(x, y);
        EXPECT_EQ(g_CurCommand, 0);
    }
}

// An option pressed while a command runs redraws its preview at once:
// option 10 (Esc) ends the box command without waiting for a pointer move.
TEST_F(Pointer, OptionTenStepsTheRunningCommandAtOnce)
{
    SCHMAIN& m = Main();
    m.ViewPicture_MouseMove(0, 0, 100, 100);
    int32_t id = CMD_BOX_AREA;
    m.m_BaseX = m.m_CursorX;
    m.m_BaseY = m.m_CursorY;
    m.BeginCommand(id);
    ASSERT_EQ(g_CurCommand, CMD_BOX_AREA);
    m.F_OST(10)->SetValue(true);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(m.F_OST(10)->Value());
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    EXPECT_TRUE(m.M_Edit->Enabled());
}
