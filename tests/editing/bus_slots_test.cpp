// Bus members by slot in the editor: a net joins a bus in any free slot the
// user types or accepts, and members keep their slots when another member
// is removed, its net emptied by a page clean or deleted with its bus.
#include "editor/editing/editing_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/systables.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using namespace palvane_test;

// Bus B on P1 without members; three resistors below it to draw members to.
const char* kEmptyBus = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
bus B
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 40 0
  buswire B (-10 -10) (50 -10)
end
)";

class BusSlots : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        g_SnapStep = kStep;
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    // Answers the member question: `typed` replaces the offered slot, none
    // accepts it. The offered slot is kept in `offered`.
    void AnswerSlot(std::optional<std::string> typed, std::string* offered = nullptr)
    {
        ui.ExpectModal("NvoInpBG", [typed, offered](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            EXPECT_NE(box.InpPrompt()->Text().find("as member:"), std::string::npos) << box.InpPrompt()->Text();
            if (offered) *offered = box.InpText()->Text();
            if (typed) box.InpText()->SetText(*typed);
            box.InpOK()->Press();
        });
    }
    void ClickAt(double sx, double sy, int32_t& fail)
    {
        int32_t x = static_cast<int32_t>(sx * kStep), y = static_cast<int32_t>(sy * kStep);
        g_CurBranchPoint.X = x;
        g_CurBranchPoint.Y = y;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), x, y);
        Main().WireDrawStep(fail, x, y);
    }
    // Draws a net wire from the bus wire at (x, -10) down to (x, 0), pin 1
    // of the resistor placed at x + 3, answering the member question as
    // AnswerSlot does. The new net.
    int32_t DrawMember(double x, std::optional<std::string> typed, std::string* offered = nullptr)
    {
        AnswerSlot(std::move(typed), offered);
        int32_t fail = 1, px = static_cast<int32_t>(x * kStep), py = -10 * kStep;
        Main().m_WireIsBus = false;
        Main().CreateWireNet(fail, false, true, px, py);
        EXPECT_EQ(fail, 0);
        const int32_t net = g_CurNet;
        ClickAt(x, -5, fail);
        ClickAt(x, 0, fail);
        Main().m_JunctionRequest = -1;
        Main().WireDrawStep(fail, px, py);
        Main().m_JunctionRequest = 0;
        return net;
    }
    static int32_t Slot(const char* bus, int32_t net)
    {
        int32_t index = -1;
        return N_FindBusMember(net, &index) == BusId(bus) ? index : -1;
    }
    size_t MessageBoxes() const
    {
        size_t n = 0;
        for (const auto& a : ui.asked()) n += a.kind == "MessageBox";
        return n;
    }
};

