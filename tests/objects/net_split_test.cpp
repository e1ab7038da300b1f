// Splitting a net by its connected pieces, with the traces that reach its
// nodes, and merging one net into another.
#include "editor/objects/net_split.h"
#include "editor/objects/net_text.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "tests/objects/net_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using namespace palvane_test;

// Net N in two pieces: X.2 - (8 0) with X.1 - (-8 0), and (12 0) - Y.1
// with Y.2 - (30 0): two nodes in each piece.
const char* kFourPins = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
page P frame 80 40
  component X symbol RES at 0 0
  component Y symbol RES at 20 0
  component Z symbol RES at 0 10
  net M Z.1
  wire N X.1 X.2 (8 0)
  wire N (12 0) Y.1 Y.2 (30 0)
end
)";

class NetSplit : public KernelTest {
public:
    void SetUp() override
    {
        KernelTest::SetUp();
        Prepare();
    }
    // kFourPins with `lines` added to its page.
    void Prepare(const std::string& lines = "")
    {
        std::string text = kFourPins;
        text.insert(text.rfind("end"), lines);
        ASSERT_TRUE(BuildDesign(text));
        net = Net("N");
        // A pad stack for the vias the split makes.
        const int32_t stack = S_MakePadStack();
        ASSERT_NE(OM_Add(DB_PadStackMap(), stack, 1), 0);
        g_StdPadStacks.Redim(0, 7);
        g_StdPadStacks(1) = 1;
        g_NetEditFlags = 1 | 4;
    }
    // Analyses net N and marks the nodes of the piece with X.
    int32_t MarkPieceOfX()
    {
        int32_t status = 5;
        GroupNetBranches(status, net);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(g_NetGroupRefs(0).Ref, 2);
        MarkGroupNodes(net, 1);
        return 1;
    }
    int32_t Trace(std::vector<std::pair<int32_t, int32_t>> records, int32_t kind = 2)
    {
        const int32_t t = T_CreateTrace(0, 0, net);
        for (const auto& [ref, layer] : records) EXPECT_GT(T_InsertRecord(t, -1, ref < 0 ? 8 : kind, std::abs(ref), layer, 100), 0);
        return t;
    }
    // A trace of net N through records of the given (kind, reference).
    int32_t TraceOf(const std::vector<std::pair<int32_t, int32_t>>& records)
    {
        const int32_t t = T_CreateTrace(0, 0, net);
        for (const auto& [kind, ref] : records) EXPECT_GT(T_InsertRecord(t, -1, kind, ref, 1, 100), 0);
        return t;
    }
    // True when no bend point or via is referred to by traces of two nets.
    static bool NoPointSharedAcrossNets()
    {
        std::map<std::pair<int32_t, int32_t>, int32_t> netOfPoint;
        int32_t cursor = OM_GetFirst(DB_TraceMap());
        while (const int32_t t = OM_SearchMask(DB_TraceMap(), &cursor, 0, 0)) {
            TraceRec header{};
            T_ReadTrace(t, &header);
            TracePointRec r{};
            for (int32_t i = 1; T_ReadRecord(t, i, &r) != 0; ++i) {
                if ((r.Flags & 12) == 0) continue;
                const auto [it, added] = netOfPoint.emplace(std::pair{r.Flags & 14, r.Ref}, header.Net);
                if (!added && it->second != header.Net) return false;
            }
        }
        return true;
    }
    TracePointRec Record(int32_t trace, int32_t index)
    {
        TracePointRec r{};
        T_ReadRecord(trace, index, &r);
        return r;
    }
    int32_t TraceNet(int32_t trace)
    {
        TraceRec r{};
        T_ReadTrace(trace, &r);
        return r.Net;
    }
    int32_t net = 0;
};

