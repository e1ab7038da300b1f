// Temporary sweep: every routing, drawing, query and deletion export over
// designs at the edges of what the kernel accepts.
#include "tests/router/route_fixture.h"
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"

#include <climits>
#include <cstdio>
#include <functional>
#include <sstream>
#include <vector>

namespace router_test {
namespace {

struct Snapshot {
    std::vector<std::vector<int32_t>> rows;
    bool operator==(const Snapshot&) const = default;
};

Snapshot TakeSnapshot()
{
    Snapshot s;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) continue;
        std::vector<int32_t> row{id, br.Flags & 0xFF, br.Net, br.Page, br.Points};
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec r{};
            B_ReadRecord(id, k, &r);
            row.insert(row.end(), {r.Flags & 7, r.X, r.Y});
        }
        s.rows.push_back(row);
    }
    return s;
}

struct Case {
    const char* name;
    std::string design;
    std::function<void()> mutate;
};

std::string Header(const char* unit = "0.1in") { return std::string("include discrete.nls\nunit ") + unit + "\ndesign T\nlevel MAIN\n"; }

int32_t NetId(const char* name) { return OM_FindName(DB_NetMap(), name); }

// A frame made by hand through the given corners.
void Frame(std::vector<std::pair<int32_t, int32_t>> corners)
{
    const int32_t frame = -100 - DB_CurPage();
    ASSERT_NE(B_CreateBranch(frame, 4, 0), 0);
    int32_t first = 0;
    for (auto [x, y] : corners) {
        const int32_t j = J_CreateJunction(0, 3, x, y);
        ASSERT_NE(j, 0);
        if (!first) first = j;
        ASSERT_NE(B_InsertRecord(frame, -1, 5, j), 0);
    }
    ASSERT_NE(B_InsertRecord(frame, -1, 5, first), 0);
}

