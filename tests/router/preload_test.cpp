// The preload of existing wires: the filter, junction points where wires of
// one net cross, the groups, and bus taps.
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

using namespace corvex;

// Net A: one wire between two pins. Net B: a free wire, a wire with one pin
// end and a slanted wire from a pin.
const char* kFilterDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 10
  component R4 R at 10 10
  net A R1.2 R2.1
  net B R3.1 R4.1
  wire A R1.2 R2.1
  wire B (0 7) (10 7)
  wire B R3.1 (-3 13)
  wire B R4.1 (9 12)
end
)";

// `left`: the wires the filter leaves out of the image.
struct FilterCase {
    int32_t bits;
    size_t chainA, chainB, left;
};

class PreloadFilter : public RouterTest, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(PreloadFilter, LeavesOutTheWiresItsBitsName)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kFilterDesign));
    SCR_SetPreloadBits(GetParam().bits);
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    EXPECT_EQ(Chain(ImageNet("A")).size(), GetParam().chainA);
    EXPECT_EQ(Chain(ImageNet("B")).size(), GetParam().chainB);
    // A wire left out is not in the image at all: the branches in use are
    // the two nets' and the frames of the page and of MAINPAGE.
    size_t inUse = 0;
    for (int32_t b = 1; b <= g_Branches.capacity; ++b) inUse += g_Branches[b].inUse != 0;
    EXPECT_EQ(inUse, GetParam().chainA + GetParam().chainB + 2);
    EXPECT_EQ(4 - GetParam().chainA - GetParam().chainB, GetParam().left);
}

INSTANTIATE_TEST_SUITE_P(Bits, PreloadFilter,
                         ::testing::Values(FilterCase{0, 1, 3, 0}, FilterCase{1, 1, 2, 1}, FilterCase{2, 1, 1, 2},
                                           FilterCase{4, 1, 2, 1}, FilterCase{5, 1, 1, 2}, FilterCase{7, 1, 0, 3}));

TEST_F(RouterTest, CrossingWiresOfANetGetJunctionPointsAndOneGroup)
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
  component R4 R at 10 10
  net A R1.2 R4.1 R2.1 R3.2
  wire A R1.2 (5 0) (5 10) R4.1
  wire A R2.1 (7 5) (2 5) (2 10) R3.2
end
)"));
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const int32_t a = ImageNet("A");
    const std::vector<int32_t> chain = Chain(a);
    ASSERT_EQ(chain.size(), 2u);
    for (int32_t b : chain) {
        bool junction = false;
        for (const auto& [x, y, f] : Points(b)) junction |= x == 5 * kU && y == 5 * kU && f == kPointJunction;
        EXPECT_TRUE(junction);
    }
    EXPECT_EQ(g_Branches[chain[0]].group, g_Branches[chain[1]].group);
    for (int32_t i = 0; i < g_Nets[a].nodeCount; ++i)
        EXPECT_EQ(g_Nodes[g_Nets[a].firstNode + i].group, g_Branches[chain[0]].group);
    // The pins at the wire ends are node points.
    EXPECT_EQ(std::get<2>(Points(chain[0]).front()), kPointNode);
}

TEST_F(RouterTest, AMemberWireTouchingItsBusGetsABusJunctionAndTheBusGroup)
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
  net C R1.2 R2.1
  net A R3.1 R3.2
  buswire BUS (0 5) (10 5)
  wire C R1.2 (3 8)
end
bus BUS C
)"));
    SCR_SetPreloadBits(7);  // the filter leaves member wires alone
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const int32_t bus = ImageNet("BUS"), c = ImageNet("C");
    ASSERT_EQ(Chain(bus).size(), 1u);
    ASSERT_EQ(Chain(c).size(), 1u);
    const int32_t busWire = Chain(bus)[0], wire = Chain(c)[0];
    EXPECT_GE(g_Branches[busWire].group, 16000);
    EXPECT_EQ(g_Branches[wire].group, g_Branches[busWire].group);
    bool tap = false;
    for (const auto& [x, y, f] : Points(busWire)) tap |= x == 3 * kU && y == 5 * kU && (f & kPointBusJunction);
    EXPECT_TRUE(tap);
    // The member net is loaded once, as a member.
    int32_t records = 0;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) records += g_Nets[n].kernelId == g_Nets[c].kernelId && !(g_Nets[n].flags & kNetBus);
    EXPECT_EQ(records, 1);
}

TEST_F(RouterTest, TwoWiresEndingAtOneFreePointBecomeOneBranch)
{
    ASSERT_TRUE(palvane_test::BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  net A R1.2 R2.1
  wire A R1.2 (5 0)
  wire A (5 0) (5 3) (7 3) R2.1
end
)"));
    SCR_SetPreloadBits(0);
    ASSERT_EQ(LoadImage(), 1);
    const std::vector<int32_t> chain = Chain(ImageNet("A"));
    ASSERT_EQ(chain.size(), 1u);
    EXPECT_EQ(Points(chain[0]).size(), 5u);
}

}  // namespace
}  // namespace router_test
