// Component mode's tools on the demo through real clicks: what the canvas
// shows while a gate exchange waits for its second gate and after it, and
// after a packaging refresh, is what a repaint of the page draws.
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/raster.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QImage>
#include <QPoint>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using palvane_test::CompareImages;

class ComponentScreen : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        Main().M_FSI_Click(MODE_COMPONENTS);
        ASSERT_EQ(g_CurMode, MODE_COMPONENTS);
        Main().ViewPicture->setFocus();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        Main().RefreshCanvas();
    }

    // The pixel of a page point.
    QPoint PixelOf(int32_t x, int32_t y)
    {
        Main().OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        Main().CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Click(QPoint at)
    {
        QTest::mouseMove(Main().ViewPicture, at);
        QTest::mouseClick(Main().ViewPicture, Qt::LeftButton, {}, at);
        QApplication::processEvents();
    }
    // The canvas as shown against the page painted again now: the number
    // of pixels that differ.
    int DifferFromRedraw()
    {
        const QImage shown = Main().ViewPicture->Image().copy();
        Main().RefreshCanvas();
        const auto diff = CompareImages(shown, Main().ViewPicture->Image());
        EXPECT_TRUE(diff.sameSize);
        return diff.differing;
    }
};

// The first gate of an exchange is marked where it stands, its wires and
// the labels on them drawn as the page has them, both while the exchange
// waits (Escape does not end it) and after the second pick.
TEST_F(ComponentScreen, GateExchangeShowsThePageAsARepaintDraws)
{
    SCHMAIN& m = Main();
    PressFunction(m, 9);
    EntryRec a{}, b{};
    const int32_t r1 = OM_FindName(DB_SchCompMap(), "R1/1");
    ASSERT_NE(C_ReadEntry(r1, 1, &a), 0);
    ASSERT_NE(C_ReadEntry(r1, 2, &b), 0);
    const QImage page = m.ViewPicture->Image().copy();
    Click(PixelOf((a.X + b.X) / 2, (a.Y + b.Y) / 2));
    ASSERT_EQ(g_CurCommand, CMD_GATE_SWAP);
    EXPECT_NE(m.ViewPicture->Image(), page) << "the gate is marked";
    EXPECT_EQ(DifferFromRedraw(), 0) << "waiting for the second gate";
    QTest::keyClick(m.ViewPicture, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(DifferFromRedraw(), 0) << "after Escape";
    // The second pick on the same gate exchanges nothing and ends it.
    Click(PixelOf(b.X, b.Y));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(DifferFromRedraw(), 0) << "after the second pick";
    EXPECT_EQ(m.ViewPicture->Image(), page);
}

// A packaging refresh draws the component with its texts made again; a
// wire that crosses them stays drawn over them, as the paint layers it.
TEST_F(ComponentScreen, PackagingRefreshLeavesCrossingWiresOnTop)
{
    SCHMAIN& m = Main();
    PressFunction(m, 6);
    m.F_OST(1)->SetValue(true);
    // At the label of net VIN, on connector J1.
    ItemRec label{};
    ASSERT_NE(I_ReadItem(OA_Object(B_BranchTextArray(B_FindNetPage(0, OM_FindName(DB_NetMap(), "VIN"), 0)), 1), &label), 0);
    Click(PixelOf(label.X, label.Y));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(DifferFromRedraw(), 0);
}

}  // namespace
