// Kernel refusals in the middle of a net merge or a net split: the edit is
// taken back whole, the user is told, and the design holds together (no
// wire or trace on a missing net, no pin record pointing into another net).
#include "editor/objects/integrity.h"
#include "editor/objects/net_split.h"
#include "editor/objects/net_text.h"
#include "editor/shell/systables.h"
#include "platform/kernel/testing.h"
#include "tests/objects/net_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

using namespace palvane_test;

// Net N in two pieces (R1.1, R1.2 | R2.1, R2.2) for the split; net K with
// two wires and three pins for the merge into N. No wire has a name text: a
// merge rebuilds those after it is made (see the last test).
const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net N
net K
page P frame 80 40
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 40 0
  component R4 R at 40 20
  wire N R1.1 R1.2 (8 0)
  wire N (12 0) R2.1 R2.2 (30 0)
  wire K R3.1 R3.2 (48 0)
  wire K R4.1 (35 20)
end
)";

// The node of a part's pin.
int32_t Pin(const char* ref, int32_t pin)
{
    return PinNode((std::string(ref) + "/1").c_str(), pin);
}

class NetFaults : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        // Refusals reach the user as message boxes; the sweeps count them.
        ui.unexpected = [](const std::string&) {};
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        KernelTest::TearDown();
    }

    // The design with traces on both nets: on N a trace from both R1 pins to
    // R2.1 (it moves and is cut there), a via shared by a moving and a
    // staying trace, and a pinless trace hanging off the moving one by a bend
    // point; on K a trace between two of its pins; a copper-area item of K.
    void Fresh()
    {
        ui.Forget();
        ASSERT_TRUE(BuildDesign(kDesign));
        const int32_t stack = S_MakePadStack();
        ASSERT_NE(OM_Add(DB_PadStackMap(), stack, 1), 0);
        g_StdPadStacks.Redim(0, 7);
        g_StdPadStacks(1) = 1;
        g_NetEditFlags = 1 | 4;
        n = Net("N");
        k = Net("K");
        const int32_t x1 = Pin("R1", 1), x2 = Pin("R1", 2), y1 = Pin("R2", 1), y2 = Pin("R2", 2);
        const int32_t via = V_CreateVia(0, 1, 10 * kTenth, 5 * kTenth, 1, 1);
        const int32_t bend = T_CreateBendPoint(0, 1, 0, 5 * kTenth);
        ASSERT_GT(via, 0);
        ASSERT_GT(bend, 0);
        Trace(n, {{2, x1}, {2, x2}, {2, y1}});
        Trace(n, {{2, x2}, {8, via}, {4, bend}});
        Trace(n, {{8, via}, {2, y2}});
        Trace(n, {{4, bend}});
        Trace(k, {{2, Pin("R3", 1)}, {2, Pin("R4", 1)}});
        const int32_t coppar = -400 - DB_CurHier();
        if (S_Symbol(coppar) == 0) {
            ASSERT_NE(S_CreateSymbol(coppar, "@COPPAR"), 0);
        }
        const int32_t item = I_MakeText(0, 0, 0, 10, 10, "x", 1, 0, 0);
        ASSERT_NE(I_ChangeItemLink(item, k), 0);
        ASSERT_GT(OA_Add(S_SymbolItemArray(coppar), item), 0);
    }
    void Trace(int32_t net, const std::vector<std::pair<int32_t, int32_t>>& records)
    {
        const int32_t t = T_CreateTrace(0, 0, net);
        ASSERT_GT(t, 0);
        for (const auto& [kind, ref] : records) ASSERT_GT(T_InsertRecord(t, -1, kind, ref, 1, 100), 0);
    }
    // Net N analysed and the nodes of R1's piece marked to go.
    void MarkPieceOfX()
    {
        int32_t status = 5;
        GroupNetBranches(status, n);
        ASSERT_EQ(status, 0);
        ASSERT_EQ(g_NetGroupRefs(0).Ref, 2);
        MarkGroupNodes(n, 1);
    }
    void Merge(int32_t& status) { MergeNets(status, n, k); }
    void Split(int32_t& status, int32_t& newNet) { SplitNet(status, n, newNet, "SPLIT", 1); }

    // The integrity check finds nothing to repair.
    static void ExpectIntegrityClean()
    {
        const std::string report = RunIntegrityCheck(nullptr);
        for (const char* ok : {"Netlist - OK", "Traces - OK", "Wires - OK"})
            EXPECT_NE(report.find(ok), std::string::npos) << report;
    }
    // Every wire and trace belongs to a net that exists.
    static void ExpectOwnersExist()
    {
        int32_t cursor = OM_GetFirst(DB_BranchMap());
        while (const int32_t b = OM_SearchMask(DB_BranchMap(), &cursor, 0, 0)) {
            BranchRec rec{};
            if (B_ReadBranch(b, &rec) != 0 && (rec.Flags & 2) == 0) {
                EXPECT_NE(N_Net(rec.Net), 0) << "wire " << b;
            }
        }
        cursor = OM_GetFirst(DB_TraceMap());
        while (const int32_t t = OM_SearchMask(DB_TraceMap(), &cursor, 0, 0)) {
            TraceRec rec{};
            if (T_ReadTrace(t, &rec) != 0) {
                EXPECT_NE(N_Net(rec.Net), 0) << "trace " << t;
            }
        }
    }
    bool Told(size_t asked) const
    {
        for (size_t i = asked; i < ui.asked().size(); ++i)
            if (ui.asked()[i].kind == "MessageBox") return true;
        return false;
    }

    int32_t n = 0;
    int32_t k = 0;
};

