// The escape-line search with its levels: pairs built so that the lines
// first meet at level 2, 3 or 4 (obstacles the lines must pass one behind
// the other), routed by the lines alone; and routing at every step of the
// step list, on pages in inches and in millimetres, with pins on the step
// and off it, by the default search and by the grid search alone (whose
// pins off the step reach the grid by a stub).
#include "tests/router/route_fixture.h"

#include <algorithm>

namespace router_test {
namespace {

using corvex::g_Tuning;
using corvex_check::Consistency;
using corvex_check::Measure;

// A page in tenths of an inch with the one net A between `pins`.
std::string NetAPage(const char* pins, const char* components)
{
    return std::string("include discrete.nls\nunit 0.1in\ndesign T\nlevel MAIN\nnet A ") + pins +
           "\npage P frame 11in 8.5in\n" + components + "end\n";
}

struct LevelCase {
    const char* name;
    int32_t level;  // the first level at which the lines meet
    const char* pins;
    const char* components;
};

// Vertical resistors stand as walls across the way from R1 to R2: each wall
// the lines pass costs a level, as the lines go on past its corners only
// from the next level on.
const LevelCase kLevelCases[] = {
    // The middle resistor lies on the pins' line.
    {"TwoLevels", 2, "R1.2 R2.1",
     "  component R1 R at 0 0\n"
     "  component R2 R at 20 0\n"
     "  component R3 R at 10 0\n"},
    // A wall on the line, two walls beside it behind, one more on the line.
    {"ThreeLevels", 3, "R1.2 R2.1",
     "  component R1 R at 0 0\n"
     "  component R2 R at 30 0\n"
     "  component R3 R at 8 0 angle 90\n"
     "  component R4 R at 13 5 angle 90\n"
     "  component R5 R at 13 -5 angle 90\n"
     "  component R6 R at 18 0 angle 90\n"},
    // The same walls, two more beside the last, and the far pin on the far
    // side of its own resistor.
    {"FourLevels", 4, "R1.2 R2.2",
     "  component R1 R at 0 0\n"
     "  component R2 R at 35 0\n"
     "  component R3 R at 8 0 angle 90\n"
     "  component R4 R at 13 5 angle 90\n"
     "  component R5 R at 13 -5 angle 90\n"
     "  component R6 R at 18 0 angle 90\n"
     "  component R7 R at 18 10 angle 90\n"
     "  component R8 R at 18 -10 angle 90\n"},
};

class SearchLevels : public RoutingTest, public ::testing::WithParamInterface<LevelCase> {};

// The lines alone (no grid search) do not connect the pair with one level
// fewer, and connect it at its level, keeping every wire rule.
TEST_P(SearchLevels, TheLinesMeetFirstAtTheirLevel)
{
    const LevelCase& c = GetParam();
    const std::string design = NetAPage(c.pins, c.components);
    for (const int32_t level : {c.level - 1, c.level}) {
        SCOPED_TRACE(level);
        g_Tuning = corvex::RouteTuning{};
        g_Tuning.gridFallback = false;
        g_Tuning.levelLimit = level;
        ASSERT_TRUE(Load(design));
        RouteAll();
        const auto w = Measure();
        EXPECT_EQ(w.pairs, 1);
        EXPECT_EQ(w.connected, level == c.level ? 1 : 0);
        EXPECT_EQ(w.branches, level == c.level ? 1 : 0);
        EXPECT_EQ(w.violations, 0);
        EXPECT_EQ(Consistency(), "");
        // A wire that goes around the walls turns at least twice.
        if (level == c.level) {
            EXPECT_GE(w.bends, 2);
        }
    }
}

// The default search grows the lines up to four levels before any grid
// search: each of these pairs is routed by the lines with the grid search
// off, and the default run gives the same image.
TEST_P(SearchLevels, TheDefaultSearchRoutesThePairByItsLines)
{
    const LevelCase& c = GetParam();
    const std::string design = NetAPage(c.pins, c.components);
    EXPECT_EQ(corvex::RouteTuning{}.levelLimit, 4);
    EXPECT_TRUE(corvex::RouteTuning{}.gridFallback);
    g_Tuning.gridFallback = false;
    ASSERT_TRUE(Load(design));
    RouteAll();
    EXPECT_EQ(Measure().connected, 1);
    const uint64_t linesOnly = corvex_check::ImageHash();
    g_Tuning = corvex::RouteTuning{};
    ASSERT_TRUE(Load(design));
    RouteAll();
    EXPECT_EQ(Measure().connected, 1);
    EXPECT_EQ(Measure().violations, 0);
    EXPECT_EQ(corvex_check::ImageHash(), linesOnly);
}

INSTANTIATE_TEST_SUITE_P(Walls, SearchLevels, ::testing::ValuesIn(kLevelCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- every step, inch and millimetre pages ------------------------------------------

// Four nets among six resistors, positions in tenths of an inch: the pins
// lie on the steps of 0.01, 0.02, 0.05 and 0.1 in, off those of 0.04 and
// 0.08 in. R3 lies between R1 and R2, R6 across the way of net D.
const char* const kInchPage = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.1
net C R1.1 R5.2
net D R4.2 R6.2 R2.2
page P frame 11in 8.5in
  component R1 R at -10 0
  component R2 R at 10 0
  component R3 R at 0 0
  component R4 R at 0 10 angle 90
  component R5 R at -10 -10
  component R6 R at 10 -10 angle 90
end
)";

// The same kind of page in millimetres, on positions of 2.5 mm: no pin lies
// on any step of the list (the pins stand 0.3 in from their resistor's
// middle).
const char* const kMetricPage = R"(
include discrete.nls
unit 1mm
design T
level MAIN
net A R1.2 R2.1
net B R3.1 R4.1
net C R1.1 R5.2
net D R4.2 R6.2 R2.2
page P frame 280mm 215mm
  component R1 R at -25 0
  component R2 R at 25 2.5
  component R3 R at 0 0
  component R4 R at 2.5 25 angle 90
  component R5 R at -27.5 -25
  component R6 R at 25 -22.5 angle 90
end
)";

struct StepCase {
    const char* name;
    const char* design;
    int32_t step;  // index into the step list
    bool gridOnly;  // every pair through the grid search
};

class EveryStep : public RoutingTest, public ::testing::WithParamInterface<StepCase> {};

bool PinsOnStep()
{
    for (int32_t n = 1; n <= corvex::g_Nodes.Count(); ++n)
        if (corvex::g_Nodes[n].x % corvex::g_StepSize || corvex::g_Nodes[n].y % corvex::g_StepSize) return false;
    return true;
}

// Every pair is connected, no wire breaks a rule and the image stays
// consistent, whether the pins lie on the step or not.
TEST_P(EveryStep, RoutesEveryPairByTheRules)
{
    const StepCase& c = GetParam();
    if (c.gridOnly) g_Tuning.meetingTryLimit = 0;
    ASSERT_TRUE(Load(c.design));
    SCR_SetStepIndex(c.step);
    // The pages are what their names say.
    const bool inch = c.design == kInchPage;
    EXPECT_EQ(PinsOnStep(), inch && c.step != 2 && c.step != 4);
    RouteAll();
    const auto w = Measure();
    EXPECT_EQ(w.pairs, 5);
    EXPECT_EQ(w.connected, w.pairs);
    EXPECT_EQ(w.violations, 0);
    EXPECT_EQ(Consistency(), "");
}

std::vector<StepCase> StepCases()
{
    std::vector<StepCase> out;
    for (const bool gridOnly : {false, true})
        for (int32_t step = 0; step < 6; ++step) {
            out.push_back(StepCase{"Inch", kInchPage, step, gridOnly});
            out.push_back(StepCase{"Metric", kMetricPage, step, gridOnly});
        }
    return out;
}

INSTANTIATE_TEST_SUITE_P(Pages, EveryStep, ::testing::ValuesIn(StepCases()), [](const auto& info) {
    return std::string(info.param.name) + "Step" + std::to_string(info.param.step) +
           (info.param.gridOnly ? "GridOnly" : "");
});

// ---- the grid search's memory ---------------------------------------------------------

// The inch page's components on a frame of 40 x 30 inches, routed on the
// step of 0.01 in with every pair through the grid search, the page-wide
// marks asked for from the first window on: 12 million grid points are too
// many for them, so the windows around the pairs bound the memory, not the
// page.
TEST_F(EveryStep, AFineStepOnALargePageCostsWindowsNotThePage)
{
    std::string design = kInchPage;
    design.replace(design.find("frame 11in 8.5in"), 16, "frame 40in 30in");
    g_Tuning.meetingTryLimit = 0;
    g_Tuning.gridPagePercent = 0;
    ASSERT_TRUE(Load(design));
    SCR_SetStepIndex(0);
    SCR_InitNodeForRoute();
    char msg[100] = {};
    int32_t state = 0;
    int64_t peak = 0;
    for (int calls = 0; state == 0 && calls < 1000; ++calls) {
        ASSERT_NE(SCR_RouteAllWiresInPage(&state, msg, sizeof msg), 0) << msg;
        peak = std::max<int64_t>(peak, SCR_Memory());
    }
    const auto w = Measure();
    EXPECT_EQ(w.connected, w.pairs);
    EXPECT_EQ(w.violations, 0);
    EXPECT_LT(peak, int64_t(64) << 20);
}

// A window may hold no more points than the bound: a pair whose own box is
// larger gets no grid search and stays unrouted, and the image stays sound.
TEST_F(EveryStep, APairLargerThanTheWindowBoundGetsNoGridSearch)
{
    g_Tuning.meetingTryLimit = 0;
    g_Tuning.gridPageMarks = false;
    g_Tuning.gridWindowPoints = 100;
    ASSERT_TRUE(Load(NetAPage("R1.2 R2.1", "  component R1 R at 0 0\n  component R2 R at 20 10\n")));
    RouteAll();
    EXPECT_EQ(Measure().connected, 0);
    EXPECT_EQ(Measure().branches, 0);
    EXPECT_EQ(Consistency(), "");
    // With room for the pair's box and a margin it is routed.
    g_Tuning.gridWindowPoints = 10000;
    ASSERT_TRUE(Load(NetAPage("R1.2 R2.1", "  component R1 R at 0 0\n  component R2 R at 20 10\n")));
    RouteAll();
    EXPECT_EQ(Measure().connected, 1);
    EXPECT_EQ(Measure().violations, 0);
}

}  // namespace
}  // namespace router_test
