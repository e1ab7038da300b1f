// The router's exports against bad input and stale state: bounded texts,
// index checks, a stale failure that must not decide a result, preloaded
// wires of the routed net, and the block mark list across image changes.
#include "platform/kernel/nvokernel32.h"
#include "tests/router/route_fixture.h"

#include <climits>
#include <cstring>
#include <set>

namespace router_test {
namespace {

using corvex::g_Nets;

class RouteFaults : public RoutingTest {};

TEST_F(RouteFaults, TextsStayWithinTheCallersBuffer)
{
    ASSERT_TRUE(Load(kStraightPair));
    // A buffer of 24 bytes with a guard behind it.
    char buffer[40];
    std::memset(buffer, '#', sizeof buffer);
    int32_t state = -1;
    SCR_InitNodeForRoute();
    int calls = 0;
    do {
        ASSERT_EQ(SCR_RouteOneComponentPairInPage(&state, buffer, 24, 1), 1);
    } while (state == 0 && ++calls < 100);
    EXPECT_LT(std::strlen(buffer), 24u);
    for (size_t i = 24; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << i;
    // The status text of a point is cut to fit as well.
    const int32_t at[2] = {3 * 254000, 0};
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(SCR_QuestObstacle(at, buffer, 10), 1);
    EXPECT_LT(std::strlen(buffer), 10u);
    EXPECT_EQ(buffer[10], '#');
}

TEST_F(RouteFaults, IndexArgumentsAreChecked)
{
    ASSERT_TRUE(Load(kStraightPair));
    char msg[100] = {};
    int32_t state = 7;
    SCR_InitNodeForRoute();
    EXPECT_EQ(SCR_RouteSingleNetInPage(&state, msg, sizeof msg, 99999), 0);
    EXPECT_EQ(SCR_ErrorFunc(), 2600);
    EXPECT_EQ(SCR_RouteOneComponentPairInPage(&state, msg, sizeof msg, -3), 0);
    EXPECT_EQ(SCR_RouteOnePairInPage(&state, msg, sizeof msg, 123456), 0);
    EXPECT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, 70000), 0);
    EXPECT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, -1), 0);
    EXPECT_EQ(SCR_DeleteOneNetInThePage(&state, msg, sizeof msg, 99999), 0);
    EXPECT_EQ(SCR_RouteAllWiresInPage(&state, nullptr, 100), 0);
    EXPECT_EQ(SCR_RouteAllWiresInPage(&state, msg, 0), 0);
    EXPECT_EQ(state, 7);
    EXPECT_EQ(SCR_DrawOneBranch(70000, 0), 0);
    EXPECT_EQ(SCR_DrawOneNet(-1, 0), 0);
}

TEST_F(RouteFaults, AStaleFailureDoesNotDecideTheNextRun)
{
    ASSERT_TRUE(Load(kStraightPair));
    corvex::Fail(4321, 77);
    std::string text;
    RouteAll(&text);
    EXPECT_EQ(corvex_check::Measure().connected, 1);
    EXPECT_EQ(SCR_ErrorCode(), 0);
    EXPECT_EQ(SCR_ErrorFunc(), 0);
}

TEST_F(RouteFaults, PreloadedSlantedWireOfTheRoutedNetIsKept)
{
    // Net A has a hand-drawn slanted wire between R3 and R4, loaded as it is
    // (no preload filter); routing A's other pair leaves it alone.
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net A R1.2 R2.1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 20
  component R4 R at 10 25
  wire A R3.2 R4.1
end
)",
                     0));
    const int32_t net = NetIndex("A");
    ASSERT_NE(net, 0);
    auto slanted = [&] {
        int n = 0;
        for (int32_t b = g_Nets[net].firstBranch; b; b = corvex::g_Branches[b].next)
            for (int32_t p = corvex::g_Branches[b].firstPoint; p && corvex::g_BPoints[p].next; p = corvex::g_BPoints[p].next) {
                const auto& a = corvex::g_BPoints[p];
                const auto& c = corvex::g_BPoints[a.next];
                if (a.x != c.x && a.y != c.y) ++n;
            }
        return n;
    };
    ASSERT_EQ(slanted(), 1);
    RouteAll();
    EXPECT_EQ(slanted(), 1);
    EXPECT_GE(corvex_check::Measure().connected, 1);
}

TEST_F(RouteFaults, BlockMarksDoNotOutliveTheirImage)
{
    ASSERT_TRUE(Load(kStraightPair));
    RouteAll();
    const int32_t c1[2] = {-10 * 254000, -10 * 254000}, c2[2] = {20 * 254000, 10 * 254000};
    ASSERT_GT(SCR_QuestBlok(c1, c2, 0, 14), 0);
    SCR_DBaseFree();
    ASSERT_TRUE(Load(kStraightPair));
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteBranchesWithBlok(&state, msg, sizeof msg), 1);
    EXPECT_EQ(state, 2);
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouteFaults, PageFrameCannotBePickedOrDeleted)
{
    ASSERT_TRUE(Load(kStraightPair));
    const int32_t pg = corvex::FindPageIndex(corvex::g_ScrCurPage);
    const int32_t frame = corvex::g_Pages[pg].frameBranch;
    ASSERT_NE(frame, 0);
    const int32_t p = corvex::g_Branches[frame].firstPoint;
    const int32_t at[2] = {corvex::g_BPoints[p].x, corvex::g_BPoints[p].y};
    EXPECT_EQ(SCR_QuestCommand(at, nullptr, 12), 0);
    EXPECT_EQ(SCR_QuestCommand(at, nullptr, 13), 0);
    char msg[100] = {};
    int32_t state = -1;
    EXPECT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, frame), 0);
    EXPECT_EQ(SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p), 0);
    EXPECT_TRUE(corvex::g_Branches[frame].inUse);
    EXPECT_EQ(corvex::g_Branches[frame].firstPoint, p);
}