TEST_F(NetSplit, APieceWithItsNodesBecomesANewNet)
{
    const int32_t x1 = PinNode("X", 1), x2 = PinNode("X", 2), y1 = PinNode("Y", 1), y2 = PinNode("Y", 2);
    O_Mask(N_Node(net, x1), 64, 64);
    const int32_t group = MarkPieceOfX();
    const auto branches = Branches(net);
    int32_t status = 5, newNet = 0;
    SplitNet(status, net, newNet, "SPLIT", group);
    EXPECT_EQ(status, 0);
    ASSERT_GT(newNet, 0);
    EXPECT_EQ(PtrToStr(O_GetName(N_Net(newNet))), "SPLIT");
    EXPECT_EQ(O_GetStatus(N_Net(newNet)) & 7, 5);
    EXPECT_EQ(NodeIds(newNet), (std::vector<int32_t>{std::min(x1, x2), std::max(x1, x2)}));
    EXPECT_EQ(NodeIds(net), (std::vector<int32_t>{std::min(y1, y2), std::max(y1, y2)}));
    EXPECT_EQ(Branches(newNet), std::vector<int32_t>{branches[0]});
    EXPECT_EQ(Branches(net), std::vector<int32_t>{branches[1]});
    // The moved nodes keep their bits, less the split's mark.
    EXPECT_EQ(O_GetStatus(N_Node(newNet, x1)) & (64 | 128), 64);
    // The wire's point still shows the pin.
    EXPECT_EQ(Point(branches[0], 1).Ref, x1);
}

TEST_F(NetSplit, NothingChangesWhenAllNodesMoveOrNoneDoes)
{
    int32_t status = 5, newNet = 0;
    SplitNet(status, net, newNet, "SPLIT", 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Net("SPLIT"), 0);
    N_MaskAllNodes(128, 128);
    SplitNet(status, net, newNet, "SPLIT", 1);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(Net("SPLIT"), 0);
    EXPECT_EQ(NodeIds(net).size(), 4u);
}

TEST_F(NetSplit, ARefusedNetIsReportedAndTheOldNetStaysWhole)
{
    const int32_t group = MarkPieceOfX();
    ui.ExpectMessageBox(1, "create Net");
    int32_t status = 5, newNet = 7;
    SplitNet(status, net, newNet, std::string(300, 'L'), group);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(newNet, 0);
    EXPECT_EQ(NodeIds(net).size(), 4u);
    EXPECT_EQ(Branches(net).size(), 2u);
}

TEST_F(NetSplit, AMixedTraceIsCutByAViaOrABendPoint)
{
    struct Case {
        const char* name;
        int32_t layerAtCut;
        int32_t kind;
    };
    for (const Case& c : {Case{"same layer: bend point", 1, 4}, Case{"layer change: via", 2, 8}}) {
        SCOPED_TRACE(c.name);
        Prepare();
        const int32_t x1 = PinNode("X", 1), x2 = PinNode("X", 2), y1 = PinNode("Y", 1);
        // Two moving pins and one staying: the trace moves, cut at Y.1.
        const int32_t trace = Trace({{x1, 1}, {x2, 1}, {y1, c.layerAtCut}});
        const int32_t group = MarkPieceOfX();
        int32_t status = 5, newNet = 0;
        SplitNet(status, net, newNet, "SPLIT", group);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(TraceNet(trace), newNet);
        const TracePointRec cut = Record(trace, 3);
        EXPECT_EQ(cut.Flags & 14, c.kind);
        EXPECT_NE(cut.Ref, y1);
        EXPECT_NE(c.kind == 8 ? V_Via(cut.Ref) : T_BendPoint(cut.Ref), 0);
        EXPECT_EQ(Record(trace, 1).Ref, x1);
        // Traces reach the moved nodes, not the staying one.
        EXPECT_EQ(O_GetStatus(N_Node(newNet, x1)) & 4, 4);
        EXPECT_EQ(O_GetStatus(N_Node(net, y1)) & 4, 0);
        EXPECT_EQ(O_GetStatus(T_Trace(trace)) & (256 | 512 | 1024), 0);
    }
}

TEST_F(NetSplit, ATraceWithMoreStayingPinsStaysAndIsCutAtTheMovingOne)
{
    const int32_t x1 = PinNode("X", 1), y1 = PinNode("Y", 1), y2 = PinNode("Y", 2);
    const int32_t trace = Trace({{y1, 1}, {y2, 1}, {x1, 1}});
    const int32_t group = MarkPieceOfX();
    int32_t status = 5, newNet = 0;
    SplitNet(status, net, newNet, "SPLIT", group);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(TraceNet(trace), net);
    EXPECT_EQ(Record(trace, 3).Flags & 14, 4);
    EXPECT_EQ(O_GetStatus(N_Node(net, y1)) & 4, 4);
}