struct Refusal {
    const char* call;
    int32_t n;
};

TEST_F(NetFaults, ARefusedMergeStepLeavesBothNetsAsTheyWere)
{
    const Refusal refusals[] = {
        {"B_ChangeBranchNet", 1}, {"B_ChangeBranchNet", 2}, {"T_ChangeTraceNet", 1}, {"OM_Add", 1},
        {"OM_Add", 3},            {"I_ChangeItemLink", 1},  {"OM_Delete", 1},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.call) + " " + std::to_string(r.n));
        Fresh();
        const auto sourceWires = Branches(k);
        ASSERT_EQ(sourceWires.size(), 2u);
        const uint64_t before = KT_DesignDigest();
        ui.ExpectMessageBox(1, "Can't connect K to N");
        KT_FailCall(r.call, r.n);
        int32_t status = 0;
        Merge(status);
        EXPECT_EQ(KT_CallsCounted(), r.n) << "the refused call was not reached";
        KT_FailCall("", 0);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(KT_DesignDigest(), before);
        EXPECT_EQ(Net("K"), k);
        EXPECT_EQ(Branches(k), sourceWires);
        EXPECT_EQ(NodeIds(k).size(), 3u);
        ExpectOwnersExist();
        ExpectIntegrityClean();
    }
    // Unrefused, the same merge goes through.
    Fresh();
    int32_t status = 0;
    Merge(status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(N_Net(k), 0);
    EXPECT_EQ(Branches(n).size(), 4u);
    ExpectOwnersExist();
    ExpectIntegrityClean();
}

TEST_F(NetFaults, ARefusedSplitStepLeavesTheNetWhole)
{
    const Refusal refusals[] = {
        {"B_ChangeBranchNet", 1}, {"T_CreateBendPoint", 1}, {"T_MaskRecord", 1}, {"T_ChangeRecordRef", 1},
        {"V_CreateVia", 1},       {"T_ChangeTraceNet", 1},  {"T_ChangeTraceNet", 2}, {"OM_Add", 1},
        {"OM_Add", 2},            {"O_Mask", 1},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(std::string(r.call) + " " + std::to_string(r.n));
        Fresh();
        MarkPieceOfX();
        const int32_t nets = OM_GetCount(DB_NetMap());
        const uint64_t before = KT_DesignDigest();
        ui.ExpectMessageBox(1, "create Net: SPLIT");
        KT_FailCall(r.call, r.n);
        int32_t status = 5, newNet = 7;
        Split(status, newNet);
        EXPECT_EQ(KT_CallsCounted(), r.n) << "the refused call was not reached";
        KT_FailCall("", 0);
        EXPECT_EQ(status, 1);
        EXPECT_EQ(newNet, 0);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(KT_DesignDigest(), before);
        EXPECT_EQ(OM_GetCount(DB_NetMap()), nets);
        EXPECT_EQ(Net("SPLIT"), 0);
        EXPECT_EQ(NodeIds(n).size(), 4u);
        ExpectOwnersExist();
        ExpectIntegrityClean();
    }
    Fresh();
    MarkPieceOfX();
    int32_t status = 5, newNet = 0;
    Split(status, newNet);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(NodeIds(newNet).size(), 2u);
    ExpectOwnersExist();
    ExpectIntegrityClean();
}