std::vector<Case> Cases()
{
    std::vector<Case> c;
    const std::string big = "page P\n";
    c.push_back({"near_limit_no_frame",
                 Header("1u") + "net A R1.2 R2.1\nnet B R3.1 R4.2\n" + big +
                     "  component R1 R at -219000000 -219000000\n  component R2 R at 219000000 219000000\n"
                     "  component R3 R at 219000000 -219000000\n  component R4 R at -219000000 219000000\nend\n",
                 nullptr});
    c.push_back({"near_limit_frame",
                 Header("1u") + "net A R1.2 R2.1\npage P\n"
                                "  component R1 R at -218000000 -218000000\n  component R2 R at 218000000 218000000\nend\n",
                 [] { Frame({{-219990000, -219990000}, {219990000, -219990000}, {219990000, 219990000}, {-219990000, 219990000}}); }});
    c.push_back({"frame_far",
                 Header("1u") + "net A R1.2 R2.1\npage P frame 11in 8.5in\n"
                                "  component R1 R at 200000000 200000000\n  component R2 R at 201000000 200000000\nend\n",
                 nullptr});
    c.push_back({"near_limit_small_frame_moved",
                 Header("1u") + "net A R1.2 R2.1\nnet B R3.1 R2.2\npage P\n"
                                "  component R1 R at 218000000 218000000\n  component R2 R at 219000000 218000000\n"
                                "  component R3 R at 219000000 219000000\nend\n",
                 [] { Frame({{210000000, 210000000}, {219990000, 210000000}, {219990000, 219990000}, {210000000, 219990000}}); }});
    c.push_back({"near_limit_negative_frame",
                 Header("1u") + "net A R1.2 R2.1\nnet B R3.1 R2.2\npage P\n"
                                "  component R1 R at -218000000 -218000000\n  component R2 R at -219000000 -218000000\n"
                                "  component R3 R at -219000000 -219000000\nend\n",
                 [] { Frame({{-210000000, -210000000}, {-219990000, -210000000}, {-219990000, -219990000}, {-210000000, -219990000}}); }});
    c.push_back({"pins_outside_frame",
                 Header() + "net A R1.2 R2.1\nnet B R3.1 R4.1\npage P frame 1in 1in\n"
                            "  component R1 R at -30 0\n  component R2 R at 30 0\n  component R3 R at 0 -30\n  component R4 R at 0 40 angle 90\nend\n",
                 nullptr});
    c.push_back({"zero_frame",
                 Header() + "net A R1.2 R2.1\npage P\n  component R1 R at 0 0\n  component R2 R at 10 0\nend\n",
                 [] { Frame({{0, 0}, {0, 0}, {0, 0}, {0, 0}}); }});
    c.push_back({"line_frame",
                 Header() + "net A R1.2 R2.1\npage P\n  component R1 R at 0 0\n  component R2 R at 10 0\nend\n",
                 [] { Frame({{-2540000, 0}, {2540000, 0}}); }});
    c.push_back({"point_frame_far",
                 Header() + "net A R1.2 R2.1\npage P\n  component R1 R at 0 0\n  component R2 R at 10 5\nend\n",
                 [] { Frame({{200000000, -200000000}}); }});
    c.push_back({"no_frame_negative",
                 Header() + "net A R1.2 R2.1\nnet B R3.1 R4.2\npage P\n  component R1 R at -100 -100\n  component R2 R at -80 -90\n"
                            "  component R3 R at 10 10\n  component R4 R at -10 10\nend\n",
                 nullptr});
    c.push_back({"off_step",
                 Header("1u") + "net A R1.2 R2.1 R3.1\npage P frame 11in 8.5in\n  component R1 R at 12345 6789\n"
                                "  component R2 R at 2600001 -77777\n  component R3 R at -1234567 1111111 angle 90\nend\n",
                 nullptr});
    c.push_back({"same_point_pins",
                 Header() + "net A R1.2 R2.1 R5.1\nnet B R3.2 R4.1 R5.2\npage P frame 11in 8.5in\n"
                            "  component R1 R at 0 0\n  component R2 R at 6 0\n  component R3 R at 0 10\n  component R4 R at 6 10\n"
                            "  component R5 R at 3 20\nend\n",
                 nullptr});
    c.push_back({"one_pin_nets_and_overlap",
                 Header() + "net A R1.1\nnet B R1.2 R2.2\nnet C R2.1 R3.1\npage P frame 11in 8.5in\n"
                            "  component R1 R at 0 0\n  component R2 R at 0 0\n  component R3 R at 1 0\nend\n",
                 nullptr});
    {
        std::ostringstream s;
        s << Header() << "net BIG";
        for (int i = 0; i < 200; ++i) s << " R" << i << ".1";
        s << "\npage P frame 11in 8.5in\n";
        for (int i = 0; i < 200; ++i) s << "  component R" << i << " R at " << (i % 20) * 5 - 48 << " " << (i / 20) * 7 - 35 << "\n";
        s << "end\n";
        c.push_back({"hundreds_of_pins", s.str(), nullptr});
    }
    c.push_back({"odd_symbols",
                 Header() + "symbol FAR schematic\n  entry 1 at -100 0\n  entry 2 at 200 300\n  rect -1 -1 2 2\nend\n"
                            "symbol DOT schematic\n  entry 1 at 0 0\nend\n"
                            "symbol TWIN schematic\n  entry 1 at 0 0\n  entry 2 at 0 0\nend\n"
                            "net A F1.1 D1.1 T1.1\nnet B F1.2 D2.1 T1.2\npage P frame 11in 8.5in\n"
                            "  component F1 symbol FAR at 0 0\n  component D1 symbol DOT at -20 -20\n  component D2 symbol DOT at 20 20\n"
                            "  component T1 symbol TWIN at 5 -10\nend\n",
                 nullptr});
    c.push_back({"far_entries_near_limit",
                 Header() + "symbol FAR schematic\n  entry 1 at -800 0\n  entry 2 at 0 -800\n  rect 600 600 200 200\nend\n"
                            "net A F1.1 F2.2\nnet B F1.2 F2.1\npage P\n"
                            "  component F1 symbol FAR at 850 850\n  component F2 symbol FAR at -850 -850 angle 180\nend\n",
                 [] { Frame({{-219990000, -219990000}, {-200000000, -219990000}, {-200000000, -200000000}, {-219990000, -200000000}}); }});
    c.push_back({"odd_wires",
                 Header() + "net A\nnet B\nnet C\nbus BB A B\npage P frame 11in 8.5in\n"
                            "  component R1 R at 0 0\n  component R2 R at 20 0\n  component R3 R at 10 0\n  component R4 R at 0 20\n"
                            "  component R5 R at 20 20\n"
                            "  wire A R1.2 (7 3) (13 -2) R2.1\n  wire B R1.1 (-3 10) (10 10) (10 0) (25 0) R2.2\n"
                            "  wire C R4.2 (5 20) (5 25) (15 25)\n  wire C (15 25) R5.1\n  buswire BB (-20 -20) (20 -20) (30 -30)\nend\n",
                 [] {
                     // A repeated point and a zero-length segment, a wire of a
                     // net that is gone, junctions on top of each other.
                     int32_t cursor = OM_GetFirst(DB_BranchMap());
                     const int32_t first = B_SearchNetPage(&cursor, 0, NetId("A"), 0);
                     ASSERT_NE(first, 0);
                     BranchPointRec r{};
                     ASSERT_EQ(B_ReadRecord(first, 2, &r), 1);
                     ASSERT_NE(B_InsertRecord(first, 2, r.Flags & 0xFF, r.Ref), 0);
                     const int32_t j1 = J_CreateJunction(0, 3, 5 * kU, -5 * kU), j2 = J_CreateJunction(0, 3, 5 * kU, -5 * kU);
                     const int32_t j3 = J_CreateJunction(0, 3, 15 * kU, -5 * kU);
                     const int32_t b1 = B_CreateBranch(0, 1, NetId("C")), b2 = B_CreateBranch(0, 1, NetId("C"));
                     ASSERT_NE(b1 * b2 * j1 * j2 * j3, 0);
                     B_InsertRecord(b1, -1, 5, j1);
                     B_InsertRecord(b1, -1, 5, j3);
                     B_InsertRecord(b2, -1, 5, j2);
                     B_InsertRecord(b2, -1, 5, j2);
                     B_InsertRecord(b2, -1, 5, j3);
                     const int32_t gone = B_CreateBranch(0, 1, NetId("C"));
                     const int32_t j4 = J_CreateJunction(0, 3, 30 * kU, 30 * kU), j5 = J_CreateJunction(0, 3, 30 * kU, 35 * kU);
                     B_InsertRecord(gone, -1, 5, j4);
                     B_InsertRecord(gone, -1, 5, j5);
                     B_ChangeBranchNet(gone, 0);
                     const int32_t lone = B_CreateBranch(0, 1, NetId("B"));
                     B_InsertRecord(lone, -1, 5, j4);
                     const int32_t bogus = B_CreateBranch(0, 1, NetId("B"));
                     B_InsertRecord(bogus, -1, 5, j4);
                     B_InsertRecord(bogus, -1, 5, j5);
                     B_ChangeBranchNet(bogus, 9999);
                 }});
    c.push_back({"near_limit_wires",
                 Header("1u") + "net A\nnet B R1.1 R2.2\npage P\n  component R1 R at 219000000 0\n  component R2 R at -219000000 0\n"
                                "  wire A (-219990000 -219990000) (219990000 -219990000) (219990000 219990000) (-219990000 219990000)\nend\n",
                 nullptr});
    return c;
}

