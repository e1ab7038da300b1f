// Kernel refusals in the middle of wire, net and bus edits leave the design
// as it was; the frame is no wire to delete; the popup question's answers.
#include "editor/documents/schframe.h"
#include "editor/editing/editing_state.h"
#include "editor/editing/wire_helpers.h"
#include "editor/objects/branches.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/systables.h"
#include "editor/shell/menus.h"
#include "editor/shell/prefs.h"
#include "editor/shell/ribbon.h"
#include "platform/kernel/testing.h"
#include "tests/documents/frame_fixture.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
bus B N K
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  wire N R1.2 (5 0) (5 10) (12 10)
  wire K R2.1 (25 0) (25 10)
  buswire B (0 -10) (30 -10)
end
)";

class WireRefusals : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kDesign, "P1");
        g_SnapStep = kStep;
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    static int32_t PointCount(int32_t branch)
    {
        BranchRec rec{};
        return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
    }
};

// Bus B with two wires on P1 and one on P2, its members joined at the
// wires of P1 and carrying member texts, and bus C beside it.
const char* kBusToDelete = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
bus B N K
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  buswire B (-10 -10) (10 -10)
  buswire B (15 -10) (30 -10)
  buswire C (0 -20) (30 -20)
  wire N R1.1 (0 -10)
  wire K R2.1 (20 -10)
end
page P2 frame 80 60
  buswire B (0 -10) (30 -10)
end
)";

// A member text (role 9) on the net's wire.
void AddMemberText(int32_t net, const char* text)
{
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    const int32_t wire = B_SearchNetPage(&cursor, 0, net, -1);
    ASSERT_NE(wire, 0);
    const int32_t item = I_MakeText(0, -9 * kStep, 0, 100000, 80000, text, 9, 0, 0);
    ASSERT_NE(item, 0);
    ASSERT_NE(OA_Add(B_BranchTextArray(wire), item), 0);
}

TEST_F(WireRefusals, DeleteBusIsWholeOrNothingWhicheverCallTheKernelRefuses)
{
    auto fresh = [this] {
        ui.Forget();
        Use(kBusToDelete, "P1");
        g_CurPage = PageId("P1");
        AddMemberText(NetId("N"), "0");
        AddMemberText(NetId("K"), "1");
    };
    auto deleteB = [this](int32_t& fail) {
        Type("B", "Bus to Delete: ");
        fail = 0;
        Main().DeleteBus(fail, 70 * kStep, 50 * kStep);
    };
    // The messages of the refusals are looked at below.
    ui.unexpected = [](const std::string&) {};
    // "+": each change refused in turn (the wires, the junctions, the
    // members' bits and texts, the bus itself); "*": each kernel call, the
    // reads and walks included.
    for (const char* which : {"+", "*"}) {
        SCOPED_TRACE(which);
        // The whole deletion, unrefused, for comparison.
        fresh();
        const uint64_t before = KT_DesignDigest();
        int32_t fail = 1;
        KT_FailCall(which, INT32_MAX);
        deleteB(fail);
        const int32_t calls = KT_CallsCounted();
        KT_FailCall("", 0);
        ASSERT_EQ(fail, 0);
        ASSERT_EQ(BusId("B"), 0);
        const uint64_t whole = KT_DesignDigest();
        ASSERT_NE(whole, before);
        ASSERT_GT(calls, 6);
        for (int32_t n = 1; n <= calls; ++n) {
            fresh();
            const size_t asked = ui.asked().size();
            KT_FailCall(which, n);
            deleteB(fail);
            KT_FailCall("", 0);
            SCOPED_TRACE("call " + std::to_string(n) + " of " + std::to_string(calls) + " refused: " +
                         KT_LastRefused());
            const uint64_t after = KT_DesignDigest();
            if (after == whole) {
                EXPECT_EQ(fail, 0);
                continue;
            }
            ASSERT_EQ(after, before) << "half a deletion";
            EXPECT_EQ(fail, 1);
            // The user is told in a message box after the name question.
            ASSERT_GT(ui.asked().size(), asked + 1);
            EXPECT_EQ(ui.asked().back().kind, "MessageBox");
            if (std::string(which) == "+") {
                EXPECT_NE(ui.asked().back().text.find("Delete Bus: B"), std::string::npos) << ui.asked().back().text;
            }
        }
    }
}

