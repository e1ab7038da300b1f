// The write-back: the image's wires replace the design's, all or nothing.
#include "tests/router/router_fixture.h"

#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace router_test {
namespace {

using namespace corvex;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 0 10
  component R4 R at 10 10
  net A R1.2 R2.1 R4.1
  net B R3.1 R2.2
  net C R3.2 R4.2
  wire A R1.2 (5 0) R2.1
  wire A (5 0) (5 10) R4.1 label 5.5 6
  wire B R3.1 (-3 6) (13 6) R2.2
  buswire BUS (0 14) (16 14)
  wire C R3.2 (3 16)
  wire C R4.2 (13 16)
end
bus BUS C
page Q frame 10in 8in
  component R5 R at 0 0
  component R6 R at 10 0
  net D R5.2 R6.1
  wire D R5.2 (5 2) (7 2) R6.1
end
)";

std::string FileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Nodes with status bit 2 (a wire reaches them), as (net, node).
std::set<std::pair<int32_t, int32_t>> WiredNodes()
{
    std::set<std::pair<int32_t, int32_t>> out;
    const int32_t nets = DB_NetMap();
    int32_t cursor = OM_GetFirst(nets);
    for (int32_t net; (net = OM_SearchMask(nets, &cursor, 0, 0)) != 0;) {
        const int32_t map = N_NodeMap(net);
        int32_t c2 = OM_GetFirst(map);
        for (int32_t node; (node = OM_SearchMask(map, &c2, 2, 2)) != 0;) out.emplace(net, node);
    }
    return out;
}

std::vector<std::string> BranchTexts()
{
    std::vector<std::string> out;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        const int32_t texts = B_BranchTextArray(id);
        for (int32_t i = 1; texts && i <= OA_GetCount(texts); ++i) {
            ItemRec r{};
            I_ReadItem(OA_Object(texts, i), &r);
            BranchRec br{};
            B_ReadBranch(id, &br);
            out.push_back(NetName(br.Net, br.Flags & 2) + ":" + (r.Text ? r.Text : ""));
        }
    }
    return out;
}

// Calls visit(branch record, point record) for every point of every wire
// of the current level.
template <class F>
void ForEachWirePoint(F visit)
{
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        BranchRec br{};
        B_ReadBranch(id, &br);
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            B_ReadRecord(id, k, &rec);
            visit(br, rec);
        }
    }
}

class WriteBack : public RouterTest {};

TEST_F(WriteBack, ARoundTripLeavesAnEquivalentDesign)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
    SCR_SetPreloadBits(0);
    const auto cover = KernelWireCover();
    const auto wired = WiredNodes();
    const auto texts = BranchTexts();
    const int32_t page = DB_CurPage();
    ASSERT_FALSE(texts.empty());
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    EXPECT_EQ(KernelWireCover(), cover);
    EXPECT_EQ(WiredNodes(), wired);
    EXPECT_EQ(BranchTexts(), texts);
    EXPECT_EQ(DB_CurPage(), page);
    // Every junction left is used by a wire or a frame (MAINPAGE's, P's
    // and Q's).
    std::set<int32_t> used;
    for (int32_t id : {-101, -102, -103}) {
        BranchRec br{};
        ASSERT_EQ(B_ReadBranch(id, &br), 1);
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            B_ReadRecord(id, k, &rec);
            used.insert(rec.Ref);
        }
    }
    ForEachWirePoint([&](const BranchRec&, const BranchPointRec& rec) {
        if ((rec.Flags & 6) == 4) used.insert(rec.Ref);
    });
    EXPECT_EQ(static_cast<size_t>(OM_GetCount(DB_JunctMap())), used.size() - 0);
    // Writing the same image again gives the same design once more.
    ASSERT_EQ(LoadImage(), 1);
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1);
    EXPECT_EQ(KernelWireCover(), cover);
}

class InjectedFailure : public RouterTest, public ::testing::WithParamInterface<int32_t> {};

TEST_P(InjectedFailure, LeavesTheSavedDatabaseByteIdentical)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
    QTemporaryDir dir;
    const std::string before = dir.filePath("before.nvd").toStdString(),
                      after = dir.filePath("after.nvd").toStdString();
    ASSERT_EQ(LoadImage(), 1);
    ASSERT_EQ(DB_SaveDataBase(before.c_str()), 1);
    KT_FailJunctionCreation(GetParam());
    EXPECT_EQ(LD_SaveShemaToNorvo(), 0);
    KT_FailJunctionCreation(0);
    EXPECT_EQ(SCR_ErrorCode(), 6);
    ASSERT_EQ(DB_SaveDataBase(after.c_str()), 1);
    EXPECT_TRUE(FileBytes(before) == FileBytes(after));
    // And the write-back works once the kernel does again.
    EXPECT_EQ(LD_SaveShemaToNorvo(), 1);
}

// The first junction (a frame's), one of the first page's wires, one of the
// second page's.
INSTANTIATE_TEST_SUITE_P(Nth, InjectedFailure, ::testing::Values(1, 8, 16));

