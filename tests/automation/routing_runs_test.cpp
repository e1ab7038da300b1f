// The step-wise runs of routing mode (all wires, a net, a component, a
// block): each routes its own pairs, F10 between two router calls ends a
// run, a run never makes more than one call more than the image has nodes,
// and a failing call ends the run with the router's text on the message
// line.
#include "tests/automation/routing_fixture.h"

#include "editor/shell/dlgservices.h"
#include "editor/view/canvas.h"
#include "platform/winsys/keyboard.h"
#include "tests/support/raster.h"

#include <QApplication>
#include <QTest>

#include <functional>
#include <memory>

namespace routing_test {
namespace {

using winsys::mb::AnswerNo;
using winsys::mb::AnswerYes;

// Three resistors in a row and two nets without wires: A (R1.2 at x 3 to
// R2.1 at 7) and B (R2.2 at 13 to R3.1 at 17).
constexpr const char* kTwoNets = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 20 0
  net A R1.2 R2.1
  net B R2.2 R3.1
end
)";

// The stand-in with an action at each ask for F10 outside the paint: a
// run asks once before each router call, so the action runs between two
// calls of the run; `runAsks` counts those asks.
class PollingUi : public winsys::ScriptedInteraction {
public:
    std::function<void(int ask)> atPoll;
    std::function<bool()> painting;
    int runAsks = 0;
    bool KeyPressed(int virtualKey) override
    {
        const bool down = ScriptedInteraction::KeyPressed(virtualKey);
        if (virtualKey != winsys::vk::F10 || painting()) return down;
        ++runAsks;
        if (atPoll) atPoll(runAsks);
        return down;
    }
};

enum class RunKind { All, Net, Comp, Block };

const struct {
    const char* name;
    RunKind run;
} kRuns[] = {{"all wires", RunKind::All}, {"net B", RunKind::Net}, {"component R1", RunKind::Comp}, {"block", RunKind::Block}};

class RoutingRuns : public RoutingTest {
protected:
    // A fresh stand-in for the next run.
    PollingUi& Fresh()
    {
        polling = std::make_unique<PollingUi>();
        polling->unexpected = [](const std::string& what) { ADD_FAILURE() << what; };
        polling->painting = [this] { return Main().m_RedrawBusy != 0; };
        return *polling;
    }
    void TearDown() override
    {
        winsys::InstallInteraction(&ui);
        RoutingTest::TearDown();
    }
    // Starts a run with the stand-in `polling` answering when there is one:
    // the all-wires, net and component runs by their click at x (0.1 inch,
    // on the row of the resistors), the block run by its second click, the
    // block from x to x2.
    void Start(RunKind run, int32_t x = 0, int32_t x2 = 25)
    {
        if (run == RunKind::Block) {
            Choose(1, 4);
            Click(x * kU, 5 * kU);
            Main().m_BoxOrgX = x2 * kU;
            Main().m_BoxOrgY = -5 * kU;
        } else {
            Choose(1, run == RunKind::All ? 0 : run == RunKind::Net ? 1 : 2);
        }
        if (polling) winsys::InstallInteraction(polling.get());
        int32_t px = x * kU, py = 0;
        if (run == RunKind::Block) Main().ExecuteCommandStep(px, py);
        else Click(px, py);
        winsys::InstallInteraction(&ui);
    }
    std::string Shown() { return Main().F_MsgLine->Caption(); }

