// Moving a block to another page: what goes, what stays behind and where
// the wires that stay are cut, so that nothing refers to an object on
// another page; and a move the kernel refuses half-way leaves the design as
// it was.
#include "editor/objects/integrity.h"
#include "editor/shell/controls.h"
#include "platform/kernel/testing.h"
#include "tests/editing/editing_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace palvane_test;

// R1 and R2 have their origins in the box (-5, -5)..(25, 15), R3 not, but
// its pin 1 lies on the box's edge: the wire K from R2 to R3 lies wholly
// inside the box. N runs from R1 to R2 with a bend at (10, 10), where a
// second wire of N leaves the box; L leaves the box from R1's pin 1 (its
// points after the pin are `%L`).
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
net L
page P1 frame 80 60
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 28 10
  wire N R1.2 (10 0) (10 10) R2.1 label 11 5
  wire N (10 10) (10 30) (40 30)
  wire K R2.2 (23 10) R3.1
  wire L R1.1 %L
end
page P2 frame 80 60
end
)";

// L with two points after the pin, so that it keeps two when cut there.
const char* kLongL = "(-3 -10) (10 -10)";
// L with one point after the pin: cut there, it is left with one.
const char* kShortL = "(-3 -10)";

const std::vector<std::string> kClean = {"Integrity Diagnostics and Autofix", "", "1. Checking Netlist", "",
                                         "Netlist - OK", "", "2. Checking Traces", "", "Traces - OK", "",
                                         "3. Checking Wires", "", "Wires - OK"};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

// The marks a block operation sets and clears; left out of snapshots, with
// the drawing marks of nodes (drawn, to be drawn again) that the selection
// of a box sets.
constexpr int32_t kMarks = 256 | 512 | 1024 | 2048 | 4096;
constexpr int32_t kNodeDrawn = 1 | 128;

