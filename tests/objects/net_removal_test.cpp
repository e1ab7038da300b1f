// Deleting nets, buses and nodes without leaving an empty net behind.
#include "editor/objects/net_removal.h"
#include "editor/objects/wire_state.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace palvane_test;

class NetRemoval : public KernelTest {
public:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kTwoWires));
    }
    // A special symbol (-400 / -800 - level) with one item linked to `net`.
    void LinkItem(int32_t base, int32_t net, int32_t flags)
    {
        const int32_t symbol = base - DB_CurHier();
        if (S_Symbol(symbol) == 0) S_CreateSymbol(symbol, base == -400 ? "@COPPAR" : "@AGAPMSK");
        const int32_t item = I_MakeText(0, 0, 0, 10, 10, "x", flags, 0, 0);
        I_ChangeItemLink(item, net);
        OA_Add(S_SymbolItemArray(symbol), item);
    }
};

TEST_F(NetRemoval, DeleteNetIfEmptyLooksAtNodesWiresAndBothLinkKinds)
{
    struct Case {
        const char* name;
        std::function<void(NetRemoval&, int32_t)> give;
        bool deleted;
    };
    const Case cases[] = {
        {"nothing left", [](NetRemoval&, int32_t) {}, true},
        {"a node", [](NetRemoval&, int32_t n) { N_CreateNode(n, 0, Comp("R3"), 2, 0, 0); }, false},
        {"a wire",
         [](NetRemoval&, int32_t n) {
             const int32_t b = B_CreateBranch(0, 1, n);
             B_InsertRecord(b, -1, 4, J_CreateJunction(0, 3, 0, 30 * kTenth));
         },
         false},
        {"@COPPAR item", [](NetRemoval& t, int32_t n) { t.LinkItem(-400, n, 1); }, false},
        {"@AGAPMSK item", [](NetRemoval& t, int32_t n) { t.LinkItem(-800, n, 1); }, false},
        {"@COPPAR item without bit 1", [](NetRemoval& t, int32_t n) { t.LinkItem(-400, n, 2); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int32_t net = N_CreateNet(0, 1, c.name);
        c.give(*this, net);
        int32_t result = 5;
        DeleteNetIfEmpty(net, result);
        EXPECT_EQ(result, c.deleted ? -1 : 0);
        EXPECT_EQ(N_Net(net) == 0, c.deleted);
    }
}

TEST_F(NetRemoval, DeleteNetLeavesNoWireJunctionNodeOrBusSlot)
{
    const int32_t net = Net("N");
    const int32_t bus = OM_FindName(DB_BusMap(), "B");
    const int32_t junction = Point(Branches(net)[0], 2).Ref;
    LinkItem(-400, net, 2);
    DeleteNet(net);
    EXPECT_EQ(N_Net(net), 0);
    EXPECT_TRUE(Branches(net).empty());
    EXPECT_EQ(J_Junction(junction), 0);
    BusRec rec{};
    ASSERT_EQ(N_ReadBus(bus, &rec), 1);
    EXPECT_EQ(rec.Members, 0);
    EXPECT_EQ(IA_SearchMaskLink(S_SymbolItemArray(-400 - DB_CurHier()), 1, -1, net), 0);
    int32_t result = 0;
    DeleteBusIfEmpty(bus, result);
    EXPECT_EQ(result, -1);
    EXPECT_NE(Net("M"), 0);
}

TEST_F(NetRemoval, DeleteCompNodesDeletesTheNetsLeftEmptyAndRestoresTheView)
{
    // R3 on three nets: M (alone), X (alone) and N (which has wires).
    const int32_t x = N_CreateNet(0, 1, "X");
    N_CreateNode(x, 0, Comp("R3"), 2, 0, 0);
    DeleteCompNodes(0, Comp("R3"), 0, 8192);
    EXPECT_EQ(Net("M"), 0);
    EXPECT_EQ(N_Net(x), 0);
    EXPECT_NE(Net("N"), 0);
    EXPECT_EQ(OM_FindMask(DB_NetMap(), 8192, 8192), 0);
    // Side 1 and the schematic view afterwards.
    DeleteCompNodes(1, 0, 0, 8192);
    NodeRec rec{};
    const int32_t n = Net("N");
    int32_t cursor = 0;
    N_ReadNode(n, OM_SearchMask(N_NodeMap(n), &cursor, 0, 0), &rec);
    EXPECT_NE(rec.X, 0);
}

TEST_F(NetRemoval, DisconnectPinRemovesTheWiresAndTheNode)
{
    const int32_t net = Net("N");
    const auto wires = Branches(net);
    const int32_t node = Point(wires[0], 1).Ref;
    NodeRec rec{};
    ASSERT_EQ(N_ReadNode(net, node, &rec), 1);
    DisconnectPin(0, net, node, rec, 0);
    EXPECT_EQ(N_Node(net, node), 0);
    EXPECT_EQ(B_Branch(wires[0]), 0);
    EXPECT_NE(B_Branch(wires[1]), 0);
    EXPECT_NE(N_Net(net), 0);
}

}  // namespace
