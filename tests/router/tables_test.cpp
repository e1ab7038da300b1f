// The image tables and the two pools: capacities, growth, the free lists and
// freeing the whole image.
#include "tests/router/router_fixture.h"

#include <gtest/gtest.h>

namespace router_test {
namespace {

using namespace corvex;

TEST(ImageTables, ATableTakesRecordsWhileCountPlusOneIsBelowItsCapacity)
{
    ASSERT_EQ(AllocateFullMemoryForComponents(), 1);
    for (int32_t i = 1; i <= 15998; ++i) g_Comps.Append(ScrCompRec{});
    EXPECT_FALSE(g_Comps.Full());  // the 15999th still fits
    g_Comps.Append(ScrCompRec{});
    EXPECT_EQ(g_Comps.Count(), 15999);
    EXPECT_TRUE(g_Comps.Full());  // the 16000th does not
    FreeAllMemory();
}

struct PoolCase {
    const char* name;
    void (*run)();
};

class PoolCases : public ::testing::TestWithParam<PoolCase> {
protected:
    void SetUp() override
    {
        g_ErrorCode = g_ErrorFunc = 0;
        ASSERT_EQ(AllocBranches(), 1);
        ASSERT_EQ(AllocBPoints(), 1);
    }
    void TearDown() override { FreeAllMemory(); }
};

TEST_P(PoolCases, Behaves) { GetParam().run(); }

INSTANTIATE_TEST_SUITE_P(
    Pools, PoolCases,
    ::testing::Values(
        PoolCase{"BendPointPoolGrowsAndKeepsIndices",
                 [] {
                     std::vector<int32_t> taken;
                     for (int i = 0; i < 1000; ++i) taken.push_back(NewBPoint());
                     for (size_t i = 0; i < taken.size(); ++i) g_BPoints[taken[i]].x = static_cast<int32_t>(i);
                     EXPECT_EQ(g_BPoints.capacity, 1000);
                     const int32_t extra = NewBPoint();
                     EXPECT_EQ(extra, 1001);
                     EXPECT_EQ(g_BPoints.capacity, 2000);
                     for (size_t i = 0; i < taken.size(); ++i) EXPECT_EQ(g_BPoints[taken[i]].x, static_cast<int32_t>(i));
                 }},
        PoolCase{"AFreedBendPointIsTakenAgainFirst",
                 [] {
                     NewBPoint();
                     const int32_t p = NewBPoint();
                     NewBPoint();
                     FreeBPoint(p);
                     EXPECT_EQ(NewBPoint(), p);
                 }},
        PoolCase{"FreeingTwiceLeavesTheFreeListSound",
                 [] {
                     const int32_t p = NewBPoint();
                     FreeBPoint(p);
                     FreeBPoint(p);
                     const int32_t a = NewBPoint(), b = NewBPoint();
                     EXPECT_EQ(a, p);
                     EXPECT_NE(b, p);
                     const int32_t br = NewBranch();
                     FreeBranch(br);
                     FreeBranch(br);
                     EXPECT_EQ(NewBranch(), br);
                     EXPECT_NE(NewBranch(), br);
                 }},
        PoolCase{"ANewBranchStartsWithClearFields",
                 [] {
                     const int32_t b = NewBranch();
                     g_Branches[b] = ScrBranchRec{7, 3, 4, 5, 6, 0, 9, 1};
                     DeleteBranchPoints(b);
                     const int32_t again = NewBranch();
                     ASSERT_EQ(again, b);
                     EXPECT_EQ(g_Branches[b].flags, 0);
                     EXPECT_EQ(g_Branches[b].group, 0);
                     EXPECT_EQ(g_Branches[b].page, 0);
                     EXPECT_EQ(g_Branches[b].kernelId, 0);
                 }},
        PoolCase{"TheBranchPoolEndsAt64000",
                 [] {
                     for (int i = 0; i < 64000; ++i) ASSERT_NE(NewBranch(), 0);
                     EXPECT_EQ(NewBranch(), 0);
                     EXPECT_EQ(SCR_ErrorFunc(), 1730);
                     EXPECT_EQ(SCR_ErrorCode(), 3);
                 }},
        PoolCase{"UnlinkingTheFirstPointMovesTheBranchStart",
                 [] {
                     const int32_t b = NewBranch();
                     const int32_t p = NewBPoint(), q = NewBPoint();
                     g_Branches[b].firstPoint = p;
                     g_BPoints[p].branch = g_BPoints[q].branch = b;
                     g_BPoints[p].next = q;
                     g_BPoints[q].prev = p;
                     UnlinkBPoint(p);
                     EXPECT_EQ(g_Branches[b].firstPoint, q);
                     EXPECT_EQ(g_BPoints[q].prev, 0);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImageTables, FindPageIndexOfAnUnknownPageIsZero)
{
    AllocPages();
    ScrPageRec page{};
    page.pageId = 3;
    g_Pages.Append(page);
    EXPECT_EQ(FindPageIndex(3), 1);
    EXPECT_EQ(FindPageIndex(4), 0);
    FreeAllMemory();
}

TEST(ImageTables, FreeingTwiceOrBeforeAnyLoadIsHarmlessAndTheCountsReadZero)
{
    SCR_DBaseFree();
    SCR_DBaseFree();
    EXPECT_EQ(SCR_nComp(), 0);
    EXPECT_EQ(SCR_nSymb(), 0);
    EXPECT_EQ(SCR_nEntry(), 0);
    EXPECT_EQ(SCR_nItem(), 0);
    EXPECT_EQ(SCR_nNet(), 0);
    EXPECT_EQ(SCR_nNode(), 0);
}

}  // namespace
}  // namespace router_test