class BlockPageFaults : public EditingTest {
protected:
    void SetUp() override
    {
        EditingTest::SetUp();
        Load(kLongL);
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditingTest::TearDown();
    }
    // The design afresh with L's points, P2 current, the block drawn on P1.
    void Load(const std::string& l)
    {
        std::string design = kDesign;
        design.replace(design.find("%L"), 2, l);
        Use(design, "P2");
        g_CurPage = PageId("P2");
        SCHMAIN& m = Main();
        m.m_BlockOrigPage = PageId("P1");
        g_SelRect = {-5 * kStep, -5 * kStep, 25 * kStep, 15 * kStep};
        m.m_BaseX = 10 * kStep;
        m.m_BaseY = 5 * kStep;
        m.m_BoxDiagonal = 36 * kStep;
        m.m_Rotation = 0;
        m.m_OffsetX = m.m_OffsetY = 0;
        m.F_MsgLine->SetCaption("");
    }
    int32_t Run()
    {
        int32_t op = BLOCK_TO_PAGE, objects = 7, result = 99;
        Main().ChangeBlockObjects(op, objects, result);
        return result;
    }
    static int32_t Page(int32_t handle)
    {
        for (const char* name : {"P1", "P2"})
            if (O_TestPage(handle, PageId(name)) != 0) return PageId(name);
        return 0;
    }
    static std::vector<BranchPointRec> Records(int32_t branch)
    {
        std::vector<BranchPointRec> out;
        BranchPointRec p{};
        for (int32_t i = 1; B_ReadRecord(branch, i, &p) != 0; ++i) out.push_back(p);
        return out;
    }
    static std::vector<int32_t> AllWires()
    {
        std::vector<int32_t> ids;
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t b = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0)) ids.push_back(b);
        return ids;
    }
    // Every wire record that refers to a pin or junction on another page
    // than its wire's, as "wire W point I".
    static std::vector<std::string> CrossPage()
    {
        std::vector<std::string> out;
        for (const int32_t w : AllWires()) {
            BranchRec wire{};
            B_ReadBranch(w, &wire);
            const std::vector<BranchPointRec> records = Records(w);
            for (size_t i = 0; i < records.size(); ++i) {
                const BranchPointRec& p = records[i];
                int32_t page = 0;
                if ((p.Flags & 6) == 4) {
                    JunctionRec j{};
                    J_ReadJunction(p.Ref, &j);
                    page = j.Page;
                } else if ((p.Flags & 6) == 2) {
                    NodeRec n{};
                    N_ReadNode(wire.Net, p.Ref, &n);
                    CompRec c{};
                    C_ReadComponent(n.Comp, &c);
                    page = c.Page;
                }
                if (page != wire.Page) out.push_back("wire " + std::to_string(w) + " point " + std::to_string(i + 1));
            }
        }
        return out;
    }
    // The nodes whose wire mark (2) disagrees with the wires: set without a
    // wire record on the node, or clear with one.
    static std::vector<int32_t> WireMarksAmiss()
    {
        std::set<int32_t> used;
        for (const int32_t w : AllWires())
            for (const BranchPointRec& p : Records(w))
                if ((p.Flags & 6) == 2) used.insert(p.Ref);
        std::vector<int32_t> out;
        int32_t nets = OM_GetFirst(DB_NetMap());
        while (const int32_t net = OM_SearchMask(DB_NetMap(), &nets, 0, 0)) {
            int32_t cursor = OM_GetFirst(N_NodeMap(net));
            while (const int32_t node = OM_SearchMask(N_NodeMap(net), &cursor, 0, 0))
                if (((O_GetStatus(N_Node(net, node)) & 2) != 0) != (used.count(node) != 0)) out.push_back(node);
        }
        return out;
    }
    // The points of a wire as "(x y)" in steps, with "@" for a pin.
    static std::string Points(int32_t branch)
    {
        std::string out;
        for (const BranchPointRec& p : Records(branch))
            out += std::string((p.Flags & 6) == 2 ? "@" : "") + "(" + std::to_string(p.X / kStep) + " " +
                   std::to_string(p.Y / kStep) + ")";
        return out;
    }
    // The design as far as a block move can change it, marks left out.
    static std::string Snapshot()
    {
        std::string out;
        auto walk = [](int32_t map, auto each) {
            int32_t cursor = OM_GetFirst(map);
            while (const int32_t id = OM_SearchMask(map, &cursor, 0, 0)) each(id);
        };
        walk(DB_SchCompMap(), [&](int32_t id) {
            CompRec c{};
            C_ReadComponent(id, &c);
            out += "C" + std::to_string(id) + ":" + std::to_string(c.Flags & ~kMarks) + "," + std::to_string(c.Page) +
                   "," + std::to_string(c.X) + "," + std::to_string(c.Y) + "," + std::to_string(c.Angle) + " ";
        });
        walk(DB_BranchMap(), [&](int32_t id) {
            BranchRec b{};
            B_ReadBranch(id, &b);
            out += "W" + std::to_string(id) + ":" + std::to_string(b.Flags & ~kMarks) + "," + std::to_string(b.Net) +
                   "," + std::to_string(b.Page) + "[";
            for (const BranchPointRec& p : Records(id))
                out += std::to_string(p.Flags & ~kMarks) + "," + std::to_string(p.Ref) + "," + std::to_string(p.X) +
                       "," + std::to_string(p.Y) + ";";
            const int32_t texts = B_BranchTextArray(id);
            for (int32_t i = 1; i <= OA_GetCount(texts); ++i) {
                ItemRec t{};
                I_ReadItem(OA_Object(texts, i), &t);
                out += "t" + std::to_string(t.X) + "," + std::to_string(t.Y) + "," + std::to_string(t.Angle) + ";";
            }
            out += "] ";
        });
        walk(DB_JunctMap(), [&](int32_t id) {
            JunctionRec j{};
            J_ReadJunction(id, &j);
            out += "J" + std::to_string(id) + ":" + std::to_string(j.Flags & ~kMarks) + "," + std::to_string(j.X) +
                   "," + std::to_string(j.Y) + "," + std::to_string(j.Page) + " ";
        });
        walk(DB_NetMap(), [&](int32_t net) {
            out += "N" + std::to_string(net) + "{";
            walk(N_NodeMap(net), [&](int32_t node) {
                NodeRec n{};
                N_ReadNode(net, node, &n);
                out += std::to_string(node) + ":" + std::to_string(n.Flags & ~(kMarks | kNodeDrawn)) + "," +
                       std::to_string(n.Comp) +
                       "," + std::to_string(n.Entry) + ";";
            });
            out += "} ";
        });
        return out;
    }
};

