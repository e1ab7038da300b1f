// Deleting branches with the clean-up of their junctions and nodes, the
// start-up check of broken branches, the wire records at a pin, the
// rectangle selection and the copy of a branch's points.
#include "editor/objects/branch_drawing.h"
#include "editor/objects/branches.h"
#include "editor/objects/view_values.h"
#include "editor/objects/wire_state.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace palvane_test;

class BranchDeletion : public KernelTest {
public:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_NO_FATAL_FAILURE(Build());
        ASSERT_EQ(Point(wires[0], 2).Flags & 6, 4);
    }
    // Builds kTwoWires afresh and finds its net, bus, wires and the junction
    // the wires share.
    void Build()
    {
        ASSERT_TRUE(BuildDesign(kTwoWires));
        net = Net("N");
        bus = OM_FindName(DB_BusMap(), "B");
        wires = Branches(net);
        ASSERT_EQ(wires.size(), 2u);
        junction = Point(wires[0], 2).Ref;
    }
    // A bus wire of B through the shared junction and a junction of its own.
    int32_t AddBusWire()
    {
        const int32_t other = J_CreateJunction(0, 5, 5 * kTenth, 5 * kTenth);
        const int32_t b = B_CreateBranch(0, 3, bus);
        B_InsertRecord(b, -1, 4, junction);
        B_InsertRecord(b, -1, 4, other);
        return b;
    }
    int32_t NodeOf(int32_t branch, int32_t index) { return Point(branch, index).Ref; }

    int32_t net = 0, bus = 0, junction = 0;
    std::vector<int32_t> wires;
};

TEST_F(BranchDeletion, DeleteBranchKeepsAJunctionStillUsedAndFreesTheLastUser)
{
    struct Case {
        const char* name;
        bool deleteOtherWireFirst;
        bool busWire;
        bool junctionStays;
    };
    const Case cases[] = {
        {"shared with another wire of the net", false, false, true},
        {"shared with a bus wire of the net's bus", true, true, true},
        {"last user", true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Build());
        if (c.busWire) AddBusWire();
        if (c.deleteOtherWireFirst) DeleteBranch(wires[1]);
        const int32_t pin = NodeOf(wires[0], 1);
        DeleteBranch(wires[0]);
        EXPECT_EQ(B_Branch(wires[0]), 0);
        EXPECT_EQ(J_Junction(junction) != 0, c.junctionStays);
        // The pin's node has no wire left: its wire bit goes.
        EXPECT_EQ(O_GetStatus(N_Node(net, pin)) & 2, 0);
        // The net stays for the caller to judge.
        EXPECT_NE(N_Net(net), 0);
    }
}

TEST_F(BranchDeletion, DeletingANetWireTurnsAJunctionLeftOnlyOnABusWireIntoABusPoint)
{
    const int32_t busWire = AddBusWire();
    O_Mask(J_Junction(junction), 3, -1);  // a net-wire point
    DeleteBranch(wires[1]);
    DeleteBranch(wires[0]);
    ASSERT_NE(J_Junction(junction), 0);
    EXPECT_EQ(O_GetStatus(J_Junction(junction)), 4);
    EXPECT_NE(B_Branch(busWire), 0);
}

// Every id and status of the junctions, branches, nets and their nodes.
std::vector<std::vector<int32_t>> DesignState()
{
    std::vector<std::vector<int32_t>> state;
    auto walk = [&](int32_t map) {
        std::vector<int32_t> ids;
        int32_t cursor = OM_GetFirst(map);
        while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) {
            ids.push_back(id);
            ids.push_back(O_GetStatus(OM_Object(map, id)));
        }
        state.push_back(ids);
        return ids;
    };
    walk(DB_JunctMap());
    walk(DB_BranchMap());
    const std::vector<int32_t> nets = walk(DB_NetMap());
    for (size_t i = 0; i < nets.size(); i += 2) walk(N_NodeMap(nets[i]));
    return state;
}