TEST_F(RouteFaults, DeletingABusWireRegroupsWithoutNodes)
{
    ASSERT_TRUE(Load(R"(
include discrete.nls
unit 0.1in
design T
level MAIN
net D0
net D1
net A R1.2 R2.1
bus DATA D0 D1
page P frame 11in 8.5in
  component R1 R at 0 0
  component R2 R at 10 0
  buswire DATA (-10 10) (10 10)
  buswire DATA (10 10) (10 -10)
end
)",
                     0));
    const int32_t bus = NetIndex("DATA");
    ASSERT_NE(bus, 0);
    ASSERT_TRUE(g_Nets[bus].flags & corvex::kNetBus);
    const int32_t b = g_Nets[bus].firstBranch;
    ASSERT_NE(b, 0);
    char msg[100] = {};
    int32_t state = -1;
    ASSERT_EQ(SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, b), 1);
    EXPECT_EQ(state, 1);
    for (int32_t x = g_Nets[bus].firstBranch; x; x = corvex::g_Branches[x].next)
        EXPECT_GE(corvex::g_Branches[x].group, 16000);
    EXPECT_EQ(corvex_check::Consistency(), "");
}

TEST_F(RouteFaults, RedrawDependsOnACompleteLoadNotOnTheLastFailure)
{
    ASSERT_TRUE(Load(kStraightPair));
    Canvas canvas;
    ASSERT_TRUE(canvas.Open());
    // A failure recorded later (such as a bus member without nodes) does not
    // stop the redraw.
    corvex::Fail(1360, 10);
    EXPECT_EQ(SCR_RedrawPage(), 1);
    canvas.Close();
    EXPECT_GT(canvas.Painted(), 0);
    // An image whose load failed is not drawn.
    corvex::g_ImageComplete = false;
    Canvas second;
    ASSERT_TRUE(second.Open());
    SCR_RedrawPage();
    second.Close();
    EXPECT_EQ(second.Painted(), 0);
}

TEST_F(RouteFaults, DrawingContextPairAndMetafile)
{
    ASSERT_TRUE(Load(kStraightPair));
    EXPECT_EQ(PG_DeleteMF(), 0);  // none yet: nothing happens
    Canvas canvas;
    ASSERT_TRUE(canvas.Open());
    const QImage blank = canvas.image.copy();
    const int32_t c1[2] = {-254000, -254000}, c2[2] = {254000, 254000};
    ASSERT_NE(PG_DrawRectMF(c1, c2), 0);
    PG_CloseDC();
    EXPECT_NE(canvas.image, blank);
    ASSERT_TRUE(canvas.Open());
    PG_PlayMF();
    PG_PlayMF();  // twice: the parity is back where it was
    EXPECT_EQ(PG_DeleteMF(), 1);  // erases what is shown
    PG_CloseDC();
    EXPECT_EQ(canvas.image, blank);
    std::set<int32_t> cursors;
    for (int32_t n = 0; n <= 5; ++n) {
        const int32_t cursor = PG_LoadCursor(n);
        EXPECT_NE(cursor, 0) << n;
        cursors.insert(cursor);
    }
    EXPECT_EQ(cursors.size(), 6u);
    for (int32_t cursor : cursors) G_DelCur(cursor);
}

// While a path is checked the search narrows bodies by one unit; the
// clearance of half a step is still measured from the true body, so a wire
// one unit closer is refused (it was accepted, and the checker counted it).
TEST_F(RouteFaults, HalfStepClearanceIsMeasuredFromTheTrueBody)
{
    ASSERT_TRUE(Load(kStraightPair));
    const corvex::Seg body = corvex::CompBody(corvex::g_Nodes[FirstPair()].comp, 0);
    const int32_t half = corvex::g_StepSize / 2, x1 = body.x1 - 4 * half, x2 = body.x2 + 4 * half;
    corvex::g_Clearance = -1;
    EXPECT_FALSE(corvex::SegmentFree(x1, body.y2 + half - 1, x2, body.y2 + half - 1, 0, 0));
    EXPECT_TRUE(corvex::SegmentFree(x1, body.y2 + half, x2, body.y2 + half, 0, 0));
    EXPECT_FALSE(corvex::SegmentFree(body.x2 + half - 1, body.y1 - 4 * half, body.x2 + half - 1, body.y2 + 4 * half, 0, 0));
    EXPECT_EQ(corvex::g_Clearance, -1);
}

TEST_F(RouteFaults, PointsBeyondTheCoordinateSpaceMeetNothing)
{
    ASSERT_TRUE(Load(kStraightPair));
    // R1 lies at the origin: a point there picks it, so the picks work.
    const int32_t origin[2] = {0, 0};
    ASSERT_NE(SCR_QuestCommand(origin, nullptr, 2), 0);
    // Cursor positions the editor may pass from far outside the page: every
    // pick finds nothing and the image stays sound.
    const int32_t points[][2] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {INT32_MIN, 0},
                                 {0, INT32_MAX}, {220000001, 0}, {0, -220000001}};
    for (const auto& at : points)
        for (int32_t code : {1, 2, 3, 11, 12, 13}) EXPECT_EQ(SCR_QuestCommand(at, nullptr, code), 0) << at[0] << "," << at[1];
    EXPECT_EQ(corvex_check::Consistency(), "");
}

}  // namespace
}  // namespace router_test
