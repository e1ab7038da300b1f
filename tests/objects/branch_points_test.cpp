// Editing points of the current wire and the hit tests on wires.
#include "editor/objects/comp_state.h"
#include "editor/objects/branch_hits.h"
#include "editor/objects/branch_points.h"
#include "editor/objects/branches.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/systables.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class BranchPoints : public TwoWiresTest {};

TEST_F(BranchPoints, DetachSegmentFromNodesPutsJunctionsAtBothPins)
{
    // A wire straight from R1.2 (3, 0) to R2.1 (17, 0).
    const int32_t a = Point(wires[0], 1).Ref, b = Point(wires[1], 2).Ref;
    const int32_t wire = B_CreateBranch(0, 1, net);
    B_InsertRecord(wire, -1, 2, a);
    B_InsertRecord(wire, -1, 2, b);
    g_CurBranch = wire;
    g_CurBranchPos = 2;
    int32_t status = 1;
    DetachSegmentFromNodes(status, 0, 10 * kTenth, kTenth, 1000);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(Points(wire), 4);
    EXPECT_EQ(g_CurBranchPos, 3);
    EXPECT_EQ(g_PrevBranchPos, 2);
    // Pin, junction at the pin, junction at the other pin, pin.
    EXPECT_EQ(Point(wire, 1).Flags & 6, 2);
    EXPECT_EQ(Point(wire, 2).Flags & 6, 4);
    EXPECT_EQ(Point(wire, 3).Flags & 6, 4);
    EXPECT_EQ(Point(wire, 4).Flags & 6, 2);
    EXPECT_EQ(Point(wire, 2).X, Point(wire, 1).X);
    EXPECT_EQ(Point(wire, 3).X, Point(wire, 4).X);
    EXPECT_EQ(O_GetStatus(J_Junction(Point(wire, 2).Ref)), 3);
    // The hook: the pointer moved by the distance along the normal, relative
    // to the current point.
    EXPECT_EQ(g_CompAnchor.X, 10 * kTenth - 17 * kTenth);
    EXPECT_EQ(g_CompAnchor.Y, kTenth + 1000);
}

TEST_F(BranchPoints, SnapToBranchSnapsHalvesAwayFromZeroThenTakesTheFoot)
{
    const int32_t j1 = J_CreateJunction(0, 3, -254000, 12 * kTenth);
    const int32_t j2 = J_CreateJunction(0, 3, 254000, 12 * kTenth);
    const int32_t wire = B_CreateBranch(0, 1, net);
    B_InsertRecord(wire, -1, 4, j1);
    B_InsertRecord(wire, -1, 4, j2);
    g_SnapStep = 127000;
    struct Case {
        int32_t x, expected;
    };
    for (const Case c : {Case{63500, 127000}, Case{-63500, -127000}, Case{63499, 0}}) {
        int32_t status = 1, x = c.x, y = 12 * kTenth + 100, branch = 0, cover = 0;
        BranchRec rec{};
        SnapToBranch(status, x, y, branch, rec, cover, -1);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(branch, wire);
        EXPECT_EQ(x, c.expected);
        EXPECT_EQ(y, 12 * kTenth);
    }
}