TEST_F(BlockPageFaults, TheDesignBeforeIsSound)
{
    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
    EXPECT_TRUE(CrossPage().empty());
    EXPECT_TRUE(WireMarksAmiss().empty());
}

// K lies wholly inside the box but ends on R3, whose origin is outside: it
// stays behind with R3, cut at R2's pin, as the wires partly inside are cut
// at the pins and bend points that go.
TEST_F(BlockPageFaults, AWireInsideTheBoxOnAPinLeftBehindStaysAndIsCut)
{
    const int32_t n1 = Wires(NetId("N")).at(0), n2 = Wires(NetId("N")).at(1);
    const int32_t k = Wires(NetId("K")).at(0), l = Wires(NetId("L")).at(0);
    EXPECT_EQ(Run(), -1);
    const int32_t p1 = PageId("P1"), p2 = PageId("P2");
    EXPECT_EQ(Page(C_Component(CompId("R1"))), p2);
    EXPECT_EQ(Page(C_Component(CompId("R2"))), p2);
    EXPECT_EQ(Page(C_Component(CompId("R3"))), p1);
    struct Wire {
        const char* name;
        int32_t id, page;
        const char* points;
    };
    const Wire wires[] = {
        {"N inside", n1, p2, "@(3 0)(10 0)(10 10)@(17 0)"},
        {"N leaving", n2, p1, "(10 30)(40 30)"},
        {"K", k, p1, "(23 10)@(25 10)"},
        {"L", l, p1, "(-3 -10)(10 -10)"},
    };
    for (const Wire& w : wires) {
        SCOPED_TRACE(w.name);
        ASSERT_NE(B_Branch(w.id), 0);
        EXPECT_EQ(Page(B_Branch(w.id)), w.page);
        EXPECT_EQ(Points(w.id), w.points);
    }
    // The label of N in the box went with its wire.
    ItemRec label{};
    ASSERT_NE(I_ReadItem(B_BranchText(n1, 1), &label), 0);
    EXPECT_EQ(label.X, 11 * kStep);
    EXPECT_EQ(DB_CurPage(), p2);
    EXPECT_TRUE(CrossPage().empty());
    EXPECT_TRUE(WireMarksAmiss().empty());
    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 512, 512), 0);
    EXPECT_EQ(OM_FindMask(DB_JunctMap(), 256, 256), 0);
}

// A box that takes R1 by its origin but reaches none of its wires: R1 goes
// alone, and the wires on its pins stay, cut there.
TEST_F(BlockPageFaults, AComponentWhoseWiresTheBoxMissesGoesAlone)
{
    SCHMAIN& m = Main();
    g_SelRect = {-1 * kStep, -1 * kStep, 1 * kStep, 1 * kStep};
    m.m_BaseX = 0;
    m.m_BaseY = 0;
    m.m_BoxDiagonal = kStep;
    const int32_t n1 = Wires(NetId("N")).at(0), l = Wires(NetId("L")).at(0);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(Page(C_Component(CompId("R1"))), PageId("P2"));
    EXPECT_EQ(Page(C_Component(CompId("R2"))), PageId("P1"));
    EXPECT_EQ(Page(B_Branch(n1)), PageId("P1"));
    EXPECT_EQ(Points(n1), "(10 0)(10 10)@(17 0)");
    EXPECT_EQ(Points(l), "(-3 -10)(10 -10)");
    EXPECT_TRUE(CrossPage().empty());
    EXPECT_TRUE(WireMarksAmiss().empty());
    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
}

