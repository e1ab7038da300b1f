// Entering and leaving routing mode around the image: the preload bits in
// the load, the published busy state and the prompt, a busy application of
// the suite, function 10, and what the host does while the image stands
// (a page switch, "EX", the close box).
#include "tests/automation/routing_fixture.h"

#include "editor/shell/prefs.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "editor/view/nvoshort.h"
#include "platform/kernel/testing.h"

#include <QApplication>

namespace routing_test {
namespace {

using winsys::mb::AnswerNo;
using winsys::mb::AnswerYes;

// The fixture with a stub of net B from R3.1 (x 17) upwards: a wire with
// one end on a pin.
std::string WithStub()
{
    std::string design = kFixture;
    design.insert(design.find("end\n"), "  wire B R3.1 (17 10)\n");
    return design;
}

TEST_F(RoutingTest, ThePreloadBitsChosenOnEntryDecideTheLoad)
{
    const struct {
        int box1;
        int32_t bits;
        bool loaded;
    } cases[] = {{1, 2, false}, {0, 0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bits);
        Use(WithStub());
        ui.ExpectModal("SCHRTLP", [&](QWidget*) {
            SCHRTLP& d = FormInstance<SCHRTLP>();
            d.PrKey(0)->SetValue(0);
            d.PrKey(1)->SetValue(c.box1);
            d.PrKey(2)->SetValue(0);
            d.ButOk()->Press();
        });
        Main().M_Aroute_Click();
        ASSERT_EQ(g_CurMode, MODE_ROUTING);
        int32_t bits = -1;
        SCR_GetPreloadBits(&bits);
        EXPECT_EQ(bits, c.bits);
        const int32_t at[2] = {17 * kU, 5 * kU};
        EXPECT_EQ(SCR_QuestCommand(at, nullptr, 12) != 0, c.loaded);
        // The image's wires replace the database's after Yes: a wire the
        // filter left out is gone.
        ui.ExpectMessageBox(AnswerYes, "existing wires");
        Main().SaveRoutedWires();
        EXPECT_EQ(WireCount("B"), c.loaded ? 1 : 0);
        EXPECT_EQ(WireCount("A"), 1);
    }
}

TEST_F(RoutingTest, EntryShowsThePromptAndPublishesTheBusyState)
{
    Use();
    E_SetString("MW_PALVANE", "1");
    Enter();
    EXPECT_EQ(Main().F_MsgLine->Caption(), " " + ModeTools(MODE_ROUTING).ModeHelp);
    std::string title;
    int32_t state = 0, busy = 0, activity = 0, modal = 0;
    ReadAppState("PALVANE", title, state, busy, activity, modal);
    EXPECT_EQ(busy, -1);
    EXPECT_EQ(activity, -1);

    // Function 10 leaves; function 1 is the pressed one at the next entry.
    Main().F_FSI(10)->SetValue(true);
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    Main().F_FSI_MouseUp(10, 1, 0, 0, 0);
    EXPECT_EQ(ui.asked().back().caption, "Autoroute");
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(ModeTools(MODE_ROUTING).Funcs.at(10).Pressed, 0);
    EXPECT_EQ(ModeTools(MODE_ROUTING).Funcs.at(1).Pressed, -1);
    EXPECT_EQ(SCR_nComp(), 0);
    ReadAppState("PALVANE", title, state, busy, activity, modal);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(activity, 0);
    EXPECT_FALSE(Main().F_PICView->isVisible());
}

TEST_F(RoutingTest, ABusyApplicationOfTheSuiteStopsTheEntry)
{
    Use();
    // The kernel's environment strings outlive the test's database: the
    // busy simulator goes again however the test ends, or it would stop
    // the entry of every later test of the process.
    auto unset = OnExit([] {
        for (const char* name : {"AllAps", "MW_NVOSIM", "NVOSIM"}) E_SetString(name, "");
        InitAppLink();
    });
    E_SetString("AllAps", "PALVANE,NVOSIM");
    InitAppLink();
    E_SetString("MW_NVOSIM", "1");
    E_SetString("NVOSIM", "Simulator, 0, 0, 0, 1");
    const int32_t before = g_CurMode;
    ui.ExpectMessageBox(1, "Finish current operation for: Simulator");
    Main().M_Aroute_Click();  // no preload dialog: the stand-in fails on one
    EXPECT_EQ(g_CurMode, before);
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(g_AppBusyFlag, 0);
    EXPECT_TRUE(Main().M_File->Enabled());
}

// Two pages, each with a pair to route.
constexpr const char* kTwoPages = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
end
page Q frame 20in 16in
  component R3 R at 0 0
  component R4 R at 10 0
  net E R3.2 R4.1
end
)";

// The page list and the host's "FS" both switch the image's page: routing
// all then routes the other page.
TEST_F(RoutingTest, APageSwitchWhileRoutingMovesTheImageAlong)
{
    for (const bool byHost : {false, true}) {
        SCOPED_TRACE(byHost ? "FS" : "page list");
        Use(kTwoPages);
        Enter();
        const int32_t q = OM_FindName(DB_PageMap(), "Q");
        if (byHost) {
            std::string aname = "HOST", command = "PALVANE,FS,0,0," + std::to_string(g_CurHier) + "," + std::to_string(q);
            link->NotifyMe(aname, command);
        } else {
            Main().F_Pages->SetText("Q");
            Main().F_Pages_Click();
        }
        ASSERT_EQ(g_CurPage, q);
        EXPECT_EQ(g_CurMode, MODE_ROUTING);
        Choose(1, 0);
        Click(0, 0);
        ui.ExpectMessageBox(AnswerYes, "existing wires");
        Main().SaveRoutedWires();
        EXPECT_GE(WireCount("E"), 1);
        EXPECT_EQ(WireCount("A"), 0);
    }
}

// "EX" writes the routed wires back without asking, even with the pair
// command waiting, and leaves routing mode.
TEST_F(RoutingTest, ExitFromTheHostWritesTheRoutingBackUnasked)
{
    Use();
    Enter();
    Choose(1, 0);
    Click(0, 0);
    ASSERT_EQ(WireCount("B"), 0);
    Choose(1, 3);
    Click(0, 0);
    ASSERT_EQ(g_CurCommand, CMD_ROUTE_PAIR);
    std::string aname = "HOST", command = "PALVANE,EX";
    link->NotifyMe(aname, command);
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    EXPECT_FALSE(FormInstance<SCHMAIN>().IsLoaded());
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(g_AppBusyFlag, 0);
    EXPECT_EQ(SCR_nComp(), 0);
    EXPECT_EQ(WireCount("A"), 1);
    EXPECT_GE(WireCount("B"), 1);
}

// The close box asks the save question first; a failed write-back keeps
// the window open in routing mode.
TEST_F(RoutingTest, TheCloseBoxAsksTheSaveQuestion)
{
    Use();
    Enter();
    Choose(1, 0);
    Click(0, 0);
    KT_FailCall("B_InsertRecord", 1);
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    ui.ExpectMessageBox(1, "Save of");
    EXPECT_FALSE(Main().Window()->close());
    KT_FailCall("", 0);
    EXPECT_TRUE(FormInstance<SCHMAIN>().IsLoaded());
    EXPECT_EQ(g_CurMode, MODE_ROUTING);
    EXPECT_EQ(g_RouteImageActive, -1);
    EXPECT_EQ(WireCount("B"), 0);

    ui.ExpectMessageBox(AnswerNo, "existing wires");
    EXPECT_TRUE(Main().Window()->close());
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(g_AppBusyFlag, 0);
    EXPECT_EQ(SCR_nComp(), 0);
    EXPECT_EQ(WireCount("B"), 0);
}

// The shortcut palette steps aside while the router's image stands, so that
// neither its buttons nor its signal switch modes behind the image's back,
// and comes back with the end of routing mode when it is wanted.
TEST_F(RoutingTest, TheShortcutPaletteStepsAsideWhileTheImageStands)
{
    Use();
    SCHMAIN& m = Main();
    NVOSHORT& palette = FormInstance<NVOSHORT>();
    auto unload = OnExit([&palette] { palette.Unload(); });
    const int32_t before = g_CurMode;
    // The settings name one shortcut, so the palette is offered.
    g_ShortCuts.Redim(1, 1);
    m.M_Short_Click();
    ASSERT_TRUE(IsFormShown(palette));
    ASSERT_TRUE(m.M_Short->Checked());

    Enter();
    ASSERT_EQ(g_CurMode, MODE_ROUTING);
    EXPECT_TRUE(palette.IsLoaded());
    EXPECT_FALSE(IsFormShown(palette));
    EXPECT_FALSE(m.M_Short->Enabled());
    EXPECT_TRUE(m.M_Short->Checked());
    // The palette's signal for another mode is refused meanwhile.
    m.F_Short->SetText(" ");
    m.F_Short->SetText("+1");
    EXPECT_EQ(g_CurMode, MODE_ROUTING);
    EXPECT_EQ(g_RouteImageActive, -1);

    ui.ExpectMessageBox(AnswerNo, "existing wires");
    m.SaveRoutedWires();
    EXPECT_EQ(g_CurMode, before);
    EXPECT_TRUE(IsFormShown(palette));
    EXPECT_TRUE(m.M_Short->Enabled());

    // Not wanted (unchecked, and so unloaded): it stays away after routing.
    m.M_Short_Click();
    ASSERT_FALSE(m.M_Short->Checked());
    Enter();
    ui.ExpectMessageBox(AnswerNo, "existing wires");
    m.SaveRoutedWires();
    EXPECT_FALSE(IsFormShown(palette));
    EXPECT_FALSE(palette.IsLoaded());
}

// The routing mode's function buttons 0 and 10 end the step-wise routing.
TEST_F(RoutingTest, FunctionButtonsZeroAndTenEndTheStepwiseRouting)
{
    Use();
    Enter();
    SCHMAIN& m = Main();
    g_RouteStepMode = -1;
    m.F_FSI(0)->SetValue(true);
    ui.ExpectModal("RouteStep", [](QWidget*) {});
    m.F_FSI_MouseUp(0, 1, 0, 0, 0);
    EXPECT_EQ(g_RouteStepMode, 0);

    g_RouteStepMode = -1;
    m.F_FSI(10)->SetValue(true);
    ui.ExpectMessageBox(AnswerNo, "existing wires");
    m.F_FSI_MouseUp(10, 1, 0, 0, 0);
    EXPECT_EQ(g_RouteStepMode, 0);
    EXPECT_EQ(g_RouteImageActive, 0);
    EXPECT_EQ(ui.pending(), 0u);
}

}  // namespace
}  // namespace routing_test
