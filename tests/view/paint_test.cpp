// The canvas paint: the page drawn, the blink of the running command, F10,
// the router image, the skipped paint and the stored view.
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "platform/kernel/nvokernel32.h"
#include "editor/view/canvas.h"
#include "editor/view/paint_stages.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <gtest/gtest.h>

namespace {

using palvane_test::CompareImages;
using palvane_test::CountPixels;
using Paint = view_test::DemoTest;

TEST(PaintBlink, ByCommand)
{
    struct Case {
        int32_t command, step;
        PaintBlink blink;
    } cases[] = {
        {6, 0, PaintBlink::Gate},     {7, 0, PaintBlink::Gate},        {15, 1, PaintBlink::CompFrame},
        {17, 3, PaintBlink::None},    {19, 0, PaintBlink::SplitBranch}, {24, 0, PaintBlink::Net},
        {30, 0, PaintBlink::Net},     {39, 0, PaintBlink::Net},        {90, 0, PaintBlink::Node},
        {102, 0, PaintBlink::Node},   {98, 0, PaintBlink::Entry},      {0, 0, PaintBlink::None},
        {101, 0, PaintBlink::None},
    };
    for (const Case& c : cases) EXPECT_EQ(PaintBlinkFor(c.command, c.step), c.blink) << c.command;
}

TEST_F(Paint, DrawsThePageAndClearsTheMessage)
{
    SCHMAIN& m = Main();
    m.ViewPicture->Cls();
    const QImage blank = m.ViewPicture->Image().copy();
    m.RefreshCanvas();
    EXPECT_FALSE(CompareImages(blank, m.ViewPicture->Image()).Same());
    EXPECT_EQ(m.F_MsgLine->Caption(), " ");
    EXPECT_EQ(m.m_RedrawBusy, 0);
    PageRec page{};
    ASSERT_NE(DB_ReadPage(g_CurPage, &page), 0);
    EXPECT_EQ(page.ViewSize, m.m_ViewSize);
    EXPECT_EQ(page.ViewX, m.m_ViewOrgX);
}

TEST_F(Paint, F10StopsThePageButNotThePaint)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QImage whole = m.ViewPicture->Image().copy();
    ui.PressKey(winsys::vk::F10, 3);  // after the background and the first stage
    m.RefreshCanvas();
    EXPECT_EQ(m.F_MsgLine->Caption(), "  Redraw Cancelled <F10>");
    bool beeped = false;
    for (const auto& a : ui.asked()) beeped |= a.kind == "Beep";
    EXPECT_TRUE(beeped);
    EXPECT_FALSE(g_RedrawCancelled);
    EXPECT_FALSE(CompareImages(whole, m.ViewPicture->Image()).Same());
    EXPECT_EQ(m.m_RedrawBusy, 0);
    // The next paint draws the whole page again.
    m.RefreshCanvas();
    EXPECT_TRUE(CompareImages(whole, m.ViewPicture->Image()).Same());
}

TEST_F(Paint, RouterImageLeavesTheWiresToTheRouter)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    const QRgb wire = qRgb(0, 128, 64);
    EXPECT_GT(CountPixels(m.ViewPicture->Image(), wire), 0);
    g_RouteImageActive = -1;
    m.RefreshCanvas();
    EXPECT_EQ(CountPixels(m.ViewPicture->Image(), wire), 0);
    g_RouteImageActive = 0;
}

TEST_F(Paint, SkippedPaintAndBusyPaintDrawNothing)
{
    SCHMAIN& m = Main();
    m.RefreshCanvas();
    m.ShowMessage("kept");
    g_NoPaint = true;
    m.RefreshCanvas();
    EXPECT_FALSE(g_NoPaint);
    EXPECT_EQ(m.F_MsgLine->Caption(), " kept");
    m.m_RedrawBusy = -1;
    m.RefreshCanvas();
    EXPECT_EQ(m.F_MsgLine->Caption(), " kept");
    m.m_RedrawBusy = 0;
}

}  // namespace
