// The netlist comparison report: pages in map order, schematic and layout
// sides, layout-only nodes, the cap of the net text, and a report asked for
// another net.
#include "editor/objects/net_text.h"
#include "editor/objects/netlist_compare.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class NetlistCompare : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page ONE frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
end
page TWO frame 60 40
  component R3 R at 0 0
end
page THREE frame 60 40
end
)"));
        net = N_CreateNet(0, 1, "N");
        N_CreateNode(net, 0, Sch("R1"), 1, Lay("R1"), 1);
        N_CreateNode(net, 0, Sch("R3"), 2, 0, 0);
        N_CreateNode(net, 0, 0, 0, Lay("R2"), 2);
        N_CreateNode(net, 0, Sch("R2"), 2, Lay("R2"), 1);
        N_ReadNet(net, &netRec);
    }
    static int32_t Sch(const char* name) { return OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str()); }
    static int32_t Lay(const char* name) { return OM_FindName(DB_LayCompMap(), name); }
    int32_t net = 0;
    NetRec netRec{};
};

TEST_F(NetlistCompare, PagesNodesAndLayoutOnlyNodes)
{
    BuildNetlistCompare(net, netRec);
    EXPECT_EQ(g_NetNodeText,
              "Page: ONE\r\n(sch: R1/1,1)(lay: R1,1)\r\n(sch: R2/1,2)(lay: R2,1)\r\n"
              "Page: TWO\r\n(sch: R3/1,2)\r\n"
              "Nodes only in Layout: \r\n(lay: R2,2)\r\nEND\r\n");
    EXPECT_EQ(g_NetViewNet, net);
    ASSERT_EQ(g_NetViewLineCount, 2);
    EXPECT_EQ(g_NetViewLines(1), "Page: ONE\r\n(sch: R1/1,1)(lay: R1,1)\r\n(sch: R2/1,2)(lay: R2,1)\r\n");
    EXPECT_EQ(g_NetViewLines(2), "Page: TWO\r\n(sch: R3/1,2)\r\n");
    ASSERT_EQ(g_NetViewPages.UBound(), 2);
    EXPECT_EQ(g_NetViewPages(2).Name, "TWO");
    ASSERT_EQ(g_NetViewNets.UBound(), 3);
    EXPECT_EQ(g_NetViewNets(3).PageIndex, 1);
    EXPECT_EQ(g_NetViewNets(3).Comp, Sch("R3"));
}

TEST_F(NetlistCompare, ABusMemberStartsWithItsBus)
{
    const int32_t bus = N_CreateBus(0, 1, "DATA");
    N_SetBusMember(bus, 0, N_CreateNet(0, 1, "D0"));
    N_SetBusMember(bus, 1, net);
    O_Mask(N_Net(net), 8, 8);
    N_ReadNet(net, &netRec);
    BuildNetlistCompare(net, netRec);
    EXPECT_EQ(g_NetNodeText.substr(0, g_NetNodeText.find("Page:")), "in Bus: DATA Memb: 1\r\n");
}

TEST_F(NetlistCompare, ANetOnNoPageOpensNothingButEndsWithEnd)
{
    const int32_t lonely = N_CreateNet(0, 1, "L");
    NetRec rec{};
    N_ReadNet(lonely, &rec);
    g_NetViewNet = 0;
    ReportNetlistCompare(lonely, rec);  // no viewer: the stand-in would fail on an unexpected window
    EXPECT_EQ(g_NetNodeText, "END\r\n");
    EXPECT_EQ(g_NetViewLineCount, 0);
}

TEST_F(NetlistCompare, ARequestForAnotherNetBuildsItsOwnReport)
{
    BuildNetlistCompare(net, netRec);
    const int32_t lonely = N_CreateNet(0, 1, "L");
    NetRec rec{};
    N_ReadNet(lonely, &rec);
    ReportNetlistCompare(lonely, rec);
    EXPECT_EQ(g_NetViewNet, lonely);
    EXPECT_EQ(g_NetNodeText, "END\r\n");
}

TEST_F(NetlistCompare, TheNetTextStopsAtTheCapWhileThePageTextsStayComplete)
{
    const int32_t symbol = S_CreateSymbol(0, "DOT");
    S_AddEntry(symbol, "A", 0, 0, 0, 0, 0, 0);
    O_Mask(S_Symbol(symbol), 1, -1);
    const int32_t big = N_CreateNet(0, 1, "BIG");
    const int count = 4000;
    for (int i = 1; i <= count; ++i) {
        const int32_t c = C_CreateComponent(0, ("C" + std::to_string(i)).c_str(), 1, 0, symbol, 1, i * 1000, 0, 0);
        N_CreateNode(big, 0, c, 1, 0, 0);
    }
    NetRec rec{};
    N_ReadNet(big, &rec);
    BuildNetlistCompare(big, rec);
    EXPECT_GE(g_NetNodeText.size(), kNetCompareTextCap);
    EXPECT_LT(g_NetNodeText.size(), kNetCompareTextCap + 40);
    EXPECT_EQ(g_NetNodeText.substr(g_NetNodeText.size() - 5), "END\r\n");
    EXPECT_NE(g_NetViewLines(1).find("(sch: C4000,A)\r\n"), std::string::npos);
    EXPECT_EQ(g_NetViewNets.UBound(), count);
}

}  // namespace
