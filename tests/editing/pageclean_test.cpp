// Cleaning a page and deleting one component.
#include "editor/objects/wire_state.h"
#include "editor/shell/controls.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

// N runs on both pages; M and bus B only on P1; bus C on P2.
const char* kTwoPages = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net M
bus B
bus C
page P1 frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  wire N R1.2 R2.1
  wire M R1.1 (0 -5)
  buswire B (0 10) (20 10)
end
page P2 frame 60 40
  component R3 R at 0 0
  component R4 R at 20 0
  wire N R3.2 R4.1
  buswire C (0 10) (20 10)
end
)";

using PageClean = EditingTest;

TEST_F(PageClean, RemovesThePagesObjectsAndWhatNothingElseUses)
{
    Use(kTwoPages, "P1");
    const int32_t p1 = PageId("P1");
    ASSERT_NE(B_Branch(-100 - p1), 0);
    Main().CleanPage();

    EXPECT_EQ(CompId("R1"), 0);
    EXPECT_EQ(CompId("R2"), 0);
    EXPECT_NE(CompId("R3"), 0);
    EXPECT_NE(CompId("R4"), 0);
    // N keeps its wire and nodes on P2; M and bus B had nothing elsewhere.
    ASSERT_NE(NetId("N"), 0);
    EXPECT_EQ(Wires(NetId("N")).size(), 1u);
    NetRec net{};
    ASSERT_NE(N_ReadNet(NetId("N"), &net), 0);
    EXPECT_EQ(net.Nodes, 2);
    EXPECT_EQ(NetId("M"), 0);
    EXPECT_EQ(BusId("B"), 0);
    EXPECT_NE(BusId("C"), 0);
    EXPECT_EQ(Wires(BusId("C"), 1).size(), 1u);
    // The frame stays.
    EXPECT_NE(B_Branch(-100 - p1), 0);
    EXPECT_NE(Main().F_MsgLine->Caption().find("Cleaning Page: P1 completed"), std::string::npos);
}

TEST_F(PageClean, RefusedDeletionsArePassedOver)
{
    Use(kTwoPages, "P1");
    // The kernel refuses every deletion: each walk passes the objects once
    // and the cleaning ends with the design as it was.
    KT_FailCall("OM_Delete", 1, -1);
    Main().CleanPage();
    KT_FailCall("", 0);
    EXPECT_EQ(Count(DB_SchCompMap()), 4);
    EXPECT_EQ(Count(DB_NetMap()), 2);
    EXPECT_EQ(Count(DB_BusMap()), 2);
}

TEST_F(PageClean, RemoveComponentKeepsItsWires)
{
    Use(kTwoPages, "P1");
    const int32_t wires = static_cast<int32_t>(Wires(NetId("N")).size());
    Main().RemoveComponent(CompId("R2"));
    EXPECT_EQ(CompId("R2"), 0);
    ASSERT_NE(NetId("N"), 0);
    // The wire from R1 to R2 lost its end at R2's pin but not the wire on P2.
    EXPECT_GE(static_cast<int32_t>(Wires(NetId("N")).size()), wires - 1);
    NetRec net{};
    ASSERT_NE(N_ReadNet(NetId("N"), &net), 0);
    EXPECT_EQ(net.Nodes, 3);
    EXPECT_EQ(O_GetStatus(N_Net(NetId("N"))) & 0x81, 1);
}

}  // namespace