// L cut at R1's pin keeps one point: it goes, its net stays for R1's node.
// When the kernel refuses to delete it, the whole move is put back.
TEST_F(BlockPageFaults, AWireLeftWithOnePointGoes)
{
    struct Case {
        const char* refused;  // nullptr: nothing
        bool wireKept;
    };
    for (const Case c : {Case{nullptr, false}, Case{"OM_Delete", true}}) {
        SCOPED_TRACE(c.refused ? c.refused : "nothing refused");
        Load(kShortL);
        const int32_t l = Wires(NetId("L")).at(0);
        if (c.refused) KT_FailCall(c.refused, 1, -1);
        EXPECT_EQ(Run(), -1);
        KT_FailCall("", 0);
        EXPECT_EQ(B_Branch(l) != 0, c.wireKept);
        if (c.wireKept) {
            EXPECT_EQ(Page(B_Branch(l)), PageId("P1"));
        }
        EXPECT_NE(NetId("L"), 0);
        EXPECT_EQ(Page(C_Component(CompId("R1"))), PageId(c.wireKept ? "P1" : "P2"));
        EXPECT_TRUE(CrossPage().empty());
        EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
    }
}

// Each change of the move refused in turn, and each read it must make
// before the first change: the design is as it was, the message line says
// so, and nothing refers to another page. The block is also turned, so
// that every kind of change is made.
TEST_F(BlockPageFaults, ARefusedStepLeavesTheDesignAsItWas)
{
    auto prepare = [this] {
        Load(kLongL);
        Main().m_Rotation = 90;
        Main().m_OffsetX = 5 * kStep;
    };
    prepare();
    const std::string before = Snapshot();
    ASSERT_EQ(Run(), -1);
    const std::string whole = Snapshot();
    ASSERT_NE(whole, before);
    ASSERT_TRUE(CrossPage().empty());
    // The calls to refuse; `last` > 0: only the last calls of that kind,
    // those before being the box selection's (a mark or a read the
    // selection cannot tell from "not in the box").
    struct Call {
        const char* name;
        int32_t last;
    };
    const Call calls[] = {
        {"B_ReadBranch", 0},     {"B_ReadRecords", 0},  {"N_ReadNode", 0},           {"J_ReadJunction", 0},
        {"I_ReadItem", 1},       {"B_DeleteRecord", 0}, {"O_Mask", 2},               {"O_ChangePosition", 0},
        {"O_ChangePage", 0},     {"I_ChangeItemXY", 0}, {"C_ChangeCompDispAttr", 0},
    };
    for (const auto& [call, last] : calls) {
        prepare();
        KT_FailCall(call, INT32_MAX);
        Run();
        const int32_t count = KT_CallsCounted();
        KT_FailCall("", 0);
        EXPECT_GT(count, 0) << call;
        for (int32_t n = last > 0 ? count - last + 1 : 1; n <= count; ++n) {
            SCOPED_TRACE(std::string(call) + " call " + std::to_string(n) + " of " + std::to_string(count));
            prepare();
            KT_FailCall(call, n);
            const int32_t result = Run();
            KT_FailCall("", 0);
            EXPECT_EQ(Snapshot(), before);
            EXPECT_EQ(result, 0);
            EXPECT_FALSE(Main().F_MsgLine->Caption().empty());
            EXPECT_EQ(DB_CurPage(), PageId("P2"));
            EXPECT_TRUE(CrossPage().empty());
            EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
        }
    }
}

}  // namespace
