// The automatic placement run from the menu command to the engine and back:
// the question, the parameter record, the error reports and the page.
#include "editor/automation/placement_messages.h"
#include "editor/automation/routing_dialogs.h"
#include "editor/interaction/commands.h"
#include "editor/shell/ribbon.h"
#include "editor/automation/placement_prefixes.h"
#include "editor/automation/placement_run.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/plsgpara.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/textnum.h"
#include "editor/shell/pagedraw.h"
#include "editor/view/canvas.h"
#include "platform/kernel/testing.h"
#include "platform/placement/nvosplc32.h"
#include "platform/placement/plc_rules.h"
#include "platform/winsys/interaction.h"
#include "tests/automation/placement_fixture.h"
#include "tests/support/screenshot.h"

#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
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

// The components of the current page by name.
std::map<std::string, int32_t> PageComponents()
{
    std::map<std::string, int32_t> out;
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    while (int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
        CompRec r{};
        if (C_ReadComponent(id, &r) == 1 && r.Page == DB_CurPage()) out[r.Name] = id;
    }
    return out;
}

// Both pages of the shipped demo hold a mirrored part (the input connector
// J1, the LED D1, turned as well): each page places through the menu
// command, and the mirrored parts stay mirrored.
TEST_F(PlacementTest, TheDemoPagesPlaceWithTheirMirroredParts)
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_TRUE(palvane_test::BuildDesign(text.str(), PALVANE_DEMO_DIR));
    SCHMAIN& m = Main();
    m.LoadSettings();
    RefreshPlacementSymbols(m);
    m.ViewPicture->window()->resize(1100, 800);
    Settle();
    const std::pair<const char*, const char*> pages[] = {{"Amplifier", "J1/1"}, {"Blinker", "D1/1"}};
    for (const auto& [page, mirroredPart] : pages) {
        SCOPED_TRACE(page);
        m.F_Pages->SetText(page);
        m.F_Pages_Click();
        const auto comps = PageComponents();
        ASSERT_TRUE(comps.count(mirroredPart));
        CompRec before{};
        C_ReadComponent(comps.at(mirroredPart), &before);
        ASSERT_TRUE(before.Flags & 2);
        ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
        m.M_AutPlcExecute_Click();
        EXPECT_EQ(Trim(m.F_MsgLine->Caption()), "Placement Completed");
        EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_DONE);
        CompRec after{};
        C_ReadComponent(comps.at(mirroredPart), &after);
        EXPECT_TRUE(after.Flags & 2);
        Settle();
        palvane_test::SaveScreenshot(m.ViewPicture->window(), std::string("placement_demo_") + page);
    }
}

