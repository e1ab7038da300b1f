// Deletion in the image, hit tests and the redraw: after each, the image's
// chains, points, groups and field grid agree, and routing can go on.
#include "tests/router/route_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <QDir>

#include <cstring>

namespace router_test {
namespace {

using corvex::g_Branches;
using corvex::g_Nodes;
using corvex_check::Consistency;
using corvex_check::Measure;

class DrawDelete : public RoutingTest {};

TEST_F(DrawDelete, DeletingARoutedWireSplitsItsGroupAndItCanBeRoutedAgain)
{
    ASSERT_TRUE(Load(kStraightPair));
    RouteAll();
    const int32_t net = NetIndex("A");
    const int32_t b = corvex::g_Nets[net].firstBranch;
    ASSERT_NE(b, 0);
    // The wire is picked on the canvas.
    const int32_t p = g_Branches[b].firstPoint;
    const int32_t at[2] = {(corvex::g_BPoints[p].x + corvex::g_BPoints[corvex::g_BPoints[p].next].x) / 2,
                           corvex::g_BPoints[p].y};
    EXPECT_EQ(SCR_QuestCommand(at, nullptr, 12), b);
    EXPECT_EQ(SCR_QuestCommand(at, nullptr, 1), net);
    EXPECT_EQ(SCR_QuestCommand(at, nullptr, 5), 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, b), 1);
    EXPECT_EQ(state, 1);
    EXPECT_STREQ(msg, "Delete selected Wire in net: \"A\". Deleting completed.");
    EXPECT_EQ(Measure().connected, 0);
    EXPECT_EQ(Consistency(), "");
    RouteAll();
    EXPECT_EQ(Measure().connected, 1);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(DrawDelete, DeletingTheMiddleSegmentLeavesTwoBranches)
{
    ASSERT_TRUE(Load(kPairAroundBody));
    RouteAll();
    const int32_t net = NetIndex("A");
    const int32_t b = corvex::g_Nets[net].firstBranch;
    ASSERT_GE(corvex::BranchPointCount(b), 4);
    const int32_t middle = corvex::g_BPoints[g_Branches[b].firstPoint].next;
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, middle), 1);
    EXPECT_EQ(BranchCount(net), 2);
    EXPECT_EQ(Measure().connected, 0);
    EXPECT_EQ(Consistency(), "");
    // The ratsnest line is back: the pair is picked by its line.
    const int32_t node = FirstPair();
    const int32_t between[2] = {(g_Nodes[node].x + g_Nodes[g_Nodes[node].partner].x) / 2,
                                (g_Nodes[node].y + g_Nodes[g_Nodes[node].partner].y) / 2};
    EXPECT_EQ(SCR_QuestCommand(between, nullptr, 3), node);
}

TEST_F(DrawDelete, BlockAndPageDeletion)
{
    ASSERT_TRUE(Load(kStraightPair));
    RouteAll();
    const int32_t c1[2] = {20 * 254000, 10 * 254000}, c2[2] = {-10 * 254000, -10 * 254000};
    const int32_t marked = SCR_QuestBlok(c1, c2, 0, 14);
    EXPECT_GE(marked, 1);
    EXPECT_EQ(SCR_QuestBlok(c1, c2, 0, 4), 1);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteBranchesWithBlok(&state, msg, sizeof msg), 1);
    EXPECT_EQ(state, 1);
    EXPECT_EQ(Measure().branches, 0);
    EXPECT_EQ(Consistency(), "");
    RouteAll();
    ASSERT_EQ(SCR_DeleteAllWiresInThePage(&state, msg, sizeof msg), 1);
    EXPECT_STREQ(msg, "Delete All Wires in one Net.");
    EXPECT_EQ(Measure().branches, 0);
    EXPECT_EQ(Measure().connected, 0);
    EXPECT_EQ(Consistency(), "");
}

TEST_F(DrawDelete, StatusTextsOfPoints)
{
    ASSERT_TRUE(Load(kStraightPair));
    char msg[100] = {};
    const int32_t outside[2] = {100 * 254000, 0};
    SCR_QuestObstacle(outside, msg, sizeof msg);
    EXPECT_STREQ(msg, " Outside of format boundaries.");
    const int32_t pin[2] = {3 * 254000, 0};
    SCR_QuestObstacle(pin, msg, sizeof msg);
    EXPECT_STREQ(msg, " Node: x=0.3000,y=0.0000. Net: \" A \". ");
    const int32_t empty[2] = {0, 30 * 254000};
    SCR_QuestObstacle(empty, msg, sizeof msg);
    EXPECT_STREQ(msg, "");
}

TEST_F(DrawDelete, RoutedDemoPageScreenshot)
{
    ASSERT_TRUE(Load(DemoDesign(), 0));
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteAllWiresInThePage(&state, msg, sizeof msg), 1);
    RouteAll();
    EXPECT_EQ(Measure().violations, 0);
    Canvas canvas;
    ASSERT_TRUE(canvas.Open());
    C_DrawAllComponents(1);
    ASSERT_EQ(SCR_RedrawPage(), 1);
    canvas.Close();
    EXPECT_GT(canvas.Painted(), 1000);
    // The picture goes where the other tests' screenshots go, never into
    // the source tree (a test run leaves the checkout as it was).
    const char* configured = std::getenv("PALVANE_SCREENSHOT_DIR");
    const std::string dir = configured && *configured ? std::string(configured)
                                                      : QDir::current().absoluteFilePath("screenshots").toStdString();
    QDir().mkpath(QString::fromStdString(dir));
    EXPECT_TRUE(canvas.image.save(QString::fromStdString(dir + "/routed_demo_page.png")));
}

}  // namespace
}  // namespace router_test