TEST_F(BranchDeletion, DeleteBranchesLeavesWhatDeletingEachInTurnLeaves)
{
    // Net N's two wires (N is a member of bus B) and a bus wire through
    // their junction, a chain of wires on M (enough references for the
    // hashed check) and a wire of N sharing a chain junction; each set
    // deleted both ways.
    auto build = [&] {
        Build();
        AddBusWire();
        const int32_t m = Net("M");
        int32_t last = junction;
        std::vector<int32_t> chain;
        for (int i = 1; i <= 12; ++i) {
            const int32_t next = J_CreateJunction(0, 3, (5 + i) * kTenth, 3 * kTenth);
            const int32_t b = B_CreateBranch(0, 1, m);
            B_InsertRecord(b, -1, 5, last);
            B_InsertRecord(b, -1, 5, next);
            chain.push_back(next);
            last = next;
        }
        const int32_t b = B_CreateBranch(0, 1, net);
        B_InsertRecord(b, -1, 5, chain[5]);
        B_InsertRecord(b, -1, 5, J_CreateJunction(0, 3, 0, 9 * kTenth));
    };
    auto all = [] {
        std::vector<int32_t> ids;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t id = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0))
            if (id > 0) ids.push_back(id);
        return ids;
    };
    struct Case {
        const char* name;
        std::function<std::vector<int32_t>(std::vector<int32_t>)> pick;
    };
    const Case cases[] = {
        {"all", [](std::vector<int32_t> ids) { return ids; }},
        {"all, last first", [](std::vector<int32_t> ids) { return std::vector<int32_t>(ids.rbegin(), ids.rend()); }},
        {"every other", [](std::vector<int32_t> ids) {
             std::vector<int32_t> some;
             for (size_t i = 0; i < ids.size(); i += 2) some.push_back(ids[i]);
             return some;
         }},
        {"the chain only", [](std::vector<int32_t> ids) {
             return std::vector<int32_t>(ids.begin() + 3, ids.end() - 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(build());
        const std::vector<int32_t> ids = c.pick(all());
        for (const int32_t id : ids) DeleteBranch(id);
        const auto expected = DesignState();
        ASSERT_NO_FATAL_FAILURE(build());
        EXPECT_EQ(DeleteBranches(c.pick(all())), ids);
        EXPECT_EQ(DesignState(), expected);
    }
}

TEST_F(BranchDeletion, DeleteBranchIgnoresAnIdThatIsGone)
{
    DeleteBranch(wires[0]);
    DeleteBranch(wires[0]);
    DeleteBranch(0);
    EXPECT_NE(B_Branch(wires[1]), 0);
    EXPECT_NE(J_Junction(junction), 0);
}

TEST_F(BranchDeletion, RemoveBrokenBranchesDeletesEachKindOfBrokenWireAndKeepsBusWires)
{
    struct Case {
        const char* name;
        std::function<void(BranchDeletion&)> breakIt;
        bool firstWireGoes;
        bool secondWireGoes = false;
    };
    const Case cases[] = {
        {"nothing broken", [](BranchDeletion&) {}, false},
        {"node gone from the net", [](BranchDeletion& t) { AddToHeap(0, t.NodeOf(t.wires[0], 1), 3); }, true},
        {"component gone", [](BranchDeletion&) { OM_Delete(DB_SchCompMap(), Comp("R1")); }, true},
        {"entry gone",
         [](BranchDeletion&) {
             const int32_t one = S_CreateSymbol(0, "ONEPIN");
             S_AddEntry(one, "1", 0, 0, 0, 0, 0, 0);
             C_ChangeCompSymbol(Comp("R1"), one);
         },
         true},
        // Both wires use the junction.
        {"junction gone", [](BranchDeletion& t) { AddToHeap(0, Point(t.wires[0], 2).Ref, 2); }, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NO_FATAL_FAILURE(Build());
        // A bus wire through a junction that is gone is never judged.
        const int32_t busWire = AddBusWire();
        AddToHeap(0, Point(busWire, 2).Ref, 2);
        c.breakIt(*this);
        int32_t status = -7;
        RemoveBrokenBranches(status);
        EXPECT_EQ(status, c.firstWireGoes ? 1 : 0);
        EXPECT_EQ(B_Branch(wires[0]) == 0, c.firstWireGoes);
        EXPECT_EQ(B_Branch(wires[1]) == 0, c.secondWireGoes);
        EXPECT_NE(B_Branch(busWire), 0);
        // No branch keeps the pending mark, the page frame included.
        EXPECT_EQ(OM_FindMask(DB_BranchMap(), 1024, 1024), 0);
        EXPECT_EQ(O_GetStatus(B_Branch(-100 - DB_CurPage())) & 1024, 0);
    }
}

TEST_F(BranchDeletion, DeleteBranchesAtNodeDeletesAWireLeftWithOneRecordAndKeepsOneWithTwo)
{
    // wire 0 has 2 records: losing the pin leaves 1 -> deleted. A 3-record
    // wire from R2.1 keeps 2 records and stays.
    const int32_t r2pin = NodeOf(wires[1], 2);
    const int32_t j1 = J_CreateJunction(0, 3, 17 * kTenth, 5 * kTenth);
    const int32_t j2 = J_CreateJunction(0, 3, 25 * kTenth, 5 * kTenth);
    const int32_t three = B_CreateBranch(0, 1, net);
    B_InsertRecord(three, -1, 2, r2pin);
    B_InsertRecord(three, -1, 4, j1);
    B_InsertRecord(three, -1, 4, j2);
    DeleteBranchesAtNode(Comp("R2"), 1, 256);
    EXPECT_EQ(B_Branch(wires[1]), 0);
    ASSERT_NE(B_Branch(three), 0);
    EXPECT_EQ(Points(three), 2);
    EXPECT_EQ(Point(three, 1).Ref, j1);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 256, 256), 0);
    EXPECT_NE(B_Branch(wires[0]), 0);
}

TEST_F(BranchDeletion, DeleteBranchRecordsByMaskReportsTheIndexBeforeOrMinusOne)
{
    B_MaskRecord(wires[0], 2, 512, 512);
    int32_t branch = wires[0], first = 0;
    DeleteBranchRecordsByMask(branch, 512, first);
    // One record left: the branch went away.
    EXPECT_EQ(branch, 0);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(B_Branch(wires[0]), 0);

    branch = wires[1];
    DeleteBranchRecordsByMask(branch, 512, first);
    EXPECT_EQ(first, -1);
    EXPECT_EQ(branch, wires[1]);
}

TEST_F(BranchDeletion, SelectBranchesInRectMarksWholeAndPartialWires)
{
    // The rectangle holds the first wire (3..5, 0) and the junction, not all
    // of the second (5..17, 0).
    g_SelRect = {2 * kTenth, -kTenth, 6 * kTenth, kTenth};
    int32_t status = 7;
    SelectBranchesInRect(status, 5 * kTenth, 0, kTenth);
    EXPECT_EQ(status, 0);
    const int32_t whole = O_GetStatus(B_Branch(wires[0]));
    const int32_t part = O_GetStatus(B_Branch(wires[1]));
    EXPECT_EQ(whole & 512, 512);
    EXPECT_EQ(part & 2048, 2048);
    EXPECT_EQ(part & 512, 0);
    // The junction point inside is selected on both.
    EXPECT_EQ(Point(wires[1], 1).Flags & 256, 256);
    EXPECT_EQ(Point(wires[0], 2).Flags & 256, 256);

    g_SelRect = {40 * kTenth, 40 * kTenth, 50 * kTenth, 50 * kTenth};
    SelectBranchesInRect(status, 40 * kTenth, 40 * kTenth, kTenth);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 512, 512), 0);
}

