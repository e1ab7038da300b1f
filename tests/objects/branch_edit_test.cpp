// Point editing of the current wire: loading the points around the current
// one, inserting a junction point, re-pointing records, the wire texts under
// the pointer, the selection marks drawn on the canvas, and a cut from the
// pins that fails half-way.
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "tests/objects/wire_canvas.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class BranchEdit : public TwoWiresTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(TwoWiresTest::SetUp());
        // A wire of three junction points: (0, 5), (5, 5), (10, 5).
        for (int i = 0; i < 3; ++i) corners[i] = J_CreateJunction(0, 3, i * 5 * kTenth, 5 * kTenth);
        three = B_CreateBranch(0, 1, net);
        for (int32_t j : corners) B_InsertRecord(three, -1, 4, j);
        g_CurBranch = three;
    }
    int32_t corners[3] = {};
    int32_t three = 0;
};

TEST_F(BranchEdit, LoadBranchPointNeighboursReadsThePointsAroundTheCurrentOne)
{
    struct Case {
        int32_t pos, status, prevPos, nextPos;
    };
    for (const Case c : {Case{1, 0, 0, 2}, Case{2, 0, 1, 3}, Case{3, 0, 2, 0}, Case{4, 1, -1, -1}}) {
        SCOPED_TRACE(c.pos);
        g_CurBranchPos = c.pos;
        g_PrevBranchPos = g_NextBranchPos = -1;
        g_CurBranchPointSave = {};
        int32_t status = 7;
        LoadBranchPointNeighbours(status, 0, 0, 0, 0);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(g_PrevBranchPos, c.prevPos);
        EXPECT_EQ(g_NextBranchPos, c.nextPos);
        if (c.status != 0) continue;
        EXPECT_EQ(g_CurBranchPoint.Ref, corners[c.pos - 1]);
        EXPECT_EQ(g_CurBranchPointSave.Ref, corners[c.pos - 1]);
        if (c.prevPos != 0) {
            EXPECT_EQ(g_PrevBranchPointSave.Ref, corners[c.prevPos - 1]);
        }
        if (c.nextPos != 0) {
            EXPECT_EQ(g_NextBranchPointSave.Ref, corners[c.nextPos - 1]);
        }
    }
    // A branch that is gone fails too.
    g_CurBranch = 9999;
    g_CurBranchPos = 1;
    int32_t status = 0;
    LoadBranchPointNeighbours(status, 0, 0, 0, 0);
    EXPECT_EQ(status, 1);
}

TEST_F(BranchEdit, LoadBranchSegmentReadsTheSegmentEndingAtTheCurrentPoint)
{
    struct Case {
        int32_t pos, status;
    };
    for (const Case c : {Case{3, 0}, Case{2, 0}, Case{1, 1}, Case{4, 1}}) {
        SCOPED_TRACE(c.pos);
        g_CurBranchPos = c.pos;
        int32_t status = 7;
        LoadBranchSegment(status, 0, 0, 0, 0);
        EXPECT_EQ(status, c.status);
        if (c.status != 0) continue;
        EXPECT_EQ(g_PrevBranchPos, c.pos - 1);
        EXPECT_EQ(g_PrevBranchPoint.Ref, corners[c.pos - 2]);
        EXPECT_EQ(g_CurBranchPoint.Ref, corners[c.pos - 1]);
        EXPECT_EQ(g_PrevBranchPointSave.X, (c.pos - 2) * 5 * kTenth);
        EXPECT_EQ(g_CurBranchPointSave.X, (c.pos - 1) * 5 * kTenth);
    }
}

