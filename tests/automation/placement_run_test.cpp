// The automatic placement run from the menu command to the engine and back:
// the question, the parameter record, the error reports and the page.
#include "editor/automation/placement_messages.h"
#include "editor/automation/routing_dialogs.h"
#include "editor/interaction/commands.h"
#include "editor/shell/ribbon.h"
#include "editor/automation/placement_prefixes.h"
#include "editor/automation/placement_run.h"
#include "editor/automation/placement_settings.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/textnum.h"
#include "editor/shell/pagedraw.h"
#include "editor/view/canvas.h"
#include "platform/kernel/testing.h"
#include "platform/placement/nvosplc32.h"
#include "platform/winsys/interaction.h"
#include "tests/automation/placement_fixture.h"
#include "tests/support/screenshot.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using placement_test::PlacementTest;
namespace mb = winsys::mb;

void Settle()
{
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
}

TEST_F(PlacementTest, AnsweringNoChangesNothing)
{
    Load(4);
    const auto before = Positions();
    g_Prompt = "Select";
    ui.ExpectMessageBox(mb::AnswerNo, "Do you want to execute Autoplace?");
    Main().M_AutPlcExecute_Click();
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(g_Prompt, "Select");
}

TEST_F(PlacementTest, DefaultsGiveTheRecordAndPlaceThePage)
{
    Load(6);
    const auto before = Positions();
    Main().ViewPicture->window()->resize(1100, 800);
    Settle();
    palvane_test::SaveScreenshot(Main().ViewPicture->window(), "placement_page_before");
    g_Prompt = "Select";
    ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
    Main().M_AutPlcExecute_Click();
    for (int32_t field : {g_PlcParams.ClearX, g_PlcParams.ClearY, g_PlcParams.BoardEdge, g_PlcParams.Align})
        EXPECT_EQ(field, 508000);
    EXPECT_EQ(g_PlcParams.Page, DB_CurPage());
    EXPECT_EQ(g_PlcParams.GridSymb, -(DB_CurHier() + 13000));
    EXPECT_EQ(Trim(Main().F_MsgLine->Caption()), "Placement Completed");
    EXPECT_EQ(g_Prompt, "Select");
    EXPECT_NE(Positions(), before);
    Settle();
    EXPECT_FALSE(palvane_test::SaveScreenshot(Main().ViewPicture->window(), "placement_page_after").empty());
}

// A chain of wired parts placed anew: the wires follow the pins slanted;
// routing with the preload filter on slanted wires replaces them, and no
// slanted wire is left in the design.
TEST_F(PlacementTest, APlacedPageIsRoutedWithNoSlantedWireLeft)
{
    std::string text = placement_test::ChainDesign(8);
    std::string wires;
    for (int i = 1; i < 8; ++i)
        wires += "  wire N" + std::to_string(i) + " R" + std::to_string(i) + ".2 R" + std::to_string(i + 1) + ".1\n";
    text.insert(text.rfind("end"), wires);
    ASSERT_TRUE(palvane_test::BuildDesign(text));
    SCHMAIN& m = Main();
    m.LoadSettings();
    RefreshPlacementSymbols(m);
    m.ViewPicture->window()->resize(1100, 800);
    Settle();
    ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
    m.M_AutPlcExecute_Click();
    ASSERT_EQ(Trim(m.F_MsgLine->Caption()), "Placement Completed");

    // Routing mode, with the preload leaving slanted wires out.
    ui.ExpectModal("SCHRTLP", [](QWidget*) {
        SCHRTLP& dialog = FormInstance<SCHRTLP>();
        dialog.PrKey(2)->SetValue(1);
        dialog.ButOk()->Press();
    });
    m.M_Aroute_Click();
    ASSERT_EQ(g_CurMode, MODE_ROUTING);
    m.F_FSI(1)->SetValue(true);
    m.F_FSI_Click(1, true);
    m.F_OST(0)->SetValue(true);
    int32_t x = 0, y = 0;
    m.RoutingModeClick(x, y);
    Settle();
    EXPECT_NE(m.F_MsgLine->Caption().find("100"), std::string::npos) << m.F_MsgLine->Caption();
    EXPECT_FALSE(palvane_test::SaveScreenshot(m.ViewPicture->window(), "placement_page_routed").empty());
    ui.ExpectMessageBox(mb::AnswerYes, "existing wires");
    m.SaveRoutedWires();

    int32_t cursor = OM_GetFirst(DB_BranchMap()), wiresSeen = 0;
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, 0, -1)) {
        ++wiresSeen;
        BranchRec rec{};
        ASSERT_EQ(B_ReadBranch(branch, &rec), 1);
        std::vector<BranchPointRec> points(static_cast<size_t>(rec.Points));
        ASSERT_EQ(B_ReadRecords(branch, points.data(), rec.Points), rec.Points);
        for (size_t i = 1; i < points.size(); ++i)
            EXPECT_TRUE(points[i].X == points[i - 1].X || points[i].Y == points[i - 1].Y)
                << "wire " << branch << " point " << i;
    }
    EXPECT_GE(wiresSeen, 7);
}

