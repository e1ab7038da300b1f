// The refinements of a found path: the shortcut onto a wire the pair's pin
// already has, and the U-turn reduction of a routed wire.
#include "tests/router/route_fixture.h"

#include "platform/kernel/nvokernel32.h"

namespace router_test {
namespace {

using corvex::g_Branches;
using corvex::g_BPoints;
using corvex::g_Nodes;
using corvex::Path;
using corvex::PathPt;
using corvex_check::Consistency;
using corvex_check::Measure;

constexpr int32_t kTenth = 254000;

class Refine : public RoutingTest {
protected:
    // The points of the net's only branch on the page, in tenths.
    std::vector<std::pair<int32_t, int32_t>> Points(int32_t net)
    {
        std::vector<std::pair<int32_t, int32_t>> out;
        const int32_t b = corvex::g_Nets[net].firstBranch;
        for (int32_t p = b ? g_Branches[b].firstPoint : 0; p; p = g_BPoints[p].next)
            out.emplace_back(g_BPoints[p].x / kTenth, g_BPoints[p].y / kTenth);
        return out;
    }
};

// R1.2 already has a wire that passes below R2.1: the way between the pins
// crosses it, and the new wire ends there instead of running on to R1.2.
TEST_F(Refine, PairEndsOnItsOwnNetsExistingWire)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 30 20
  wire A R1.2 (10 0) (10 15) (35 15)
end
)"));
    const int64_t before = Measure().length;
    EXPECT_EQ(before, 47 * kTenth);
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
    // The pins are 44 tenths apart; the old wire passes 5 below R2.1.
    std::string dump;
    for (int32_t b = corvex::g_Nets[g_Nodes[FirstPair()].net].firstBranch; b; b = g_Branches[b].next) {
        dump += "\n branch group " + std::to_string(g_Branches[b].group) + ":";
        for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
            dump += " (" + std::to_string(g_BPoints[p].x * 10.0 / kTenth / 10) + " " + std::to_string(g_BPoints[p].y * 10.0 / kTenth / 10) + ")";
    }
    EXPECT_LT(w.length - before, 10 * kTenth) << "new wire of " << (w.length - before) / kTenth << " tenths" << dump;
}

// A preloaded wire with a narrow U (a middle of one step) loses the U: the
// middle goes to the end of the shorter leg.
TEST_F(Refine, NarrowUTurnOfAWireIsCleaned)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 23 4
  wire A R1.2 (10 0) (10 10) (11 10) (11 4) R2.1
end
)"));
    SCR_SetStepIndex(5);  // a step of 0.1 in
    const int32_t node = FirstPair(), net = g_Nodes[node].net;
    ASSERT_EQ(Points(net).size(), 6u);
    ASSERT_EQ(corvex::MR_CleanPathAtComps(corvex::g_Nets[net].firstBranch, node), 1);
    const std::vector<std::pair<int32_t, int32_t>> want = {{3, 0}, {10, 0}, {10, 4}, {20, 4}};
    EXPECT_EQ(Points(net), want);
    EXPECT_EQ(Measure().violations, 0);
    EXPECT_EQ(Consistency(), "");
}

// A wide U keeps its place unless a shift toward its open side crosses
// fewer foreign wires; then the smallest such shift is taken.
TEST_F(Refine, WideUTurnShiftsOnlyToCrossFewerWires)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.2
page P frame 11in 8.5in
  component R1 R at -40 -30
  component R2 R at 40 -30
  component R3 R at -40 29
  component R4 R at 40 29
  wire B R3.1 (-50 29) (-50 19) (50 19) (50 29) R4.2
end
)"));
    SCR_SetStepIndex(5);
    corvex::g_RouteNet = g_Nodes[FirstPair()].net;
    auto u = [](int32_t top) {
        return Path{PathPt{0, 0, corvex::kPathFixed}, PathPt{0, top * kTenth, corvex::kPathFree},
                    PathPt{20 * kTenth, top * kTenth, corvex::kPathFree}, PathPt{20 * kTenth, 0, corvex::kPathFixed}};
    };
    // Below the foreign wire at 19: nothing to gain, the U stays.
    Path low = u(10);
    EXPECT_FALSE(corvex::ReduceUTurns(low, 0));
    // Legs crossing the wire at 19: the middle comes down to 18.
    Path high = u(20);
    EXPECT_TRUE(corvex::ReduceUTurns(high, 0));
    ASSERT_EQ(high.size(), 4u);
    EXPECT_EQ(high[1].y, 18 * kTenth);
    EXPECT_EQ(high[2].y, 18 * kTenth);
    corvex::g_RouteNet = 0;
}

}  // namespace
}  // namespace router_test
