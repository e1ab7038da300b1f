// Routing into a nearly full wire-link pool: a wire the pool cannot hold
// leaves its pair unrouted and the image and field grid as they were, and
// the run goes on with the next pair.
#include "tests/router/route_fixture.h"

#include <string>
#include <utility>
#include <vector>

namespace router_test {
namespace {

using corvex::g_Branches;
using corvex::g_Cells;
using corvex::g_Nodes;
using corvex::g_WireLinks;
using corvex_check::Consistency;
using corvex_check::ImageHash;

class RoutePool : public RoutingTest {
protected:
    // Takes links for records no branch uses (the top of the branch pool)
    // until only `leave` can still be taken.
    void FillPool(int32_t leave)
    {
        std::vector<int32_t> unused;
        for (int32_t b = g_Branches.capacity - 1; b > 0 && unused.size() < 400; --b)
            if (!g_Branches[b].inUse) unused.push_back(b);
        for (int32_t value : unused)
            for (int32_t cell = 0; cell < corvex::g_FieldGrid.cellCount; ++cell) {
                if (corvex::FreeWireLinks() <= leave) return;
                ASSERT_EQ(corvex::CellAddWire(cell, value), 1);
                filler_.emplace_back(cell, value);
            }
        FAIL() << "the pool did not fill";
    }
    void EmptyPool()
    {
        for (const auto& [cell, value] : filler_) corvex::CellRemoveWire(cell, value);
        filler_.clear();
    }
    // Every cell's wire list, in its order.
    static std::vector<std::vector<int32_t>> FieldWires()
    {
        std::vector<std::vector<int32_t>> out;
        for (const auto& cell : g_Cells) {
            out.emplace_back();
            for (int32_t l = cell.firstWire; l; l = g_WireLinks.rows[l].next) out.back().push_back(g_WireLinks.rows[l].value);
        }
        return out;
    }

private:
    std::vector<std::pair<int32_t, int32_t>> filler_;
};

TEST_F(RoutePool, AWireThePoolCannotHoldLeavesThePairUnroutedAndTheImageAsItWas)
{
    ASSERT_TRUE(Load(kPairAroundBody));
    FillPool(1);
    const uint64_t hash = ImageHash();
    const auto field = FieldWires();
    const int32_t used = g_WireLinks.used;
    const int32_t node = FirstPair();
    char msg[100] = {};
    int32_t state = -1;
    SCR_InitNodeForRoute();
    ASSERT_EQ(SCR_RouteOnePairInPage(&state, msg, sizeof msg, node), 1) << msg;
    EXPECT_NE(g_Nodes[node].group, g_Nodes[g_Nodes[node].partner].group);
    EXPECT_EQ(ImageHash(), hash);
    EXPECT_EQ(FieldWires(), field);
    EXPECT_EQ(g_WireLinks.used, used);
    EXPECT_EQ(SCR_ErrorFunc(), 0);
    EXPECT_EQ(SCR_ErrorCode(), 0);
    EXPECT_EQ(Consistency(), "");
    // With room again the same pair is routed.
    EmptyPool();
    RouteAll();
    EXPECT_EQ(corvex_check::Measure().connected, 1);
    EXPECT_EQ(Consistency(), "");
}

// The run is stepped: the first pair meets a full pool and is passed over
// with a clean failure state; with room again the run goes on to its end.
TEST_F(RoutePool, TheRunGoesOnAfterAPairThePoolCannotHold)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
net B R3.2 R4.1
page P frame 11in 8.5in
  component R1 R at -40 0
  component R2 R at 40 0
  component R3 R at 0 30
  component R4 R at 4 30
end
)"));
    const int32_t first = FirstPair(), second = first ? g_Nodes[first].nextPair : 0;
    ASSERT_NE(second, 0);
    auto joined = [](int32_t node) { return g_Nodes[node].group == g_Nodes[g_Nodes[node].partner].group; };
    FillPool(0);
    SCR_InitNodeForRoute();
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_RouteAllWiresInPage(&state, msg, sizeof msg), 1) << msg;
    EXPECT_EQ(state, 0);
    EXPECT_FALSE(joined(first));
    EXPECT_EQ(BranchCount(g_Nodes[first].net), 0);
    EXPECT_EQ(SCR_ErrorFunc(), 0);
    EXPECT_EQ(SCR_ErrorCode(), 0);
    EmptyPool();
    int calls = 0;
    while (state == 0 && ++calls < 100) ASSERT_EQ(SCR_RouteAllWiresInPage(&state, msg, sizeof msg), 1) << msg;
    EXPECT_EQ(state, 1);
    EXPECT_NE(std::string(msg).find("Routing completed..."), std::string::npos) << msg;
    EXPECT_FALSE(joined(first));
    EXPECT_TRUE(joined(second));
    EXPECT_EQ(Consistency(), "");
    EXPECT_EQ(corvex_check::Measure().violations, 0);
}

// The grid search is left out only when the pool cannot hold even the
// shortest wire between the pair's groups: a pool with room for exactly the
// wire it finds still routes the pair, one link less leaves it unrouted.
TEST_F(RoutePool, TheGridSearchRoutesAPairWhoseWireFitsExactly)
{
    corvex::g_Tuning.meetingTryLimit = 0;  // every pair through the grid search
    ASSERT_TRUE(Load(kPairAroundBody));
    const int32_t before = g_WireLinks.used;
    RouteAll();
    ASSERT_EQ(corvex_check::Measure().connected, 1);
    const int32_t need = g_WireLinks.used - before;
    ASSERT_GT(need, 1);
    for (const int32_t room : {need, need - 1}) {
        ASSERT_TRUE(Load(kPairAroundBody));
        FillPool(room);
        const uint64_t hash = ImageHash();
        RouteAll();
        EXPECT_EQ(corvex_check::Measure().connected, room == need ? 1 : 0) << room;
        if (room < need) {
            EXPECT_EQ(ImageHash(), hash);
        }
        EXPECT_EQ(Consistency(), "") << room;
        EmptyPool();
    }
}

}  // namespace
}  // namespace router_test
