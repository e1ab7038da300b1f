// The connected pieces of a net: the segment touch test, the grouping of a
// net's wires and the point-list merge.
#include "editor/objects/net_groups.h"
#include "tests/objects/net_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

using NetGroups = KernelTest;

TEST_F(NetGroups, SegmentsTouchTable)
{
    struct Case {
        const char* name;
        int32_t a[4];
        int32_t b[4];
        int32_t touch;
        int32_t x, y;
    };
    const Case cases[] = {
        {"crossing", {0, 0, 1000, 1000}, {0, 1000, 1000, 0}, 1, 500, 500},
        {"T", {0, 0, 1000, 0}, {500, 0, 500, 1000}, 1, 500, 0},
        {"end on end", {0, 0, 1000, 0}, {1000, 0, 1000, 1000}, 1, 1000, 0},
        {"collinear, B inside A", {0, 0, 1000, 0}, {200, 0, 500, 0}, 1, 200, 0},
        {"collinear, A inside a longer B", {200, 0, 500, 0}, {0, 0, 1000, 0}, 1, 200, 0},
        {"diagonal, A inside a longer B", {200, 200, 400, 400}, {0, 0, 1000, 1000}, 1, 200, 200},
        {"collinear, overlapping ends", {0, 0, 600, 0}, {400, 0, 1000, 0}, 1, 400, 0},
        {"offset diagonal parallels", {0, 0, 1000, 1000}, {100, 0, 1100, 1000}, 0, 0, 0},
        {"parallels one unit apart", {0, 0, 1000, 0}, {0, 1, 1000, 1}, 0, 0, 0},
        {"collinear, apart", {0, 0, 1000, 0}, {2000, 0, 3000, 0}, 0, 0, 0},
        {"lines cross beyond the segments", {0, 0, 1000, 0}, {2000, -500, 2000, 500}, 0, 0, 0},
        {"disjoint", {0, 0, 1000, 0}, {2000, 500, 3000, 900}, 0, 0, 0},
        {"large coordinates", {-200000000, -200000000, 200000000, 200000000}, {-200000000, 200000000, 200000000, -200000000}, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t status = 7, x = -1, y = -1;
        SegmentsTouch(status, c.a, c.b, x, y);
        EXPECT_EQ(status, c.touch);
        if (c.touch == 1) {
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        }
        // The other way round gives the same answer.
        SegmentsTouch(status, c.b, c.a, x, y);
        EXPECT_EQ(status, c.touch);
    }
}

TEST_F(NetGroups, GroupNetBranchesFindsThePieces)
{
    struct Case {
        const char* name;
        const char* lines;
        std::vector<int32_t> groups;
    };
    const Case cases[] = {
        {"two wires apart", "", {1, 2}},
        {"a wire joining both at their ends (junctions)", "wire N (8 0) (12 0)", {1, 1, 1}},
        {"crossing wires without junction", "wire N (6 -5) (6 5)\nwire N (14 -5) (14 5)\nwire N (10 -5) (10 5)",
         {1, 2, 1, 2, 3}},
        {"an end on the other's segment", "wire N (5 8) (5 0)\nwire N (13 10) (13 0)", {1, 2, 1, 2}},
        {"parallel wires without overlap", "wire N (3 1) (8 1)", {1, 2, 3}},
        {"collinear and overlapping", "wire N (6 1) (6 3)\nwire N (6 4) (6 2)", {1, 2, 3, 3}},
        {"two wires at one pin", "wire N Y.2 (30 0)\nwire N Y.2 (23 5)", {1, 2, 3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BuildDesign(NetsWith(c.lines)));
        int32_t status = 5;
        GroupNetBranches(status, Net("N"));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(Groups(), c.groups);
        int32_t count = 0;
        for (int32_t g : c.groups) count = std::max(count, g);
        EXPECT_EQ(g_NetGroupRefs(0).Ref, count);
        EXPECT_EQ(g_NetGroupLists.UBound(), count);
        // Every reference carries the group of its branch.
        for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r)
            for (long k = 1; k <= g_NetGroupBranches.UBound(); ++k) {
                if (g_NetGroupBranches(k).Branch == g_NetGroupRefs(r).Branch) {
                    EXPECT_EQ(g_NetGroupRefs(r).Group, g_NetGroupBranches(k).Group);
                }
            }
    }
}

// Net N has one wire on page P and one on page Q, placed so that they would
// cross or overlap if they lay on one page. Only wires of one page touch.
TEST_F(NetGroups, WiresOfDifferentPagesNeverTouch)
{
    struct Case {
        const char* name;
        const char* second;  // the second wire, on `page`
        const char* page;
        std::vector<int32_t> groups;
    };
    const Case cases[] = {
        {"crossing on one page", "(5 -5) (5 5)", "P", {1, 1}},
        {"crossing across pages", "(5 -5) (5 5)", "Q", {1, 2}},
        {"collinear overlap across pages", "(4 0) (14 0)", "Q", {1, 2}},
        {"end on the other's segment across pages", "(5 0) (5 8)", "Q", {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string page = c.page;
        const std::string text = std::string(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P frame 80 40
  wire N (0 0) (10 0)
)") + (page == "P" ? std::string("  wire N ") + c.second + "\n" : "") +
                                 "end\npage Q frame 80 40\n" +
                                 (page == "Q" ? std::string("  wire N ") + c.second + "\n" : "") + "end\n";
        ASSERT_TRUE(BuildDesign(text));
        const auto wires = Branches(Net("N"));
        ASSERT_EQ(wires.size(), 2u);
        int32_t status = 5;
        GroupNetBranches(status, Net("N"));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(Groups(), c.groups);
        EXPECT_EQ(g_NetGroupRefs(0).Ref, c.groups.back());

        // The point-list merge makes the same decision.
        g_NetGroupLists.Redim(0, 2);
        g_NetGroupLists(1) = std::to_string(wires[0]);
        g_NetGroupLists(2) = std::to_string(wires[1]);
        g_GroupPointsA.Redim(0, 0);
        g_GroupPointsB.Redim(0, 0);
        LoadBranchRecords(wires[0], 1, g_GroupPointsA);
        LoadBranchRecords(wires[1], 2, g_GroupPointsB);
        PointListsTouch(status);
        EXPECT_EQ(status, c.groups.back() == 1 ? 1 : 0);
    }
}

TEST_F(NetGroups, TheListsNameTheBranchesOfEachGroup)
{
    ASSERT_TRUE(BuildDesign(NetsWith("wire N (5 8) (5 0)")));
    int32_t status = 5;
    GroupNetBranches(status, Net("N"));
    const auto b = Branches(Net("N"));
    ASSERT_EQ(b.size(), 3u);
    EXPECT_EQ(g_NetGroupLists(1), std::to_string(b[0]) + "," + std::to_string(b[2]));
    EXPECT_EQ(g_NetGroupLists(2), std::to_string(b[1]));
}

TEST_F(NetGroups, NetsWithoutWiresAndUnreadableNets)
{
    ASSERT_TRUE(BuildDesign(kNets));
    int32_t status = 0;
    GroupNetBranches(status, Net("M"));
    EXPECT_EQ(status, 1);
    EXPECT_EQ(g_NetGroupBranches.UBound(), 0);
    // An unreadable net leaves the status and the tables of the last analysis.
    GroupNetBranches(status, Net("N"));
    ASSERT_EQ(status, 0);
    status = 9;
    GroupNetBranches(status, 9999);
    EXPECT_EQ(status, 9);
    EXPECT_EQ(g_NetGroupBranches.UBound(), 2);
}

TEST_F(NetGroups, CollectNetBranchesGroupsBySharedReferencesOnly)
{
    // The crossing wire shares nothing with the others: a group of its own.
    ASSERT_TRUE(BuildDesign(NetsWith("wire N (10 -5) (10 5)\nwire N (8 0) (8 5)")));
    int32_t status = 5;
    CollectNetBranches(status, Net("N"));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Groups(), (std::vector<int32_t>{1, 2, 3, 1}));
    EXPECT_EQ(g_NetGroupRefs(0).Ref, 3);
    // References stand group by group.
    for (long r = 2; r <= g_NetGroupRefs.UBound(); ++r) EXPECT_LE(g_NetGroupRefs(r - 1).Group, g_NetGroupRefs(r).Group);
}

TEST_F(NetGroups, PointListsTouchMergesTheFirstTouchingLists)
{
    ASSERT_TRUE(BuildDesign(NetsWith("wire N (6 -5) (6 5)")));
    const auto b = Branches(Net("N"));
    ASSERT_EQ(b.size(), 3u);
    g_NetGroupLists.Redim(0, 3);
    for (int k = 0; k < 3; ++k) g_NetGroupLists(k + 1) = std::to_string(b[static_cast<size_t>(k)]);
    g_GroupPointsA.Redim(0, 0);
    g_GroupPointsB.Redim(0, 0);
    LoadBranchRecords(b[1], 2, g_GroupPointsA);
    ASSERT_EQ(g_GroupPointsA.UBound(), 3);  // a separator and two points
    EXPECT_EQ(g_GroupPointsA(1).Kind, kGroupSeparator);
    EXPECT_EQ(g_GroupPointsA(2).Kind, 2);  // a junction point
    EXPECT_EQ(g_GroupPointsA(3).Kind, 3);  // the pin
    LoadBranchRecords(b[2], 3, g_GroupPointsB);
    int32_t status = 5;
    PointListsTouch(status);
    EXPECT_EQ(status, 0);

    // The crossing wire against the other two: it meets wire 1.
    g_GroupPointsA.Redim(0, 0);
    g_GroupPointsB.Redim(0, 0);
    LoadBranchRecords(b[2], 3, g_GroupPointsA);
    LoadBranchRecords(b[1], 2, g_GroupPointsB);
    LoadBranchRecords(b[0], 1, g_GroupPointsB);
    PointListsTouch(status);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(g_NetGroupLists(3), std::to_string(b[2]) + "," + std::to_string(b[0]));
    EXPECT_EQ(g_NetGroupLists(1), "");
    EXPECT_EQ(g_NetGroupLists(2), std::to_string(b[1]));
}

}  // namespace