TEST_F(BranchPoints, SnapToBranchFailsWhenNothingOrNoSegmentIsThere)
{
    int32_t status = 0, x = 40 * kTenth, y = 30 * kTenth, branch = 0, cover = 0;
    BranchRec rec{};
    SnapToBranch(status, x, y, branch, rec, cover, -1);
    EXPECT_EQ(status, 1);
    // A one-point wire: there is no segment to snap to.
    const int32_t lone = B_CreateBranch(0, 1, net);
    B_InsertRecord(lone, -1, 4, J_CreateJunction(0, 3, 40 * kTenth, 30 * kTenth));
    SnapToBranch(status, x, y, branch, rec, cover, -1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(x, 40 * kTenth);
}

TEST_F(BranchPoints, MakeJunctionAtBranchPointReplacesTheNearerPin)
{
    g_CurBranch = wires[0];
    g_CurBranchPos = 2;  // the segment R1.2 (3, 0) - junction (5, 0)
    const int32_t pin = Point(wires[0], 1).Ref;
    int32_t status = 1;
    MakeJunctionAtBranchPoint(status, 0, 3 * kTenth, 0, 0);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(g_CurBranchPos, 1);
    EXPECT_EQ(g_ReplacedNode, pin);
    EXPECT_EQ(Point(wires[0], 1).Flags & 6, 4);
    EXPECT_EQ(O_GetStatus(J_Junction(Point(wires[0], 1).Ref)), 3);
    EXPECT_EQ(O_GetStatus(N_Node(net, pin)) & 2, 0);  // no wire left at the pin
    // The current point is now a junction point: nothing more to do.
    MakeJunctionAtBranchPoint(status, 0, 3 * kTenth, 0, 0);
    EXPECT_EQ(status, 1);
}

TEST_F(BranchPoints, FindBranchStretchNeedsThreePoints)
{
    g_CurBranch = wires[0];
    g_CurBranchPos = 1;
    int32_t status = 0;
    FindBranchStretch(status, 0, 0, 0, 0);
    EXPECT_EQ(status, 1);
}

TEST_F(BranchPoints, DeleteBranchRecordRefusesPageFramePoints)
{
    const int32_t frame = -100 - DB_CurPage();
    g_FrameBranch = frame;
    const int32_t n = Points(frame);
    ASSERT_GE(n, 5);
    for (int32_t index : {1, n}) {
        int32_t branch = frame;
        DeleteBranchRecord(branch, index);
        EXPECT_EQ(branch, frame);
    }
    EXPECT_EQ(Points(frame), n);
    int beeps = 0;
    for (const auto& a : ui.asked()) beeps += a.kind == "Beep";
    EXPECT_EQ(beeps, 2);
}

TEST_F(BranchPoints, DeleteBranchRecordDeletesAWireLeftWithOnePoint)
{
    int32_t branch = wires[0];
    const int32_t junction = Point(wires[0], 2).Ref;
    DeleteBranchRecord(branch, 1);
    EXPECT_EQ(branch, 0);
    EXPECT_NE(J_Junction(junction), 0);  // the other wire still uses it
}

TEST_F(BranchPoints, CoverJunctionAtPointPassesOverAJunctionOfASelectedBranch)
{
    const int32_t junction = Point(wires[0], 2).Ref;
    int32_t status = 1, branch = 0, index = 0;
    BranchRec rec{};
    CoverJunctionAtPoint(status, 5 * kTenth, 0, branch, rec, index, -1);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(branch, wires[0]);
    EXPECT_EQ(index, 2);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);
    O_Mask(B_Branch(wires[1]), 256, 256);
    CoverJunctionAtPoint(status, 5 * kTenth, 0, branch, rec, index, -1);
    EXPECT_EQ(status, 1);
    EXPECT_NE(J_Junction(junction), 0);
}

