// Deleting layout traces from the schematic side: a whole trace with the
// bend points and node bits no other trace uses, and the trace records at
// a layout pin.
#include "editor/objects/traces.h"
#include "tests/objects/wire_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace palvane_test;

class Traces : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kTwoWires));
        net = Net("N");
        const int32_t wire = Branches(net)[0];
        a = Point(wire, 1).Ref;                // R1.2
        b = Point(Branches(net)[1], 2).Ref;    // R2.1
        NodeRec rec{};
        ASSERT_NE(N_ReadNode(net, b, &rec), 0);
        ASSERT_NE(rec.LayComp, 0);
        bLayComp = rec.LayComp;
        bLayEntry = rec.LayEntry;
        bend = T_CreateBendPoint(GetFreeID(1), 1, 100000, 100000);
        ASSERT_NE(bend, 0);
        for (int32_t node : {a, b}) O_Mask(N_Node(net, node), 4, 4);
    }
    // A trace of the net through the given (kind, ref) records.
    int32_t Trace(std::initializer_list<std::pair<int32_t, int32_t>> records)
    {
        const int32_t t = T_CreateTrace(0, 1, net);
        for (const auto& [kind, ref] : records) EXPECT_NE(T_InsertRecord(t, -1, kind, ref, 1, 2540), 0);
        return t;
    }
    static int32_t TracePoints(int32_t trace)
    {
        TraceRec rec{};
        return T_ReadTrace(trace, &rec) != 0 ? rec.Points : -1;
    }
    int32_t NodeBits(int32_t node) { return O_GetStatus(N_Node(net, node)) & 4; }
    int32_t net = 0, a = 0, b = 0, bLayComp = 0, bLayEntry = 0, bend = 0;
};

TEST_F(Traces, DeleteTraceReleasesOnlyWhatNoOtherTraceUses)
{
    const int32_t t1 = Trace({{2, a}, {4, bend}, {2, b}});
    const int32_t t2 = Trace({{2, a}, {4, bend}});
    DeleteTrace(t1);
    EXPECT_EQ(T_Trace(t1), 0);
    EXPECT_NE(T_BendPoint(bend), 0);  // t2 still bends there
    EXPECT_EQ(NodeBits(b), 0);        // no trace left at R2.1
    EXPECT_EQ(NodeBits(a), 4);
    DeleteTrace(t2);
    EXPECT_EQ(T_BendPoint(bend), 0);
    EXPECT_EQ(NodeBits(a), 0);
    // A trace that is gone: nothing happens.
    DeleteTrace(t2);
    EXPECT_NE(N_Node(net, a), 0);
}

TEST_F(Traces, DeleteTracesAtNodeCutsTheRecordsAtThePinAndDeletesTracesLeftTooShort)
{
    const int32_t longer = Trace({{2, a}, {4, bend}, {2, b}});
    const int32_t shorter = Trace({{2, b}, {2, a}});
    // A filter the node does not pass: nothing is cut, no mark is left.
    DeleteTracesAtNode(bLayComp, bLayEntry, 256, 8);
    EXPECT_EQ(TracePoints(longer), 3);
    EXPECT_EQ(TracePoints(shorter), 2);
    TracePointRec p{};
    T_ReadRecord(longer, 3, &p);
    EXPECT_EQ(p.Flags & 256, 0);
    EXPECT_EQ(O_GetStatus(T_Trace(longer)) & 256, 0);
    // Every record at R2.1: the longer trace keeps two records under its
    // id, the shorter one is left with one and goes.
    DeleteTracesAtNode(bLayComp, bLayEntry, 256, 0);
    EXPECT_EQ(TracePoints(longer), 2);
    T_ReadRecord(longer, 2, &p);
    EXPECT_EQ(p.Ref, bend);
    EXPECT_EQ(T_Trace(shorter), 0);
    EXPECT_NE(T_BendPoint(bend), 0);
    EXPECT_EQ(OM_FindMask(DB_TraceMap(), 256, 256), 0);
}

}  // namespace
