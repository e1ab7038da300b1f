// The grid fallback: a pair that the escape lines leave unrouted is found
// by the grid search, keeps every wire rule, and a page routed through it
// twice gives the same image.
#include "tests/router/route_fixture.h"

namespace router_test {
namespace {

using corvex::g_Tuning;
using corvex_check::Consistency;
using corvex_check::Measure;

class GridFallback : public RoutingTest {};

// A page with the one net A between `pins` (in that order) and the
// `components` (lines of the page).
std::string NetAPage(const char* pins, const char* components)
{
    return std::string("include discrete.nls\nunit 0.1in\ndesign T\nlevel MAIN\nnet A ") + pins +
           "\npage P frame 11in 8.5in\n" + components + "end\n";
}

// Net A runs between R1 and R2, and net B's wire lies across the straight
// way from below to above it: A must cross B or go around it.
const char* const kAcrossForeignWire = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.2 R4.1
page P frame 11in 8.5in
  component R1 R at -20 0
  component R2 R at 20 0
  component R3 R at 0 -20 angle 90
  component R4 R at 0 20 angle 90
  wire B R3.2 R4.1
end
)";

TEST_F(GridFallback, FindsAPairTheEscapeLinesLeave)
{
    // With one level of escape lines the body between the pins leaves no
    // meeting of the lines: only the grid search finds the way around.
    g_Tuning.levelLimit = 1;
    g_Tuning.gridFallback = false;
    ASSERT_TRUE(Load(kPairAroundBody));
    RouteAll();
    EXPECT_EQ(Measure().connected, 0);
    EXPECT_EQ(Measure().branches, 0);

    g_Tuning.gridFallback = true;
    ASSERT_TRUE(Load(kPairAroundBody));
    std::string text;
    RouteAll(&text);
    EXPECT_NE(text.find("Routing completed..."), std::string::npos) << text;
    const auto w = Measure();
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    // Around the middle body: two bends up (or down) and two back.
    EXPECT_GE(w.bends, 2);
    EXPECT_LE(w.bends, 4);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(GridFallback, TakesOverWhenTheEscapeLinesRunOutOfPoints)
{
    // A point pool of three holds no escape line: the pair goes to the grid
    // search instead of being given up (dense arrays fill the lists so).
    g_Tuning.pointPoolCapacity = 3;
    ASSERT_TRUE(Load(kStraightPair));
    std::string text;
    RouteAll(&text);
    EXPECT_NE(text.find("Routing completed..."), std::string::npos) << text;
    const auto w = Measure();
    EXPECT_EQ(w.connected, 1);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(w.bends, 0);
    EXPECT_EQ(Consistency(), "");
}

struct GridCase {
    const char* name;
    const char* design;  // nullptr: the demo design
};

class GridOnly : public GridFallback, public ::testing::WithParamInterface<GridCase> {
protected:
    bool LoadCase()
    {
        const GridCase& c = GetParam();
        return c.design ? bool(Load(c.design)) : bool(Load(DemoDesign(), 0));
    }
};

// Every pair through the grid search (no meeting of the escape lines is
// tried): no wire breaks a rule, the image stays consistent, and a second
// run gives the same image.
TEST_P(GridOnly, KeepsTheRulesAndRoutesTheSameTwice)
{
    g_Tuning.meetingTryLimit = 0;
    ASSERT_TRUE(LoadCase());
    RouteAll();
    const auto w = Measure();
    const uint64_t first = corvex_check::ImageHash();
    EXPECT_GT(w.connected, 0);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
    ASSERT_TRUE(LoadCase());
    RouteAll();
    EXPECT_EQ(corvex_check::ImageHash(), first);
    EXPECT_EQ(Measure().connected, w.connected);
}

// Without the short first searches every pair goes straight to the search
// guided by the steps to its targets: the same rules and the same image
// twice.
TEST_P(GridOnly, TheGuidedSearchAloneKeepsTheRulesAndRoutesTheSameTwice)
{
    g_Tuning.meetingTryLimit = 0;
    g_Tuning.gridProbeLimit = 0;
    ASSERT_TRUE(LoadCase());
    RouteAll();
    const auto w = Measure();
    const uint64_t first = corvex_check::ImageHash();
    EXPECT_GT(w.connected, 0);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
    ASSERT_TRUE(LoadCase());
    RouteAll();
    EXPECT_EQ(corvex_check::ImageHash(), first);
    EXPECT_EQ(Measure().connected, w.connected);
}

// The floods of a start's room (before the guided search, and before the
// wider window after the end's short search met the first window's edge)
// settle only pairs that have no way: with each and without it the same
// image.
TEST_P(GridOnly, TheStartFloodsSettleOnlyPairsWithoutAWay)
{
    const struct {
        const char* name;
        int32_t corvex::RouteTuning::*limit;
    } floods[] = {{"start flood", &corvex::RouteTuning::gridStartFlood},
                  {"edge flood", &corvex::RouteTuning::gridEdgeFlood}};
    for (const auto& flood : floods) {
        SCOPED_TRACE(flood.name);
        g_Tuning = corvex::RouteTuning{};
        g_Tuning.meetingTryLimit = 0;
        g_Tuning.*flood.limit = 0;
        ASSERT_TRUE(LoadCase());
        RouteAll();
        const uint64_t without = corvex_check::ImageHash();
        const auto w = Measure();
        g_Tuning.*flood.limit = corvex::RouteTuning{}.*flood.limit;
        ASSERT_TRUE(LoadCase());
        RouteAll();
        EXPECT_EQ(corvex_check::ImageHash(), without);
        EXPECT_EQ(Measure().connected, w.connected);
        EXPECT_EQ(Measure().violations, 0);
    }
}

// A pin boxed in by three bodies (a narrow way out), as the start of its
// pair and as its end: the same image with the flood of the start's room as
// without it.
TEST_F(GridFallback, APinBoxedInRoutesTheSameWithOrWithoutTheStartFlood)
{
    for (const char* pins : {"R1.2 R2.1", "R2.1 R1.2"}) {
        const std::string design = NetAPage(pins, "  component R1 R at -30 0\n"
                                                  "  component R2 R at 10 0\n"
                                                  "  component R3 R at 4 2\n"
                                                  "  component R4 R at 4 -2\n"
                                                  "  component R5 R at 0 0 angle 90\n");
        uint64_t hashes[2] = {0, 0};
        int32_t connected[2] = {0, 0};
        for (const int32_t flood : {0, corvex::RouteTuning{}.gridStartFlood}) {
            g_Tuning.meetingTryLimit = 0;
            g_Tuning.gridStartFlood = flood;
            ASSERT_TRUE(Load(design));
            RouteAll();
            const auto w = Measure();
            EXPECT_EQ(w.violations, 0) << pins;
            EXPECT_EQ(Consistency(), "") << pins;
            hashes[flood != 0] = corvex_check::ImageHash();
            connected[flood != 0] = w.connected;
        }
        EXPECT_EQ(hashes[1], hashes[0]) << pins;
        EXPECT_EQ(connected[1], connected[0]) << pins;
    }
}

// A pin shut in on every side by three bodies and its own, its partner in
// open room beyond the first window: the pair is not routed and nothing is
// written, whichever pin starts the pair, whether the short search from the
// end spends its budget or walks the end's whole room to the window's edge
// (then the start's room is flooded before the wider window), and the same
// image results with the floods of the start's room as without them.
TEST_F(GridFallback, APinShutInLeavesItsPairUnroutedWithOrWithoutTheStartFlood)
{
    for (const char* pins : {"R1.2 R2.1", "R2.1 R1.2"}) {
        const std::string design = NetAPage(pins, "  component R1 R at -10 0\n"
                                                  "  component R2 R at 10 0\n"
                                                  "  component R3 R at 10 1\n"
                                                  "  component R4 R at 10 -1\n"
                                                  "  component R5 R at 6 0 angle 90\n");
        for (const int32_t probe : {corvex::RouteTuning{}.gridProbeLimit, 100000}) {
            uint64_t hashes[2] = {0, 0};
            for (const bool flood : {false, true}) {
                g_Tuning.meetingTryLimit = 0;
                g_Tuning.gridProbeLimit = probe;
                g_Tuning.gridStartFlood = flood ? corvex::RouteTuning{}.gridStartFlood : 0;
                g_Tuning.gridEdgeFlood = flood ? corvex::RouteTuning{}.gridEdgeFlood : 0;
                ASSERT_TRUE(Load(design));
                RouteAll();
                const auto w = Measure();
                EXPECT_EQ(w.pairs, 1) << pins;
                EXPECT_EQ(w.connected, 0) << pins << " probe " << probe << " flood " << flood;
                EXPECT_EQ(w.branches, 0) << pins;
                EXPECT_EQ(Consistency(), "") << pins;
                hashes[flood] = corvex_check::ImageHash();
            }
            EXPECT_EQ(hashes[1], hashes[0]) << pins << " probe " << probe;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, GridOnly,
                         ::testing::Values(GridCase{"AroundABody", kPairAroundBody},
                                           GridCase{"AcrossAForeignWire", kAcrossForeignWire},
                                           GridCase{"DemoPage", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(GridFallback, CrossesAForeignWireButNeverEndsOnIt)
{
    g_Tuning.meetingTryLimit = 0;
    ASSERT_TRUE(Load(kAcrossForeignWire));
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.pairs, 2);
    EXPECT_EQ(w.connected, 2);
    EXPECT_EQ(w.violations, 0);
    EXPECT_GE(w.crossings, 1);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(GridFallback, AWindowTooSmallForTheWayLeavesThePairUnrouted)
{
    // The way around the middle body leaves the pins' line by more than a
    // step; a window of one step around the pair has no room for it.
    g_Tuning.levelLimit = 1;
    g_Tuning.gridMarginSteps = 1;
    g_Tuning.gridWideSteps = 0;
    ASSERT_TRUE(Load(kPairAroundBody));
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.connected, 0);
    EXPECT_EQ(w.branches, 0);
    EXPECT_EQ(Consistency(), "");
}

// The search's arrays, the escape lines' pools and the segment test's list
// keep their room from run to run and from image to image: a small page
// routed after a larger one (the demo page, every pair through the grid
// search) gives the image it gives routed first.
TEST_F(GridFallback, APageRoutesTheSameAfterALargerOne)
{
    g_Tuning.meetingTryLimit = 0;
    ASSERT_TRUE(Load(kAcrossForeignWire));
    RouteAll();
    const uint64_t first = corvex_check::ImageHash();
    const auto w = Measure();
    EXPECT_EQ(w.connected, 2);
    ASSERT_TRUE(Load(DemoDesign(), 0));
    RouteAll();
    EXPECT_GT(Measure().connected, 0);
    EXPECT_EQ(Measure().violations, 0);
    ASSERT_TRUE(Load(kAcrossForeignWire));
    RouteAll();
    EXPECT_EQ(corvex_check::ImageHash(), first);
    EXPECT_EQ(Measure().connected, w.connected);
    EXPECT_EQ(Measure().violations, 0);
    EXPECT_EQ(Consistency(), "");
}

}  // namespace
}  // namespace router_test
