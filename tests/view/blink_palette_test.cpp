// Blinks and the viewport during a command, and the shortcut palette, on
// the loaded editor with the demo design.
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "editor/view/nvoshort.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/screenshot.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using view_test::DemoTest;

void Settle()
{
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
}

class Blinks : public DemoTest {
protected:
    void TearDown() override
    {
        g_CurCommand = 0;
        Main().m_CmdStep = 0;
        g_CompList.Redim(0, 0);
        DemoTest::TearDown();
    }
    // Marks one picked component at (x, y) for the component commands.
    void BlinkAt(int32_t x, int32_t y)
    {
        g_CompList.Redim(1, 1);
        g_CompList(1) = PickedCompRec{0, 0, 0, x, y};
        Main().BlinkCompFrame();
        while (Main().m_CanvasDCLevel > 0) Main().CloseCanvasDC();
    }
    QImage Canvas() { return Main().ViewPicture->Image().copy(); }
};

TEST_F(Blinks, ThePromptFollowsTheStep)
{
    SCHMAIN& m = Main();
    g_CurCommand = 15;
    struct Case {
        int32_t step;
        const char* prompt;
    } cases[] = {{1, " Select Next Component"}, {2, " Point Vector Base Point"}, {3, " Point Vector End Point"},
                 {4, " Select Component to Swap"}, {0, " "}};
    for (const Case& c : cases) {
        m.m_CmdStep = c.step;
        BlinkAt(0, 0);
        EXPECT_EQ(m.F_MsgLine->Caption(), c.prompt) << c.step;
    }
}

TEST_F(Blinks, ASecondBlinkReplacesTheFirst)
{
    SCHMAIN& m = Main();
    g_CurCommand = 15;
    m.m_CmdStep = 1;
    m.RefreshCanvas();
    m.DropOverlay();
    const QImage clean = Canvas();
    BlinkAt(0, 0);
    const QImage first = Canvas();
    EXPECT_NE(first, clean);
    BlinkAt(1270000, 0);
    const QImage both = Canvas();
    // Only the second marking is left: the same as a blink of it alone.
    m.ClearOverlay();
    EXPECT_EQ(Canvas(), clean);
    BlinkAt(1270000, 0);
    EXPECT_EQ(Canvas(), both);
}

// A repaint of the canvas and the viewport in mid-command, then the end of
// the command: no marking stays behind.
TEST_F(Blinks, NoGhostAfterARepaintInMidCommand)
{
    SCHMAIN& m = Main();
    if (!m.m_ViewPortOn) m.M_ViewPort_Click();
    m.RefreshCanvas();
    m.DropOverlay();
    const QImage clean = Canvas();
    g_CurCommand = 15;
    m.m_CmdStep = 1;
    BlinkAt(0, 0);
    ASSERT_NE(Canvas(), clean);
    m.RefreshCanvas();
    m.RedrawView();
    Settle();
    while (m.m_CanvasDCLevel > 0) m.CloseCanvasDC();
    EXPECT_NE(Canvas(), clean) << "the marking is shown again after the repaint";
    m.ClearOverlay();
    g_CurCommand = 0;
    EXPECT_EQ(Canvas(), clean);
}

TEST_F(Blinks, TheViewportShowsNoCrossInMidCommand)
{
    SCHMAIN& m = Main();
    if (!m.m_ViewPortOn) m.M_ViewPort_Click();
    m.F_PICView->Refresh();
    const QPoint centre(m.F_PICView->width() / 2, m.F_PICView->height() / 2);
    g_CurCommand = 15;
    m.F_PICView_MouseMove(0, 0, centre.x(), centre.y());
    m.DrawViewCross(0, 0);
    EXPECT_EQ(m.m_ViewCrossMF, 0);
    g_CurCommand = 0;
    m.m_ZoomViewport = 0;
    const QImage before = m.F_PICView->Image().copy();
    m.DrawViewCross(0, 0);
    EXPECT_NE(m.m_ViewCrossMF, 0);
    EXPECT_NE(m.F_PICView->Image(), before);
    m.EraseViewCross();
    EXPECT_EQ(m.m_ViewCrossMF, 0);
    EXPECT_EQ(m.F_PICView->Image(), before);
}

