// Escape lines and foreign wires: a line stops before a wire of another net
// that runs along it, passes a wire that only crosses it, and ignores the
// routed net's own wires; a pair whose straight way lies on a foreign wire
// goes around it. Also the look-ups the tests lean on: placed outlines
// follow a moved component, and a cleared tested list takes an id again.
#include "tests/router/route_fixture.h"

namespace router_test {
namespace {

using corvex::g_Nodes;
using corvex::g_StepSize;
using corvex_check::Consistency;
using corvex_check::Measure;

constexpr int32_t kTenth = 254000;

// Net B's wire runs from R3.1 up to y = 40, along to x = 33 and down to R4.2.
const char* const kForeignWire = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.2
page P frame 11in 8.5in
  component R1 R at -40 -30
  component R2 R at -20 -30
  component R3 R at 10 20
  component R4 R at 30 20
  wire B R3.1 (7 40) (33 40) R4.2
end
)";

class Probe : public RoutingTest {
protected:
    void TearDown() override
    {
        corvex::g_RouteNet = 0;
        corvex::g_Clearance = -1;
        RoutingTest::TearDown();
    }
};

struct ProbeCase {
    const char* name;
    int32_t x, y, dir;  // tenths
    bool ownNet;        // the line belongs to net B itself
    int32_t stopX;      // tenths less one step, or 0 for a ray
};

TEST_F(Probe, LinesStopOnlyAtForeignWiresAlongThem)
{
    ASSERT_TRUE(Load(kForeignWire));
    const int32_t netA = g_Nodes[FirstPair()].net;
    int32_t netB = 0;
    for (int32_t n = 1; n <= corvex::g_Nets.Count(); ++n)
        if (n != netA && corvex::g_Nets[n].firstBranch) netB = n;
    ASSERT_NE(netB, 0);
    const ProbeCase cases[] = {
        {"along the wire", -30, 40, 0, false, 7},
        {"along its own net's wire", -30, 40, 0, true, 0},
        {"across the wire's leg", -30, 30, 0, false, 0},
        {"across the wire's middle", 20, -10, 2, false, 0},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        corvex::g_RouteNet = c.ownNet ? netB : netA;
        corvex::g_Clearance = g_StepSize / 2 - 1;
        int32_t sx = 0, sy = 0, kind = 0;
        corvex::Seg box{};
        const int32_t hit = corvex::ProbeForward(c.x * kTenth, c.y * kTenth, c.dir, sx, sy, box, &kind);
        if (!c.stopX) {
            EXPECT_EQ(hit, 0);
            continue;
        }
        ASSERT_EQ(hit, 1);
        EXPECT_EQ(kind, corvex::kObstWire);
        // The box reaches a step less one unit before the wire's end.
        EXPECT_EQ(box.x1, c.stopX * kTenth - g_StepSize + 1);
        EXPECT_EQ(sx, c.stopX * kTenth - g_StepSize);
        EXPECT_EQ(sy, c.y * kTenth);
    }
}

// A's pins face each other on y = -30 and B's wire lies on that line
// between them: A's wire must not run along it.
TEST_F(Probe, PairWhoseWayLiesOnAForeignWireGoesAround)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.2
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 40 0
  component R3 R at 10 20
  component R4 R at 30 20
  wire B R3.1 (7 0) (33 0) R4.2
end
)"));
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.connected, w.pairs);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(Probe, PlacedOutlineFollowsAMovedComponent)
{
    ASSERT_TRUE(Load(kStraightPair));
    const int32_t comp = g_Nodes[FirstPair()].comp;
    const corvex::Seg before = corvex::CompBody(comp, 0);
    corvex::g_Comps[comp].x += kTenth;
    const corvex::Seg after = corvex::CompBody(comp, 0);
    corvex::g_Comps[comp].x -= kTenth;
    EXPECT_EQ(after.x1, before.x1 + kTenth);
    EXPECT_EQ(after.x2, before.x2 + kTenth);
    EXPECT_EQ(after.y1, before.y1);
}

TEST_F(Probe, ClearedTestedListTakesAnIdAgain)
{
    corvex::TestedList list;
    EXPECT_EQ(list.Add(5), 1);
    EXPECT_EQ(list.Add(5), 0);
    list.Clear();
    EXPECT_EQ(list.Add(5), 1);
    EXPECT_EQ(list.ids.size(), 1u);
}

}  // namespace
}  // namespace router_test