TEST_F(BranchEdit, InsertJunctionInBranchPutsASelectedJunctionPointBeforeTheCurrentOne)
{
    struct Case {
        int32_t selector, type;
    };
    for (const Case c : {Case{0, 3}, Case{1, 5}}) {
        SCOPED_TRACE(c.selector);
        const int32_t before = Points(three);
        g_CurBranchPos = 2;
        g_CurBranchPoint.X = 2 * kTenth;
        g_CurBranchPoint.Y = 5 * kTenth;
        int32_t status = 7;
        InsertJunctionInBranch(status, c.selector, 0, 0, 0);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(Points(three), before + 1);
        EXPECT_EQ(g_CurBranchPos, 2);
        EXPECT_EQ(g_PrevBranchPos, 1);
        EXPECT_EQ(g_NextBranchPos, 3);
        const BranchPointRec p = Point(three, 2);
        EXPECT_EQ(p.Flags & 772, 772);
        EXPECT_EQ(p.X, 2 * kTenth);
        EXPECT_EQ(O_GetStatus(J_Junction(p.Ref)), c.type);
        EXPECT_EQ(g_CurBranchPoint.Ref, p.Ref);
        EXPECT_EQ(g_NextBranchPoint.Ref, Point(three, 3).Ref);
        EXPECT_EQ(g_CurBranchPointSave.Ref, p.Ref);
    }
    // At the first point there is no point before: nothing is made.
    int32_t junctions = 0;
    for (int32_t c = 0; OM_SearchMask(DB_JunctMap(), &c, 0, 0) != 0;) ++junctions;
    g_CurBranchPos = 1;
    int32_t status = 0;
    InsertJunctionInBranch(status, 0, 0, 0, 0);
    EXPECT_EQ(status, 1);
    int32_t after = 0;
    for (int32_t c = 0; OM_SearchMask(DB_JunctMap(), &c, 0, 0) != 0;) ++after;
    EXPECT_EQ(after, junctions);
}

TEST_F(BranchEdit, ReplaceBranchRecordRefRepointsEveryRecordOfTheOldObject)
{
    const int32_t shared = Point(wires[0], 2).Ref;   // used by both wires
    const int32_t pin = Point(wires[0], 1).Ref;      // R1.2
    const int32_t other = Point(wires[1], 2).Ref;    // R2.1
    // Selector 5: node records to another node; the old node stays.
    ReplaceBranchRecordRef(5, pin, other);
    EXPECT_EQ(Point(wires[0], 1).Ref, other);
    EXPECT_EQ(Point(wires[0], 1).Flags & 6, 2);
    EXPECT_NE(N_Node(net, pin), 0);
    // Selector 1: both wires' records move to the corner junction; the old
    // junction is gone (its id free again).
    ReplaceBranchRecordRef(1, shared, corners[0]);
    EXPECT_EQ(Point(wires[0], 2).Ref, corners[0]);
    EXPECT_EQ(Point(wires[1], 1).Ref, corners[0]);
    EXPECT_EQ(Point(wires[1], 1).Flags & 6, 4);
    EXPECT_EQ(J_Junction(shared), 0);
    // Selector 3: junction records become node records.
    ReplaceBranchRecordRef(3, corners[0], pin);
    EXPECT_EQ(Point(wires[0], 2).Ref, pin);
    EXPECT_EQ(Point(wires[0], 2).Flags & 6, 2);
    EXPECT_EQ(Point(wires[1], 1).Flags & 6, 2);
    EXPECT_EQ(J_Junction(corners[0]), 0);
    // Another selector, and a junction that does not exist: nothing changes.
    ReplaceBranchRecordRef(2, pin, other);
    EXPECT_EQ(Point(wires[0], 2).Ref, pin);
    ReplaceBranchRecordRef(1, corners[1], 9999);
    EXPECT_EQ(Point(three, 2).Ref, corners[1]);
    EXPECT_NE(J_Junction(corners[1]), 0);
    // No marks are left behind.
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 2048, 2048), 0);
    EXPECT_EQ(B_SearchRecordMaskRef(wires[1], 1, 1024, 0, nullptr), 0);
}

TEST_F(BranchEdit, CoverBranchTextReadsTheTextUnderThePointer)
{
    const int32_t item = I_MakeText(10 * kTenth, kTenth, 0, 1000 * 127, 700 * 127, "N$1", 3, 0, 0);
    ASSERT_NE(OA_Add(B_BranchTextArray(wires[1]), item), 0);
    int32_t status = 7, branch = 0, index = 0;
    BranchRec rec{};
    CoverBranchText(status, 10 * kTenth, kTenth, branch, rec, index);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(branch, wires[1]);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(rec.Net, net);
    EXPECT_EQ(g_SymbItemText, "N$1");
    EXPECT_EQ(g_SymbItemTextOld, "N$1");
    EXPECT_EQ(g_SymbTextOld.X, 10 * kTenth);
    // Away from every text.
    CoverBranchText(status, 40 * kTenth, 30 * kTenth, branch, rec, index);
    EXPECT_EQ(status, 1);
}

