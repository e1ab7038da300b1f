// Routing of pairs on small pages: a straight pair, a pair around a body,
// a pair that needs two bends, pairs that cannot be routed, the call
// protocol and a whole page routed twice to the same result.
#include "tests/router/route_fixture.h"

#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"

#include <cstring>

namespace router_test {
namespace {

using corvex::g_Nodes;
using corvex_check::Consistency;
using corvex_check::Measure;

class Route : public RoutingTest {};

TEST_F(Route, StraightPairGivesOneSegment)
{
    ASSERT_TRUE(Load(kStraightPair));
    std::string text;
    RouteAll(&text);
    EXPECT_NE(text.find("Routing completed..."), std::string::npos) << text;
    const auto w = Measure();
    EXPECT_EQ(w.pairs, 1);
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(w.bends, 0);
    EXPECT_EQ(w.length, 4 * 254000);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(Route, PairGoesAroundABody)
{
    ASSERT_TRUE(Load(kPairAroundBody));
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    EXPECT_GE(w.bends, 2);
    // Longer than the straight line, but not by much.
    EXPECT_GT(w.length, 14 * 254000);
    EXPECT_LT(w.length, 30 * 254000);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(Route, OffsetPinsTakeAShortestWay)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 5
end
)"));
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    // An L or a Z, as the pins' exit directions allow: never longer.
    EXPECT_GE(w.bends, 1);
    EXPECT_LE(w.bends, 2);
    EXPECT_EQ(w.length, 9 * 254000);
    EXPECT_EQ(Consistency(), "");
}

// Limits that leave a pair unrouted: the run goes on to its end, the pair
// stays unconnected and no wire is made.
struct LimitCase {
    const char* name;
    int32_t corvex::RouteTuning::*field;
    int32_t value;
};

class RouteLimits : public RoutingTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(RouteLimits, PairIsLeftUnroutedAndTheRunGoesOn)
{
    ASSERT_TRUE(Load(kStraightPair));
    corvex::g_Tuning.*(GetParam().field) = GetParam().value;
    // These limits bound the escape lines; the grid search behind them
    // would find the pair.
    corvex::g_Tuning.gridFallback = false;
    std::string text;
    RouteAll(&text);
    EXPECT_NE(text.find("Routing completed..."), std::string::npos) << text;
    const auto w = Measure();
    EXPECT_EQ(w.connected, 0);
    EXPECT_EQ(w.branches, 0);
    EXPECT_EQ(Consistency(), "");
}

INSTANTIATE_TEST_SUITE_P(Limits, RouteLimits,
                         ::testing::Values(LimitCase{"PointPool", &corvex::RouteTuning::pointPoolCapacity, 3},
                                           LimitCase{"ObstacleList", &corvex::RouteTuning::obstacleCapacity, 1},
                                           LimitCase{"TestedList", &corvex::RouteTuning::testedCapacity, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Route, BodyBlockingEveryWayLeavesThePairUnrouted)
{
    // R2's pin 1 is boxed in by three bodies and the frame is far: the
    // search gives up within its levels rather than wander.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at -30 0
  component R2 R at 10 0
  component R3 R at 4 2
  component R4 R at 4 -2
  component R5 R at 0 0 angle 90
end
)"));
    std::string text;
    RouteAll(&text);
    const auto w = Measure();
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
    EXPECT_NE(text.find("Routing completed..."), std::string::npos);
}

TEST_F(Route, OnePairExportRoutesItsPairOnly)
{
    ASSERT_TRUE(Load(kStraightPair));
    char msg[100] = {};
    int32_t state = -1;
    const int32_t node = FirstPair();
    ASSERT_NE(node, 0);
    ASSERT_EQ(SCR_RouteOnePairInPage(&state, msg, sizeof msg, node), 1);
    EXPECT_EQ(state, 1);
    EXPECT_STREQ(msg, " Routing Pair: Net \"A\"   Routing completed...");
    EXPECT_EQ(g_Nodes[node].group, g_Nodes[g_Nodes[node].partner].group);
    // Already connected: nothing to do.
    ASSERT_EQ(SCR_RouteOnePairInPage(&state, msg, sizeof msg, node), 1);
    EXPECT_EQ(state, 2);
}

TEST_F(Route, ConnectedPageReportsFullPercentageAndNothingToDo)
{
    ASSERT_TRUE(Load(kStraightPair));
    RouteAll();
    SCR_InitNodeForRoute();
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_RouteAllWiresInPage(&state, msg, sizeof msg), 1);
    EXPECT_EQ(state, 2);
    EXPECT_STREQ(msg, " Routing Wires: 100 %. ");
}

TEST_F(Route, NetAndComponentScopes)
{
    ASSERT_TRUE(Load(DemoDesign()));
    char msg[100] = "untouched";
    int32_t state = -1;
    SCR_InitNodeForRoute();
    EXPECT_EQ(SCR_RouteSingleNetInPage(&state, msg, sizeof msg, 0), 1);
    EXPECT_EQ(state, 2);
    EXPECT_STREQ(msg, "untouched");
    // A net of another page has no pair here: nothing to do, text untouched.
    const int32_t other = NetIndex("OSC_IN");
    ASSERT_NE(other, 0);
    SCR_InitNodeForRoute();
    EXPECT_EQ(SCR_RouteSingleNetInPage(&state, msg, sizeof msg, other), 1);
    EXPECT_EQ(state, 2);
    EXPECT_STREQ(msg, "untouched");
    // The block export takes its corners in any order.
    const int32_t c1[2] = {5 * 254000, 5 * 254000}, c2[2] = {-5 * 254000, -5 * 254000};
    SCR_InitNodeForRoute();
    int calls = 0;
    do {
        ASSERT_EQ(SCR_RouteBlokPairInPage(&state, msg, sizeof msg, c1, c2), 1);
        ++calls;
    } while (state == 0 && calls < 1000);
    EXPECT_TRUE(state == 1 || state == 2);
    EXPECT_EQ(corvex_check::Measure().violations, 0);
}

TEST_F(Route, DemoPageRoutedTwiceGivesTheSameImage)
{
    ASSERT_TRUE(Load(DemoDesign(), 0));
    RouteAll();
    const auto first = corvex_check::ImageHash();
    const auto w = Measure();
    EXPECT_EQ(w.violations, 0);
    EXPECT_GT(w.connected, 0);
    EXPECT_EQ(Consistency(), "");
    ASSERT_TRUE(Load(DemoDesign(), 0));
    RouteAll();
    EXPECT_EQ(corvex_check::ImageHash(), first);
}

TEST_F(Route, RoutedWiresAreWrittenBack)
{
    ASSERT_TRUE(Load(kStraightPair));
    RouteAll();
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1);
    int count = 0;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (OM_SearchMask(map, &cursor, 0, 0)) ++count;
    EXPECT_GE(count, 1);
}

}  // namespace
}  // namespace router_test
