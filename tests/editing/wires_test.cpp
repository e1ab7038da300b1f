// Drawing wires: the start by kind, the end joins, merges, bus members,
// cancelling, and refusals that leave no net, node or junction behind.
#include "editor/editing/editing_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/menus.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/drawaids.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using namespace palvane_test;

// Two components, net N from R1.2 to R2.1 through a junction at (5, 0),
// M on R3.1 without wire, power net P with a wire of its own, bus B
// (member N) and bus C, each with a bus wire.
const char* kFixture = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net P power
bus B N
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 20
  component R4 R at 20 20
  net M R3.1
  wire N R1.2 (5 0)
  wire N (5 0) R2.1
  wire P (50 0) (50 5)
  buswire B (0 -10) (30 -10)
  buswire C (0 -20) (30 -20)
end
)";

class WireDraw : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kFixture, "P1");
        g_SnapStep = kStep;
    }
    // Position of pin `entry` of a component.
    static void Pin(const char* comp, int32_t entry, int32_t& x, int32_t& y)
    {
        EntryRec rec{};
        ASSERT_NE(C_ReadEntry(CompId(comp), entry, &rec), 0);
        x = rec.X;
        y = rec.Y;
    }
    int32_t Junctions() { return Count(DB_JunctMap()); }
};

TEST_F(WireDraw, AFreeStartSnapsAndMakesANewNet)
{
    const int32_t nets = Count(DB_NetMap());
    int32_t fail = 1, x = 30 * kStep + 100, y = 25 * kStep - 127000;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    EXPECT_EQ(x, 30 * kStep);
    EXPECT_EQ(y, 25 * kStep);
    EXPECT_EQ(Count(DB_NetMap()), nets + 1);
    EXPECT_EQ(PtrToStr(O_GetName(N_Net(g_CurNet))).substr(0, 2), "UN");
    BranchRec rec{};
    ASSERT_NE(B_ReadBranch(g_CurBranch, &rec), 0);
    EXPECT_EQ(rec.Points, 2);
    EXPECT_EQ(rec.Net, g_CurNet);
    EXPECT_EQ(g_CurBranchPos, 2);
}

// A free start snaps as the pointer does: halves away from zero, and a
// multiple past the canvas limit taken one step back, so the start stays
// on the grid (a typed snap step of 15 mm puts the next multiple of
// 219,999,999 at 220,500,000).
TEST_F(WireDraw, AFreeStartSnapsAsThePointer)
{
    struct Case {
        int32_t step, x, y, wantX, wantY;
    } cases[] = {
        {127000, 63500, -317500, 127000, -381000},
        {1500000, 219999999, -219999999, 219000000, -219000000},
    };
    for (const Case& c : cases) {
        g_SnapStep = c.step;
        EXPECT_EQ(SnapCoord(c.x, c.step), c.wantX) << c.x;
        EXPECT_EQ(SnapCoord(c.y, c.step), c.wantY) << c.y;
        int32_t fail = 1, x = c.x, y = c.y;
        Main().m_WireIsBus = false;
        Main().CreateWireNet(fail, false, true, x, y);
        ASSERT_EQ(fail, 0) << c.x;
        EXPECT_EQ(x, c.wantX);
        EXPECT_EQ(y, c.wantY);
        EXPECT_EQ(g_CurBranchPoint.X, c.wantX);
        EXPECT_EQ(g_CurBranchPoint.Y, c.wantY);
    }
}

TEST_F(WireDraw, OnlyAtPinStartsNothingBesideAPin)
{
    const int32_t branches = Count(DB_BranchMap());
    int32_t fail = 0, x = 30 * kStep, y = 25 * kStep;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, true, true, x, y);
    EXPECT_EQ(fail, 1);
    EXPECT_EQ(Count(DB_BranchMap()), branches);
}

