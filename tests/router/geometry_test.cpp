// Point rotation, exit directions, segment tests and the clean-up of branches.
#include "tests/router/router_fixture.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

using namespace corvex;

TEST(Geometry, RotatePointTurnsCounterClockwiseAndMirrorsFirst)
{
    struct Case {
        int32_t x, y, angle, mirror, ex, ey;
    } cases[] = {{1000, 0, 90, 0, 0, 1000},   {1000, 0, 360, 0, 1000, 0},  {1000, 0, 180, 0, -1000, 0},
                 {1000, 0, 270, 0, 0, -1000}, {1000, 0, 0, 1, -1000, 0},   {1000, 0, 90, 1, 0, -1000},
                 {1000, 500, -90, 0, 500, -1000}, {100000, 0, 30, 0, 86603, 50000}};
    for (const Case& c : cases) {
        int32_t x = c.x, y = c.y;
        RotatePoint(x, y, c.angle, c.mirror);
        EXPECT_EQ(x, c.ex) << c.angle << " " << c.mirror;
        EXPECT_EQ(y, c.ey) << c.angle << " " << c.mirror;
    }
}

TEST(Geometry, KernelAnglesBecomeWholeDegreesBelow360)
{
    EXPECT_EQ(KernelAngleToDegrees(360000), 0);
    EXPECT_EQ(KernelAngleToDegrees(720000), 0);
    EXPECT_EQ(KernelAngleToDegrees(-90000), 270);
    EXPECT_EQ(KernelAngleToDegrees(359999), 359);
    EXPECT_EQ(KernelAngleToDegrees(45500), 45);
}

TEST(Geometry, ExitBitsTurnBySectorOfThirtyDegrees)
{
    // +x only (16) and the inside flag (256), turned by each sector.
    struct Case {
        int32_t angle, bits;
    } cases[] = {{0, 16},        {29, 16},       {30, 16 | 32},  {60, 32},      {90, 32},        {120, 32 | 64},
                 {150, 64},      {180, 64},      {210, 64 | 128}, {240, 128},   {270, 128},      {300, 16 | 128},
                 {330, 16},      {359, 16},      {360, 16}};
    for (const Case& c : cases) {
        EXPECT_EQ(RotateExitBits(16 | 256, c.angle), c.bits | 256) << c.angle;
    }
}

TEST(Geometry, SegmentOverlapCases)
{
    struct Case {
        Seg s1, s2;
        int32_t result;
        Seg out;
    } cases[] = {
        {{0, 0, 100, 0}, {0, 0, 100, 0}, 2, {0, 0, 100, 0}},      // identical
        {{0, 0, 100, 0}, {50, 0, 200, 0}, 2, {50, 0, 100, 0}},    // shared stretch
        {{0, 0, 100, 0}, {100, 0, 200, 0}, 1, {100, 0, 200, 0}},  // end to end
        {{0, 0, 100, 0}, {50, -50, 50, 50}, 1, {50, 0, 50, 50}},  // crossing
        {{0, 0, 100, 0}, {50, 0, 50, 50}, 1, {50, 0, 50, 50}},    // T
        {{0, 0, 100, 0}, {0, 0, 0, 50}, 0, {0, 0, 0, 50}},        // both begin there: a corner
        {{0, 0, 100, 0}, {0, 10, 100, 10}, 0, {0, 10, 100, 10}},  // parallel
        {{0, 0, 100, 50}, {0, 0, 100, 50}, 0, {0, 0, 100, 50}},   // slanted s1
    };
    for (const Case& c : cases) {
        Seg s2 = c.s2;
        EXPECT_EQ(SegmentOverlap(c.s1, s2), c.result) << c.s2.x1 << "," << c.s2.y1 << " " << c.s2.x2 << "," << c.s2.y2;
        if (c.result) {
            EXPECT_EQ(s2.x1, c.out.x1);
            EXPECT_EQ(s2.y1, c.out.y1);
        }
        if (c.result == 2) {
            EXPECT_EQ(s2.x2, c.out.x2);
            EXPECT_EQ(s2.y2, c.out.y2);
        }
    }
}

TEST(Geometry, SegmentDirection)
{
    EXPECT_EQ(SegmentDirection({0, 0, 10, 0}), 0);
    EXPECT_EQ(SegmentDirection({0, 0, 0, 10}), 2);
    EXPECT_EQ(SegmentDirection({10, 0, 0, 0}), 4);
    EXPECT_EQ(SegmentDirection({0, 10, 0, 0}), 6);
    EXPECT_EQ(SegmentDirection({0, 0, 0, 0}), 4);
    EXPECT_EQ(SegmentDirection({0, 0, 5, 5}), 9);
    EXPECT_EQ(SCR_ErrorFunc(), 1800);
    EXPECT_EQ(SCR_ErrorCode(), 1);
}

