// The delete function of the wire mode by its options, the cut of a
// two-point wire, the bus joint that a dropped end keeps, and stepping back
// while a wire is drawn.
#include "editor/editing/editing_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/systables.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"
#include "tests/support/stored_marks.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

using namespace palvane_test;

// N: R1.2 (3 0), (5 0), (5 10), (12 10); K: R2.1, (25 0), (25 10); L a
// two-point wire without pins; bus B (members N, K), bus C.
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
net L
bus B N K
bus C
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  wire N R1.2 (5 0) (5 10) (12 10)
  wire K R2.1 (25 0) (25 10)
  wire L (40 30) (45 30)
  buswire B (0 -10) (30 -10)
  buswire C (0 -20) (30 -20)
end
)";

class WireEdits : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Use(kDesign, "P1");
        g_SnapStep = kStep;
    }
    void Options(std::initializer_list<int> on)
    {
        for (int o = 0; o <= 10; ++o)
            if (Main().F_OST.Exists(o)) Main().F_OST(o)->SetValue(false);
        for (const int o : on) Main().F_OST(o)->SetValue(true);
    }
    static int32_t Points(int32_t branch)
    {
        BranchRec rec{};
        return B_ReadBranch(branch, &rec) != 0 ? rec.Points : 0;
    }
    // The point counts of the wires of a net (kind 0) or bus (kind 1).
    static std::vector<int32_t> Shape(const char* owner, int32_t kind = 0)
    {
        std::vector<int32_t> counts;
        const int32_t id = kind == 0 ? NetId(owner) : BusId(owner);
        if (id == 0) return counts;
        for (const int32_t w : Wires(id, kind)) counts.push_back(Points(w));
        return counts;
    }
};