TEST_F(Blinks, TheViewportShowsTheCrossHairUnderThePointer)
{
    SCHMAIN& m = Main();
    if (!m.m_ViewPortOn) m.M_ViewPort_Click();
    Settle();
    QTest::mouseMove(m.F_PICView, QPoint(m.F_PICView->width() / 2, m.F_PICView->height() / 2));
    Settle();
    EXPECT_EQ(m.F_PICView->cursor().shape(), Qt::CrossCursor);
    EXPECT_EQ(m.m_ZoomViewport, -1);
}

TEST_F(Blinks, ViewportClicksMoveTheCanvasViewOrTheViewportsOwn)
{
    SCHMAIN& m = Main();
    if (!m.m_ViewPortOn) m.M_ViewPort_Click();
    m.F_PICView->Refresh();
    const double cx = m.F_PICView->width() / 2.0, cy = m.F_PICView->height() / 2.0;
    const int32_t x0 = m.m_ViewOrgX, y0 = m.m_ViewOrgY;
    m.F_PICView_MouseUp(1, 0, 5, 5);
    EXPECT_TRUE(m.m_ViewOrgX != x0 || m.m_ViewOrgY != y0);
    // The left button centres the canvas on the point clicked.
    m.F_PICView_MouseUp(1, 0, cx, cy);
    const int32_t xm = m.m_ViewOrgX, ym = m.m_ViewOrgY;
    m.F_PICView_MouseUp(1, 0, cx, cy);
    EXPECT_EQ(m.m_ViewOrgX, xm);
    EXPECT_EQ(m.m_ViewOrgY, ym);
    // The right button moves the viewport's own view, not the canvas's.
    const int32_t vx = m.m_VPOrgX, vy = m.m_VPOrgY;
    m.F_PICView_MouseUp(2, 0, 5, 5);
    EXPECT_TRUE(m.m_VPOrgX != vx || m.m_VPOrgY != vy);
    EXPECT_EQ(m.m_ViewOrgX, xm);
    EXPECT_EQ(m.m_ViewOrgY, ym);
}

TEST_F(Blinks, ScreenshotViewportWithOutlineCrossAndBlink)
{
    SCHMAIN& m = Main();
    m.ViewPicture->window()->resize(1280, 860);
    Settle();
    m.M_FSI_Click(2);
    if (!m.m_ViewPortOn) m.M_ViewPort_Click();
    m.SyncViewMode();
    Settle();
    g_CurCommand = 15;
    m.m_CmdStep = 1;
    BlinkAt(0, 0);
    g_CurCommand = 0;
    m.m_ZoomViewport = 0;
    m.DrawViewCross(0, 0);
    Settle();
    EXPECT_FALSE(palvane_test::SaveScreenshot(m.ViewPicture->window(), "viewport_outline_cross_blink").empty());
    g_CurCommand = 15;
}

class Palette : public DemoTest {
protected:
    void TearDown() override
    {
        FormInstance<NVOSHORT>().Unload();
        g_CurCommand = 0;
        DemoTest::TearDown();
    }
    // n entries, each function 0 of mode 1.
    static void Entries(int n, ShortCutRec entry = {1, 0})
    {
        g_ShortCuts.Redim(0, n);
        for (int i = 1; i <= n; ++i) g_ShortCuts(i) = entry;
    }
    int Shown()
    {
        int n = 0;
        for (const auto& [i, b] : FormInstance<NVOSHORT>().F_FSI()) n += b->isVisibleTo(b->window()) ? 1 : 0;
        return n;
    }
};

