// The clicks of routing mode as a table of function and option: what each
// asks, whether its option stays pressed, which command it starts, what it
// shows, and what it did to the image, seen in the database after the
// write-back.
#include "tests/automation/routing_fixture.h"

#include "editor/shell/dlgservices.h"
#include "editor/view/canvas.h"
#include "tests/support/raster.h"

#include <QRadioButton>

namespace routing_test {
namespace {

using winsys::mb::AnswerYes;

// Points of the fixture in 0.1 inch: R1's and R3's bodies, R2.2 (a pin of
// net B), the middle of net A's wire, and a point far from everything.
constexpr int32_t kR1[2] = {0, 0};
constexpr int32_t kR3[2] = {20, 0};
constexpr int32_t kPinB[2] = {13, 0};
constexpr int32_t kWireA[2] = {5, 0};
constexpr int32_t kEmpty[2] = {-150, -150};

constexpr int kSome = -1;  // at least one wire

struct ClickCase {
    const char* name;
    int func, opt;  // opt -1: none pressed
    const int32_t* at;
    const char* asks;    // the question's text, nullptr: nothing asked
    const char* answer;  // "Yes" or "No"
    bool optionKept;
    int32_t command;
    const char* shows;  // part of the message line afterwards, nullptr: not checked
    int wiresA, wiresB;
};

const ClickCase kClicks[] = {
    {"route all", 1, 0, kEmpty, nullptr, nullptr, false, 0, nullptr, kSome, kSome},
    {"route net B", 1, 1, kPinB, nullptr, nullptr, true, 0, "Routing Net \"B\"", 1, kSome},
    {"route R3", 1, 2, kR3, nullptr, nullptr, true, 0, "Routing Component Connections \"R3\"", 1, kSome},
    {"route R1", 1, 2, kR1, nullptr, nullptr, true, 0, "Routing Component Connections \"R1\"", 1, 0},
    {"route a net: empty canvas", 1, 1, kEmpty, nullptr, nullptr, true, 0, nullptr, 1, 0},
    {"route a component: empty canvas", 1, 2, kEmpty, nullptr, nullptr, true, 0, nullptr, 1, 0},
    {"pair start", 1, 3, kR1, nullptr, nullptr, true, CMD_ROUTE_PAIR, nullptr, 1, 0},
    {"block start", 1, 4, kR1, nullptr, nullptr, true, CMD_ROUTE_BLOCK, nullptr, 1, 0},
    {"no option", 1, -1, kPinB, nullptr, nullptr, false, 0, nullptr, 1, 0},
    {"function 5", 5, 0, kPinB, nullptr, nullptr, true, 0, nullptr, 1, 0},
    {"delete all, Yes", 2, 0, kEmpty, "Delete All wires in current page", "Yes", false, 0, nullptr, 0, 0},
    {"delete all, No", 2, 0, kEmpty, "Delete All wires in current page", "No", false, 0, nullptr, 1, 0},
    {"delete net A, Yes", 2, 1, kWireA, "Delete wires in one net", "Yes", true, 0, nullptr, 0, 0},
    {"delete net A, No", 2, 1, kWireA, "Delete wires in one net", "No", true, 0, nullptr, 1, 0},
    {"delete a wire, Yes", 2, 2, kWireA, "Delete selected wire", "Yes", true, 0, nullptr, 0, 0},
    {"delete a wire, No", 2, 2, kWireA, "Delete selected wire", "No", true, 0, nullptr, 1, 0},
    {"delete a net: empty canvas", 2, 1, kEmpty, nullptr, nullptr, true, 0, nullptr, 1, 0},
    {"delete a wire: empty canvas", 2, 2, kEmpty, nullptr, nullptr, true, 0, nullptr, 1, 0},
};

TEST_F(RoutingTest, FunctionAndOptionTable)
{
    for (const ClickCase& c : kClicks) {
        SCOPED_TRACE(c.name);
        Use();
        Enter();
        ASSERT_EQ(g_CurMode, MODE_ROUTING);
        Choose(c.func, c.opt);
        if (c.asks) ui.ExpectPopupMenu(c.answer, c.asks);
        const size_t asked = ui.asked().size();
        Click(c.at[0] * kU, c.at[1] * kU);
        EXPECT_EQ(ui.asked().size(), asked + (c.asks ? 1 : 0));
        EXPECT_FALSE(g_NoPaint);
        if (c.opt >= 0) {
            EXPECT_EQ(Main().F_OST(c.opt)->Value(), c.optionKept);
        }
        EXPECT_EQ(g_CurCommand, c.command);
        if (c.shows) {
            EXPECT_NE(Main().F_MsgLine->Caption().find(c.shows), std::string::npos) << Main().F_MsgLine->Caption();
        }
        EXPECT_EQ(g_CurMode, MODE_ROUTING);

        // What the click did to the image goes to the database now.
        ui.ExpectMessageBox(AnswerYes, "existing wires");
        Main().SaveRoutedWires();
        ASSERT_EQ(g_RouteImageActive, 0);
        auto ExpectWires = [](const char* net, int expected) {
            if (expected == kSome) EXPECT_GE(WireCount(net), 1) << net;
            else EXPECT_EQ(WireCount(net), expected) << net;
        };
        ExpectWires("A", c.wiresA);
        ExpectWires("B", c.wiresB);
    }
}

TEST_F(RoutingTest, FunctionZeroOpensTheStepDialog)
{
    Use();
    Enter();
    Choose(0, -1);
    ui.ExpectModal("RouteStep", [](QWidget*) {
        RouteStep& d = FormInstance<RouteStep>();
        d.step(4)->click();
        d.BOk()->Press();
    });
    Click(0, 0);
    EXPECT_EQ(SCR_GetStepIndex(), 4);
    // Its button opens it as well.
    Main().F_FSI(0)->SetValue(true);
    ui.ExpectModal("RouteStep", [](QWidget*) { EXPECT_TRUE(FormInstance<RouteStep>().step(4)->isChecked()); });
    Main().F_FSI_MouseUp(0, 1, 0, 0, 0);
}

// A bus wire is no net to route or delete and no component.
TEST_F(RoutingTest, ABusWireIsNotPicked)
{
    Use(std::string(kFixture).insert(std::string(kFixture).find("end\n"), "  buswire BUS (-5 20) (25 20)\n"));
    Enter();
    for (const auto& [func, opt] : {std::pair{1, 1}, {1, 2}, {2, 1}}) {
        SCOPED_TRACE(func * 10 + opt);
        Choose(func, opt);
        Click(10 * kU, 20 * kU);
        EXPECT_TRUE(Main().F_OST(opt)->Value());
        EXPECT_EQ(g_CurCommand, 0);
    }
    ui.ExpectMessageBox(AnswerYes, "existing wires");
    Main().SaveRoutedWires();
    EXPECT_EQ(WireCount("BUS", 1), 1);
    EXPECT_EQ(WireCount("B"), 0);
}

// The deletion's Yes repaints the canvas: the flag that skips the paint
// of the closing question does not swallow that repaint.
TEST_F(RoutingTest, DeleteAllRepaintsAfterYes)
{
    Use();
    Enter();
    const QImage before = Main().ViewPicture->Image().copy();
    Choose(2, 0);
    ui.ExpectPopupMenu("Yes", "Delete All wires");
    Click(0, 0);
    EXPECT_FALSE(g_NoPaint);
    EXPECT_FALSE(palvane_test::CompareImages(before, Main().ViewPicture->Image()).Same());
}

}  // namespace
}  // namespace routing_test