// The users of a junction are the wires whose records refer to it, not
// every wire through its position.
TEST_F(BranchPoints, CoverJunctionAtPointTakesTheJunctionsOwnWires)
{
    const int32_t shared = Point(wires[0], 2).Ref;  // (5, 0)
    // A wire of net M straight through (5, 0), selected; it does not use the
    // junction, so the junction is not passed over for it.
    const int32_t top = J_CreateJunction(0, 3, 5 * kTenth, 2 * kTenth);
    const int32_t bottom = J_CreateJunction(0, 3, 5 * kTenth, -2 * kTenth);
    const int32_t crossing = B_CreateBranch(0, 1, Net("M"));
    B_InsertRecord(crossing, -1, 4, top);
    B_InsertRecord(crossing, -1, 4, bottom);
    O_Mask(B_Branch(crossing), 256, 256);
    // A junction no wire uses, nearest to (5, 1); one at (5, 1.5) used by a
    // selected wire; the shared one farther away.
    const int32_t unused = J_CreateJunction(0, 3, 5 * kTenth, kTenth);
    const int32_t selJ = J_CreateJunction(0, 3, 6 * kTenth, kTenth + kTenth / 2);
    const int32_t selWire = B_CreateBranch(0, 1, net);
    B_InsertRecord(selWire, -1, 4, selJ);
    B_InsertRecord(selWire, -1, 4, J_CreateJunction(0, 3, 8 * kTenth, kTenth + kTenth / 2));
    O_Mask(B_Branch(selWire), 256, 256);
    struct Case {
        const char* what;
        int32_t x, y, netFilter, tconnect, status, branch, index;
    };
    const Case cases[] = {
        {"at the shared junction", 5 * kTenth, 0, -1, 0, 0, wires[0], 2},
        {"nearest junction unused: no wire to edit", 5 * kTenth, kTenth, -1, 0, 1, 0, 0},
        {"same net only, the junction's net", 5 * kTenth, 0, net, 1, 0, wires[0], 2},
        {"same net only, another net", 5 * kTenth, 0, Net("M"), 1, 1, wires[0], 2},
        {"another net without the option", 5 * kTenth, 0, Net("M"), 0, 0, wires[0], 2},
        {"the junction of a selected wire only", 6 * kTenth, kTenth + kTenth / 2, -1, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        g_TConnectFlags = c.tconnect;
        int32_t status = 7, branch = 0, index = 0;
        BranchRec rec{};
        CoverJunctionAtPoint(status, c.x, c.y, branch, rec, index, c.netFilter);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(branch, c.branch);
        EXPECT_EQ(index, c.index);
        if (c.branch != 0) {
            EXPECT_EQ(rec.Net, net);
        }
    }
    g_TConnectFlags = 0;
    // The selected wire uses the shared junction now too: it is passed over
    // for the next one within reach, nearest first (the unused one, then the
    // crossing wire's top junction, which is no longer selected).
    B_InsertRecord(selWire, -1, 4, shared);
    O_Mask(B_Branch(crossing), 0, 256);
    g_PickTolerance = kTenth;
    struct Next {
        bool unusedThere;
        int32_t status, branch, index;
    };
    for (const Next n : {Next{true, 1, 0, 0}, Next{false, 0, crossing, 1}}) {
        if (!n.unusedThere) AddJunctionToHeap(unused);
        int32_t status = 7, branch = 0, index = 0;
        BranchRec rec{};
        CoverJunctionAtPoint(status, 5 * kTenth, 0, branch, rec, index, -1);
        EXPECT_EQ(status, n.status);
        EXPECT_EQ(branch, n.branch);
        EXPECT_EQ(index, n.index);
    }
    // Nothing is left marked.
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 64, 64), 0);
    EXPECT_EQ(B_SearchRecordMaskRef(wires[0], 1, 64, 0, nullptr), 0);
}

TEST_F(BranchPoints, CoverBranchAtPointSkipsOrTakesThePageFrame)
{
    g_FrameBranch = -100 - DB_CurPage();
    BranchPointRec corner = Point(g_FrameBranch, 1);
    int32_t status = 0, distance = 0, branch = 0, cover = 0;
    BranchRec rec{};
    CoverBranchAtPoint(status, 0, 0, corner.X, corner.Y, distance, branch, cover, rec);
    EXPECT_EQ(status, 1);
    status = 0;
    CoverBranchAtPoint(status, 1, 0, corner.X, corner.Y, distance, branch, cover, rec);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(branch, g_FrameBranch);
    status = 0;
    CoverBranchAtPoint(status, 0, 0, 10 * kTenth, 0, distance, branch, cover, rec);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(branch, wires[1]);
    EXPECT_EQ(cover, 2);
}

}  // namespace
