// The nodes of component pins: supply and gate pins of a layout component,
// the layout side after a gate exchange, a new node for a schematic pin,
// and a picked pin added to the node list.
#include "editor/objects/net_removal.h"
#include "editor/objects/pin_nodes.h"
#include "editor/shell/curpos.h"
#include "tests/objects/comp_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class PinNodes : public CompTest {
protected:
    static NodeRec ReadPin(int32_t view, int32_t comp, int32_t entry)
    {
        int32_t net = 0;
        const int32_t node = PinNode(view, comp, entry, &net);
        NodeRec rec{};
        if (node != 0) N_ReadNode(net, node, &rec);
        return rec;
    }
};

TEST_F(PinNodes, SupplyPinsJoinTheirNetsOnce)
{
    const int32_t u1 = LayComp("U1");
    ASSERT_EQ(CountPinNodes(1, u1, 14), 1) << "the builder gives the supply pins their nodes";
    MakeCompPinNodes(u1);
    EXPECT_EQ(CountPinNodes(1, u1, 14), 1);
    EXPECT_EQ(CountPinNodes(1, u1, 7), 1);
    // Without nodes and without a ground net, both are made again.
    DeleteCompNodes(1, u1, 14, 8192);
    DeleteNet(Net("SPLGND"));
    ASSERT_EQ(CountPinNodes(1, u1, 14), 0);
    MakeCompPinNodes(u1);
    int32_t net = 0;
    EXPECT_NE(PinNode(1, u1, 14, &net), 0);
    EXPECT_EQ(net, Net("SPLVCC"));
    EXPECT_NE(PinNode(1, u1, 7, &net), 0);
    EXPECT_EQ(net, Net("SPLGND"));
    EXPECT_EQ(O_GetStatus(N_Net(net)) & 6, 6);
}

TEST_F(PinNodes, GatePinNodesTakeTheSameNamedEntry)
{
    const int32_t u1 = LayComp("U1");
    const int32_t a = Comp("U1/1");
    const int32_t other = N_CreateNet(0, 1, "OTHER");
    // Pin 2 (entry B) has a layout-only node: it gets entry B as its
    // schematic side.
    ASSERT_NE(N_CreateNode(other, 0, 0, 0, u1, 2), 0);
    // Entry Y (pin 3) has a node of its own, and pin 3 a layout-only node in
    // another net: the entry keeps its one node.
    const int32_t own = N_CreateNet(0, 1, "OWN");
    ASSERT_NE(N_CreateNode(own, 0, a, 3, 0, 0), 0);
    const int32_t loose = N_CreateNet(0, 1, "LOOSE");
    ASSERT_NE(N_CreateNode(loose, 0, 0, 0, u1, 3), 0);
    MakeCompPinNodes(u1);
    const NodeRec b = ReadPin(0, a, 2);
    EXPECT_EQ(b.LayComp, u1);
    EXPECT_EQ(b.LayEntry, 2);
    EXPECT_EQ(CountPinNodes(0, a, 2), 1);
    EXPECT_EQ(CountPinNodes(0, a, 3), 1);
    int32_t net = 0;
    PinNode(0, a, 3, &net);
    EXPECT_EQ(net, own);
    // The wired entry A keeps its node and layout side.
    const NodeRec wired = ReadPin(0, a, 1);
    EXPECT_EQ(wired.LayComp, u1);
    EXPECT_EQ(wired.LayEntry, 1);
}

TEST_F(PinNodes, AGateExchangeMovesTheLayoutSideToTheNewGatesPins)
{
    const int32_t a = Comp("U1/1");
    const int32_t u1 = LayComp("U1");
    ASSERT_EQ(ReadPin(0, a, 1).LayEntry, 1);
    ASSERT_NE(C_ChangeCompPackInfo(a, u1, 3), 0);  // gate C: A 9, B 10, Y 8
    UpdateCompPinNodes(a);
    EXPECT_EQ(ReadPin(0, a, 1).LayComp, u1);
    EXPECT_EQ(ReadPin(0, a, 1).LayEntry, 9);
    // A component that is not packed is left alone.
    const int32_t r = Comp("R1/1");
    const NodeRec before = ReadPin(0, r, 2);
    ASSERT_NE(C_ChangeCompPackInfo(r, 0, 0), 0);
    UpdateCompPinNodes(r);
    EXPECT_EQ(ReadPin(0, r, 2).LayEntry, before.LayEntry);
}