// A pin beyond the coordinate range: the junction at the near pin is made,
// the one at the far pin is refused; the near one goes back and the wire
// is as it was.
TEST_F(BranchEdit, DetachSegmentFromNodesHandsBackTheFirstJunctionWhenTheSecondFails)
{
    ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P
  component RF R at 865 0
  component RN R at 800 0
  wire N RF.2 RN.1
end
)"));
    const int32_t wire = Branches(Net("N"))[0];
    ASSERT_EQ(Points(wire), 2);
    ASSERT_GT(Point(wire, 1).X, 220000000);
    int32_t junctions = 0;
    for (int32_t c = 0; OM_SearchMask(DB_JunctMap(), &c, 0, 0) != 0;) ++junctions;
    g_CurBranch = wire;
    g_CurBranchPos = 2;
    int32_t status = 0;
    DetachSegmentFromNodes(status, 0, 0, 0, 1000);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Points(wire), 2);
    EXPECT_EQ(Point(wire, 1).Flags & 6, 2);
    EXPECT_EQ(Point(wire, 2).Flags & 6, 2);
    int32_t after = 0;
    for (int32_t c = 0; OM_SearchMask(DB_JunctMap(), &c, 0, 0) != 0;) ++after;
    EXPECT_EQ(after, junctions);
    EXPECT_EQ(g_CurBranchPos, 2);
}

// The marks of a drag take the chosen records off the canvas (the kernel's
// draw mode 2 erases) and select them; the normal drawing puts the page
// back as it was.
class BranchMarks : public BranchEdit {
protected:
    void SetUp() override
    {
        BranchEdit::SetUp();
        OM_Delete(DB_BranchMap(), three);
        g_FrameBranch = -100 - DB_CurPage();
        g_MaskedBranchIds.Redim(0, 0);
        B_ReadBranch(wires[1], &g_CurBranchRec);
    }
    // The page drawn plainly over what is there.
    static void Restore()
    {
        DrawAllWires(0);
        PaintPage();
    }
};

TEST_F(BranchMarks, MarkBranchRecordErasesAndSelectsTheRun)
{
    for (int32_t mode : {0, 1}) {
        SCOPED_TRACE(mode);
        Canvas canvas;
        PaintPage();
        const QImage before = canvas.image.copy();
        const int wirePixels = CountPixels(before, CategoryColour(10));
        MarkBranchRecord(mode, wires[1], 1, 1);  // the segment from record 1 to 2
        EXPECT_LT(CountPixels(canvas.image, CategoryColour(10)), wirePixels);
        // The other wire is untouched in mode 1.
        if (mode == 1) {
            EXPECT_GT(CountPixels(canvas.image, CategoryColour(10)), 0);
        }
        EXPECT_EQ(O_GetStatus(B_Branch(wires[1])) & 260, mode == 0 ? 256 : 260);
        EXPECT_EQ(Point(wires[1], 1).Flags & 257, 256);
        Restore();
        EXPECT_TRUE(SameImage(before, canvas.image));
        B_MaskAllRecords(1, 257);
        OM_MaskAll(DB_BranchMap(), 1, 261);
    }
}

TEST_F(BranchMarks, MarkJunctionWiresSelectsEveryRecordAtTheJunction)
{
    const BranchPointRec shared = Point(wires[0], 2);
    for (bool pair : {false, true}) {
        SCOPED_TRACE(pair);
        Canvas canvas;
        PaintPage();
        const QImage before = canvas.image.copy();
        if (pair)
            MarkJunctionPairWires(0, wires[1], shared, Point(wires[1], 2));
        else
            MarkJunctionWires(0, wires[1], shared);
        // Both wires' records at the junction are selected, and the wires
        // carry the marks.
        EXPECT_EQ(Point(wires[0], 2).Flags & 257, 256);
        EXPECT_EQ(Point(wires[1], 1).Flags & 257, 256);
        EXPECT_EQ(O_GetStatus(B_Branch(wires[0])) & 257, 257);
        EXPECT_EQ(Point(wires[1], 2).Flags & 256, pair ? 256 : 0);
        EXPECT_FALSE(CompareImages(before, canvas.image).Same());
        Restore();
        EXPECT_TRUE(SameImage(before, canvas.image));
        B_MaskAllRecords(1, 257);
        OM_MaskAll(DB_BranchMap(), 1, 261);
    }
}

}  // namespace