TEST_F(NetSplit, AViaSharedByBothSidesIsDuplicated)
{
    const int32_t x1 = PinNode("X", 1), y1 = PinNode("Y", 1);
    const int32_t via = V_CreateVia(0, 1, 0, 0, 1, 1);
    ASSERT_GT(via, 0);
    const int32_t moving = Trace({{x1, 1}, {-via, 1}});
    const int32_t staying = Trace({{-via, 1}, {y1, 1}});
    const int32_t group = MarkPieceOfX();
    int32_t status = 5, newNet = 0;
    SplitNet(status, net, newNet, "SPLIT", group);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(TraceNet(moving), newNet);
    EXPECT_EQ(TraceNet(staying), net);
    const TracePointRec mine = Record(moving, 2), theirs = Record(staying, 1);
    EXPECT_EQ(mine.Flags & 14, 8);
    EXPECT_EQ(theirs.Flags & 14, 8);
    EXPECT_NE(mine.Ref, theirs.Ref);
    EXPECT_NE(V_Via(mine.Ref), 0);
    EXPECT_NE(V_Via(theirs.Ref), 0);
    EXPECT_EQ(O_GetStatus(V_Via(via)) & 128, 0);
}

// Pinless traces joined by bend points to the traces of either side: each
// goes with the side it touches; one that touches both sides goes with the
// side of more pins, and the other side's trace gets a bend point of its
// own. Either way no bend point is left shared by traces of two nets.
TEST_F(NetSplit, PinlessTracesGoWithTheSideTheyTouch)
{
    enum Touches { Moving, Staying, Both };
    struct Case {
        const char* name;
        bool movingLarger;  // X's piece has a third pin (V.1)
        Touches touches;
        bool hangingMoves;
    };
    const Case cases[] = {
        {"tie, off a moving trace", false, Moving, true},
        {"tie, off a staying trace", false, Staying, false},
        {"more moving pins, off a moving trace", true, Moving, true},
        {"more moving pins, off a staying trace", true, Staying, false},
        {"tie, between both: the staying side keeps it", false, Both, false},
        {"more moving pins, between both: it moves", true, Both, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Prepare(c.movingLarger ? "  component V symbol RES at 0 -10\n  wire N X.2 V.1\n" : "");
        const int32_t x1 = PinNode("X", 1), y1 = PinNode("Y", 1);
        const int32_t toMoving = T_CreateBendPoint(0, 1, 0, 5 * kTenth);
        const int32_t toStaying = T_CreateBendPoint(0, 1, 20 * kTenth, 5 * kTenth);
        ASSERT_GT(toMoving, 0);
        ASSERT_GT(toStaying, 0);
        const int32_t moving = TraceOf({{2, x1}, {4, toMoving}});
        const int32_t staying = TraceOf({{2, y1}, {4, toStaying}});
        std::vector<std::pair<int32_t, int32_t>> hangingRecords;
        if (c.touches != Staying) hangingRecords.push_back({4, toMoving});
        if (c.touches != Moving) hangingRecords.push_back({4, toStaying});
        const int32_t hanging = TraceOf(hangingRecords);
        MarkPieceOfX();
        int32_t status = 5, newNet = 0;
        SplitNet(status, net, newNet, "SPLIT", 1);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(TraceNet(moving), newNet);
        EXPECT_EQ(TraceNet(staying), net);
        EXPECT_EQ(TraceNet(hanging), c.hangingMoves ? newNet : net);
        EXPECT_TRUE(NoPointSharedAcrossNets());
        for (const int32_t t : {moving, staying, hanging}) EXPECT_EQ(O_GetStatus(T_Trace(t)) & (256 | 512 | 1024), 0);
        // Where the two sides met at one bend point, the trace that left
        // the hanging trace's side has a new one at the same place.
        if (c.touches == Both) {
            const int32_t cut = c.hangingMoves ? staying : moving;
            const TracePointRec r = Record(cut, 2);
            EXPECT_EQ(r.Flags & 14, 4);
            EXPECT_NE(r.Ref, c.hangingMoves ? toStaying : toMoving);
            EXPECT_NE(T_BendPoint(r.Ref), 0);
            EXPECT_EQ(r.X, c.hangingMoves ? 20 * kTenth : 0);
            EXPECT_EQ(r.Y, 5 * kTenth);
        }
    }
}

using NetMerge = KernelTest;

TEST_F(NetMerge, EverythingOfTheSourceGoesToTheTargetUnderItsOwnIds)
{
    ASSERT_TRUE(BuildDesign(NetsWith("net K W.1 W.2")));
    const int32_t target = Net("N"), source = Net("K");
    const auto targetNodes = NodeIds(target), sourceNodes = NodeIds(source);
    // Node ids are unique in the level: the two nets never share one, so
    // none can collide when the source's nodes join the target.
    for (int32_t id : sourceNodes) EXPECT_EQ(std::count(targetNodes.begin(), targetNodes.end(), id), 0);
    O_Mask(N_Node(source, sourceNodes[0]), 64 | 4, 64 | 4);
    const int32_t wire = B_CreateBranch(0, 1, source);
    B_InsertRecord(wire, -1, 3, sourceNodes[0]);
    B_InsertRecord(wire, -1, 3, sourceNodes[1]);
    const int32_t trace = T_CreateTrace(0, 0, source);
    T_InsertRecord(trace, -1, 2, sourceNodes[0], 1, 100);
    const int32_t coppar = -400 - DB_CurHier();
    if (S_Symbol(coppar) == 0) S_CreateSymbol(coppar, "@COPPAR");
    const int32_t item = I_MakeText(0, 0, 0, 10, 10, "x", 1, 0, 0);
    I_ChangeItemLink(item, source);
    OA_Add(S_SymbolItemArray(coppar), item);

    int32_t status = 0;
    MergeNets(status, target, source);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(N_Net(source), 0);
    auto all = targetNodes;
    all.insert(all.end(), sourceNodes.begin(), sourceNodes.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(NodeIds(target), all);
    EXPECT_EQ(O_GetStatus(N_Node(target, sourceNodes[0])) & (64 | 4), 64 | 4);
    BranchRec w{};
    ASSERT_NE(B_ReadBranch(wire, &w), 0);
    EXPECT_EQ(w.Net, target);
    TraceRec t{};
    ASSERT_NE(T_ReadTrace(trace, &t), 0);
    EXPECT_EQ(t.Net, target);
    ItemRec linked{};
    ASSERT_NE(I_ReadItem(item, &linked), 0);
    EXPECT_EQ(linked.Link, target);
}

TEST_F(NetMerge, ANetIsNotMergedIntoItselfOrAMissingNet)
{
    ASSERT_TRUE(BuildDesign(kNets));
    int32_t status = 0;
    MergeNets(status, Net("N"), Net("N"));
    EXPECT_EQ(status, 1);
    EXPECT_NE(Net("N"), 0);
    // A net that cannot be read is reported; nothing moves.
    status = 0;
    ui.ExpectMessageBox(1, "Can't read Net: 9999");
    MergeNets(status, 9999, Net("M"));
    EXPECT_EQ(status, 1);
    EXPECT_NE(Net("M"), 0);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(NetMerge, TheTargetsNameTextsAreRebuilt)
{
    ASSERT_TRUE(BuildDesign(NetsWith("net K\nwire K W.1 (45 5) label 45 5")));
    const int32_t target = Net("N"), source = Net("K");
    const int32_t wire = Branches(source)[0];
    int32_t status = 0;
    MergeNets(status, target, source);
    EXPECT_EQ(status, 0);
    const int32_t texts = B_BranchTextArray(wire);
    ASSERT_EQ(OA_GetCount(texts), 1);
    ItemRec text{};
    ASSERT_NE(I_ReadItem(B_BranchText(wire, 1), &text), 0);
    EXPECT_STREQ(text.Text, "N");
}

}  // namespace