// Eight line sets, two parts on each: pattern #n of the component side
// takes the parts named An*, of the solder side the mirrored parts named
// Bn*; every part starts turned by a quarter or half turn or not at all.
// The lines of the sets are moved apart, so that the cell corner a part
// ends on tells which set placed it: the rows of set s by 2s tenths of an
// inch (rows are 8 tenths apart), the columns of the solder side by 2
// tenths (columns are 4 tenths apart). Even tenths: the rounding to the
// alignment takes two values half a tenth apart to one.
TEST_F(PlacementTest, MirroredAndTurnedPartsPlaceOnTheLinesOfTheirOwnSet)
{
    std::string text = "include discrete.nls\nunit 0.1in\ndesign D\nlevel MAIN\npage P frame 100 80\n";
    for (int side = 0; side < 2; ++side)
        for (int n = 1; n <= 4; ++n)
            for (int k = 1; k <= 2; ++k) {
                text += std::string("  component ") + (side ? "B" : "A") + std::to_string(n) + std::to_string(k) +
                        " R at " + std::to_string(-40 + 20 * (n - 1) + 8 * (k - 1)) + " " + (side ? "-20" : "20") +
                        " angle " + std::to_string(90 * ((n + k) % 4)) + (side ? " mirror" : "") + "\n";
            }
    text += "end\n";
    ASSERT_TRUE(palvane_test::BuildDesign(text));
    SCHMAIN& m = Main();
    m.LoadSettings();
    RefreshPlacementSymbols(m);
    for (int n = 1; n <= 4; ++n) {
        g_PatternPrefixes[n][1] = "A" + std::to_string(n) + "*";
        // The solder-side table comes with the stored design.
        g_PatternPrefixes2[n][1] = "B" + std::to_string(n) + "*";
    }
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    constexpr int32_t kTenth = 254000;
    std::array<std::vector<int32_t>, 8> rows, cols;
    for (int32_t k = 1; k <= OA_GetCount(grid); ++k) {
        ItemRec r{};
        ASSERT_EQ(I_ReadItem(OA_Object(grid, k), &r), 1);
        if (r.Kind != 1 || r.Link < 1 || r.Link > 16) continue;
        const int set = (r.Link - 1) / 2;
        if (r.Link % 2 == 1)
            r.Y += 2 * set * kTenth;
        else
            r.X += 2 * (set / 4) * kTenth;
        ASSERT_EQ(I_ChangeItemXY(OA_Object(grid, k), &r), 1);
        (r.Link % 2 == 1 ? rows[set] : cols[set]).push_back(r.Link % 2 == 1 ? r.Y : r.X);
    }
    for (int set = 0; set < 8; ++set) {
        ASSERT_FALSE(rows[set].empty()) << set;
        ASSERT_FALSE(cols[set].empty()) << set;
    }
    m.ViewPicture->window()->resize(1100, 800);
    Settle();
    ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
    m.M_AutPlcExecute_Click();
    ASSERT_EQ(Trim(m.F_MsgLine->Caption()), "Placement Completed");
    Settle();
    palvane_test::SaveScreenshot(m.ViewPicture->window(), "placement_every_line_set");

    // A part's origin is a cell corner of its set, moved by the part's
    // outline and rounded to the alignment of the run.
    const int64_t align = g_PlcParams.Align / 2;
    auto on = [&](const std::vector<int32_t>& lines, int64_t at, int64_t offset) {
        for (int32_t line : lines)
            if (plc_prefix::AlignRelocated(line + offset, align) == at) return true;
        return false;
    };
    for (const auto& [name, id] : PageComponents()) {
        SCOPED_TRACE(name);
        CompRec c{};
        ASSERT_EQ(C_ReadComponent(id, &c), 1);
        const bool solder = name[0] == 'B';
        EXPECT_EQ((c.Flags & 2) != 0, solder);
        int32_t a[4] = {}, b[4] = {};
        ASSERT_GT(C_FrameCompEntries(id, a), 0);
        ASSERT_GT(C_FrameCompItems(id, b), 0);
        const int64_t left = std::min({a[0], a[2], b[0], b[2]}), bottom = std::min({a[1], a[3], b[1], b[3]});
        const int own = (solder ? 4 : 0) + (name[1] - '1');
        std::set<int> sets;
        for (int set = 0; set < 8; ++set)
            if (on(rows[set], c.Y, c.Y - bottom) && on(cols[set], c.X, c.X - left)) sets.insert(set);
        EXPECT_EQ(sets, std::set<int>{own});
    }
}

// Page 10 x 1 inches, no turning on pattern #1: the connector J1, 1.1 inch
// tall, fits no cell while the resistors fit. The run is refused as a
// whole: the box of message 1001, J1 named on the message line, and the
// design as it was, the prefix the run would have stored included.
TEST_F(PlacementTest, APartTooBigForAnyCellIsNamedAndTheDesignStaysAsItWas)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
include connectors.nls
unit 0.1in
design D
level MAIN
page P frame 100 10
  component R1 R at -30 0
  component R2 R at -10 0
  component J1 CONN10 at 30 0
end
)"));
    SCHMAIN& m = Main();
    m.LoadSettings();
    RefreshPlacementSymbols(m);
    Settle();
    ui.ExpectModal("PLSGPARA", [](QWidget*) {
        PLSGPARA& d = FormInstance<PLSGPARA>();
        d.O_CG(1, 1)->click();
        d.Com_OK_Click();
    });
    ShowModal(FormInstance<PLSGPARA>());
    ASSERT_EQ(g_CompSideGrids[1], 1);
    g_PatternPrefixes[1][1] = "R*";
    // Drawing the page records its view in the design, and the command ends
    // with a drawing: the design is compared from a drawn page on.
    m.RefreshCanvas();
    const uint64_t before = KT_DesignDigest();
    ASSERT_NE(before, 0u);
    ui.ExpectMessageBox(mb::AnswerYes, "Current positions of the components will be changed.");
    ui.ExpectMessageBox(mb::AnswerOk, "Placement cannot be completed");
    m.M_AutPlcExecute_Click();
    EXPECT_EQ(PLCDLL_GetErrorCode(), PLC_ERR_NO_CELLS);
    EXPECT_EQ(Trim(m.F_MsgLine->Caption()), "Component: J1/1");
    EXPECT_EQ(KT_DesignDigest(), before);
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