// Where a wire or bus starts decides whose it is: a new net or bus (a name
// beginning "UN"), the net of a pin or wire, the bus of a bus wire.
TEST_F(WireDraw, StartKinds)
{
    struct Case {
        const char* what;
        const char* pin;      // start at this pin ("R4.1"), else at (x, y)
        double x, y;          // in steps
        bool bus, onlyAtPin;
        const char* typed;    // the member index asked, nullptr: none
        int32_t fail;
        const char* owner;    // the start of the name of the wire's net or bus
        int32_t newOwners;    // nets and buses made
    } cases[] = {
        {"free, off the grid", nullptr, 30.01, 24.95, false, false, nullptr, 0, "UN", 1},
        {"free pin", "R4.1", 0, 0, false, false, nullptr, 0, "UN", 1},
        {"connected pin without wire", "R3.1", 0, 0, false, false, nullptr, 0, "M", 0},
        {"connected pin with a wire", "R1.2", 0, 0, false, false, nullptr, 0, "N", 0},
        {"junction of N", nullptr, 5, 0, false, false, nullptr, 0, "N", 0},
        {"segment of N", nullptr, 4, 0, false, false, nullptr, 0, "N", 0},
        {"bus on a bus", nullptr, 10, -10, true, false, nullptr, 0, "B", 0},
        {"bus in free space", nullptr, 30, 15, true, false, nullptr, 0, "UNBUS", 1},
        {"net wire on a bus", nullptr, 10, -20, false, false, "0", 0, "UN", 1},
        {"only at a pin, at a pin", "R4.1", 0, 0, false, true, nullptr, 0, "UN", 1},
        {"only at a pin, beside one", nullptr, 30, 25, false, true, nullptr, 1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(kFixture, "P1");
        g_SnapStep = kStep;
        int32_t x = static_cast<int32_t>(c.x * kStep), y = static_cast<int32_t>(c.y * kStep);
        if (c.pin) Pin(std::string(c.pin, 2).c_str(), c.pin[3] - '0', x, y);
        const int32_t owners = Count(DB_NetMap()) + Count(DB_BusMap());
        const int32_t branches = Count(DB_BranchMap());
        if (c.typed) Type(c.typed, "as member:");
        int32_t fail = 1 - c.fail;
        Main().m_WireIsBus = c.bus;
        Main().CreateWireNet(fail, c.onlyAtPin, true, x, y);
        EXPECT_EQ(fail, c.fail);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(Count(DB_NetMap()) + Count(DB_BusMap()), owners + c.newOwners);
        if (c.fail != 0) {
            EXPECT_EQ(Count(DB_BranchMap()), branches);
            continue;
        }
        BranchRec rec{};
        ASSERT_NE(B_ReadBranch(g_CurBranch, &rec), 0);
        EXPECT_EQ(rec.Points, 2);
        EXPECT_EQ((rec.Flags & 2) != 0, c.bus);
        const std::string owner = PtrToStr(O_GetName(c.bus ? N_Bus(rec.Net) : N_Net(rec.Net)));
        EXPECT_EQ(owner.substr(0, std::strlen(c.owner)), c.owner) << owner;
        // The first point lies on the grid, or on the pin or wire it joins.
        BranchPointRec first{};
        ASSERT_NE(B_ReadRecord(g_CurBranch, 1, &first), 0);
        EXPECT_EQ(first.X % kStep, 0);
        EXPECT_EQ(first.Y % kStep, 0);
    }
}

TEST_F(WireDraw, AStartOnAFreePinMakesItsNode)
{
    int32_t x = 0, y = 0;
    Pin("R4", 1, x, y);
    int32_t fail = 1;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    NetRec net{};
    ASSERT_NE(N_ReadNet(g_CurNet, &net), 0);
    EXPECT_EQ(net.Nodes, 1);
    BranchPointRec first{};
    B_ReadRecord(g_CurBranch, 1, &first);
    EXPECT_EQ(first.Flags & 6, 2);
}

// A refused step of the start leaves nothing: no net, node, junction or wire;
// the user is told.
TEST_F(WireDraw, RefusedStartsLeaveNothingBehind)
{
    int32_t x = 0, y = 0;
    Pin("R4", 1, x, y);
    const std::pair<const char*, int32_t> refusals[] = {
        {"B_CreateBranch", 1}, {"J_CreateJunction", 1}, {"J_CreateJunction", 2}, {"B_InsertRecord", 1},
        {"B_InsertRecord", 2}};
    for (const auto& [step, n] : refusals) {
        const int32_t nets = Count(DB_NetMap()), branches = Count(DB_BranchMap()), junctions = Junctions();
        int32_t fail = 0, px = x, py = y;
        Main().m_WireIsBus = false;
        KT_FailCall(step, n);
        if (std::string(step) == "B_CreateBranch")
            ui.ExpectMessageBox(1, "Can't create Branch");
        else
            ui.ExpectMessageBox(1, "Can't create B-point");
        Main().CreateWireNet(fail, false, true, px, py);
        KT_FailCall("", 0);
        EXPECT_EQ(fail, 1) << step << n;
        EXPECT_EQ(Count(DB_NetMap()), nets) << step << n;
        EXPECT_EQ(Count(DB_BranchMap()), branches) << step << n;
        EXPECT_EQ(Junctions(), junctions) << step << n;
        // The pin is free again.
        int32_t pinNet = 0;
        EXPECT_EQ(N_FindCompEntry(CompId("R4"), 1, &pinNet), 0) << step << n;
    }
}

TEST_F(WireDraw, AWireEndingOnAConnectedPinMergesAfterYes)
{
    int32_t x = 30 * kStep, y = 25 * kStep, fail = 1;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    const int32_t newNet = g_CurNet;
    // Move the moving end onto R3.1 (net M) and click.
    int32_t px = 0, py = 0;
    Pin("R3", 1, px, py);
    g_CurBranchPoint.X = px;
    g_CurBranchPoint.Y = py;
    O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), px, py);
    ui.ExpectPopupMenu("Yes", "Merge ");
    bool merged = false;
    Main().ConnectWireEndAt(fail, merged, false, true, px, py);
    EXPECT_EQ(fail, 0);
    EXPECT_TRUE(merged);
    // The named net survives the unnamed one.
    EXPECT_NE(N_Net(NetId("M")), 0);
    EXPECT_EQ(N_Net(newNet), 0);
    EXPECT_EQ(g_CurNet, NetId("M"));
    EXPECT_FALSE(Main().M_Conf->Visible());
}