TEST_F(WireRefusals, DeleteBusKeepsEveryWireWhenTheKernelKeepsOne)
{
    struct Case {
        const char* call;
        int32_t n;  // which call of it is refused
    } cases[] = {
        {"OM_Delete", 1},  // the first bus wire
        {"OM_Delete", 2},  // the second, after the first went
        {"OM_Delete", 4},  // the bus, after its three wires
        {"AddToHeap", 1},  // a junction only the bus wires used
        {"OA_Delete", 2},  // the second member's text
        {"O_Mask", 1},     // the first junction mark
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.call) + " " + std::to_string(c.n));
        ui.Forget();
        Use(kBusToDelete, "P1");
        g_CurPage = PageId("P1");
        AddMemberText(NetId("N"), "0");
        AddMemberText(NetId("K"), "1");
        const int32_t bus = BusId("B");
        const uint64_t before = KT_DesignDigest();
        const int32_t junctions = Count(DB_JunctMap());
        ui.ExpectMessageBox(1, "Delete Bus: B");
        Type("B", "Bus to Delete: ");
        KT_FailCall(c.call, c.n);
        int32_t fail = 0;
        Main().DeleteBus(fail, 70 * kStep, 50 * kStep);
        KT_FailCall("", 0);
        EXPECT_EQ(fail, 1);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(BusId("B"), bus);
        EXPECT_EQ(Wires(bus, 1).size(), 3u);
        EXPECT_EQ(Count(DB_JunctMap()), junctions);
        EXPECT_NE(O_GetStatus(N_Net(NetId("N"))) & 8, 0);
        EXPECT_EQ(OA_GetCount(B_BranchTextArray(Wires(NetId("K")).at(0))), 1);
        EXPECT_EQ(KT_DesignDigest(), before);
        // Unrefused, the same deletion goes through.
        Type("B", "Bus to Delete: ");
        Main().DeleteBus(fail, 70 * kStep, 50 * kStep);
        EXPECT_EQ(fail, 0);
        EXPECT_EQ(BusId("B"), 0);
        EXPECT_TRUE(Wires(bus, 1).empty());
        EXPECT_EQ(OA_GetCount(B_BranchTextArray(Wires(NetId("K")).at(0))), 0);
        EXPECT_EQ(O_GetStatus(N_Net(NetId("N"))) & 8, 0);
        EXPECT_EQ(Wires(BusId("C"), 1).size(), 1u);
    }
}

TEST_F(WireRefusals, SplitFillsTheNewWireBeforeTheOldGivesUpItsPoints)
{
    const int32_t wire = Wires(NetId("N")).at(0);
    const int32_t points = PointCount(wire);
    ASSERT_EQ(points, 4);
    const int32_t branches = Count(DB_BranchMap());
    g_CurBranch = wire;
    g_PrevBranchPos = 2;
    ui.ExpectMessageBox(1);
    KT_FailCall("B_InsertRecord", 2);
    Main().SplitBranchAtSegment();
    KT_FailCall("", 0);
    EXPECT_EQ(PointCount(wire), points);
    EXPECT_EQ(Count(DB_BranchMap()), branches);
    // Unrefused: two wires of two points each.
    g_CurBranch = wire;
    g_PrevBranchPos = 2;
    Main().SplitBranchAtSegment();
    EXPECT_EQ(PointCount(wire), 2);
    EXPECT_EQ(Count(DB_BranchMap()), branches + 1);
}

TEST_F(WireRefusals, ARefusedNameTextKeepsTheWiresTexts)
{
    const int32_t wire = Wires(NetId("N")).at(0);
    const int32_t texts = OA_GetCount(B_BranchTextArray(wire));
    for (const char* refused : {"I_MakeText", "OA_Add"}) {
        g_CurBranch = wire;
        ASSERT_NE(B_ReadRecord(wire, 2, &g_CurBranchPoint), 0);
        Type("NEWTEXT");
        ui.ExpectMessageBox(1);
        KT_FailCall(refused, 1);
        int32_t fail = 0;
        Main().ChangeNetText(fail, false);
        KT_FailCall("", 0);
        EXPECT_EQ(fail, 1) << refused;
        EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), texts) << refused;
    }
    Type("NEWTEXT");
    int32_t fail = 1;
    Main().ChangeNetText(fail, false);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(OA_GetCount(B_BranchTextArray(wire)), texts + 1);
}

