// The net viewer SCHSNET on a net spread over nine pages: the page groups,
// one page alone, the report list and the jump to a pin, the pane zoom, and
// a picture of the window.
#include "editor/dialogs/schsnet.h"
#include "editor/objects/net_text.h"
#include "editor/objects/netlist_compare.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/listbox.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace palvane_test;

constexpr int32_t kTenth = 254000;

class NetViewer : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        InitUnits();
        LoadSystemTables();
        // Nine pages P1..P9 with a frame, each with two resistors on net N;
        // a tenth page without a frame.
        std::string text = "include discrete.nls\nunit 0.1in\ndesign D\nlevel MAIN\n";
        for (int p = 1; p <= 9; ++p) {
            text += "page P" + std::to_string(p) + " frame 60 40\n";
            text += "  component A" + std::to_string(p) + " R at -10 0\n";
            text += "  component B" + std::to_string(p) + " R at 10 0 angle 90\n";
            text += "end\n";
        }
        text += "page BARE\n  component Z1 R at 0 0\nend\n";
        ASSERT_TRUE(BuildDesign(text));
        net = N_CreateNet(0, 1, "N");
        for (int p = 1; p <= 9; ++p) {
            N_CreateNode(net, 0, Sch("A" + std::to_string(p)), 2, 0, 0);
            N_CreateNode(net, 0, Sch("B" + std::to_string(p)), 1, 0, 0);
        }
        N_ReadNet(net, &netRec);
        g_NetViewNet = 0;
    }
    static int32_t Sch(const std::string& name) { return OM_FindName(DB_SchCompMap(), (name + "/1").c_str()); }
    void Open(const std::function<void(SCHSNET&)>& steps)
    {
        SCHSNET& form = FormInstance<SCHSNET>();
        ui.ExpectModal("SCHSNET", [&](QWidget*) { steps(form); });
        ReportNetlistCompare(net, netRec);
    }
    static std::pair<int32_t, int32_t> Shown(SCHSNET& f) { return {f.m_First, f.m_Last}; }
    int32_t net = 0;
    NetRec netRec{};
};

TEST_F(NetViewer, MorePagesCyclesThroughGroupsOfFour)
{
    Open([&](SCHSNET& f) {
        EXPECT_EQ(f.Caption(), "Net : N in Schematics. Pages(  9 )");
        ASSERT_EQ(f.F_PageName()->ListCount(), 10);
        EXPECT_EQ(f.F_PageName()->List(0), "More Pages");
        EXPECT_EQ(f.F_PageName()->List(9), "P9");
        EXPECT_EQ(Shown(f), (std::pair<int32_t, int32_t>{1, 4}));
        EXPECT_EQ(f.m_PanesInUse, 4);
        EXPECT_EQ(f.F_PgNam(3)->Caption(), "P4");
        f.F_PageName_Click();
        EXPECT_EQ(Shown(f), (std::pair<int32_t, int32_t>{5, 8}));
        EXPECT_EQ(f.F_PgNam(0)->Caption(), "P5");
        f.F_PageName_Click();
        EXPECT_EQ(Shown(f), (std::pair<int32_t, int32_t>{9, 9}));
        EXPECT_EQ(f.m_PanesInUse, 1);
        EXPECT_TRUE(f.ViewPicture(0)->isVisible());
        EXPECT_FALSE(f.ViewPicture(1)->isVisible());
        f.F_PageName_Click();
        EXPECT_EQ(Shown(f), (std::pair<int32_t, int32_t>{1, 4}));
        EXPECT_EQ(f.F_PageList()->List(0), "Page: P1");
        f.F_Close()->Press();
    });
    EXPECT_EQ(g_NetViewJumpX, 220000000);
}

// The panes read their pages' frames through the editor's frame box: the
// editor keeps its own values, all of them, while the viewer is open and
// after it closed.
TEST_F(NetViewer, FittingThePanesLeavesTheEditorsFrameBoxAlone)
{
    g_FrameX1 = 11;
    g_FrameY1 = 22;
    g_FrameX2 = 33;
    g_FrameY2 = 55;
    g_FrameWidth = 22;
    g_FrameHeight = 33;
    g_FrameValid = false;
    const auto expectEditorsFrame = [](const char* when) {
        EXPECT_EQ(g_FrameX1, 11) << when;
        EXPECT_EQ(g_FrameY1, 22) << when;
        EXPECT_EQ(g_FrameX2, 33) << when;
        EXPECT_EQ(g_FrameY2, 55) << when;
        EXPECT_EQ(g_FrameWidth, 22) << when;
        EXPECT_EQ(g_FrameHeight, 33) << when;
        EXPECT_FALSE(g_FrameValid) << when;
    };
    Open([&](SCHSNET& f) {
        expectEditorsFrame("opened");
        // The pages were fitted to their own frames all the same.
        EXPECT_GT(f.PageScale(1), 100);
        f.F_PageName()->SetListIndex(2);
        f.StepPaneZoom(-1);
        expectEditorsFrame("one page fitted again");
        f.F_Close()->Press();
    });
    expectEditorsFrame("closed");
}