    std::unique_ptr<PollingUi> polling;
};

TEST_F(RoutingRuns, EachRunRoutesItsOwnPairs)
{
    const struct {
        const char* name;
        RunKind run;
        int32_t x, x2;
        bool a, b;  // routed after the run
    } cases[] = {
        {"all wires", RunKind::All, 0, 0, true, true},
        {"net B", RunKind::Net, 13, 0, false, true},
        {"component R1", RunKind::Comp, 0, 0, true, false},
        {"component R3", RunKind::Comp, 20, 0, false, true},
        {"block round R2.2 and R3.1", RunKind::Block, 12, 25, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Use(kTwoNets);
        Enter();
        Start(c.run, c.x, c.x2);
        EXPECT_EQ(g_CurCommand, 0);
        ui.ExpectMessageBox(AnswerYes, "existing wires");
        Main().SaveRoutedWires();
        EXPECT_EQ(WireCount("A") > 0, c.a);
        EXPECT_EQ(WireCount("B") > 0, c.b);
    }
}

TEST_F(RoutingRuns, F10BetweenTwoCallsEndsTheRun)
{
    for (const auto& r : kRuns) {
        SCOPED_TRACE(r.name);
        Use(kTwoNets);
        Enter();
        Fresh().PressKey(winsys::vk::F10, 2);
        Start(r.run, r.run == RunKind::Net ? 13 : 0);
        EXPECT_EQ(polling->runAsks, 2);
        EXPECT_NE(Shown().find("Routing Cancelled <F10>"), std::string::npos) << Shown();
        EXPECT_EQ(g_CurCommand, 0);
        ui.ExpectMessageBox(AnswerNo, "existing wires");
        Main().SaveRoutedWires();
    }
}

// A run that ends as it should leaves the router's last text on the message
// line: the share of connected pairs and "Routing completed", after the
// all-wires run's repaint and after the block command's end as well.
TEST_F(RoutingRuns, EveryRunEndsWithItsResultShown)
{
    const struct {
        const char* name;
        RunKind run;
        int32_t x;
        const char* text;
    } cases[] = {
        {"all wires", RunKind::All, 0, "Routing Wires: 100.00 %."},
        {"net B", RunKind::Net, 13, "Routing Net \"B\": 100.00 %."},
        {"component R1", RunKind::Comp, 0, "100.00 %."},
        {"block", RunKind::Block, 0, "Routing Connections in Block : 100.00 %."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Use(kTwoNets);
        Enter();
        Start(c.run, c.x);
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_NE(Shown().find(c.text), std::string::npos) << Shown();
        EXPECT_NE(Shown().find("Routing completed..."), std::string::npos) << Shown();
        ui.ExpectMessageBox(AnswerNo, "existing wires");
        Main().SaveRoutedWires();
    }
}

// Real pointer events on the canvas, at points in 0.1 inch; (10, 20) and
// (30, 15) are empty places of the page, (10, 0) is R2's body.
class RoutingResult : public RoutingRuns {
protected:
    // The page without wires, in routing mode, the canvas taking the
    // pointer.
    void Begin()
    {
        Use(kTwoNets);
        // The window laid out and painted as a user sees it, also when
        // this is the process's first test.
        Main().Window()->show();
        for (int i = 0; i < 10; ++i) QApplication::processEvents();
        Main().RefreshCanvas();
        Enter();
        ASSERT_EQ(g_CurMode, MODE_ROUTING);
        Focus();
    }
    // The canvas takes the pointer only while it has the focus.
    void Focus()
    {
        QApplication::setActiveWindow(Main().Window());
        canvas().setFocus();
        ASSERT_EQ(QApplication::focusWidget(), &canvas());
    }
    void Leave()
    {
        ui.ExpectMessageBox(AnswerNo, "existing wires");
        Main().SaveRoutedWires();
    }
    Canvas& canvas() { return *Main().ViewPicture; }
    QPoint Pix(int32_t x, int32_t y)
    {
        Main().OpenCanvasDC();
        int32_t p[2] = {x * kU, y * kU};
        G_LPtoDP(p);
        Main().CloseCanvasDC();
        const QPoint at(p[0], p[1]);
        EXPECT_TRUE(canvas().rect().contains(at)) << x << " " << y;
        return at;
    }
    void MoveTo(int32_t x, int32_t y) { QTest::mouseMove(&canvas(), Pix(x, y)); }
    void ClickAt(int32_t x, int32_t y)
    {
        MoveTo(x, y);
        QTest::mouseClick(&canvas(), Qt::LeftButton, {}, Pix(x, y));
    }
    // Over empty canvas (two places), over a component, over empty canvas
    // again and through a repaint: the result is shown except over the
    // component, which shows what lies there.
    void ExpectResultKept(const std::string& result, bool overComponent = true)
    {
        ASSERT_NE(result.find("Routing completed..."), std::string::npos) << result;
        Focus();
        MoveTo(10, 20);
        EXPECT_EQ(Shown(), " " + result);
        MoveTo(30, 15);
        EXPECT_EQ(Shown(), " " + result);
        if (overComponent) {
            MoveTo(10, 0);
            EXPECT_NE(Shown().find("Component: \" R2"), std::string::npos) << Shown();
            MoveTo(10, 20);
        }
        EXPECT_EQ(Shown(), " " + result);
        Main().RefreshCanvas();
        EXPECT_EQ(Shown(), " " + result);
        QApplication::processEvents();
        EXPECT_EQ(Shown(), " " + result);
    }
};

// The all-wires, net and component runs started by a click on the canvas:
// the run's result stays on the message line.
TEST_F(RoutingResult, ARunsResultStaysOverEmptyCanvasAndThroughARepaint)
{
    const struct {
        const char* name;
        int opt;
        int32_t x, y;
        const char* text;
    } cases[] = {
        {"all wires", 0, 10, 20, "Routing Wires: 100.00 %."},
        {"net B", 1, 13, 0, "Routing Net \"B\": 100.00 %."},
        {"component R1", 2, 0, 0, "Routing Component Connections \"R1\": 100.00 %."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Begin();
        Choose(1, c.opt);
        ClickAt(c.x, c.y);
        EXPECT_EQ(g_CurCommand, 0);
        ASSERT_NE(g_RouteMsg.find(c.text), std::string::npos) << g_RouteMsg;
        ExpectResultKept(g_RouteMsg);
        Leave();
    }
}

// The pair command: its first click starts it, the second routes the pair
// at the pointer; its end shows the result, which then stays.
TEST_F(RoutingResult, ThePairCommandShowsItsResultAfterItsEnd)
{
    Begin();
    Choose(1, 3);
    ClickAt(10, 20);
    ASSERT_EQ(g_CurCommand, CMD_ROUTE_PAIR);
    MoveTo(17, 0);
    QTest::mouseClick(&canvas(), Qt::LeftButton, {}, Pix(17, 0));
    EXPECT_EQ(g_CurCommand, 0) << Shown();
    ASSERT_NE(g_RouteMsg.find("Routing Pair: Net \"B\""), std::string::npos) << g_RouteMsg << " shown " << Shown();
    EXPECT_EQ(Shown(), " " + g_RouteMsg);
    ExpectResultKept(g_RouteMsg);
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_GT(WireCount("B"), 0);
    EXPECT_EQ(WireCount("A"), 0);
}

// The block command's result stays as well.
TEST_F(RoutingResult, TheBlockCommandsResultStays)
{
    Begin();
    Start(RunKind::Block);
    EXPECT_EQ(g_CurCommand, 0);
    ASSERT_NE(g_RouteMsg.find("Routing Connections in Block : 100.00 %."), std::string::npos) << g_RouteMsg;
    EXPECT_EQ(Shown(), " " + g_RouteMsg);
    ExpectResultKept(g_RouteMsg, false);
    Leave();
}

// A new command, a delete and leaving routing mode end the result: the
// pointer over empty canvas and a repaint no longer bring it back.
TEST_F(RoutingResult, TheNextActionWithATextOfItsOwnEndsTheResult)
{
    const auto routeNetB = [this] {
        Begin();
        Choose(1, 1);
        ClickAt(13, 0);
        MoveTo(10, 20);
        ASSERT_NE(Shown().find("Routing completed..."), std::string::npos) << Shown();
    };
    const auto gone = [this] {
        Focus();
        MoveTo(10, 20);
        EXPECT_EQ(Shown().find("Routing completed..."), std::string::npos) << Shown();
        Main().RefreshCanvas();
        EXPECT_EQ(Shown().find("Routing completed..."), std::string::npos) << Shown();
    };
    {
        SCOPED_TRACE("a new command");
        routeNetB();
        Choose(1, 3);
        ClickAt(10, 20);
        ASSERT_EQ(g_CurCommand, CMD_ROUTE_PAIR);
        EXPECT_EQ(Shown().find("Routing completed..."), std::string::npos) << Shown();
        // Ended without routing (its Esc button): nothing of the earlier
        // run comes back.
        QTest::mouseClick(Main().F_OST(10), Qt::LeftButton);
        MoveTo(10, 21);
        MoveTo(10, 22);
        ASSERT_EQ(g_CurCommand, 0);
        gone();
        Leave();
    }
    {
        SCOPED_TRACE("a delete");
        routeNetB();
        Choose(2, 0);
        ui.ExpectPopupMenu("Yes", "Delete All wires");
        ClickAt(10, 20);
        gone();
        Leave();
    }
    {
        SCOPED_TRACE("leaving routing mode");
        routeNetB();
        Leave();
        ASSERT_EQ(g_RouteImageActive, 0);
        EXPECT_EQ(Shown().find("Routing completed..."), std::string::npos) << Shown();
        Enter();
        ASSERT_EQ(g_CurMode, MODE_ROUTING);
        gone();
        Leave();
    }
}

// A router that keeps asking to be called again (its cursor restarted and
// its wires taken away between the calls) is called SCR_nNode() + 1 times.
TEST_F(RoutingRuns, EveryRunIsBoundedByTheNodeCount)
{
    for (const auto& r : kRuns) {
        SCOPED_TRACE(r.name);
        Use(kTwoNets);
        Enter();
        const int32_t nodes = SCR_nNode();
        ASSERT_GE(nodes, 4);
        Fresh().atPoll = [](int) {
            int32_t state = 0;
            char text[256] = {};
            SCR_DeleteAllWiresInThePage(&state, text, sizeof text);
            SCR_InitNodeForRoute();
        };
        Start(r.run, r.run == RunKind::Net ? 13 : 0);
        EXPECT_EQ(polling->runAsks, nodes + 1);
        EXPECT_NE(Shown().find("too many steps"), std::string::npos) << Shown();
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(g_CurMode, MODE_ROUTING);
        ui.ExpectMessageBox(AnswerNo, "existing wires");
        Main().SaveRoutedWires();
    }
}

// The image gone between two calls: the next call fails, the run ends
// there and its text is shown. The all-wires run repaints, since its first
// call changed the image.
TEST_F(RoutingRuns, AFailingCallEndsTheRunWithItsText)
{
    for (const auto& r : kRuns) {
        SCOPED_TRACE(r.name);
        Use(kTwoNets);
        const int32_t branches = OM_GetCount(DB_BranchMap());
        Enter();
        const QImage before = Main().ViewPicture->Image().copy();
        Fresh().atPoll = [](int ask) {
            if (ask == 2) SCR_DBaseFree();
        };
        Start(r.run, r.run == RunKind::Net ? 13 : 0);
        EXPECT_EQ(polling->runAsks, 2);
        EXPECT_NE(Shown().find("Error in Routing Process"), std::string::npos) << Shown();
        if (r.run == RunKind::All) {
            EXPECT_FALSE(palvane_test::CompareImages(before, Main().ViewPicture->Image()).Same());
        }
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(g_CurMode, MODE_ROUTING);
        ui.ExpectMessageBox(AnswerNo, "existing wires");
        Main().SaveRoutedWires();
        EXPECT_EQ(OM_GetCount(DB_BranchMap()), branches);
    }
}

}  // namespace
}  // namespace routing_test