class ExtremeSweep : public RoutingTest, public ::testing::WithParamInterface<size_t> {};

void Exercise(const char* name)
{
    char msg[100] = {};
    int32_t state = 0;
    auto check = [&](const char* where) {
        const std::string bad = corvex_check::Consistency();
        if (bad == "slanted segment") return;
        EXPECT_EQ(bad, "") << name << " after " << where;
    };
    check("load");
    {
        Canvas canvas;
        if (canvas.Open()) {
            SCR_RedrawPage();
            canvas.Close();
        }
    }
    SCR_InitNodeForRoute();
    for (int calls = 0; calls < 100000; ++calls)
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg) || state != 0) break;
    check("route all");
    corvex_check::Measure();
    for (int32_t net = 1; net <= SCR_nNet(); ++net) {
        SCR_DeleteOneNetInThePage(&state, msg, sizeof msg, net);
        check("delete net");
        SCR_InitNodeForRoute();
        for (int calls = 0; calls < 1000; ++calls)
            if (!SCR_RouteSingleNetInPage(&state, msg, sizeof msg, net) || state != 0) break;
        check("route net");
    }
    for (int32_t comp = 1; comp <= std::min(SCR_nComp(), 5); ++comp) {
        SCR_InitNodeForRoute();
        for (int calls = 0; calls < 1000; ++calls)
            if (!SCR_RouteOneComponentPairInPage(&state, msg, sizeof msg, comp) || state != 0) break;
        check("route comp");
    }
    for (int32_t node = 1; node <= std::min(SCR_nNode(), 6); ++node) {
        SCR_RouteOnePairInPage(&state, msg, sizeof msg, node);
        check("route pair");
    }
    const int32_t corners[][2] = {{INT32_MIN, INT32_MIN}, {INT32_MAX, INT32_MAX}, {-220000000, 220000000}, {0, 0}, {kU, -kU}};
    for (auto& a : corners)
        for (auto& b : corners) {
            SCR_InitNodeForRoute();
            for (int calls = 0; calls < 1000; ++calls)
                if (!SCR_RouteBlokPairInPage(&state, msg, sizeof msg, a, b) || state != 0) break;
            SCR_QuestBlok(a, b, 0, 14);
            SCR_QuestObstacle(a, msg, sizeof msg);
            for (int32_t code : {1, 2, 3, 11, 12, 13}) SCR_QuestCommand(a, msg, code);
        }
    check("blocks");
    for (int32_t c = 1; c <= SCR_nComp(); c += 7) {
        const int32_t at[2] = {corvex::g_Comps[c].x, corvex::g_Comps[c].y};
        SCR_QuestObstacle(at, msg, sizeof msg);
        for (int32_t code : {1, 2, 3, 11, 12, 13}) SCR_QuestCommand(at, msg, code);
    }
    {
        Canvas canvas;
        if (canvas.Open()) {
            SCR_RedrawPage();
            for (int32_t b = -1; b <= (corvex::g_Branches.capacity - 1) + 1; ++b) SCR_DrawOneBranch(b, 1);
            for (int32_t p = -1; p <= std::min((corvex::g_BPoints.capacity - 1) + 1, 300); ++p) SCR_DrawOneSegment(p, 1);
            for (int32_t n = -1; n <= SCR_nNet() + 1; ++n) SCR_DrawOneNet(n, 1);
            SCR_DrawBranchesMarkedToDelete(1);
            canvas.Close();
        }
    }
    SCR_DeleteBranchesWithBlok(&state, msg, sizeof msg);
    check("delete block");
    for (int32_t p = 1; p <= std::min((corvex::g_BPoints.capacity - 1), 40); p += 3) SCR_DeleteOneSegmentInThePage(&state, msg, sizeof msg, p);
    check("delete segments");
    for (int32_t b = 1; b <= std::min((corvex::g_Branches.capacity - 1), 20); b += 2) SCR_DeleteOneBranchInThePage(&state, msg, sizeof msg, b);
    check("delete branches");
    SCR_InitNodeForRoute();
    for (int calls = 0; calls < 100000; ++calls)
        if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg) || state != 0) break;
    check("route again");
}

