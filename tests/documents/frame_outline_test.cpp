// The outline arithmetic of the page format dialog and the writing of an
// outline as a page's frame branch.
#include "editor/documents/frame_outline.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/documents/frame_fixture.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

CheckedArray<FramePoint> Corners()
{
    CheckedArray<FramePoint> points(0, 1);
    return points;
}

TEST(FrameOutline, RectangleOfElevenByEightAndAHalfInches)
{
    CheckedArray<FramePoint> points;
    MakeFrameRectangle(points, 27940000, 21590000);
    ASSERT_EQ(points.UBound(), 4);
    EXPECT_EQ(points(0).X, -13970000);
    EXPECT_EQ(points(0).Y, -10795000);
    EXPECT_EQ(points(2).X, 13970000);
    EXPECT_EQ(points(2).Y, 10795000);
    EXPECT_EQ(points(4).X, points(0).X);
    EXPECT_EQ(points(4).Y, points(0).Y);
    // Halves round to even.
    MakeFrameRectangle(points, 3, 5);
    EXPECT_EQ(points(2).X, 2);
    EXPECT_EQ(points(2).Y, 2);
}

TEST(FrameOutline, CornersAreCentredOnAThousandGrid)
{
    CheckedArray<FramePoint> points = Corners();
    ASSERT_TRUE(AddFramePoint(points, 10000000, 0));  // 100 mm
    ASSERT_TRUE(AddFramePoint(points, 0, 5000000));
    ASSERT_TRUE(AddFramePoint(points, -10000000, 0));
    ASSERT_EQ(points.UBound(), 4);  // four corners and the closing point
    EXPECT_EQ(points(0).X, -5000000);
    EXPECT_EQ(points(0).Y, -2500000);
    EXPECT_EQ(points(2).X, 5000000);
    EXPECT_EQ(points(2).Y, 2500000);
    EXPECT_EQ(points(4).X, points(0).X);
    EXPECT_FALSE(IsFrameIncomplete(points));

    // An odd step: the lower left corner still lies on a multiple of 1000.
    CheckedArray<FramePoint> odd = Corners();
    ASSERT_TRUE(AddFramePoint(odd, 12345, 0));
    ASSERT_TRUE(AddFramePoint(odd, 0, 6789));
    int32_t minX = odd(0).X, minY = odd(0).Y;
    for (long i = 0; i <= odd.UBound(); ++i) {
        minX = std::min(minX, odd(i).X);
        minY = std::min(minY, odd(i).Y);
    }
    EXPECT_EQ(minX % 1000, 0);
    EXPECT_EQ(minY % 1000, 0);
}

TEST(FrameOutline, StepLimitsAndDeletes)
{
    CheckedArray<FramePoint> points = Corners();
    EXPECT_TRUE(AddFramePoint(points, kFrameSpanLimit, 0));
    CheckedArray<FramePoint> over = Corners();
    EXPECT_FALSE(AddFramePoint(over, kFrameSpanLimit + 1, 0));
    EXPECT_EQ(over.UBound(), 1);

    EXPECT_TRUE(DeleteFramePoint(points));
    EXPECT_EQ(points.UBound(), 1);
    EXPECT_FALSE(DeleteFramePoint(points));
    EXPECT_EQ(points.UBound(), 1);
    EXPECT_EQ(points(1).X, 0);
}

TEST(FrameOutline, IncompleteOutlines)
{
    CheckedArray<FramePoint> two = Corners();
    AddFramePoint(two, 1000000, 0);
    EXPECT_TRUE(IsFrameIncomplete(two));
    CheckedArray<FramePoint> three = two;
    AddFramePoint(three, 0, 1000000);
    EXPECT_FALSE(IsFrameIncomplete(three));
    // Three corners on one slanted line enclose nothing.
    CheckedArray<FramePoint> slanted = Corners();
    AddFramePoint(slanted, 1000000, 1000000);
    AddFramePoint(slanted, 1000000, 1000000);
    EXPECT_TRUE(IsFrameIncomplete(slanted));
    CheckedArray<FramePoint> empty(0, 4);
    EXPECT_TRUE(IsFrameIncomplete(empty));
    EXPECT_EQ(RoundFramePoint(1500), 2000);
    EXPECT_EQ(RoundFramePoint(-1500), -2000);
    EXPECT_EQ(RoundFramePoint(1499), 1000);
}

class FrameWrite : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_NE(DB_CreateDataBase("T", "MAINHIER", "MAINPAGE"), 0);
        frame = -100 - DB_CurPage();
    }
    void TearDown() override
    {
        KT_FailJunctionCreation(0);
        E_SetString("KernelFaultForTests", "");
        KernelTest::TearDown();
    }
    int32_t frame = 0;
};

TEST_F(FrameWrite, WritesClosedOutlineAndReplacesTheOld)
{
    CheckedArray<FramePoint> rect;
    MakeFrameRectangle(rect, 2000000, 1000000);
    ASSERT_TRUE(WritePageFrame(frame, rect, 0));
    FrameRead first = ReadFrame(frame);
    ASSERT_EQ(first.points.size(), 5u);
    EXPECT_EQ(first.refs.front(), first.refs.back());
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), 4);

    MakeFrameRectangle(rect, 4000000, 3000000);
    ASSERT_TRUE(WritePageFrame(frame, rect, 0));
    FrameRead second = ReadFrame(frame);
    ASSERT_EQ(second.points.size(), 5u);
    EXPECT_EQ(second.points[2], std::make_pair(2000000, 1500000));
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), 4);  // the old junctions went
}

TEST_F(FrameWrite, RefusalKeepsTheOldFrame)
{
    CheckedArray<FramePoint> rect;
    MakeFrameRectangle(rect, 2000000, 1000000);
    ASSERT_TRUE(WritePageFrame(frame, rect, 0));
    const FrameRead before = ReadFrame(frame);

    MakeFrameRectangle(rect, 4000000, 3000000);
    for (int n = 1; n <= 4; ++n) {
        KT_FailJunctionCreation(n);
        EXPECT_FALSE(WritePageFrame(frame, rect, 0)) << n;
        KT_FailJunctionCreation(0);
        const FrameRead after = ReadFrame(frame);
        EXPECT_EQ(after.points, before.points) << n;
        EXPECT_EQ(after.refs, before.refs) << n;
        EXPECT_EQ(OM_GetCount(DB_JunctMap()), 4) << n;
    }
    E_SetString("KernelFaultForTests", "B_InsertRecord");
    EXPECT_FALSE(WritePageFrame(frame, rect, 0));
    E_SetString("KernelFaultForTests", "");
    EXPECT_EQ(ReadFrame(frame).points, before.points);
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), 4);

    // Without an old frame, a refusal leaves no branch behind.
    ASSERT_NE(OM_Delete(DB_BranchMap(), frame), 0);
    KT_FailJunctionCreation(2);
    EXPECT_FALSE(WritePageFrame(frame, rect, 0));
    EXPECT_FALSE(ReadFrame(frame).exists);
}

}  // namespace