// The first of options 0, 1, 2 and 5 that is pressed decides; the question
// names the part; No keeps the wire; a pick of the wrong kind or with no
// option beeps.
TEST_F(WireEdits, DeleteOptionTable)
{
    using V = std::vector<int32_t>;
    struct Case {
        const char* what;
        std::initializer_list<int> options;
        bool bus;
        double sx, sy;
        const char* question;  // nullptr: a beep, no question
        const char* answer;
        const char* owner;     // whose wires are checked
        V shape;               // point counts of its wires afterwards
    } cases[] = {
        {"no option", {}, false, 5, 5, nullptr, "", "N", V{4}},
        {"whole", {0}, false, 5, 5, "Delete whole Wire?", "Yes", "N", V{}},
        {"whole, No", {0}, false, 5, 5, "Delete whole Wire?", "No", "N", V{4}},
        {"segment", {1}, false, 5, 5, "Delete Wire Segment?", "Yes", "N", V{2, 2}},
        {"segment before point", {2, 1}, false, 5, 5, "Delete Wire Segment?", "Yes", "N", V{2, 2}},
        {"point", {2}, false, 5, 10, "Delete Wire Point?", "Yes", "N", V{3}},
        {"point at a pin", {2}, false, 3, 0, nullptr, "", "N", V{4}},
        {"free points", {5}, false, 12, 10, "Delete Free Wire Points", "Yes", "N", V{2}},
        {"free points, the end kept", {5}, false, 25, 5, "Delete Free Wire Points", "Yes", "K", V{2}},
        {"bus whole", {0}, true, 10, -20, "Delete Bus lines?", "Yes", "C", V{}},
        {"bus segment", {1}, true, 10, -10, "Delete Bus Segment?", "Yes", "B", V{}},
        {"bus point", {2}, true, 30, -10, "Delete Bus Point?", "No", "B", V{2}},
        {"free points of a bus", {5}, true, 10, -10, nullptr, "", "B", V{2}},
        {"a bus in the wire function", {0}, false, 10, -10, nullptr, "", "B", V{2}},
        {"a wire in the bus function", {0}, true, 5, 5, nullptr, "", "N", V{4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(kDesign, "P1");
        Options(c.options);
        Main().m_WireIsBus = c.bus;
        if (c.question) ui.ExpectPopupMenu(c.answer, c.question);
        const size_t asked = ui.asked().size();
        int32_t fail = 0;
        Main().DeleteWireParts(fail, static_cast<int32_t>(c.sx * kStep), static_cast<int32_t>(c.sy * kStep));
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(fail, c.question && std::string(c.answer) == "Yes" ? 0 : 1);
        if (!c.question) {
            ASSERT_GT(ui.asked().size(), asked);
            EXPECT_EQ(ui.asked().back().kind, "Beep");
        }
        const bool busOwner = c.owner[0] == 'B' || c.owner[0] == 'C';
        EXPECT_EQ(Shape(c.owner, busOwner ? 1 : 0), c.shape);
        // Bus members and nets with pins stay; an emptied bus goes.
        EXPECT_NE(NetId("N"), 0);
        EXPECT_NE(BusId("B"), 0);
    }
    Options({});
}

// The segment and point questions mark the part they show; answered No or
// Yes, the operation takes those marks off the wire, its junctions, the
// wires meeting at the point and the net's nodes: the design as written
// holds no mark.
TEST_F(WireEdits, DeleteQuestionsLeaveNoMarkInTheWrittenDesign)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string written = dir.filePath("written.nvd").toStdString();
    struct Case {
        const char* what;
        int option;
        bool bus;
        double sx, sy;
        const char* question;
        const char* answer;
    } cases[] = {
        {"segment, No", 1, false, 5, 5, "Delete Wire Segment?", "No"},
        {"segment, Yes", 1, false, 5, 5, "Delete Wire Segment?", "Yes"},
        {"point, No", 2, false, 5, 10, "Delete Wire Point?", "No"},
        {"point, Yes", 2, false, 5, 10, "Delete Wire Point?", "Yes"},
        {"bus segment, No", 1, true, 10, -10, "Delete Bus Segment?", "No"},
        {"bus point, No", 2, true, 30, -10, "Delete Bus Point?", "No"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Use(kDesign, "P1");
        ASSERT_NE(DB_SaveDataBase(written.c_str()), 0);
        ASSERT_EQ(StoredMarks(written), std::vector<std::string>{});
        Options({c.option});
        Main().m_WireIsBus = c.bus;
        ui.ExpectPopupMenu(c.answer, c.question);
        int32_t fail = 0;
        Main().DeleteWireParts(fail, static_cast<int32_t>(c.sx * kStep), static_cast<int32_t>(c.sy * kStep));
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(fail, std::string(c.answer) == "Yes" ? 0 : 1);
        ASSERT_NE(DB_SaveDataBase(written.c_str()), 0);
        EXPECT_EQ(StoredMarks(written), std::vector<std::string>{});
    }
    Options({});
}

// Cutting the only segment of a two-point wire leaves two one-point halves:
// both go, and so does the net nothing uses any more.
TEST_F(WireEdits, CuttingATwoPointWireRemovesItAndItsEmptyNet)
{
    Options({1});
    Main().m_WireIsBus = false;
    const int32_t branches = Count(DB_BranchMap());
    ui.ExpectPopupMenu("Yes", "Delete Wire Segment?");
    int32_t fail = 1;
    Main().DeleteWireParts(fail, 42 * kStep, 30 * kStep);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Count(DB_BranchMap()), branches - 1);
    EXPECT_EQ(NetId("L"), 0);
    Options({});
}

// A stretch reaching the ends of its wire leaves no wire of one point or
// none: the wire goes.
TEST_F(WireEdits, AStretchLeavingUnderTwoPointsDeletesTheWire)
{
    struct Case {
        const char* owner;
        int32_t from, to;
    } cases[] = {{"L", 1, 2}, {"K", 2, 3}, {"N", 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.owner);
        Use(kDesign, "P1");
        const int32_t wire = Wires(NetId(c.owner)).at(0);
        const int32_t branches = Count(DB_BranchMap());
        g_CurBranch = wire;
        B_ReadBranch(wire, &g_CurBranchRec);
        g_PrevBranchPos = c.from;
        g_NextBranchPos = c.to;
        Main().DeleteBranchStretch();
        EXPECT_EQ(B_Branch(wire), 0);
        EXPECT_EQ(g_CurBranch, 0);
        EXPECT_EQ(Count(DB_BranchMap()), branches - 1);
    }
}

// A net wire drawn from bus C: its first point is a bus joint, which a
// dropped end keeps; stepping back takes the last point and gives the new
// end a junction of its own, does nothing on a two-point wire and nothing
// when the new junction is refused.
TEST_F(WireEdits, BusJointKeptAndStepBack)
{
    Type("0", "as member:");
    int32_t fail = 1, x = 20 * kStep, y = -20 * kStep;
    Main().m_WireIsBus = false;
    Main().CreateWireNet(fail, false, true, x, y);
    ASSERT_EQ(fail, 0);
    const int32_t wire = g_CurBranch;
    ASSERT_EQ(Points(wire), 2);
    // A two-point wire does not step back.
    Main().StepBackWirePoint(fail);
    EXPECT_EQ(fail, 1);
    EXPECT_EQ(Points(wire), 2);
    // Two more clicks in free space: four points.
    for (const int32_t sy : {-15, -12}) {
        g_CurBranchPoint.Y = sy * kStep;
        O_ChangePosition(J_Junction(g_CurBranchPoint.Ref), g_CurBranchPoint.X, g_CurBranchPoint.Y);
        int32_t px = g_CurBranchPoint.X, py = g_CurBranchPoint.Y;
        Main().WireDrawStep(fail, px, py);
        ASSERT_EQ(fail, 1);
    }
    ASSERT_EQ(Points(wire), 4);
    BranchPointRec third{};
    ASSERT_NE(B_ReadRecord(wire, 3, &third), 0);
    const int32_t junctions = Count(DB_JunctMap());
    // No new junction for the end: the wire stays as it was.
    BranchPointRec last{};
    ASSERT_NE(B_ReadRecord(wire, 4, &last), 0);
    ui.ExpectMessageBox(1);
    KT_FailCall("J_CreateJunction", 1);
    Main().StepBackWirePoint(fail);
    KT_FailCall("", 0);
    EXPECT_EQ(fail, 1);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(Points(wire), 4);
    EXPECT_EQ(g_CurBranchPos, 4);
    EXPECT_EQ(Count(DB_JunctMap()), junctions);
    BranchPointRec kept{};
    ASSERT_NE(B_ReadRecord(wire, 3, &kept), 0);
    EXPECT_EQ(kept.Ref, third.Ref);
    ASSERT_NE(B_ReadRecord(wire, 4, &kept), 0);
    EXPECT_EQ(kept.Ref, last.Ref);
    Main().StepBackWirePoint(fail);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Points(wire), 3);
    EXPECT_EQ(g_CurBranchPos, 3);
    EXPECT_EQ(g_PrevBranchPos, 2);
    EXPECT_NE(g_CurBranchPoint.Ref, third.Ref);
    EXPECT_EQ(g_CurBranchPoint.Y, -12 * kStep);
    EXPECT_EQ(g_CurBranchPoint.Flags & 4, 4);
    // The dropped point's and the old end's junctions went; one new came.
    EXPECT_EQ(Count(DB_JunctMap()), junctions - 1);
    // The joint at the bus stays when it is the end to drop.
    g_CurBranch = wire;
    g_CurBranchPos = 1;
    g_PrevBranchPos = 0;
    B_ReadBranch(wire, &g_CurBranchRec);
    Main().DropMovingWireEnd(fail);
    EXPECT_EQ(fail, 0);
    EXPECT_EQ(Points(wire), 3);
    BranchPointRec first{};
    ASSERT_NE(B_ReadRecord(wire, 1, &first), 0);
    JunctionRec joint{};
    ASSERT_NE(J_ReadJunction(first.Ref, &joint), 0);
    EXPECT_EQ(joint.Flags & 6, 6);
}

}  // namespace
