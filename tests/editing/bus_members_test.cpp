// Bus members joined through drawn wires: removing one member, exchanging
// the slots of two (and the refused exchanges), deleting a picked bus on two
// pages, renaming a bus with its texts on both pages.
#include "editor/editing/editing_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/menus.h"
#include "editor/view/canvas.h"
#include "editor/shell/systables.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/screenshot.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// Bus B on both pages, bus C on P1; the members are joined by the tests.
const char* kBus = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
bus B
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 40 0
  buswire B (-10 -10) (30 -10) label 25 -11
  buswire C (35 -20) (50 -20)
end
page P2 frame 80 60
  buswire B (-10 -10) (30 -10) label 25 -11
end
)";

class BusMembers : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kBus, "P1");
        g_SnapStep = kStep;
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    // Moves the moving end of the wire being drawn to (sx, sy) steps and
    // clicks there.
    void ClickAt(double sx, double sy, int32_t& fail)
    {
        int32_t x = static_cast<int32_t>(sx * kStep), y = static_cast<int32_t>(sy * kStep);
        g_CurBranchPoint.X = x;
        g_CurBranchPoint.Y = y;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), x, y);
        Main().WireDrawStep(fail, x, y);
    }
    // Draws a net wire from the bus wire at (x, busY) down over (x, busY + 5)
    // to pin 1 of `comp` (which lies at x, 0) and finishes it; the slot is
    // typed. The new member net.
    int32_t Member(double x, double busY, const char* comp, const char* slot)
    {
        Type(slot, "as member:");
        int32_t fail = 1, px = static_cast<int32_t>(x * kStep), py = static_cast<int32_t>(busY * kStep);
        Main().m_WireIsBus = false;
        Main().CreateWireNet(fail, false, true, px, py);
        EXPECT_EQ(fail, 0);
        const int32_t net = g_CurNet;
        ClickAt(x, busY + 5, fail);
        EXPECT_EQ(fail, 1);
        ClickAt(x, 0, fail);
        EXPECT_EQ(fail, 1);
        Main().m_JunctionRequest = -1;
        Main().WireDrawStep(fail, px, py);
        Main().m_JunctionRequest = 0;
        int32_t nodeNet = 0;
        EXPECT_NE(N_FindCompEntry(CompId(comp), 1, &nodeNet), 0);
        EXPECT_EQ(nodeNet, net);
        return net;
    }
    static int32_t Slot(const char* bus, int32_t net)
    {
        int32_t index = -1;
        return N_FindBusMember(net, &index) == BusId(bus) ? index : -1;
    }
    static int32_t Points(int32_t branch)
    {
        BranchRec rec{};
        return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
    }
};

