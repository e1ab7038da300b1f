// Whether two layout components may exchange gates: board sides, traces at
// their pins, packages and the holes of their pads.
#include "editor/objects/components.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace palvane_test;

// Three two-pin packages: every pad with a hole, no pad with one, and one
// of each. U1 comes first with two gates, so that the schematic and layout
// ids of the components after it differ.
const char* kParts = R"(
include ics.nls
unit 1mil
symbol TWO schematic
  entry 1 at -300 0
  entry 2 at 300 0
  line -300 0 300 0
  text X at -100 80 role reference
end
symbol HOLES layout
  padstack 1 round 70mil hole 40mil
  pad 1 at -200 0 stack 1
  pad 2 at 200 0 stack 1
end
symbol FLAT layout
  padstack 1 square 60mil
  pad 1 at -100 0 stack 1
  pad 2 at 100 0 stack 1
end
symbol MIXED layout
  padstack 1 round 70mil hole 40mil
  padstack 2 square 60mil
  pad 1 at -200 0 stack 1
  pad 2 at 200 0 stack 2
end
device TH
  prefix X
  package HOLES
  gate A TWO
    pin 1 1
    pin 2 2
end
device SM
  prefix X
  package FLAT
  gate A TWO
    pin 1 1
    pin 2 2
end
device MX
  prefix X
  package MIXED
  gate A TWO
    pin 1 1
    pin 2 2
end
unit 0.1in
design D
level MAIN
page P frame 80 60
  component U1 74HC00 gate A at -30 0
  component U1 74HC00 gate B at -30 10
  component T1 TH at 0 0
  component T2 TH at 20 0
  component T3 TH at 40 0
  component S1 SM at 0 10
  component S2 SM at 20 10
  component M1 MX at 0 20
  component M2 MX at 20 20
end
)";

class LayExchange : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kParts));
    }
    static int32_t Lay(const std::string& name) { return OM_FindName(DB_LayCompMap(), name.c_str()); }
    static int32_t Sch(const std::string& name) { return OM_FindName(DB_SchCompMap(), (name + "/1").c_str()); }
    // Puts the layout component on the other side of the board.
    static void Flip(const std::string& name) { O_Mask(L_Component(Lay(name)), 2, 2); }
    // A trace from pin 1 of the component to a bend point of its own.
    static void TraceAt(const std::string& name)
    {
        const int32_t net = N_CreateNet(0, 1, ("T_" + name).c_str());
        ASSERT_NE(net, 0) << name;
        const int32_t node = N_CreateNode(net, 0, Sch(name), 1, Lay(name), 1);
        ASSERT_NE(node, 0) << name;
        const int32_t bend = T_CreateBendPoint(0, 1, 0, 0);
        const int32_t trace = T_CreateTrace(0, 1, net);
        ASSERT_NE(T_InsertRecord(trace, -1, 2, node, 1, 0), 0) << name;
        ASSERT_NE(T_InsertRecord(trace, -1, 4, bend, 1, 0), 0) << name;
    }
    static std::vector<int32_t> TraceMarks()
    {
        std::vector<int32_t> marks;
        int32_t cursor = OM_GetFirst(DB_TraceMap());
        while (const int32_t t = OM_SearchMask(DB_TraceMap(), &cursor, 0, 0)) marks.push_back(O_GetStatus(T_Trace(t)));
        return marks;
    }
};

TEST_F(LayExchange, SidesTracesPackagesAndHoles)
{
    struct Case {
        const char* what;
        const char* a;
        const char* b;
        std::vector<const char*> flipped;  // on the other side of the board
        std::vector<const char*> traced;   // with a trace at a pin
        int32_t result;                    // what the caller passes in
        int32_t expected;
    };
    const Case cases[] = {
        {"one component with itself", "T1", "T1", {"T1"}, {"T1"}, 0, 0},
        {"same side, other package, traces", "T1", "S1", {}, {"T1", "S1"}, 0, 0},
        {"other sides, no traces", "T1", "S1", {"S1"}, {}, 0, 0},
        {"other sides, traces elsewhere only", "T1", "S1", {"S1"}, {"T3", "S2"}, 0, 0},
        {"other sides, other package, traces on the first", "T1", "S1", {"S1"}, {"T1"}, 0, 1},
        {"other sides, other package, traces on the second", "T1", "S1", {"S1"}, {"S1"}, 0, 1},
        {"other sides, other package, first on the far side", "S1", "T1", {"S1"}, {"S1"}, 0, 1},
        {"other sides, same package, every pad with a hole", "T1", "T2", {"T2"}, {"T1", "T2"}, 0, 0},
        {"other sides, same package, no pad with a hole", "S1", "S2", {"S2"}, {"S1"}, 0, 1},
        {"other sides, same package, one pad without a hole", "M1", "M2", {"M2"}, {"M2"}, 0, 1},
        {"allowed: the caller's refusal is kept", "T1", "T2", {"T2"}, {"T1"}, 1, 1},
        {"same side: the caller's refusal is kept", "S1", "S2", {}, {"S1"}, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kParts));
        for (const char* name : c.flipped) Flip(name);
        for (const char* name : c.traced) TraceAt(name);
        ASSERT_NE(Lay(c.a), 0);
        ASSERT_NE(Lay(c.b), 0);
        const std::vector<int32_t> marks = TraceMarks();
        int32_t result = c.result;
        CheckLayCompExchange(result, Lay(c.a), Lay(c.b));
        EXPECT_EQ(result, c.expected);
        // No trace mark changes.
        EXPECT_EQ(TraceMarks(), marks);
    }
}

// Marks that other commands left on traces neither count as traces of the
// two components nor go.
TEST_F(LayExchange, MarksLeftOnOtherTracesStay)
{
    Flip("S1");
    TraceAt("T3");
    OM_MaskAll(DB_TraceMap(), 256, 256);
    int32_t result = 0;
    CheckLayCompExchange(result, Lay("T1"), Lay("S1"));
    EXPECT_EQ(result, 0);
    EXPECT_NE(OM_FindMask(DB_TraceMap(), 256, 256), 0);
}

// The kernel selects pins by its node view; the answer is the same from
// either view, and the schematic view is current afterwards.
TEST_F(LayExchange, EitherNodeViewGivesTheSameAnswer)
{
    Flip("S1");
    TraceAt("T1");
    const int32_t net = OM_FindName(DB_NetMap(), "T_T1");
    int32_t cursor = OM_GetFirst(N_NodeMap(net));
    const int32_t node = OM_SearchMask(N_NodeMap(net), &cursor, 0, 0);
    EntryRec pin{};
    ASSERT_NE(C_ReadEntry(Sch("T1"), 1, &pin), 0);
    for (const int32_t view : {0, 1}) {
        N_SetNodeView(view);
        int32_t result = 0;
        CheckLayCompExchange(result, Lay("T1"), Lay("S1"));
        EXPECT_EQ(result, 1) << view;
        result = 0;
        CheckLayCompExchange(result, Lay("T2"), Lay("S1"));
        EXPECT_EQ(result, 0) << view;
        // The schematic side: the node shows the schematic pin's place.
        NodeRec rec{};
        ASSERT_NE(N_ReadNode(net, node, &rec), 0);
        EXPECT_EQ(rec.X, pin.X) << view;
        EXPECT_EQ(rec.Y, pin.Y) << view;
    }
}

}  // namespace