TEST_F(NetViewer, APageAloneShowsItsOwnReportAndALineJumpsToThePin)
{
    const int32_t b3 = Sch("B3");
    CompRec comp{};
    C_ReadComponent(b3, &comp);
    EntryRec pin{};
    C_ReadEntry(b3, 1, &pin);
    Open([&](SCHSNET& f) {
        f.F_PageName()->SetListIndex(3);
        EXPECT_TRUE(f.m_SinglePage);
        EXPECT_EQ(Shown(f), (std::pair<int32_t, int32_t>{3, 3}));
        ASSERT_EQ(f.F_PageList()->ListCount(), 3);
        EXPECT_EQ(f.F_PageList()->List(2), "(sch: B3/1,1)");
        f.F_PageList()->SetListIndex(2);
        EXPECT_EQ(g_NetViewPages(3).ViewX, pin.X);
        EXPECT_EQ(g_NetViewPages(3).ViewY, -pin.Y);
        f.F_Pan()->SetValue(1);
        f.F_Close()->Press();
    });
    EXPECT_EQ(g_NetViewJumpX, pin.X);
    EXPECT_EQ(g_NetViewJumpY, -pin.Y);
    EXPECT_EQ(g_NetViewJumpPage, comp.Page);
}

TEST_F(NetViewer, AMissingPinJumpsToTheComponentAndAForeignLineToNothing)
{
    const int32_t a2 = Sch("A2");
    CompRec comp{};
    C_ReadComponent(a2, &comp);
    Open([&](SCHSNET& f) {
        f.JumpToSchPin("A2/1,NOPIN");
        EXPECT_EQ(g_NetViewJumpX, comp.X);
        EXPECT_EQ(g_NetViewJumpY, -comp.Y);
        EXPECT_EQ(g_NetViewJumpPage, comp.Page);
        f.F_PageList()->SetListIndex(0);  // "Page: P1": no "sch:"
        EXPECT_EQ(g_NetViewJumpPage, 0);
        f.F_Pan()->SetValue(1);
        f.F_Close()->Press();
    });
    EXPECT_EQ(g_NetViewJumpX, 220000000);
}

TEST_F(NetViewer, ALabelClickFindsItsPageInTheList)
{
    Open([&](SCHSNET& f) {
        f.F_PgNam_Click(2);
        EXPECT_EQ(f.F_PageList()->Text(), "Page: P3");
        f.F_Close()->Press();
    });
}

TEST_F(NetViewer, PaneZoomIsClampedAndAFramelessPageKeepsAUsableScale)
{
    Open([&](SCHSNET& f) {
        g_UnitIndex = 1;
        f.ZoomCombo()->SetText("0,5");
        f.ApplyPaneZoom();
        EXPECT_EQ(f.m_PageScale(1), 50000);
        EXPECT_EQ(f.m_PageScale(4), 50000);
        f.ZoomCombo()->SetText("0.0001");
        f.ApplyPaneZoom();
        EXPECT_EQ(f.m_PageScale(2), 100);
        f.ZoomCombo()->SetText("99");
        f.ApplyPaneZoom();
        EXPECT_EQ(f.m_PageScale(2), 2540000);
        f.m_PageScale(1) = 2000;
        f.m_PaneUnderPointer = 0;
        f.StepPaneZoom(0);
        EXPECT_EQ(f.m_PageScale(1), 100);
        f.m_PageScale(1) = 2540000 - 100;
        f.StepPaneZoom(1);
        EXPECT_EQ(f.m_PageScale(1), 2540000);
        f.F_Close()->Press();
    });
    // A page without a frame would be fitted at one unit per pixel.
    const int32_t bare = N_CreateNet(0, 1, "BARE");
    N_CreateNode(bare, 0, OM_FindName(DB_SchCompMap(), "Z1/1"), 1, 0, 0);
    N_ReadNet(bare, &netRec);
    net = bare;
    Open([&](SCHSNET& f) {
        EXPECT_EQ(f.m_PageScale(1), 100);
        f.F_Close()->Press();
    });
}

TEST_F(NetViewer, ScreenshotOfFourPanes)
{
    Open([&](SCHSNET& f) {
        f.F_PageList()->SetListIndex(2);
        // The panes take their sizes when the window system has shown them.
        QCoreApplication::processEvents();
        f.ShowPageGroup(1, 4);
        f.RefreshPanes();
        const std::string path = SaveScreenshot(f.Window(), "schsnet_four_pages");
        EXPECT_FALSE(path.empty());
        f.F_PageName()->SetListIndex(2);
        QCoreApplication::processEvents();
        f.RefreshPanes();
        EXPECT_FALSE(SaveScreenshot(f.Window(), "schsnet_one_page").empty());
        f.F_Close()->Press();
    });
}

}  // namespace