// Where a wire from a start ends: a free pin joins, a pin of another net
// merges after Yes and is refused after No; a bus refuses a power/ground
// net, a member of another bus and an index outside 0..127.
TEST_F(WireDraw, EndTable)
{
    struct Case {
        const char* what;
        double sx, sy;        // the start, in steps
        const char* pin;      // the end at this pin ("R4.1"), else at (ex, ey)
        double ex, ey;
        const char* typed;    // the member index asked, nullptr: none
        const char* popup;    // the answer to the merge question, nullptr: none
        int32_t fail;
        const char* net;      // the start of the name of the wire's net after
        const char* bus;      // the bus that net is a member of, "": none
    } cases[] = {
        {"free pin", 30, 25, "R4.1", 0, 0, nullptr, nullptr, 0, "UN", ""},
        {"connected pin, Yes", 30, 25, "R3.1", 0, 0, nullptr, "Yes", 0, "M", ""},
        {"connected pin, No", 30, 25, "R3.1", 0, 0, nullptr, "No", 1, "UN", ""},
        {"power net to a bus", 50, 0, nullptr, 10, -10, nullptr, nullptr, 1, "P", ""},
        {"member of another bus", 5, 0, nullptr, 10, -20, nullptr, nullptr, 1, "N", "B"},
        {"index 128", 30, 25, nullptr, 10, -10, "128", nullptr, 1, "UN", ""},
        {"index -1", 30, 25, nullptr, 10, -10, "-1", nullptr, 1, "UN", ""},
        {"index x", 30, 25, nullptr, 10, -10, "x", nullptr, 1, "UN", ""},
        {"index 1", 30, 25, nullptr, 10, -10, "1", nullptr, 0, "UN", "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(kFixture, "P1");
        g_SnapStep = kStep;
        int32_t x = static_cast<int32_t>(c.sx * kStep), y = static_cast<int32_t>(c.sy * kStep), fail = 1;
        Main().m_WireIsBus = false;
        Main().CreateWireNet(fail, false, true, x, y);
        ASSERT_EQ(fail, 0);
        const int32_t wire = g_CurBranch;
        int32_t px = static_cast<int32_t>(c.ex * kStep), py = static_cast<int32_t>(c.ey * kStep);
        if (c.pin) Pin(std::string(c.pin, 2).c_str(), c.pin[3] - '0', px, py);
        g_CurBranchPoint.X = px;
        g_CurBranchPoint.Y = py;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), px, py);
        if (c.typed) Type(c.typed, "as member:");
        if (c.popup) ui.ExpectPopupMenu(c.popup, "Merge ");
        bool merged = false;
        fail = 1 - c.fail;
        Main().ConnectWireEndAt(fail, merged, false, true, px, py);
        EXPECT_EQ(fail, c.fail);
        EXPECT_EQ(ui.pending(), 0u);
        BranchRec rec{};
        ASSERT_NE(B_ReadBranch(wire, &rec), 0);
        const std::string net = PtrToStr(O_GetName(N_Net(rec.Net)));
        EXPECT_EQ(net.substr(0, std::strlen(c.net)), c.net) << net;
        int32_t index = 0;
        EXPECT_EQ(N_FindBusMember(rec.Net, &index), *c.bus ? BusId(c.bus) : 0);
        // A pin refused keeps its own net.
        if (c.pin && c.fail != 0) {
            int32_t pinNet = 0;
            const int32_t comp = CompId(std::string(c.pin, 2).c_str());
            N_FindCompEntry(comp, c.pin[3] - '0', &pinNet);
            EXPECT_NE(pinNet, rec.Net);
        }
    }
    EXPECT_FALSE(Main().M_Conf->Visible());
}