TEST_P(ExtremeSweep, Design)
{
    const Case c = Cases()[GetParam()];
    SCOPED_TRACE(c.name);
    for (int32_t step : {1, 0, 5}) {
        ASSERT_TRUE(palvane_test::BuildDesign(c.design)) << c.name;
        if (c.mutate) c.mutate();
        if (HasFatalFailure()) return;
        const Snapshot before = TakeSnapshot();
        SCR_DBaseFree();
        SCR_SetPreloadBits(step == 5 ? 0 : 5);
        const bool loaded = SCR_LoadComponentsAndSymbols() && SCR_LoadFields() && LD_PreLoadBranchesAndBPoints();
        std::printf("[%s step %d] load %d err %d/%d\n", c.name, step, loaded, SCR_ErrorFunc(), SCR_ErrorCode());
        if (!loaded) {
            EXPECT_NE(SCR_ErrorCode(), 0) << c.name;
            EXPECT_TRUE(TakeSnapshot() == before) << c.name;
            continue;
        }
        SCR_SetScale(2540);
        SCR_LoadViewStatus(-1);
        SCR_SetStepIndex(step);
        int32_t colours[16];
        for (int i = 0; i < 16; ++i) colours[i] = i * 1000003 - 5;
        SCR_SetCatColors(colours);
        Exercise(c.name);
        const int32_t saved = LD_SaveShemaToNorvo();
        std::printf("[%s step %d] save %d err %d/%d\n", c.name, step, saved, SCR_ErrorFunc(), SCR_ErrorCode());
        if (!saved) EXPECT_TRUE(TakeSnapshot() == before) << c.name;
        SCR_DBaseFree();
        if (SCR_LoadComponentsAndSymbols() && SCR_LoadFields() && LD_PreLoadBranchesAndBPoints()) {
            EXPECT_EQ(corvex_check::Consistency(), "") << c.name << " reloaded";
        } else {
            std::printf("[%s step %d] reload failed %d/%d\n", c.name, step, SCR_ErrorFunc(), SCR_ErrorCode());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(All, ExtremeSweep, ::testing::Range<size_t>(0, Cases().size()),
                         [](const auto& info) { return std::string(Cases()[info.param].name); });

TEST_F(ExtremeSweep, OutsideSettings)
{
    ASSERT_TRUE(Load(kPairAroundBody));
    char msg[100] = {};
    int32_t state = 0;
    for (int32_t v : {INT32_MIN, -1, 0, 6, 99, INT32_MAX}) {
        SCR_SetStepIndex(v);
        SCR_SetPreloadBits(v);
        SCR_LoadViewStatus(v);
        SCR_SetScale(v);
        int32_t colours[16];
        for (int32_t& c : colours) c = v;
        SCR_SetCatColors(colours);
        Canvas canvas;
        if (canvas.Open()) {
            SCR_RedrawPage();
            canvas.Close();
        }
        SCR_InitNodeForRoute();
        for (int calls = 0; calls < 1000; ++calls)
            if (!SCR_RouteAllWiresInPage(&state, msg, sizeof msg) || state != 0) break;
        const int32_t at[2] = {0, 0};
        SCR_QuestObstacle(at, msg, sizeof msg);
        EXPECT_EQ(corvex_check::Consistency(), "");
        SCR_DeleteAllWiresInThePage(&state, msg, sizeof msg);
        SCR_ChangePage(v);
        SCR_InitNodeForRoute();
        SCR_RouteAllWiresInPage(&state, msg, sizeof msg);
        SCR_QuestObstacle(at, msg, sizeof msg);
        SCR_ChangePage(DB_CurPage());
    }
}

}  // namespace
}  // namespace router_test
