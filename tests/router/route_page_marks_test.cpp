// The grid search's page-wide marks: a window copied from marks kept for the
// whole page and brought up to date pair by pair routes as a window whose
// objects are collected and marked for every pair, also when wires are
// deleted in the middle of a run and around pins inside their bodies.
#include "router/grid_page.h"
#include "tests/router/route_fixture.h"

namespace router_test {
namespace {

using corvex::g_Tuning;
using corvex_check::Consistency;
using corvex_check::Measure;

// Two pads whose pins lie in the middle of their bodies (free pins: the
// way may leave them in every direction through their own body), a
// resistor's body between them and a foreign wire across the way.
const char* const kFreePins = R"(
include discrete.nls
unit 1mil
symbol PAD schematic
  entry 1 at 0 0
  rect -100 -100 200 200
  text P at -100 120 role reference
end
unit 0.1in
design T
level MAIN
net A P1.1 P2.1
net B R3.2 R4.1
page P frame 11in 8.5in
  component P1 symbol PAD at -20 0
  component P2 symbol PAD at 20 0
  component R1 R at 0 0
  component R3 R at 6 -20 angle 90
  component R4 R at 6 20 angle 90
  wire B R3.2 R4.1
end
)";

// A net of three pins across a small array of bodies beside two more nets.
const char* const kSmallArray = R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.1 R5.2 R9.1
net B R2.2 R8.1
net C R3.1 R6.2 R7.1
page P frame 11in 8.5in
  component R1 R at -20 -10
  component R2 R at -10 -10
  component R3 R at 0 -10
  component R4 R at 10 -10
  component R5 R at -20 0 angle 90
  component R6 R at -10 0 angle 90
  component R7 R at 0 0 angle 90
  component R8 R at 10 0 angle 90
  component R9 R at -20 10
end
)";

struct MarksCase {
    const char* name;
    const char* design;  // nullptr: the demo design
};

class PageMarks : public RoutingTest, public ::testing::WithParamInterface<MarksCase> {
protected:
    bool LoadCase()
    {
        const MarksCase& c = GetParam();
        return c.design ? bool(Load(c.design)) : bool(Load(DemoDesign(), 0));
    }
    // Routes the page with every pair through the grid search; the image's
    // hash.
    uint64_t RouteWithMarks(bool pageMarks, corvex_check::WireStats& stats)
    {
        g_Tuning.meetingTryLimit = 0;
        g_Tuning.gridPageMarks = pageMarks;
        g_Tuning.gridPagePercent = 0;
        if (!LoadCase()) return 0;
        RouteAll();
        stats = Measure();
        return corvex_check::ImageHash();
    }
};

TEST_P(PageMarks, RouteAsWindowsMarkedOneByOne)
{
    corvex_check::WireStats collected, kept;
    const uint64_t windows = RouteWithMarks(false, collected);
    const uint64_t page = RouteWithMarks(true, kept);
    EXPECT_GT(kept.connected, 0);
    EXPECT_EQ(kept.connected, collected.connected);
    EXPECT_EQ(kept.violations, 0);
    EXPECT_EQ(kept.length, collected.length);
    EXPECT_EQ(kept.bends, collected.bends);
    EXPECT_EQ(page, windows);
    EXPECT_EQ(Consistency(), "");
}

// Wires deleted between two steps of a run (every wire of the page, after
// a few pairs): the marks are built again from the image, and the rest of
// the run routes as without them.
TEST_P(PageMarks, FollowWiresDeletedInTheMiddleOfARun)
{
    for (const int steps : {2, 4, 8, 16}) {
        uint64_t hashes[2] = {0, 0};
        int32_t connected[2] = {0, 0};
        for (const bool pageMarks : {false, true}) {
            g_Tuning.meetingTryLimit = 0;
            g_Tuning.gridPageMarks = pageMarks;
            g_Tuning.gridPagePercent = 0;
            ASSERT_TRUE(LoadCase());
            SCR_InitNodeForRoute();
            char msg[100];
            int32_t state = 0;
            for (int i = 0; i < steps && state == 0; ++i) ASSERT_TRUE(SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) << msg;
            int32_t deleteState = 0;
            ASSERT_TRUE(SCR_DeleteAllWiresInThePage(&deleteState, msg, sizeof msg)) << msg;
            while (state == 0) ASSERT_TRUE(SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) << msg;
            const auto w = Measure();
            EXPECT_EQ(w.violations, 0) << steps;
            EXPECT_EQ(Consistency(), "") << steps;
            hashes[pageMarks] = corvex_check::ImageHash();
            connected[pageMarks] = w.connected;
        }
        EXPECT_EQ(hashes[1], hashes[0]) << "deleted after " << steps << " steps";
        EXPECT_EQ(connected[1], connected[0]) << steps;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, PageMarks,
                         ::testing::Values(MarksCase{"AroundABody", kPairAroundBody},
                                           MarksCase{"FreePins", kFreePins},
                                           MarksCase{"SmallArray", kSmallArray},
                                           MarksCase{"DemoPage", nullptr}),
                         [](const auto& info) { return std::string(info.param.name); });

class PageMarksKept : public RoutingTest {
protected:
    // The marks as kept now against the marks built afresh, with every wire
    // counted (no routed net).
    void ExpectAsBuiltAfresh(const char* when)
    {
        corvex::g_RouteNet = 0;
        const corvex::GridPage* kept = corvex::SyncGridPage();
        ASSERT_NE(kept, nullptr) << when;
        const std::vector<int32_t> body = kept->body;
        const std::vector<uint16_t> marks = kept->marks;
        corvex::FreeGridPage();
        const corvex::GridPage* fresh = corvex::SyncGridPage();
        ASSERT_NE(fresh, nullptr) << when;
        EXPECT_TRUE(fresh->body == body) << when;
        EXPECT_TRUE(fresh->marks == marks) << when;
    }
};

// In the middle of a run the marks kept from pair to pair are the marks
// built afresh: after pairs of several nets were routed, and after their
// wires were deleted.
TEST_F(PageMarksKept, EqualMarksBuiltAfreshInTheMiddleOfARun)
{
    g_Tuning.meetingTryLimit = 0;
    g_Tuning.gridPagePercent = 0;
    ASSERT_TRUE(Load(kSmallArray));
    SCR_InitNodeForRoute();
    char msg[100];
    int32_t state = 0;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) << msg;
    ASSERT_EQ(state, 0);
    ASSERT_GE(Measure().branches, 2);
    ExpectAsBuiltAfresh("after three pairs");
    int32_t deleteState = 0;
    ASSERT_TRUE(SCR_DeleteAllWiresInThePage(&deleteState, msg, sizeof msg)) << msg;
    ExpectAsBuiltAfresh("after the wires were deleted");
    ASSERT_TRUE(SCR_RouteAllWiresInPage(&state, msg, sizeof msg)) << msg;
    ExpectAsBuiltAfresh("after one more pair");
}

}  // namespace
}  // namespace router_test
