// Change groups: an edit kept whole, or the design put back as it was when
// the group began, with the page, the level and every table as they were.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

namespace {

using palvane_test::KernelTest;

class ChangeGroups : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_NE(DB_CreateDataBase("D", "MAIN", "P1"), 0);
        ASSERT_EQ(N_CreateNet(0, 1, "A"), 1);
        ASSERT_NE(DB_CreatePage(0, "P2"), 0);
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        while (DB_EndChange(1) != 0) {
        }
        KernelTest::TearDown();
    }
};

TEST_F(ChangeGroups, KeptChangesStayAndUnkeptOnesGoBack)
{
    const uint64_t before = KT_DesignDigest();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    EXPECT_EQ(DB_EndChange(1), 1);
    EXPECT_EQ(OM_FindName(DB_NetMap(), "B"), 2);

    const uint64_t withB = KT_DesignDigest();
    EXPECT_NE(withB, before);
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(O_Rename(N_Net(1), "RENAMED"), 1);
    ASSERT_EQ(OM_Delete(DB_NetMap(), 2), 1);
    ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "P2")), 0);
    // Put back with no failed step: 4.
    EXPECT_EQ(DB_EndChange(0), 4);
    EXPECT_EQ(KT_DesignDigest(), withB);
    EXPECT_EQ(OM_FindName(DB_NetMap(), "A"), 1);
    EXPECT_EQ(OM_FindName(DB_NetMap(), "B"), 2);
}

TEST_F(ChangeGroups, MarksArePutBackAndSearchesByMaskChangeNothing)
{
    ASSERT_EQ(O_Mask(N_Net(1), 0, 8), 1);
    const uint64_t before = KT_DesignDigest();
    // Searches by mask only read: the group has nothing to put back.
    ASSERT_EQ(DB_BeginChange(), 1);
    int32_t cursor = 0;
    EXPECT_EQ(OM_SearchMask(DB_NetMap(), &cursor, 8, 8), 0);
    EXPECT_EQ(OM_FindMask(DB_NetMap(), 8, 8), 0);
    EXPECT_EQ(DB_EndChange(0), 2);
    // A mark is a change of the design: an unkept group takes it back.
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(O_Mask(N_Net(1), 8, 8), 1);
    EXPECT_EQ(OM_FindMask(DB_NetMap(), 8, 8), 1);
    EXPECT_EQ(DB_EndChange(0), 4);
    EXPECT_EQ(KT_DesignDigest(), before);
    EXPECT_EQ(OM_FindMask(DB_NetMap(), 8, 8), 0);
}

TEST_F(ChangeGroups, AnUnchangedDesignIsNotPutBack)
{
    ASSERT_EQ(DB_BeginChange(), 1);
    const int32_t handle = N_Net(1);
    EXPECT_EQ(DB_EndChange(0), 2);
    // Nothing was read back: the handles stay good.
    EXPECT_EQ(N_Net(1), handle);
}

TEST_F(ChangeGroups, ARefusedStepIsReported)
{
    const uint64_t before = KT_DesignDigest();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    KT_FailCall("N_CreateNet", 1);
    EXPECT_EQ(N_CreateNet(0, 1, "C"), 0);
    KT_FailCall("", 0);
    EXPECT_EQ(DB_EndChange(0), 3);
    EXPECT_EQ(KT_DesignDigest(), before);
    // Refused before anything changed: nothing to put back, but said.
    ASSERT_EQ(DB_BeginChange(), 1);
    KT_FailCall("N_CreateNet", 1);
    EXPECT_EQ(N_CreateNet(0, 1, "C"), 0);
    KT_FailCall("", 0);
    EXPECT_EQ(DB_EndChange(0), 5);
    // A failed read is no failed step.
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    EXPECT_EQ(N_Net(99), 0);
    EXPECT_EQ(DB_EndChange(0), 4);
}

TEST_F(ChangeGroups, FinishingKeepsUnlessAStepFailed)
{
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    EXPECT_EQ(DB_EndChange(2), 1);
    const uint64_t withB = KT_DesignDigest();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "C"), 3);
    EXPECT_EQ(N_CreateNet(3, 1, "taken"), 0);
    EXPECT_EQ(DB_EndChange(2), 3);
    EXPECT_EQ(KT_DesignDigest(), withB);
}

TEST_F(ChangeGroups, GroupsNestAndAnInnerUndoUndoesItsOwnPart)
{
    const uint64_t before = KT_DesignDigest();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "B"), 2);
    const uint64_t withB = KT_DesignDigest();
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_EQ(N_CreateNet(0, 1, "C"), 3);
    EXPECT_EQ(DB_EndChange(0), 4);  // inner: what it made goes
    EXPECT_EQ(OM_FindName(DB_NetMap(), "C"), 0);
    EXPECT_EQ(KT_DesignDigest(), withB);
    // The id the inner group took is free again.
    ASSERT_EQ(N_CreateNet(0, 1, "D"), 3);
    EXPECT_EQ(DB_EndChange(0), 4);
    EXPECT_EQ(KT_DesignDigest(), before);
}

TEST_F(ChangeGroups, EndWithoutBeginAndAnotherDesignAreRefused)
{
    EXPECT_EQ(DB_EndChange(1), 0);
    EXPECT_EQ(DB_EndChange(0), 0);
    ASSERT_EQ(DB_BeginChange(), 1);
    ASSERT_NE(DB_CreateDataBase("E", "MAIN", "P1"), 0);
    EXPECT_EQ(DB_EndChange(0), 0);
    EXPECT_STRNE(E_LastError(), "");
    // The group is over all the same.
    EXPECT_EQ(DB_EndChange(1), 0);
}

}  // namespace
