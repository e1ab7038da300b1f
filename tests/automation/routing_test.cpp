// Routing mode over the real router: entry, the routing and deletion
// clicks, leaving with and without the write-back, and a screenshot of the
// routed demo page.
#include "tests/automation/routing_fixture.h"

#include "editor/objects/integrity.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/pagedraw.h"
#include "editor/view/canvas.h"
#include "platform/kernel/testing.h"
#include "tests/support/screenshot.h"

#include <QApplication>
#include <QRadioButton>

#include <fstream>
#include <sstream>

namespace routing_test {
namespace {

using winsys::mb::AnswerNo;
using winsys::mb::AnswerYes;

TEST_F(RoutingTest, EntryLoadsTheImageAndDisablesTheMenus)
{
    Use();
    Main().F_PICView->setVisible(true);
    Main().m_ViewPortOn = 1;
    Enter();
    SCHMAIN& m = Main();
    EXPECT_EQ(g_CurMode, MODE_ROUTING);
    EXPECT_EQ(g_RouteImageActive, -1);
    EXPECT_EQ(g_AppBusyFlag, -1);
    EXPECT_EQ(g_Prompt, "Autoroute");
    EXPECT_EQ(SCR_GetStepIndex(), 3);
    EXPECT_EQ(g_RouteScale, 2540);
    for (MenuItem* menu : {m.M_File, m.M_Page, m.M_Edit, m.M_Auto, m.M_ViewPort, m.M_Short})
        EXPECT_FALSE(menu->Enabled());
    EXPECT_EQ(m.m_ViewPortOn, 0);
    EXPECT_FALSE(m.F_PICView->isVisible());
    EXPECT_GT(SCR_nComp(), 0);
}

TEST_F(RoutingTest, WithACommandCurrentTheMenuDoesNothing)
{
    Use();
    g_CurCommand = 5;
    Main().M_Aroute_Click();  // no dialog: the stand-in fails on one
    EXPECT_NE(g_CurMode, MODE_ROUTING);
    EXPECT_EQ(g_RouteImageActive, 0);
    g_CurCommand = 0;
}

TEST_F(RoutingTest, RouteAllThenSaveGivesTheDatabaseTheImagesWires)
{
    Use();
    const int32_t before = g_CurMode;
    Enter();
    EXPECT_EQ(WireCount("B"), 0);
    Choose(1, 0);
    Click(0, 0);
    EXPECT_FALSE(Main().F_OST(0)->Value());
    EXPECT_FALSE(g_RouteMsg.empty());
    EXPECT_LE(g_RouteMsg.size(), kRouteMsgLength);

    ui.ExpectMessageBox(AnswerYes, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(g_CurMode, before);
    EXPECT_EQ(g_AppBusyFlag, 0);
    EXPECT_TRUE(Main().M_File->Enabled());
    EXPECT_GE(WireCount("A"), 1);
    EXPECT_GE(WireCount("B"), 1);
    const std::string report = RunIntegrityCheck(nullptr);
    EXPECT_NE(report.find("Netlist - OK"), std::string::npos) << report;
    EXPECT_NE(report.find("Wires - OK"), std::string::npos) << report;
}

TEST_F(RoutingTest, RouteAllOnAConnectedPageMakesOneCall)
{
    Use(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
  wire A R1.2 (5 0) R2.1
end
)");
    Enter();
    Choose(1, 0);
    Click(0, 0);
    EXPECT_FALSE(Main().F_OST(0)->Value());
    EXPECT_FALSE(g_RouteMsg.empty());
}

TEST_F(RoutingTest, AnsweringNoKeepsEveryWire)
{
    Use();
    const int32_t branches = OM_GetCount(DB_BranchMap());
    const int32_t junctions = OM_GetCount(DB_JunctMap());
    Enter();
    // Delete all wires in the image, route, then drop it.
    Choose(2, 0);
    ui.ExpectPopupMenu("Yes", "Delete All wires");
    Click(0, 0);
    EXPECT_FALSE(Main().F_OST(0)->Value());
    ui.ExpectMessageBox(AnswerNo, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(OM_GetCount(DB_BranchMap()), branches);
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), junctions);
    EXPECT_EQ(WireCount("A"), 1);
}

TEST_F(RoutingTest, NoToDeleteAllStillReleasesTheOption)
{
    Use();
    Enter();
    Choose(2, 0);
    ui.ExpectPopupMenu("No", "Delete All wires");
    Click(0, 0);
    EXPECT_FALSE(Main().F_OST(0)->Value());
    EXPECT_FALSE(g_NoPaint);
}

TEST_F(RoutingTest, EmptyCanvasAsksNothing)
{
    Use();
    Enter();
    for (int opt : {1, 2}) {
        Choose(2, opt);
        Click(-150 * kU, -150 * kU);
        EXPECT_TRUE(Main().F_OST(opt)->Value());
    }
    Choose(1, 1);
    Click(-150 * kU, -150 * kU);
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(RoutingTest, PairAndBlockStartTheirCommands)
{
    Use();
    Enter();
    Choose(1, 3);
    Click(0, 0);
    EXPECT_EQ(g_CurCommand, CMD_ROUTE_PAIR);
    g_CurCommand = 0;
    Choose(1, 4);
    Click(3 * kU, 4 * kU);
    EXPECT_EQ(g_CurCommand, CMD_ROUTE_BLOCK);
    EXPECT_EQ(Main().m_BaseX, 3 * kU);
    EXPECT_EQ(Main().m_BaseY, 4 * kU);
    // Leaving ends the waiting command; its step then does nothing.
    ui.ExpectMessageBox(AnswerNo, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_EQ(g_CurCommand, 0);
    Main().m_BoxOrgX = 30 * kU;
    Main().RouteBlockStep();
    Main().RoutePairStep(0, 0);
    EXPECT_EQ(SCR_nComp(), 0);
}

TEST_F(RoutingTest, PairStepWithoutAPinSaysSoAfterTheCommandEnds)
{
    Use();
    Enter();
    Choose(1, 3);
    Click(0, 0);
    int32_t x = -150 * kU, y = -150 * kU;
    Main().ExecuteCommandStep(x, y);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_NE(Main().F_MsgLine->Caption().find("Pair not selected"), std::string::npos);
}

// A point on the ratsnest line of net B's pair (R2.2 to R3.1), found by
// asking the image along the row of the three resistors.
bool FindPairPoint(int32_t& x, int32_t& y)
{
    for (int32_t dy = -4; dy <= 4; ++dy)
        for (int32_t dx = 20; dx <= 40; ++dx) {
            int32_t at[2] = {dx * kU / 2, dy * kU / 2};
            char text[256] = {};
            if (SCR_QuestCommand(at, text, 3) != 0) {
                x = at[0];
                y = at[1];
                return true;
            }
        }
    return false;
}

TEST_F(RoutingTest, PairAndBlockCommandsRouteThroughTheStepEngine)
{
    for (const bool block : {false, true}) {
        SCOPED_TRACE(block ? "block" : "pair");
        Use();
        Enter();
        int32_t x = 0, y = 0;
        if (block) {
            Choose(1, 4);
            Click(-5 * kU, 5 * kU);
            ASSERT_EQ(g_CurCommand, CMD_ROUTE_BLOCK);
            // The box preview leaves the opposite corner here.
            Main().m_BoxOrgX = 25 * kU;
            Main().m_BoxOrgY = -5 * kU;
        } else {
            Choose(1, 3);
            Click(0, 0);
            ASSERT_EQ(g_CurCommand, CMD_ROUTE_PAIR);
            ASSERT_TRUE(FindPairPoint(x, y));
        }
        Main().ExecuteCommandStep(x, y);
        EXPECT_EQ(g_CurCommand, 0);
        ui.ExpectMessageBox(AnswerYes, "existing wires");
        Main().SaveRoutedWires();
        EXPECT_GE(WireCount("B"), 1);
        ASSERT_TRUE(palvane_test::BuildDesign(kFixture));
    }
}

TEST_F(RoutingTest, AFailedWriteBackKeepsRoutingModeAndTheImage)
{
    Use();
    Enter();
    Choose(1, 0);
    Click(0, 0);
    const int32_t branches = OM_GetCount(DB_BranchMap());
    KT_FailCall("B_InsertRecord", 1);
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    ui.ExpectMessageBox(1, "Save of");
    Main().SaveRoutedWires();
    KT_FailCall("", 0);
    EXPECT_EQ(g_CurMode, MODE_ROUTING);
    EXPECT_EQ(g_RouteImageActive, -1);
    EXPECT_GT(SCR_nComp(), 0);
    EXPECT_EQ(OM_GetCount(DB_BranchMap()), branches);
    // A second try saves.
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_GE(WireCount("B"), 1);
}

TEST_F(RoutingTest, ALoadTheImageRefusesLeavesTheModeAsItWas)
{
    // A component on a page without a frame is refused by the image.
    Use(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P
  component R1 R at 0 0
end
)");
    const int32_t before = g_CurMode;
    ui.ExpectModal("SCHRTLP", [](QWidget*) {});
    ui.ExpectMessageBox(1, "router");
    Main().M_Aroute_Click();
    EXPECT_EQ(g_CurMode, before);
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_TRUE(Main().M_File->Enabled());
}

TEST_F(RoutingTest, TextsLongerThanTheBufferAreCut)
{
    g_RouteMsg = std::string(100, 'x');
    RouteText text;
    std::snprintf(text.data(), static_cast<size_t>(text.size()), "%s", std::string(300, 'y').c_str());
    text.Store();
    EXPECT_EQ(g_RouteMsg, std::string(100, 'y'));
    g_RouteMsg = "abc";
    RouteText again;
    EXPECT_STREQ(again.data(), "abc");
}

std::string DemoText()
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(RoutingTest, ScreenshotOfTheRoutedDemoPage)
{
    SCHMAIN& m = Main();
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    m.LoadSettings();
    m.ViewPicture->window()->resize(1280, 860);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    m.ZoomMode->SetListIndex(2);
    Enter();
    ASSERT_EQ(g_CurMode, MODE_ROUTING);
    Choose(2, 0);
    ui.ExpectPopupMenu("Yes", "Delete All wires");
    Click(0, 0);
    Choose(1, 0);
    Click(0, 0);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    EXPECT_FALSE(palvane_test::SaveScreenshot(m.ViewPicture->window(), "routing_demo_routed").empty());
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    m.SaveRoutedWires();
    const std::string report = RunIntegrityCheck(nullptr);
    EXPECT_NE(report.find("Wires - OK"), std::string::npos) << report;
}

// The demo at the 0.08 in step (its pins lie off that grid), chosen in the
// step dialog: every pair is connected, by the rules.
TEST_F(RoutingTest, ScreenshotOfTheDemoRoutedAtTheCoarseStep)
{
    SCHMAIN& m = Main();
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    m.LoadSettings();
    m.ViewPicture->window()->resize(1280, 860);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    m.ZoomMode->SetListIndex(2);
    Enter();
    ASSERT_EQ(g_CurMode, MODE_ROUTING);
    Choose(0, -1);
    ui.ExpectModal("RouteStep", [](QWidget*) {
        RouteStep& dialog = FormInstance<RouteStep>();
        dialog.step(4)->click();
        dialog.BOk()->Press();
    });
    Click(0, 0);
    ASSERT_EQ(SCR_GetStepIndex(), 4);
    Choose(2, 0);
    ui.ExpectPopupMenu("Yes", "Delete All wires");
    Click(0, 0);
    Choose(1, 0);
    Click(0, 0);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    EXPECT_NE(m.F_MsgLine->Caption().find("100"), std::string::npos) << m.F_MsgLine->Caption();
    EXPECT_FALSE(palvane_test::SaveScreenshot(m.ViewPicture->window(), "routing_demo_routed_coarse_step").empty());
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    m.SaveRoutedWires();
    const std::string report = RunIntegrityCheck(nullptr);
    EXPECT_NE(report.find("Wires - OK"), std::string::npos) << report;
    SCR_SetStepIndex(1);
}

}  // namespace
}  // namespace routing_test
