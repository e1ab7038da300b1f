// Loading the page image from the kernel: counts, the pair tree and its
// order, exit directions, and the failures of bad designs.
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

using namespace corvex;

// Three resistors in a row; nets A and B join neighbours, the bus member C
// joins the outer pins.
const char* kFixture = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 20 0
  net A R1.2 R2.1
  net B R2.2 R3.1
  net C R1.1 R3.2
end
bus BUS C
)";

class Load : public RouterTest {};

TEST_F(Load, TheFixtureGivesItsCountsPairsAndOrder)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kFixture));
    ASSERT_EQ(LoadImage(false), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    EXPECT_EQ(SCR_nComp(), 3);
    EXPECT_EQ(SCR_nSymb(), 1);
    EXPECT_EQ(SCR_nEntry(), 2);
    EXPECT_EQ(SCR_nNet(), 4);  // the bus, its member C, A and B
    EXPECT_EQ(SCR_nNode(), 6);
    EXPECT_EQ(g_BusCount, 1);
    EXPECT_EQ(g_Nets[1].flags & kNetBus, kNetBus);
    EXPECT_EQ(g_Nets[1].firstNode, 2);
    EXPECT_EQ(g_Nets[2].flags & kNetMember, kNetMember);
    // Member nets are routed with their bus, not pair by pair.
    EXPECT_EQ(g_PairCount, 2);
    // MAINPAGE (page 1) holds no pair; P holds both.
    ASSERT_EQ(g_Pages.Count(), 2);
    EXPECT_EQ(g_Pages[1].pairCount, 0);
    EXPECT_EQ(g_Pages[2].pairCount, 2);
    EXPECT_NE(g_Pages[2].frameBranch, 0);
    // The pairs, shortest first; A and B are equally long, A lies further left.
    std::vector<std::string> order;
    for (int32_t n = g_Pages[2].firstPair; n; n = g_Nodes[n].nextPair) {
        const ScrNodeRec& node = g_Nodes[n];
        ASSERT_NE(node.partner, 0);
        order.push_back(NetName(g_Nets[node.net].kernelId, false));
        EXPECT_EQ(g_Nodes[node.partner].net, node.net);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"A", "B"}));
    // Every node starts in a group of its own within its net.
    const ScrNetRec& a = g_Nets[ImageNet("A")];
    EXPECT_EQ(g_Nodes[a.firstNode].group, 1);
    EXPECT_EQ(g_Nodes[a.firstNode + 1].group, 2);
    EXPECT_GT(SCR_Memory(), 0);
}

TEST_F(Load, ThePairTreeIsTheShortestTreeAndTiesGoToTheLowerNodes)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 10
  net A R1.2 R2.1 R3.2 R2.2
end
)"));
    ASSERT_EQ(LoadImage(false), 1);
    const ScrNetRec& a = g_Nets[ImageNet("A")];
    ASSERT_EQ(a.nodeCount, 4);
    // Node order is the kernel's; check the tree by positions.
    auto at = [&](int32_t i) { return std::make_pair(g_Nodes[a.firstNode + i].x / kU, g_Nodes[a.firstNode + i].y / kU); };
    std::set<std::pair<std::pair<int, int>, std::pair<int, int>>> edges;
    for (int32_t i = 0; i < a.nodeCount; ++i) {
        const int32_t partner = g_Nodes[a.firstNode + i].partner;
        if (partner) edges.insert({at(i), at(partner - a.firstNode)});
    }
    EXPECT_EQ(edges.size(), 3u);
    EXPECT_EQ(g_PairCount, 3);
}

TEST_F(Load, ARotatedComponentIsNeverTurnedWhileItsSymbolLoads)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0 angle 90 mirror
  component R2 R at 10 0
  net A R1.2 R2.1
end
)"));
    const int32_t r1 = OM_FindName(DB_SchCompMap(), "R1");
    CompRec before{};
    C_ReadComponent(r1, &before);
    ASSERT_EQ(LoadImage(false), 1);
    CompRec after{};
    C_ReadComponent(r1, &after);
    EXPECT_EQ(after.Angle, before.Angle);
    EXPECT_EQ(after.Flags, before.Flags);
    const ScrCompRec& c = g_Comps[1];
    EXPECT_EQ(c.angle, 90);
    EXPECT_EQ(c.attr, 1);
}

TEST_F(Load, EdgePinsLeaveTheirBodyOutwardsTurnedWithTheComponent)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0 angle 90
  net A R1.1 R2.1
end
)"));
    ASSERT_EQ(LoadImage(false), 1);
    const ScrNetRec& a = g_Nets[ImageNet("A")];
    for (int32_t i = 0; i < a.nodeCount; ++i) {
        const ScrNodeRec& n = g_Nodes[a.firstNode + i];
        if (g_Comps[n.comp].angle == 0) {
            // The left pin of an unturned resistor: everything but +x, and
            // the lead line along its row takes +x away too.
            EXPECT_EQ(n.flags & kExitAll, kExitNegX | kExitPosY | kExitNegY);
        } else {
            // Turned a quarter: the same pin now points down.
            EXPECT_EQ(n.flags & kExitAll, kExitNegY | kExitNegX | kExitPosX);
        }
    }
}

struct FailureCase {
    const char* name;
    const char* design;
    int32_t func, code;
};

class LoadFailures : public RouterTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(LoadFailures, ReportTheirCauseAndLeaveTheDesignAlone)
{
    ASSERT_TRUE(palvane_test::BuildDesign(GetParam().design));
    const auto before = KernelWireCover();
    const int32_t comps = OM_GetCount(DB_SchCompMap());
    EXPECT_EQ(SCR_LoadComponentsAndSymbols(), 0);
    EXPECT_EQ(SCR_ErrorFunc(), GetParam().func);
    EXPECT_EQ(SCR_ErrorCode(), GetParam().code);
    EXPECT_EQ(KernelWireCover(), before);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps);
}

INSTANTIATE_TEST_SUITE_P(
    Bad, LoadFailures,
    ::testing::Values(FailureCase{"NoComponents", "design D\nlevel MAIN\npage P frame 10in 8in\nend\n", 1100, 3},
                      FailureCase{"NoNets",
                                  "include discrete.nls\nunit 0.1in\ndesign D\nlevel MAIN\npage P frame 10in 8in\n"
                                  "  component R1 R at 0 0\nend\n",
                                  1300, 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Load, ASymbolWithoutEntriesFails)
{
    S_CreateSymbol(0, "EMPTY");
    const int32_t symb = OM_FindName(DB_SymbMap(), "EMPTY");
    O_Mask(S_Symbol(symb), 1, 1);
    ASSERT_NE(C_CreateComponent(0, "X1", 1, 0, symb, 1, 0, 0, 0), 0);
    EXPECT_EQ(SCR_LoadComponentsAndSymbols(), 0);
    EXPECT_EQ(SCR_ErrorFunc(), 1200);
    EXPECT_EQ(SCR_ErrorCode(), 2);
}

}  // namespace
}  // namespace router_test
