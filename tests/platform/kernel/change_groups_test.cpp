// Change groups: an edit kept whole, or the design put back as it was when
// the group began, with the page, the level and every table as they were.
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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

// Which failure answers are failed steps: a call that finds what it was
// asked about not there (nothing to mark, gone already, a count of 0)
// answers an outcome and the group keeps its edit; a call the kernel could
// not carry out, or the test hook refused, fails the group.
TEST_F(ChangeGroups, OnlyFailuresAndRefusalsAreFailedSteps)
{
    struct Case {
        const char* name;
        std::function<int32_t()> call;
        int32_t answer;  // the call's answer, unrefused
        bool failure;    // whether that answer is a failed step
        const char* hooked;  // the export the refusal hook names
    };
    const int32_t bus = N_CreateBus(0, 1, "BUS");
    ASSERT_NE(bus, 0);
    // Slot 2 taken, slots 0 and 1 free.
    ASSERT_EQ(N_SetBusMember(bus, 2, 1), 2);
    ASSERT_NE(B_CreateBranch(0, 1, 1), 0);
    const std::vector<Case> cases = {
        {"unmark no object", [] { return O_Mask(0, 0, 256); }, 0, false, "O_Mask"},
        {"unmark a handle of no object", [] { return O_Mask(0x7fff0000, 0, 256); }, 0, false, "O_Mask"},
        {"mark a record that is not there", [] { return B_MaskRecord(1, 5, 256, 256); }, 0, false, "B_MaskRecord"},
        {"mark a trace record that is not there", [] { return T_MaskRecord(7, 1, 256, 256); }, 0, false, "T_MaskRecord"},
        {"mark an empty map", [] { return OM_MaskAll(DB_JunctMap(), 256, 256); }, 0, false, "OM_MaskAll"},
        {"mark ids that are not there", [] { const int32_t ids[] = {42}; return OM_MaskIds(DB_NetMap(), ids, 1, 256, 256); }, 0, false, "OM_MaskIds"},
        {"mark no wire's records", [] { return B_MaskAllRecords(256, 256); }, 0, false, "B_MaskAllRecords"},
        {"mark the nodes of none", [] { return N_MaskAllNodes(256, 256); }, 0, false, "N_MaskAllNodes"},
        {"delete an id gone already", [] { return OM_Delete(DB_NetMap(), 42); }, 0, false, "OM_Delete"},
        {"delete all of an empty map", [] { return OM_DeleteAll(DB_JunctMap()); }, 0, false, "OM_DeleteAll"},
        {"give back a free junction id", [] { return AddToHeap(0, 42, 2); }, 0, false, "AddToHeap"},
        {"free a free bus slot", [bus] { return N_DeleteBusMember(bus, 0); }, 0, false, "N_DeleteBusMember"},
        {"make a net under a taken id", [] { return N_CreateNet(1, 1, "X"); }, 0, true, "N_CreateNet"},
        {"delete a level", [] { return OM_Delete(DB_HierarchyMap(), 1); }, 0, true, "OM_Delete"},
        {"delete from no map", [] { return OM_Delete(0, 1); }, 0, true, "OM_Delete"},
        {"free a bus slot out of range", [bus] { return N_DeleteBusMember(bus, 500); }, 0, true, "N_DeleteBusMember"},
        {"rename no object", [] { return O_Rename(0, "X"); }, 0, true, "O_Rename"},
        {"switch to no page", [] { return DB_SetCurPage(77); }, 0, true, "DB_SetCurPage"},
        {"mark a net", [] { return O_Mask(N_Net(1), 256, 256); }, 1, false, "O_Mask"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint64_t before = KT_DesignDigest();
        // The call as the edit makes it, after a change that stays.
        ASSERT_EQ(DB_BeginChange(), 1);
        ASSERT_NE(N_CreateNet(0, 1, "KEPT"), 0);
        EXPECT_EQ(c.call(), c.answer);
        EXPECT_EQ(DB_EndChange(2), c.failure ? 3 : 1);
        EXPECT_EQ(OM_FindName(DB_NetMap(), "KEPT") != 0, !c.failure);
        if (const int32_t kept = OM_FindName(DB_NetMap(), "KEPT")) {
            ASSERT_EQ(OM_Delete(DB_NetMap(), kept), 1);
        }
        O_Mask(N_Net(1), 0, 256);
        EXPECT_EQ(KT_DesignDigest(), before);
        // Refused by the hook, the same call is always a failed step.
        ASSERT_EQ(DB_BeginChange(), 1);
        KT_FailCall(c.hooked, 1);
        c.call();
        EXPECT_STREQ(KT_LastRefused(), c.hooked);
        KT_FailCall("", 0);
        EXPECT_EQ(DB_EndChange(2), 5);
        EXPECT_EQ(KT_DesignDigest(), before);
    }
}

}  // namespace