TEST_F(WireDraw, BusMemberIndexTable)
{
    struct Case {
        const char* typed;
        int32_t fail, index;
    } cases[] = {{"1", 0, 1}, {"128", 1, 0}, {"-1", 1, 0}, {"x", 1, 0}, {"127", 0, 127}};
    const int32_t net = NetId("M");
    for (const Case& c : cases) {
        Type(c.typed, "as member:");
        int32_t fail = 0, index = 0, n = net;
        Main().AskBusMemberIndex(fail, n, BusId("B"), index);
        EXPECT_EQ(fail, c.fail) << c.typed;
        if (c.fail == 0) {
            EXPECT_EQ(index, c.index) << c.typed;
        }
    }
}

TEST_F(WireDraw, ATakenSlotOffersTheMergeAndGivesTheSurvivor)
{
    Type("0", "as member:");
    ui.ExpectPopupMenu("Yes", "Merge ");
    int32_t fail = 1, index = 0, net = NetId("M");
    Main().AskBusMemberIndex(fail, net, BusId("B"), index);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(net, NetId("N"));
    EXPECT_EQ(NetId("M"), 0);
}

TEST_F(WireDraw, PromptNetNameFlags)
{
    struct Case {
        const char* typed;
        int32_t flags;
    } cases[] = {{"A,p", 7}, {"A,n", 5}, {"A", 1}, {"A,P", 1}, {"A,N", 1}};
    for (const Case& c : cases) {
        Type(c.typed);
        int32_t fail = 1, net = 0, flags = 1;
        std::string name = "UN1";
        Main().PromptNetName(fail, net, name, flags);
        EXPECT_EQ(fail, 0) << c.typed;
        EXPECT_EQ(flags, c.flags) << c.typed;
        EXPECT_EQ(name, "A");
    }
    // An existing net asks to connect; No asks again.
    Type("N");
    ui.ExpectMessageBox(7, "Connect to existing Net: N");
    Type(",p");
    ui.ExpectMessageBox(1, "Cant't create Net");
    Type("N");
    ui.ExpectMessageBox(6, "Connect to existing Net: N");
    int32_t fail = 1, net = 0, flags = 1;
    std::string name = "UN1";
    Main().PromptNetName(fail, net, name, flags);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(net, NetId("N"));
}