TEST_F(BusMembers, RemovingAMemberDeletesOnlyItsPointsAtTheBus)
{
    const int32_t a = Member(-3, -10, "R1", "0");
    const int32_t b = Member(17, -10, "R2", "1");
    ASSERT_EQ(Slot("B", a), 0);
    ASSERT_EQ(Slot("B", b), 1);
    const int32_t wire = Wires(a).at(0);
    ASSERT_EQ(Points(wire), 3);
    // No keeps the member.
    ui.ExpectPopupMenu("No", "Delete Bus Member: B.0?");
    int32_t fail = 1;
    Main().DeleteBusMember(fail, -3 * kStep, -9 * kStep);
    EXPECT_EQ(Slot("B", a), 0);
    ui.ExpectPopupMenu("Yes", "Delete Bus Member: B.0?");
    Main().DeleteBusMember(fail, -3 * kStep, -9 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(Slot("B", a), -1);
    EXPECT_EQ(O_GetStatus(N_Net(a)) & 8, 0);
    // The net keeps the rest of its wire and its pin; the other member stays.
    ASSERT_NE(N_Net(a), 0);
    EXPECT_EQ(Points(wire), 2);
    // The other member keeps its slot.
    EXPECT_EQ(Slot("B", b), 1);
    EXPECT_EQ(Wires(BusId("B"), 1).size(), 2u);
    // A click on the bus itself or beside any wire beeps.
    for (const auto& [sx, sy] : {std::pair{5.0, -10.0}, std::pair{60.0, 50.0}}) {
        const size_t asked = ui.asked().size();
        Main().DeleteBusMember(fail, static_cast<int32_t>(sx * kStep), static_cast<int32_t>(sy * kStep));
        EXPECT_EQ(fail, 1);
        ASSERT_GT(ui.asked().size(), asked);
        EXPECT_EQ(ui.asked().back().kind, "Beep");
    }
}

TEST_F(BusMembers, ExchangeSwapsTheSlotsOfTwoMembers)
{
    const int32_t a = Member(-3, -10, "R1", "0");
    const int32_t b = Member(17, -10, "R2", "1");
    int32_t fail = 1;
    Main().ExchangeBusMembers(fail, 0, -3 * kStep, -9 * kStep);
    ASSERT_EQ(fail, 0);
    Main().ExchangeBusMembers(fail, 1, 17 * kStep, -9 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Slot("B", a), 1);
    EXPECT_EQ(Slot("B", b), 0);
}

// Refused exchanges change no slot: the same net twice, a member of another
// bus, and the kernel refusing the first or the second slot change.
TEST_F(BusMembers, RefusedExchangesKeepBothSlots)
{
    const int32_t a = Member(-3, -10, "R1", "0");
    const int32_t b = Member(17, -10, "R2", "1");
    const int32_t c = Member(37, -20, "R3", "0");
    ASSERT_EQ(Slot("C", c), 0);
    struct Case {
        const char* what;
        double secondX;
        const char* refused;  // kernel export refused, "" none
        int32_t n;
    } cases[] = {
        {"same net", -3, "", 0},
        {"other bus", 37, "", 0},
        {"first slot refused", 17, "N_SetBusMember", 1},
        {"second slot refused", 17, "N_SetBusMember", 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        int32_t fail = 1;
        Main().ExchangeBusMembers(fail, 0, -3 * kStep, -9 * kStep);
        ASSERT_EQ(fail, 0);
        if (*k.refused) KT_FailCall(k.refused, k.n);
        const size_t asked = ui.asked().size();
        const double secondY = k.secondX > 30 ? -19 : -9;
        Main().ExchangeBusMembers(fail, 1, static_cast<int32_t>(k.secondX * kStep),
                                  static_cast<int32_t>(secondY * kStep));
        KT_FailCall("", 0);
        EXPECT_EQ(fail, 1);
        EXPECT_EQ(Slot("B", a), 0);
        EXPECT_EQ(Slot("B", b), 1);
        EXPECT_EQ(Slot("C", c), 0);
        EXPECT_EQ(N_ReadBusMember(BusId("B"), 0), a);
        EXPECT_EQ(N_ReadBusMember(BusId("B"), 1), b);
        ASSERT_GT(ui.asked().size(), asked);
        EXPECT_EQ(ui.asked().back().kind, "Beep");
    }
}

TEST_F(BusMembers, DeletingAPickedBusRemovesItsWiresOnBothPagesAndKeepsTheMembers)
{
    const int32_t a = Member(-3, -10, "R1", "0");
    const int32_t bus = BusId("B");
    ui.ExpectPopupMenu("No", "Delete Bus: B");
    int32_t fail = 1;
    Main().DeleteBus(fail, 10 * kStep, -10 * kStep);
    EXPECT_EQ(BusId("B"), bus);
    ui.ExpectPopupMenu("Yes", "Delete Bus: B");
    Main().DeleteBus(fail, 10 * kStep, -10 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(BusId("B"), 0);
    EXPECT_TRUE(Wires(bus, 1).empty());
    ASSERT_NE(N_Net(a), 0);
    EXPECT_EQ(O_GetStatus(N_Net(a)) & 8, 0);
    EXPECT_EQ(Wires(a).size(), 1u);
    // A net wire is no bus to delete.
    const size_t asked = ui.asked().size();
    Main().DeleteBus(fail, -3 * kStep, -5 * kStep);
    EXPECT_EQ(fail, 1);
    ASSERT_GT(ui.asked().size(), asked);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(BusMembers, RenameRebuildsTheNameTextsOnBothPages)
{
    const int32_t bus = BusId("B");
    int32_t fail = 1;
    Main().RenameBus(fail, bus, "DATA");
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(BusId("DATA"), bus);
    const std::vector<int32_t> wires = Wires(bus, 1);
    ASSERT_EQ(wires.size(), 2u);
    for (const int32_t wire : wires) {
        const int32_t texts = B_BranchTextArray(wire);
        ASSERT_EQ(OA_GetCount(texts), 1);
        ItemRec item{};
        ASSERT_NE(I_ReadItem(OA_Object(texts, 1), &item), 0);
        EXPECT_STREQ(item.Text ? item.Text : "", "DATA");
    }
    // Bad names change nothing.
    for (const char* bad : {"", ",p", "C"}) {
        ui.ExpectMessageBox(1);
        Main().RenameBus(fail, bus, bad);
        EXPECT_EQ(fail, 1) << bad;
        EXPECT_EQ(BusId("DATA"), bus) << bad;
    }
}

// Screenshots: two members joined to bus B with their member texts, and
// the question popup as it opens at the pointer.
TEST_F(BusMembers, Screenshots)
{
    SCHMAIN& m = Main();
    const int32_t a = Member(-3, -10, "R1", "0");
    const int32_t b = Member(17, -10, "R2", "1");
    for (const int32_t net : {a, b}) {
        g_CurBranch = Wires(net).at(0);
        ASSERT_NE(B_ReadRecord(g_CurBranch, 1, &g_CurBranchPoint), 0);
        g_CurBranchPoint.X += kStep / 2;
        Type(net == a ? "0" : "1", "Change Bus member text:");
        int32_t fail = 1;
        m.ChangeNetText(fail, false);
        ASSERT_EQ(fail, 0);
    }
    m.m_ViewSize = 12700;
    m.m_ViewOrgX = 7 * kStep;
    m.m_ViewOrgY = 5 * kStep;
    m.ShowZoomValue();
    m.RefreshCanvas();
    const std::string path = ScreenshotDir() + "/bus_member_texts.png";
    EXPECT_TRUE(m.ViewPicture->Image().save(QString::fromStdString(path)));
    const std::string caption = m.M_Query->Caption();
    m.M_Query->SetCaption("Delete Bus Member: B.0?");
    EXPECT_FALSE(SaveMenuScreenshot(m.M_Conf->Menu(), "popup_question").empty());
    m.M_Query->SetCaption(caption);
}

}  // namespace
