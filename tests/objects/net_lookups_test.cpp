// Finding nets, buses and nodes by name, by pin and under a point.
#include "editor/objects/net_lookups.h"
#include "editor/objects/view_values.h"
#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/textarea.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class NetLookups : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kTwoWires));
        net = Net("N");
        g_PickTolerance = kTenth / 4;
    }
    // The node view is read back through a node without a layout side: its
    // position is 0 in the layout view.
    bool SchematicView()
    {
        NodeRec rec{};
        const int32_t node = OM_SearchMask(N_NodeMap(net), &(cursor = 0), 0, 0);
        N_ReadNode(net, node, &rec);
        return rec.X != 0;
    }
    int32_t net = 0, cursor = 0;
};

TEST_F(NetLookups, CoverNetAtPointPrefersANodeAndRefusesABusWire)
{
    int32_t status = 0, found = 0, node = -1;
    std::string name;
    NetRec netRec{};
    NodeRec nodeRec{};
    // On R1.2, where the wire also starts: the node.
    CoverNetAtPoint(status, 3 * kTenth, 0, found, name, node, netRec, nodeRec);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(found, net);
    EXPECT_EQ(name, "N");
    EXPECT_NE(node, 0);
    EXPECT_EQ(nodeRec.Comp, Comp("R1"));
    // On the wire alone: the net, node 0.
    CoverNetAtPoint(status, 10 * kTenth, 0, found, name, node, netRec, nodeRec);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(found, net);
    EXPECT_EQ(node, 0);
    // On a bus wire: nothing.
    const int32_t bus = OM_FindName(DB_BusMap(), "B");
    const int32_t b = B_CreateBranch(0, 3, bus);
    B_InsertRecord(b, -1, 4, J_CreateJunction(0, 5, 30 * kTenth, 20 * kTenth));
    B_InsertRecord(b, -1, 4, J_CreateJunction(0, 5, 40 * kTenth, 20 * kTenth));
    CoverNetAtPoint(status, 35 * kTenth, 20 * kTenth, found, name, node, netRec, nodeRec);
    EXPECT_EQ(status, 1);
    // On nothing.
    status = 0;
    CoverNetAtPoint(status, 35 * kTenth, -15 * kTenth, found, name, node, netRec, nodeRec);
    EXPECT_EQ(status, 1);
}

TEST_F(NetLookups, FindNearestNetNodeSkipsDistanceZeroKeepsTheFirstOnATieAndRestoresTheView)
{
    // N's nodes: R1.2 at (3, 0) and R2.1 at (17, 0). From R1.2 itself the
    // answer is R2.1.
    int32_t x = -1, y = -1;
    const int32_t r2 = N_FindCompEntry(Comp("R2"), 1, &net);
    EXPECT_EQ(FindNearestNetNode(0, net, 0, 0, 3 * kTenth, 0, x, y), r2);
    EXPECT_EQ(x, 17 * kTenth);
    // Midway (10, 0): both at 7 tenths; the first found (lowest id) wins.
    const int32_t r1 = N_FindCompEntry(Comp("R1"), 2, &net);
    EXPECT_EQ(FindNearestNetNode(0, net, 0, 0, 10 * kTenth, 0, x, y), std::min(r1, r2));
    // In the layout view the nodes without a layout side stand at (0, 0):
    // the first wins; the schematic view is set again afterwards.
    EXPECT_EQ(FindNearestNetNode(1, net, 0, 0, 10 * kTenth, 5 * kTenth, x, y), std::min(r1, r2));
    EXPECT_TRUE(SchematicView());
}

TEST_F(NetLookups, FindPinNetAndNamesAndNodeInfo)
{
    int32_t status = 0, found = 0, node = 0;
    std::string name;
    FindPinNet(status, 0, Comp("R3"), 1, found, name, node);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(name, "M");
    FindPinNet(status, 1, OM_FindName(DB_LayCompMap(), "R3"), 1, found, name, node);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(name, "M");
    EXPECT_TRUE(SchematicView());
    FindPinNet(status, 0, Comp("R3"), 2, found, name, node);
    EXPECT_EQ(status, 1);

    FindNetByName(status, found, "M");
    EXPECT_EQ(status, 0);
    FindNetByName(status, found, "nope");
    EXPECT_EQ(status, 1);
    FindBusByName(status, found, "B");
    EXPECT_EQ(status, 0);

    NetRec netRec{};
    NodeRec nodeRec{};
    const int32_t r1 = N_FindCompEntry(Comp("R1"), 2, &net);
    ReadNetNode(status, net, name, r1, netRec, nodeRec);
    NodeInfoRec info;
    ReadNodeInfo(net, r1, netRec, nodeRec, info);
    EXPECT_EQ(info.NetName, "N              ");
    EXPECT_EQ(info.Comp, Comp("R1"));
    EXPECT_EQ(info.Entry, 2);
    EXPECT_EQ(info.Bus, OM_FindName(DB_BusMap(), "B"));
    EXPECT_EQ(info.BusIndex, 0);
}

TEST_F(NetLookups, CollectNetNodesFlagsLayoutOnlyNodes)
{
    int32_t result = 7, cursorOut = 0;
    NetRec rec{};
    CollectNetNodes(result, net, cursorOut, rec);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(g_NetNodes.UBound(), 2);
    EXPECT_EQ(g_NetNodeIds.UBound(), 2);
    const int32_t layoutOnly = N_CreateNet(0, 1, "L");
    const int32_t pack = L_CreateComponent(0, "U9", 1, 0, S_CreateSymbol(0, "PKG"), 0, 0, 0, 0);
    ASSERT_NE(N_CreateNode(layoutOnly, 0, 0, 0, pack, 1), 0);
    CollectNetNodes(result, layoutOnly, cursorOut, rec);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(g_NetNodes.UBound(), 0);
}

}  // namespace

namespace {

using namespace palvane_test;

TEST_F(NetLookups, AskNetNameReadsTheNetTypedAndReportsAnUnknownOne)
{
    struct Case {
        const char* typed;  // nullptr: the box is cancelled
        int32_t status;
        bool found;
        bool reported;
    };
    const Case cases[] = {
        {"  N  ", 0, true, false},
        {"NOPE", 1, false, true},
        {"   ", 1, false, false},
        {nullptr, 1, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed ? c.typed : "(cancel)");
        ui.ExpectModal("NvoInpBG", [&](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            EXPECT_EQ(box.InpPrompt()->Text(), "Net Name (merge):");
            if (c.typed) {
                box.InpText()->SetText(c.typed);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
        if (c.reported) ui.ExpectMessageBox(1, "NOPE");
        int32_t status = 7, found = 0;
        std::string name;
        NetRec netRec{};
        NodeRec nodeRec{};
        AskNetName(status, "merge", found, name, 0, netRec, nodeRec);
        EXPECT_EQ(status, c.status);
        EXPECT_EQ(found, c.found ? net : 0);
        if (c.found) {
            EXPECT_EQ(name, "N");
            EXPECT_EQ(netRec.Flags & 1, 1);
        }
        EXPECT_EQ(ui.pending(), 0u);
    }
}

}  // namespace