TEST_F(WriteBack, APinOfAnotherNetUnderAWireEndNeverJoinsTheNets)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
    SCR_SetPreloadBits(0);
    ASSERT_EQ(LoadImage(), 1);
    // Move the end of B's wire at R2.2 onto R3.2, a pin of net C, still
    // flagged as a node point: it must not become a node of net C.
    const int32_t b = ImageNet("B");
    const int32_t wire = Chain(b).front();
    int32_t end = g_Branches[wire].firstPoint;
    if (g_BPoints[end].x != 13 * kU) end = LastBPoint(wire);
    ASSERT_EQ(g_BPoints[end].x, 13 * kU);
    g_BPoints[end].x = 3 * kU;
    g_BPoints[end].y = 10 * kU;
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const int32_t netB = g_Nets[b].kernelId;
    ForEachWirePoint([&](const BranchRec& br, const BranchPointRec& rec) {
        if (br.Net == netB && !(br.Flags & 2) && (rec.Flags & 6) == 2) {
            EXPECT_NE(N_Node(netB, rec.Ref), 0) << "a node of another net";
        }
    });
}

// Wires of net A meeting the pins R1.2 (3 0), R2.1 (7 0) and R3.1 (17 10)
// in the ways a page holds them; the pieces A's pins form.
struct Meeting {
    const char* name;
    const char* wires;
    int32_t pieces;
};

void PrintTo(const Meeting& m, std::ostream* os) { *os << m.name; }

class Joints : public RouterTest, public ::testing::WithParamInterface<Meeting> {};

// Each way two wires of a net meet is written so that the file joins the
// pins the image joins: the design saved and loaded again has net A in the
// pieces the router counted.
TEST_P(Joints, TheFileJoinsThePinsTheImageJoins)
{
    ASSERT_TRUE(palvane_test::BuildDesign(std::string(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 20in 16in
  component R1 R at 0 0
  component R2 R at 10 0
  component R3 R at 20 10
  net A R1.2 R2.1 R3.1
)") + GetParam().wires + "end\n"));
    SCR_SetPreloadBits(0);
    ASSERT_EQ(LoadImage(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    const int32_t page = DB_CurPage();
    const auto routed = ImageNetPieces();
    ASSERT_EQ(routed.at({"A", page}), (NetPieces{3, GetParam().pieces}));
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1) << SCR_ErrorFunc() << "/" << SCR_ErrorCode();
    QTemporaryDir dir;
    const std::string file = dir.filePath("joints.nvd").toStdString();
    ASSERT_EQ(DB_SaveDataBase(file.c_str()), 1);
    SCR_DBaseFree();
    DB_DiscardDataBase();
    ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1);
    EXPECT_EQ(KernelNetPieces().at({"A", page}), routed.at({"A", page}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Joints,
    ::testing::Values(
        // Both wires end on R2.1: both name its node.
        Meeting{"TwoEndsOnAPin", "  wire A R1.2 R2.1\n  wire A R2.1 (7 10) R3.1\n", 1},
        // R3.1's wire passes over R2.1, where R1.2's wire ends: the joint
        // the image makes there is R2.1's node in both wires, never a
        // junction of its own beside the node.
        Meeting{"AMiddleOverAPinWhereAWireEnds", "  wire A R1.2 R2.1\n  wire A R3.1 (7 10) (7 -5)\n", 1},
        // R3.1's wire ends on the middle of the other (a T without a
        // junction in the design): one junction in both.
        Meeting{"AnEndOnAMiddle", "  wire A R1.2 R2.1\n  wire A R3.1 (5 10) (5 0)\n", 1},
        Meeting{"ACrossing", "  wire A R1.2 R2.1\n  wire A R3.1 (5 10) (5 -5)\n", 1},
        // A wire over a pin that no other wire reaches joins nothing there,
        // in the image as in the file.
        Meeting{"AMiddleOverAPinAlone", "  wire A R3.1 (7 10) (7 -5)\n", 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WriteBack, WithoutAnImageNothingIsWritten)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
    const auto cover = KernelWireCover();
    EXPECT_EQ(LD_SaveShemaToNorvo(), 0);
    EXPECT_EQ(SCR_ErrorFunc(), 5000);
    EXPECT_EQ(KernelWireCover(), cover);
}

TEST_F(WriteBack, WiresTheFilterLeavesOutAreRemoved)
{
    ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
    SCR_SetPreloadBits(7);
    const auto cover = KernelWireCover();
    ASSERT_EQ(LoadImage(), 1);
    int32_t imageWires = 0;
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) imageWires += static_cast<int32_t>(Chain(n).size());
    ASSERT_EQ(LD_SaveShemaToNorvo(), 1);
    // The design keeps the image's wires only: what the filter left out is
    // gone, and nothing new appears.
    const auto after = KernelWireCover();
    EXPECT_LT(after.size(), cover.size());
    EXPECT_TRUE(std::includes(cover.begin(), cover.end(), after.begin(), after.end()));
    int32_t kernelWires = 0;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) kernelWires += id > 0;
    EXPECT_EQ(kernelWires, imageWires);
}

}  // namespace
}  // namespace router_test