TEST_F(PlacementTest, StepIndexesGiveTheRecordFields)
{
    struct Case {
        int32_t index, field;
    } cases[] = {{0, 2540000}, {5, 508000}, {10, 50800}, {-1, 508000}, {11, 508000}};
    for (const Case& c : cases) {
        g_PlcClearXIdx = c.index;
        FillPlacementParams(1);
        EXPECT_EQ(g_PlcParams.ClearX, c.field) << c.index;
    }
}

TEST_F(PlacementTest, EngineFailuresAreReportedAndTheEngineClosed)
{
    Load(6);
    // Cells far too small for a resistor: the engine says 11.
    const int32_t grid = S_SymbolItemArray(-(DB_CurHier() + 13000));
    while (OA_GetCount(grid) > 0) OA_Delete(grid, 1);
    const auto before = Positions();
    ui.ExpectMessageBox(mb::AnswerYes);
    ui.ExpectMessageBox(mb::AnswerOk, "Placement cannot be completed");
    Main().M_AutPlcExecute_Click();
    EXPECT_EQ(Positions(), before);
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NO_CELLS);
    EXPECT_NE(Trim(Main().F_MsgLine->Caption()), "Placement Completed");
    // The engine was closed: a placement call now finds it not open.
    EXPECT_EQ(PLCDLL_PlaceFirstComponent(), 0);
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NOT_OPEN);
}

TEST_F(PlacementTest, ARefusedParameterRecordStopsBeforeTheOpen)
{
    Load(2);
    g_GridSymbol = -(DB_CurHier() + 13000);
    // A page that does not exist: the open is refused, reported and closed.
    ui.ExpectMessageBox(mb::AnswerOk, "Placement cannot be completed");
    g_CurPage = 77;
    EXPECT_EQ(RunAutoPlacement(Main()), 1);
    g_CurPage = DB_CurPage();
    EXPECT_EQ(PLCDLL_GetErrorFunction(), PLC_FN_DBASE_OPEN);
}

TEST_F(PlacementTest, StoredPrefixesSurviveAFailedStore)
{
    Load(2);
    g_PatternPrefixes[2][1] = "R*";
    g_OrientPrefixes[6][1] = "C*";
    ASSERT_TRUE(StorePlacementPrefixes());
    g_PatternPrefixes[2][1] = "U*";
    g_PatternPrefixes[3][1] = "Q*";
    KT_FailCall("OA_Add", 2);
    ui.ExpectMessageBox(mb::AnswerOk, "Can't save Pattern prefixes");
    EXPECT_FALSE(StorePlacementPrefixes());
    KT_FailCall("", 0);
    LoadPlacementPrefixes();
    EXPECT_EQ(g_PatternPrefixes[2][1], "R*");
    EXPECT_EQ(g_PatternPrefixes[3][1], "");
    EXPECT_EQ(g_OrientPrefixes[6][1], "C*");
}

TEST_F(PlacementTest, LoadingClearsSlotsWithoutItems)
{
    Load(2);
    g_PatternPrefixes[1][1] = "A*";
    g_PatternPrefixes[1][2] = "";
    g_PatternPrefixes[1][3] = "C*";
    ASSERT_TRUE(StorePlacementPrefixes());
    g_PatternPrefixes[1][5] = "left over";
    LoadPlacementPrefixes();
    EXPECT_EQ(g_PatternPrefixes[1][1], "A*");
    EXPECT_EQ(g_PatternPrefixes[1][2], "C*");  // only non-empty entries are stored
    EXPECT_EQ(g_PatternPrefixes[1][5], "");
}

TEST_F(PlacementTest, MessagesOfTheTable)
{
    struct Case {
        int32_t code;
        const char* detail;
        const char* text;
        int icon;
    } cases[] = {
        {3, "", "Undefined error # 3", mb::Exclamation},
        {11, "", "Undefined error # 11", mb::Exclamation},
        {-4, "", "Undefined error #-4", mb::Exclamation},
        {8, "2", "Can't create Pattern #2 in automatic mode", mb::Exclamation},
        {1, "Vertical orientation", "The prefix allready exist in Vertical orientation", mb::Exclamation},
        {9, "x", "Component must be unmirrored", mb::Exclamation},
        {12, "x", "Can't save Pattern prefixes", mb::Critical},
        {1511, "Fir", "Can't create prototype of page frame Fir", mb::Critical},
    };
    for (const Case& c : cases) {
        const PlacementMessage m = ComposePlacementError(c.code, c.detail);
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.style & mb::IconMask, c.icon) << c.code;
    }
}

}  // namespace