TEST_F(BranchDeletion, SelectBranchesInRectKeeps2048OnWholeWiresReachedAgainLaterInTheCoverOrder)
{
    // Three whole wires from one junction: a (right, short), b (up), c
    // (left). A whole wire keeps 2048 when the junction is reached again
    // from a wire the cover lists after it (nearest the base point first,
    // equal distances by id).
    const int32_t shared = J_CreateJunction(0, 11, 30 * kTenth, 30 * kTenth);
    auto wire = [&](int32_t x, int32_t y) {
        const int32_t w = B_CreateBranch(0, 1, net);
        B_InsertRecord(w, -1, 4, shared);
        B_InsertRecord(w, -1, 4, J_CreateJunction(0, 3, x * kTenth, y * kTenth));
        return w;
    };
    const int32_t a = wire(32, 30), b = wire(30, 35), c = wire(26, 30);
    ASSERT_LT(b, c);
    g_SelRect = {25 * kTenth, 25 * kTenth, 36 * kTenth, 36 * kTenth};
    struct Case {
        const char* what;
        int32_t baseX;
        bool a2048, b2048, c2048;
    };
    const Case cases[] = {
        {"from the right: a, b, c", 36, true, true, false},
        {"from the left: c, a, b", 24, true, false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        int32_t status = 1;
        SelectBranchesInRect(status, k.baseX * kTenth, 30 * kTenth, 20 * kTenth);
        EXPECT_EQ(status, 0);
        for (const auto& [w, marked] : {std::pair{a, k.a2048}, {b, k.b2048}, {c, k.c2048}}) {
            const int32_t st = O_GetStatus(B_Branch(w));
            EXPECT_EQ(st & 768, 768) << w;
            EXPECT_EQ((st & 2048) != 0, marked) << w;
            EXPECT_EQ(Point(w, 1).Flags & 768, 768) << w;
        }
        EXPECT_EQ(O_GetStatus(J_Junction(shared)) & 257, 257);
    }
    // The wires of the fixture lie outside the cover and the box.
    EXPECT_EQ(O_GetStatus(B_Branch(wires[0])) & (768 | 2048), 0);
}

TEST_F(BranchDeletion, CopyBranchPointsWalksFromTheNearerEnd)
{
    // A wire of n points along x; point k at x = k tenths.
    struct Case {
        int32_t n, index;
        bool forward;
    };
    const Case cases[] = {{1, 1, false}, {2, 1, true}, {2, 2, false}, {3, 2, true},
                          {3, 3, false}, {4, 3, true}, {5, 3, true}, {5, 4, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "n " << c.n << " index " << c.index);
        const int32_t b = B_CreateBranch(0, 1, net);
        for (int32_t k = 1; k <= c.n; ++k)
            B_InsertRecord(b, -1, 4, J_CreateJunction(0, 3, 30 * kTenth + k * kTenth, 7 * kTenth));
        CopyBranchPoints(b, c.index);
        ASSERT_EQ(g_NetNodes.UBound(), c.n);
        EXPECT_EQ(g_NetNodes(0).Flags, 1);
        EXPECT_EQ(g_NetNodes(0).Comp, net);
        EXPECT_EQ(g_NetNodes(1).X, 30 * kTenth + (c.forward ? 1 : c.n) * kTenth);
        EXPECT_EQ(g_NetNodes(1).Comp, 3);  // the junction's status
    }
}

}  // namespace