TEST_F(PinNodes, CreatePinNodeFillsTheLayoutSideOfAPackedPin)
{
    const int32_t b = Comp("U1/2");
    const int32_t n = Net("N");
    ASSERT_EQ(PinNode(0, b, 1), 0);
    int32_t status = 5, node = 0;
    CreatePinNode(status, b, 1, n, node);
    EXPECT_EQ(status, 0);
    ASSERT_NE(node, 0);
    NodeRec rec{};
    ASSERT_NE(N_ReadNode(n, node, &rec), 0);
    EXPECT_EQ(rec.Comp, b);
    EXPECT_EQ(rec.Entry, 1);
    EXPECT_EQ(rec.LayComp, LayComp("U1"));
    EXPECT_EQ(rec.LayEntry, 4);
}

TEST_F(PinNodes, CreatePinNodeCases)
{
    // U1/2 drawn with a symbol whose first entry names no pin of gate B.
    const int32_t symbol = S_CreateSymbol(0, "NANDQ");
    S_AddEntry(symbol, "Q", 0, 0, 0, 0, 0, 0);
    const int32_t b = Comp("U1/2");
    ASSERT_NE(C_ChangeCompSymbol(b, symbol), 0);
    const int32_t x = N_CreateNet(0, 1, "X");
    const int32_t unpacked = C_CreateComponent(0, "R9", 1, Device("R"), Symbol("RES"), 1, 30 * kTenth, 0, 0);
    struct Case {
        const char* what;
        int32_t comp, entry, net;
        const char* message;  // nullptr: none
        int32_t status;
        int32_t layComp;
    } cases[] = {
        {"a component without layout component", unpacked, 1, x, nullptr, 0, 0},
        {"an entry no pin of the gate names", b, 1, x, "Can't read pin in Part: 74HC00/Q", 0, 0},
        {"a pin that is a node already", Comp("U1/1"), 1, x, "Can't create node: X:U1/1, 1", 1, 0},
        {"a component that does not exist", 9999, 1, x, "Component: Id:  9999 not found", 1, 0},
        {"a net that does not exist", unpacked, 2, 9999, "Can't create node: ", 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.message) ui.ExpectMessageBox(winsys::mb::AnswerOk, c.message);
        const int before = c.comp != 9999 ? CountPinNodes(0, c.comp, c.entry) : 0;
        int32_t status = 7, node = -1;
        CreatePinNode(status, c.comp, c.entry, c.net, node);
        EXPECT_EQ(status, c.status);
        if (c.status != 0) {
            if (c.comp != 9999) {
                EXPECT_EQ(CountPinNodes(0, c.comp, c.entry), before);
            }
            continue;
        }
        NodeRec rec{};
        ASSERT_NE(N_ReadNode(c.net, node, &rec), 0);
        EXPECT_EQ(rec.Comp, c.comp);
        EXPECT_EQ(rec.LayComp, c.layComp);
        EXPECT_EQ(rec.LayEntry, 0);
    }
}

TEST_F(PinNodes, AddPickedPinNodeWithAndWithoutTheUnconnectedFlag)
{
    g_PickTolerance = kTenth / 4;
    const int32_t a = Comp("U1/1");
    const int32_t b = Comp("U1/2");
    EntryRec wired{}, loose{};
    ASSERT_NE(C_ReadEntry(a, 1, &wired), 0);
    ASSERT_NE(C_ReadEntry(b, 1, &loose), 0);
    struct Case {
        const char* what;
        int32_t only;
        int32_t x, y;
        int32_t status;
        int32_t comp;
    } cases[] = {
        {"a wired pin, only unconnected ones wanted", 1, wired.X, wired.Y, 1, 0},
        {"an unconnected pin", 1, loose.X, loose.Y, 0, b},
        {"a wired pin, any wanted", 0, wired.X, wired.Y, 0, a},
        {"empty space", 0, 25 * kTenth, -15 * kTenth, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const long count = g_NetNodes.UBound();
        int32_t status = 5;
        AddPickedPinNode(status, c.only, c.x, c.y);
        EXPECT_EQ(status, c.status);
        if (c.status != 0) {
            EXPECT_EQ(g_NetNodes.UBound(), count);
            continue;
        }
        ASSERT_EQ(g_NetNodes.UBound(), count + 1);
        const NodeRec& rec = g_NetNodes(count + 1);
        EXPECT_EQ(rec.Flags, 1);
        EXPECT_EQ(rec.Comp, c.comp);
        EXPECT_EQ(rec.Entry, 1);
        EXPECT_EQ(rec.X, c.x);
        EXPECT_EQ(rec.Y, c.y);
    }
}

}  // namespace