TEST_F(BusSlots, ATypedSlotOnAnEmptyBusConnects)
{
    struct Case {
        const char* typed;
        int32_t members;  // BusRec Members afterwards
    } cases[] = {{"7", 8}, {"127", 128}, {"0", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Use(kEmptyBus, "P1");
        std::string offered;
        const int32_t net = DrawMember(-3, c.typed, &offered);
        EXPECT_EQ(offered, "0");
        EXPECT_EQ(MessageBoxes(), 0u) << "no \"Can't connect\"";
        EXPECT_EQ(Slot("B", net), std::stoi(c.typed));
        EXPECT_NE(O_GetStatus(N_Net(net)) & 8, 0);
        BusRec rec{};
        ASSERT_EQ(N_ReadBus(BusId("B"), &rec), 1);
        EXPECT_EQ(rec.Members, c.members);
        EXPECT_EQ(ui.pending(), 0u);
        ui.Forget();
    }
}

TEST_F(BusSlots, TheOfferedSlotIsTheFirstFreeOneAndFillsAGap)
{
    Use(kEmptyBus, "P1");
    const int32_t a = DrawMember(-3, "0");
    const int32_t b = DrawMember(17, "2");
    std::string offered;
    const int32_t c = DrawMember(37, std::nullopt, &offered);
    EXPECT_EQ(offered, "1");
    EXPECT_EQ(Slot("B", a), 0);
    EXPECT_EQ(Slot("B", c), 1);
    EXPECT_EQ(Slot("B", b), 2);
    EXPECT_EQ(MessageBoxes(), 0u);
}

TEST_F(BusSlots, SlotsOutsideTheRangeBeepAndConnectNothing)
{
    for (const char* typed : {"128", "-1", "x"}) {
        SCOPED_TRACE(typed);
        Use(kEmptyBus, "P1");
        const int32_t nets = Count(DB_NetMap()), branches = Count(DB_BranchMap());
        AnswerSlot(typed);
        int32_t fail = 0, x = -3 * kStep, y = -10 * kStep;
        Main().m_WireIsBus = false;
        Main().CreateWireNet(fail, false, true, x, y);
        EXPECT_EQ(fail, 1);
        ASSERT_FALSE(ui.asked().empty());
        EXPECT_EQ(ui.asked().back().kind, "Beep");
        // No member, and no wire or net is left of the start.
        BusRec rec{};
        ASSERT_EQ(N_ReadBus(BusId("B"), &rec), 1);
        EXPECT_EQ(rec.Members, 0);
        EXPECT_EQ(Count(DB_NetMap()), nets);
        EXPECT_EQ(Count(DB_BranchMap()), branches);
        EXPECT_EQ(ui.pending(), 0u);
        ui.Forget();
    }
}

TEST_F(BusSlots, RemovingAMemberKeepsTheOthersSlots)
{
    Use(kEmptyBus, "P1");
    const int32_t a = DrawMember(-3, "0");
    const int32_t b = DrawMember(17, "3");
    const int32_t c = DrawMember(37, "9");
    ASSERT_EQ(Slot("B", a), 0);
    ASSERT_EQ(Slot("B", b), 3);
    ASSERT_EQ(Slot("B", c), 9);
    // The first, then the last member leave; the one between keeps 3.
    ui.ExpectPopupMenu("Yes", "Delete Bus Member: B.0?");
    int32_t fail = 1;
    Main().DeleteBusMember(fail, -3 * kStep, -9 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Slot("B", a), -1);
    EXPECT_EQ(Slot("B", b), 3);
    EXPECT_EQ(Slot("B", c), 9);
    ui.ExpectPopupMenu("Yes", "Delete Bus Member: B.9?");
    Main().DeleteBusMember(fail, 37 * kStep, -9 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Slot("B", b), 3);
    BusRec rec{};
    ASSERT_EQ(N_ReadBus(BusId("B"), &rec), 1);
    EXPECT_EQ(rec.Members, 4);
    // The freed slot 0 is offered to the next net and taken.
    std::string offered;
    const int32_t again = DrawMember(7, std::nullopt, &offered);
    EXPECT_EQ(offered, "0");
    EXPECT_EQ(Slot("B", again), 0);
    EXPECT_EQ(Slot("B", b), 3);
    EXPECT_EQ(ui.pending(), 0u);
}

// Bus B's members: M0 and M2 on P1, M1 only on P2.
const char* kMembersOnTwoPages = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net M0
net M1
net M2
bus B M0 M1 M2
page P1 frame 80 60
  component R1 R at 0 0
  component R3 R at 40 0
  buswire B (-10 -10) (50 -10)
  wire M0 R1.1 (0 -10)
  wire M2 R3.1 (40 -10)
end
page P2 frame 80 60
  component R2 R at 20 0
  buswire B (-10 -10) (50 -10)
  wire M1 R2.1 (20 -10)
end
)";

TEST_F(BusSlots, APageCleanThatEmptiesAMemberNetKeepsTheOthersSlots)
{
    Use(kMembersOnTwoPages, "P2");
    g_CurPage = PageId("P2");
    const int32_t m0 = NetId("M0"), m2 = NetId("M2");
    ASSERT_EQ(Slot("B", m0), 0);
    ASSERT_EQ(Slot("B", NetId("M1")), 1);
    ASSERT_EQ(Slot("B", m2), 2);
    Main().CleanPage();
    EXPECT_EQ(NetId("M1"), 0);
    EXPECT_EQ(Slot("B", m0), 0);
    EXPECT_EQ(Slot("B", m2), 2);
    EXPECT_EQ(N_ReadBusMember(BusId("B"), 1), 0);
}

TEST_F(BusSlots, DeletingABusWithGapsClearsEveryMember)
{
    Use(kMembersOnTwoPages, "P1");
    const int32_t bus = BusId("B");
    // Slots 0 and 2 only, 1 free, and a member far up.
    ASSERT_EQ(N_DeleteBusMember(bus, 1), 1);
    const int32_t m1 = NetId("M1");
    O_Mask(N_Net(m1), 0, 8);
    ASSERT_EQ(N_SetBusMember(bus, 100, m1), 100);
    O_Mask(N_Net(m1), 8, 8);
    Type("B", "Bus to Delete: ");
    int32_t fail = 1;
    Main().DeleteBus(fail, 70 * kStep, 50 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(BusId("B"), 0);
    EXPECT_TRUE(Wires(bus, 1).empty());
    for (const char* name : {"M0", "M1", "M2"}) {
        SCOPED_TRACE(name);
        ASSERT_NE(NetId(name), 0);
        EXPECT_EQ(O_GetStatus(N_Net(NetId(name))) & 8, 0);
        EXPECT_EQ(Wires(NetId(name)).size(), 1u);
    }
}

}  // namespace