TEST_F(WireRefusals, TheFrameIsNoWireToDelete)
{
    BranchPointRec corner{};
    ASSERT_NE(B_ReadRecord(g_FrameBranch, 1, &corner), 0);
    const int32_t frame = g_FrameBranch;
    Main().m_WireIsBus = false;
    Main().F_OST(0)->SetValue(true);
    int32_t fail = 0;
    const size_t before = ui.asked().size();
    Main().DeleteWireParts(fail, corner.X, corner.Y);
    EXPECT_EQ(fail, 1);
    EXPECT_NE(B_Branch(frame), 0);
    EXPECT_NE(PageId("P1"), 0);
    ASSERT_GT(ui.asked().size(), before);
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(WireRefusals, ARefusedRepeatWireLeavesNoWireNetOrJunction)
{
    const int32_t nets = Count(DB_NetMap());
    const int32_t branches = Count(DB_BranchMap());
    const int32_t junctions = Count(DB_JunctMap());
    g_NetNodes.Redim(1, 3);
    g_NetNodes(1) = NodeRec{5, 0, 0, 0, 0, 40 * kStep, 40 * kStep};
    g_NetNodes(2) = NodeRec{5, 0, 0, 0, 0, 50 * kStep, 40 * kStep};
    g_NetNodes(3) = NodeRec{5, 0, 0, 0, 0, 50 * kStep, 50 * kStep};
    for (const int32_t refusedAt : {1, 3}) {
        ui.ExpectMessageBox(1);
        KT_FailCall("B_InsertRecord", refusedAt);
        Main().BuildRepeatWire();
        KT_FailCall("", 0);
        EXPECT_EQ(Count(DB_NetMap()), nets) << refusedAt;
        EXPECT_EQ(Count(DB_BranchMap()), branches) << refusedAt;
        EXPECT_EQ(Count(DB_JunctMap()), junctions) << refusedAt;
    }
    Main().BuildRepeatWire();
    EXPECT_EQ(Count(DB_NetMap()), nets + 1);
    EXPECT_EQ(Count(DB_BranchMap()), branches + 1);
}

// The page format mode's frame edit opens the dialog on the page; what the
// dialog accepts is the page's frame afterwards.
TEST_F(WireRefusals, EditPageFrameOpensTheFormatDialog)
{
    ReadPageFormats();
    ui.ExpectModal("SCHFRAME", [](QWidget*) {
        SCHFRAME& d = FormInstance<SCHFRAME>();
        d.F_Formats()->SetListIndex(0);
        d.F_Accept()->Press();
    });
    Main().EditPageFrame(0);
    const FrameRead frame = ReadFrame(g_FrameBranch);
    ASSERT_EQ(frame.points.size(), 5u);
    EXPECT_EQ(frame.points[0], std::make_pair(-13970000, -10795000));
    EXPECT_EQ(frame.points[2], std::make_pair(13970000, 10795000));
    // Cancel keeps the frame.
    ui.ExpectModal("SCHFRAME", [](QWidget*) { FormInstance<SCHFRAME>().F_Cancel()->Press(); });
    Main().EditPageFrame(0);
    EXPECT_EQ(ReadFrame(g_FrameBranch).points, frame.points);
}

TEST_F(WireRefusals, PopupAnswers)
{
    SCHMAIN& m = Main();
    const std::string query = m.M_Query->Caption();
    struct Case {
        const char* choose;
        bool yes;
    } cases[] = {{"Yes", true}, {"No", false}, {"", false}, {"Delete it?", false}};
    for (const Case& c : cases) {
        g_YesNoAnswer = !c.yes;
        ui.ExpectPopupMenu(c.choose, "Delete it?");
        double x = 10, y = 10;
        m.PopupConfirm("Delete it?", x, y);
        EXPECT_EQ(g_YesNoAnswer, c.yes) << c.choose;
        EXPECT_EQ(m.M_Query->Caption(), query) << c.choose;
        EXPECT_FALSE(m.M_Conf->Visible()) << c.choose;
        EXPECT_FALSE(m.M_Conf->Enabled()) << c.choose;
    }
}

}  // namespace