// A branch of the given points (x, y, flags) in fresh pools.
int32_t MakeBranch(std::initializer_list<std::tuple<int32_t, int32_t, int32_t>> points)
{
    const int32_t b = NewBranch();
    int32_t prev = 0;
    for (const auto& [x, y, f] : points) {
        const int32_t p = NewBPoint();
        g_BPoints[p].x = x, g_BPoints[p].y = y, g_BPoints[p].flags = f, g_BPoints[p].branch = b;
        g_BPoints[p].prev = prev;
        (prev ? g_BPoints[prev].next : g_Branches[b].firstPoint) = p;
        prev = p;
    }
    return b;
}

class Cleanup : public ::testing::Test {
protected:
    void SetUp() override
    {
        AllocBranches();
        AllocBPoints();
    }
    void TearDown() override { FreeAllMemory(); }
};

using P = std::tuple<int32_t, int32_t, int32_t>;

TEST_F(Cleanup, CleanBranchCases)
{
    struct Case {
        std::vector<P> in, out;
    } cases[] = {
        {{{0, 0, 1}, {0, 0, 1}, {100, 0, 1}}, {{0, 0, 1}, {100, 0, 1}}},
        {{{0, 0, 1}, {50, 0, 1}, {100, 0, 1}}, {{0, 0, 1}, {100, 0, 1}}},
        {{{0, 0, 1}, {50, 0, 2}, {100, 0, 1}}, {{0, 0, 1}, {50, 0, 2}, {100, 0, 1}}},
        {{{0, 0, 1}, {100, 0, 1}, {40, 0, 1}}, {{0, 0, 1}, {40, 0, 1}}},
        {{{0, 0, 1}, {0, 100, 1}, {100, 100, 1}}, {{0, 0, 1}, {0, 100, 1}, {100, 100, 1}}},
    };
    for (const Case& c : cases) {
        const int32_t b = NewBranch();
        int32_t prev = 0;
        for (const auto& [x, y, f] : c.in) {
            const int32_t p = NewBPoint();
            g_BPoints[p].x = x, g_BPoints[p].y = y, g_BPoints[p].flags = f, g_BPoints[p].branch = b;
            g_BPoints[p].prev = prev;
            (prev ? g_BPoints[prev].next : g_Branches[b].firstPoint) = p;
            prev = p;
        }
        CleanBranch(b);
        EXPECT_EQ(Points(b), c.out);
    }
}

TEST_F(Cleanup, AStubThatComesBackIsSplitOffAtAJunction)
{
    // Up, out to the right and back, then on up.
    const int32_t b = MakeBranch({{0, 0, 1}, {0, 100, 1}, {50, 100, 1}, {0, 100, 1}, {0, 200, 1}});
    ASSERT_EQ(SplitBranchAtOverlaps(b), 1);
    EXPECT_EQ(Points(b), (std::vector<P>{{0, 0, 1}, {0, 100, 4}, {0, 200, 1}}));
    const int32_t stub = g_Branches[b].next;
    ASSERT_NE(stub, 0);
    EXPECT_EQ(Points(stub), (std::vector<P>{{50, 100, 1}, {0, 100, 5}}));
}

TEST_F(Cleanup, AWireThatRunsBackOverItselfBecomesATee)
{
    const int32_t b = MakeBranch({{0, 0, 1}, {100, 0, 1}, {40, 0, 1}, {40, 50, 1}});
    ASSERT_EQ(SplitBranchAtOverlaps(b), 1);
    EXPECT_EQ(Points(b), (std::vector<P>{{0, 0, 1}, {40, 0, 5}, {40, 50, 1}}));
    const int32_t rest = g_Branches[b].next;
    ASSERT_NE(rest, 0);
    EXPECT_EQ(Points(rest), (std::vector<P>{{100, 0, 1}, {40, 0, 4}}));
}

TEST_F(Cleanup, StubTurnsAway)
{
    EXPECT_EQ(StubTurnsAway(0, 0, 0, 10, 0, 20), 1);
    EXPECT_EQ(StubTurnsAway(0, 0, 0, 10, 0, -20), 0);
    EXPECT_EQ(StubTurnsAway(0, 0, -5, 0, -9, 0), 1);
    EXPECT_EQ(StubTurnsAway(0, 0, 5, 0, 0, 5), 0);
}

}  // namespace
}  // namespace router_test