// A click of the drawing command on a pin without a net joins the pin and
// the drawing goes on; the wire is done when its end joins another net.
TEST_F(WireDraw, AWireEndsWhereItJoinsAnotherNetNotAtAFreePin)
{
    SCHMAIN& m = Main();
    int32_t x = 30 * kStep, y = 25 * kStep, fail = 1;
    m.m_WireIsBus = false;
    m.CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    const int32_t wire = g_CurBranch;
    m.m_StepRequest = 0;
    m.m_JunctionRequest = 0;
    // The moving end on R4.1, a pin without a net.
    int32_t px = 0, py = 0;
    Pin("R4", 1, px, py);
    g_CurBranchPoint.X = px;
    g_CurBranchPoint.Y = py;
    O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), px, py);
    m.WireDrawStep(fail, px, py);
    EXPECT_EQ(fail, 1) << "the drawing goes on";
    BranchRec rec{};
    ASSERT_NE(B_ReadBranch(wire, &rec), 0);
    int32_t pinNet = 0;
    N_FindCompEntry(CompId("R4"), 1, &pinNet);
    EXPECT_EQ(pinNet, rec.Net);
    EXPECT_EQ(rec.Points, 3);

    // The new moving end on R3.1, a pin of net M: merged after Yes, done.
    Pin("R3", 1, px, py);
    g_CurBranchPoint.X = px;
    g_CurBranchPoint.Y = py;
    O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), px, py);
    ui.ExpectPopupMenu("Yes", "Merge ");
    m.WireDrawStep(fail, px, py);
    EXPECT_EQ(fail, 0) << "the wire is done";
    ASSERT_NE(B_ReadBranch(wire, &rec), 0);
    EXPECT_EQ(rec.Net, NetId("M"));
    EXPECT_EQ(rec.Points, 3);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(WireDraw, CancelDeletesTheWireAndTheNodesItMade)
{
    int32_t x = 0, y = 0;
    Pin("R4", 1, x, y);
    const int32_t nets = Count(DB_NetMap());
    int32_t fail = 1;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    Main().m_StepRequest = -1;
    Main().WireDrawStep(fail, x, y);
    Main().m_StepRequest = 0;
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Count(DB_NetMap()), nets);
}

TEST_F(WireDraw, FinishingANewBusAsksItsNameAndRefusesToDeleteAUsedBus)
{
    int32_t x = 30 * kStep, y = 15 * kStep, fail = 1;
    Main().m_WireIsBus = true;
    Main().CreateWireNet(fail, false, false, x, y);
    ASSERT_EQ(fail, 0);
    const int32_t bus = g_CurBus;
    // Click a second point, then finish naming it like bus B: the wire
    // moves to B and the new bus goes.
    g_CurBranchPoint.X += 5 * kStep;
    O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), g_CurBranchPoint.X, g_CurBranchPoint.Y);
    Main().WireDrawStep(fail, x, y);
    EXPECT_EQ(fail, 1);
    Main().m_JunctionRequest = -1;
    Type("B", "Assign Bus Name:");
    Main().WireDrawStep(fail, x, y);
    Main().m_JunctionRequest = 0;
    EXPECT_EQ(N_Bus(bus), 0);
    EXPECT_EQ(Wires(BusId("B"), 1).size(), 2u);
    EXPECT_NE(O_GetStatus(N_Bus(BusId("B"))) & 4, 0);
}

}  // namespace