// A node of the group left unmarked (its mark refused, say) would leave a
// moved wire pointing at a pin of the old net: the split is refused whole.
TEST_F(NetFaults, MarksThatMissAPinOfTheGroupAreRefused)
{
    Fresh();
    MarkPieceOfX();
    O_Mask(N_Node(n, Pin("R1", 2)), 0, 128);
    const uint64_t before = KT_DesignDigest();
    ui.ExpectMessageBox(1, "create Net: SPLIT");
    int32_t status = 5, newNet = 7;
    Split(status, newNet);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(newNet, 0);
    EXPECT_EQ(KT_DesignDigest(), before);
    ExpectIntegrityClean();
}

// Every kernel call of the edit refused in turn: afterwards the edit happened
// whole, or the design is as it was and the user was told (the merge) or the
// caller hears that nothing was split; the design holds together either way.
TEST_F(NetFaults, EveryRefusedCallLeavesTheMergeWholeOrUndone)
{
    Fresh();
    const uint64_t before = KT_DesignDigest();
    KT_FailCall("*", INT32_MAX);
    int32_t status = 0;
    Merge(status);
    const int32_t calls = KT_CallsCounted();
    KT_FailCall("", 0);
    ASSERT_EQ(status, 0);
    const uint64_t whole = KT_DesignDigest();
    ASSERT_NE(whole, before);
    for (int32_t call = 1; call <= calls; ++call) {
        SCOPED_TRACE("call " + std::to_string(call) + " of " + std::to_string(calls) + " refused");
        Fresh();
        const size_t asked = ui.asked().size();
        KT_FailCall("*", call);
        Merge(status);
        KT_FailCall("", 0);
        const uint64_t after = KT_DesignDigest();
        if (after != whole) {
            EXPECT_EQ(after, before) << "half a merge";
            EXPECT_TRUE(Told(asked)) << "a merge that did nothing said nothing";
        }
        ExpectOwnersExist();
        ExpectIntegrityClean();
    }
}

TEST_F(NetFaults, EveryRefusedCallLeavesTheSplitWholeOrUndone)
{
    Fresh();
    MarkPieceOfX();
    const uint64_t before = KT_DesignDigest();
    KT_FailCall("*", INT32_MAX);
    int32_t status = 5, newNet = 0;
    Split(status, newNet);
    const int32_t calls = KT_CallsCounted();
    KT_FailCall("", 0);
    ASSERT_EQ(status, 0);
    const uint64_t whole = KT_DesignDigest();
    ASSERT_NE(whole, before);
    for (int32_t call = 1; call <= calls; ++call) {
        SCOPED_TRACE("call " + std::to_string(call) + " of " + std::to_string(calls) + " refused");
        Fresh();
        MarkPieceOfX();
        status = 5;
        newNet = -1;
        KT_FailCall("*", call);
        Split(status, newNet);
        KT_FailCall("", 0);
        const uint64_t after = KT_DesignDigest();
        if (after != whole) {
            EXPECT_EQ(after, before) << "half a split";
            // A refused read can make the split find nothing to move, which
            // it leaves to its caller to tell (the command beeps); every
            // refused change is reported (see above).
            EXPECT_EQ(status, 1) << "a split that did nothing claimed it was made";
            EXPECT_LE(newNet, 0);
        } else {
            EXPECT_EQ(status, 0);
        }
        ExpectOwnersExist();
        ExpectIntegrityClean();
    }
}

// The name texts are rebuilt once the merge is made; a text the kernel
// refuses is reported and the merge stands.
TEST_F(NetFaults, ARefusedNameTextAfterTheMergeIsReported)
{
    std::string text = kDesign;
    const std::string wire = "  wire K R3.1 R3.2 (48 0)";
    text.insert(text.find(wire) + wire.size(), " label 45 1");
    ASSERT_TRUE(BuildDesign(text));
    n = Net("N");
    k = Net("K");
    const int32_t labelled = Branches(k).at(0);
    ASSERT_EQ(OA_GetCount(B_BranchTextArray(labelled)), 1);
    ui.ExpectMessageBox(1, "Can't create Item: N");
    KT_FailCall("OA_Add", 1);
    int32_t status = 0;
    Merge(status);
    EXPECT_EQ(KT_CallsCounted(), 1);
    KT_FailCall("", 0);
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ui.pending(), 0u);
    EXPECT_EQ(N_Net(k), 0);
    EXPECT_EQ(Branches(n).size(), 4u);
    ExpectOwnersExist();
    ExpectIntegrityClean();
}

}  // namespace