TEST_F(Palette, TwentyToARowAndAnEmptyListShowsNoButton)
{
    SCHMAIN& m = Main();
    NVOSHORT& palette = FormInstance<NVOSHORT>();
    Entries(20);
    m.M_Short_Click();
    EXPECT_TRUE(m.M_Short->Checked());
    EXPECT_EQ(Shown(), 20);
    const QSize twenty = palette.Window()->size();
    m.M_Short_Click();
    EXPECT_FALSE(palette.IsLoaded());
    EXPECT_FALSE(m.M_Short->Checked());
    Entries(21);
    m.M_Short_Click();
    EXPECT_EQ(Shown(), 21);
    const QSize more = palette.Window()->size();
    EXPECT_EQ(more.width(), twenty.width());
    EXPECT_EQ(more.height(), twenty.height() + palette.F_FSI()(1)->height());
    EXPECT_EQ(palette.F_FSI()(21)->y(), palette.F_FSI()(1)->height());
    EXPECT_FALSE(palvane_test::SaveScreenshot(palette.Window(), "palette_21").empty());
    // Closing the window clears the check mark.
    palette.Unload(unloadmode::ControlMenu);
    EXPECT_FALSE(m.M_Short->Checked());
    Entries(0);
    m.M_Short_Click();
    EXPECT_EQ(Shown(), 0);
}

TEST_F(Palette, PressesByModeSwitchFlagAndCommand)
{
    SCHMAIN& m = Main();
    NVOSHORT& palette = FormInstance<NVOSHORT>();
    m.M_FSI_Click(1);
    ASSERT_EQ(g_CurMode, 1);
    // Two functions with a shortcut: one of this mode, one of mode 3.
    int32_t thisFunc = -1, otherFunc = -1;
    for (int f = 0; f < kToolCount; ++f) {
        if (thisFunc < 0 && ModeTools(1).Funcs.at(f).Avail && f != ModeTools(1).SelFunc) thisFunc = f;
        if (otherFunc < 0 && ModeTools(3).Funcs.at(f).Avail && f != ModeTools(3).SelFunc) otherFunc = f;
    }
    ASSERT_GE(thisFunc, 0);
    ASSERT_GE(otherFunc, 0);
    ToolFuncRec& other = ModeTools(3).Funcs.at(otherFunc);
    ModeTools(1).Funcs.at(thisFunc).Shortcut = "ab";
    other.Shortcut = "cd";
    g_ShortCuts.Redim(0, 2);
    g_ShortCuts(1) = {1, thisFunc};
    g_ShortCuts(2) = {3, otherFunc};
    m.M_Short_Click();

    // A running command refuses the press and releases the button.
    g_CurCommand = 15;
    palette.F_FSI()(1)->SetValue(true);
    EXPECT_FALSE(palette.F_FSI()(1)->Value());
    EXPECT_FALSE(m.F_FSI(thisFunc)->Value());
    g_CurCommand = 0;

    palette.F_FSI()(1)->SetValue(true);
    EXPECT_TRUE(m.F_FSI(thisFunc)->Value());
    EXPECT_EQ(ModeTools(1).SelFunc, thisFunc);

    // Another mode: only with the switch flag.
    other.AnyMode = 0;
    palette.F_FSI()(2)->SetValue(true);
    EXPECT_EQ(g_CurMode, 1);
    palette.F_FSI()(2)->SetValue(false);
    other.AnyMode = 1;
    palette.F_FSI()(2)->SetValue(true);
    EXPECT_EQ(g_CurMode, 3);
    EXPECT_EQ(ModeTools(3).SelFunc, otherFunc);
    EXPECT_TRUE(m.F_FSI(otherFunc)->Value());

    // A blank shortcut is an empty one.
    m.M_FSI_Click(1);
    palette.F_FSI()(2)->SetValue(false);
    other.Shortcut = "  ";
    palette.F_FSI()(2)->SetValue(true);
    EXPECT_EQ(g_CurMode, 1);
}

}  // namespace
