// Boards shaped like real ones (bench/boards: power nets of 100 pins and
// more, buses, headers), routed whole, written back, saved and loaded
// again: every net's pins form the pieces in the file that the router
// counted, and the all-wires result line shows the share of joins the file
// holds.
#include "bench/boards/board_page.h"
#include "tests/router/route_fixture.h"
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sstream>

namespace router_test {
namespace {

using namespace corvex;

struct BoardRun {
    const char* name;
    int parts, seed;
    bool prewired;  // a third of the nets routed and written back first, then loaded as wires
    bool farPins;   // some pins lie too far from the rest of their net for a pair
};

void PrintTo(const BoardRun& c, std::ostream* os) { *os << c.name; }

// The nets whose pieces differ, one line each.
std::string Differences(const NetPiecesMap& image, const NetPiecesMap& file)
{
    std::ostringstream out;
    for (const auto& [where, p] : image) {
        const auto it = file.find(where);
        const NetPieces f = it == file.end() ? NetPieces{} : it->second;
        if (!(f == p))
            out << where.first << ": " << p.pins << " pins in " << p.pieces << " pieces routed, " << f.pins
                << " pins in " << f.pieces << " pieces in the file\n";
    }
    return out.str();
}

class BoardWriteBack : public RoutingTest, public ::testing::WithParamInterface<BoardRun> {
protected:
    // Routes the nets of every third image net one net at a time, writes
    // them back and loads the page again with them as wires.
    void Prewire()
    {
        for (int32_t net = 3; net <= g_Nets.Count(); net += 3) {
            if (g_Nets[net].flags & kNetBus) continue;
            SCR_InitNodeForRoute();
            char msg[100] = {};
            int32_t state = 0;
            for (int calls = 0; calls < 10000; ++calls)
                if (!SCR_RouteSingleNetInPage(&state, msg, sizeof msg, net) || state != 0) break;
        }
        ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
        SCR_DBaseFree();
        ASSERT_TRUE(SCR_LoadComponentsAndSymbols() && SCR_LoadFields() && LD_PreLoadBranchesAndBPoints());
        SCR_SetStepIndex(3);
    }
};

TEST_P(BoardWriteBack, TheFileHoldsWhatTheResultLineCounts)
{
    const BoardRun c = GetParam();
    ASSERT_TRUE(Load(bench_boards::GenerateBoard(c.parts, c.seed).text));
    if (c.prewired) {
        ASSERT_NO_FATAL_FAILURE(Prewire());
    }
    std::string text;
    RouteAll(&text);
    const PinJoins joins = PagePinJoins();
    const auto routed = ImageNetPieces();
    EXPECT_EQ(Joins(routed), std::make_pair(joins.made, joins.needed));
    EXPECT_NE(text.find(" Routing Wires: " + JoinsPercent(joins) + " %."), std::string::npos) << text;
    if (c.farPins) {
        // Pins without a pair still count, so the line is below the share
        // of pairs joined.
        EXPECT_LT(corvex_check::Measure().pairs, joins.needed);
    }

    QTemporaryDir dir;
    const std::string file = dir.filePath("board.nvd").toStdString();
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    ASSERT_EQ(DB_SaveDataBase(file.c_str()), 1);
    SCR_DBaseFree();
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1);
    const auto saved = KernelNetPieces();
    EXPECT_EQ(Differences(routed, saved), "");
    EXPECT_EQ(Joins(saved), std::make_pair(joins.made, joins.needed));
}

// 289 parts, seed 2: a wire the shortcut began on another wire's end at an
// IC's VCC pin was written with a junction beside the pin's node, so VCC
// came back in two pieces.
INSTANTIATE_TEST_SUITE_P(Boards, BoardWriteBack,
                         ::testing::Values(BoardRun{"Parts289Seed2", 289, 2, false, true},
                                           BoardRun{"Parts438Seed1", 438, 1, false, true},
                                           BoardRun{"Parts200Seed2", 200, 2, false, true},
                                           BoardRun{"Parts300Seed1Prewired", 300, 1, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace router_test
