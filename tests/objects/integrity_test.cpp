// The integrity check on a design holding one fault of each kind: the
// report line by line, the repairs, and a second run that finds nothing.
#include "editor/dialogs/schinfob.h"
#include "editor/objects/integrity.h"
#include "editor/shell/forms.h"
#include "editor/shell/textarea.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace palvane_test;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
    return lines;
}

const std::vector<std::string> kClean = {"Integrity Diagnostics and Autofix", "", "1. Checking Netlist", "",
                                         "Netlist - OK", "", "2. Checking Traces", "", "Traces - OK", "",
                                         "3. Checking Wires", "", "Wires - OK"};

class Integrity : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  component R3 R at 0 10
  component R4 R at 20 10
  component R5 R at 0 20
end
)"));
    }
    static int32_t Sch(const char* name) { return OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str()); }
    static int32_t Lay(const char* name) { return OM_FindName(DB_LayCompMap(), name); }
    static int32_t Node(int32_t net, int32_t comp, int32_t entry, int32_t lay, int32_t pin)
    {
        return N_CreateNode(net, 0, comp, entry, lay, pin);
    }
    static std::string S(int32_t n) { return " " + std::to_string(n); }
};

TEST_F(Integrity, ADesignWithoutFaultsGivesThreeOks)
{
    const int32_t net = N_CreateNet(0, 1, "GOOD");
    Node(net, Sch("R1"), 1, Lay("R1"), 1);
    Node(net, Sch("R2"), 1, Lay("R2"), 1);
    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
    EXPECT_EQ(OM_GetCount(N_NodeMap(net)), 2);
}

TEST_F(Integrity, EveryFaultIsReportedAndRepairedAndASecondRunFindsNothing)
{
    const int32_t good = N_CreateNet(0, 1, "GOOD");
    const int32_t g1 = Node(good, Sch("R1"), 1, Lay("R1"), 1);
    const int32_t g2 = Node(good, Sch("R2"), 1, Lay("R2"), 1);
    const int32_t wire = B_CreateBranch(0, 1, good);
    B_InsertRecord(wire, -1, 3, g1);
    B_InsertRecord(wire, -1, 3, g2);

    const int32_t na = N_CreateNet(0, 1, "NA");
    const int32_t badEntry = Node(na, Sch("R3"), 9, 0, 0);
    const int32_t nb = N_CreateNet(0, 1, "NB");
    const int32_t dup1 = Node(nb, Sch("R4"), 1, 0, 0);
    const int32_t dup2 = Node(nb, Sch("R4"), 1, 0, 0);
    const int32_t nc = N_CreateNet(0, 1, "NC");
    const int32_t r5 = Sch("R5");
    const int32_t orphan = Node(nc, r5, 1, 0, 0);
    const int32_t nd = N_CreateNet(0, 1, "ND");
    const int32_t layOnly = Node(nd, r5, 2, Lay("R5"), 2);
    const int32_t badPin = Node(nd, Sch("R1"), 2, Lay("R1"), 9);
    OM_Delete(DB_SchCompMap(), r5);

    const int32_t bend = T_CreateBendPoint(0, 1, 0, 0);
    const int32_t trace = T_CreateTrace(0, 1, good);
    T_InsertRecord(trace, -1, 2, g1, 1, 0);
    T_InsertRecord(trace, -1, 4, bend, 1, 0);
    AddToHeap(0, bend, 1);

    const int32_t nw = N_CreateNet(0, 1, "NW");
    const int32_t j1 = J_CreateJunction(0, 3, 0, 254000 * 30);
    const int32_t j2 = J_CreateJunction(0, 3, 254000 * 5, 254000 * 30);
    const int32_t broken = B_CreateBranch(0, 1, nw);
    B_InsertRecord(broken, -1, 4, j1);
    B_InsertRecord(broken, -1, 4, j2);

    const int32_t bus = N_CreateBus(0, 1, "BUS");
    const int32_t b1 = J_CreateJunction(0, 5, 0, 254000 * 35);
    const int32_t b2 = J_CreateJunction(0, 5, 254000 * 5, 254000 * 35);
    const int32_t busWire = B_CreateBranch(0, 3, bus);
    B_InsertRecord(busWire, -1, 4, b1);
    B_InsertRecord(busWire, -1, 4, b2);
    // Deleted only now, so that no later junction takes a freed id.
    AddToHeap(0, j2, 2);
    AddToHeap(0, b2, 2);

    N_SetNodeView(1);
    const std::vector<std::string> expected = {
        "Integrity Diagnostics and Autofix",
        "",
        "1. Checking Netlist",
        "Can't read entry: NA R3/1" + S(9) + "/" + S(badEntry),
        "NA faulty node removed",
        "NA empty net removed",
        "Duplicated Sch.Node: NB R4/1" + S(1) + "/" + S(dup1),
        "NB faulty node removed",
        "NC faulty node removed",
        "NC empty net removed",
        "Can't read pin: ND R1" + S(9) + "/" + S(badPin),
        "ND faulty node removed",
        "",
        "Netlist - Error(s) Discovered and Fixed",
        "",
        "2. Checking Traces",
        "Trace of Net GOOD reference to not existing bend point faulty trace removed",
        "",
        "Traces - Error(s) Discovered and Fixed",
        "",
        "3. Checking Wires",
        "Wire of Net NW reference to not existing junction point faulty wire removed",
        "Wire of Net NW empty net removed",
        "",
        "Wires - Error(s) Discovered and Fixed",
    };
    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), expected);

    EXPECT_EQ(N_Net(na), 0);
    EXPECT_EQ(N_Net(nc), 0);
    EXPECT_EQ(N_Net(nw), 0);
    EXPECT_EQ(N_Node(nb, dup1), 0);
    EXPECT_NE(N_Node(nb, dup2), 0);
    NodeRec kept{};
    ASSERT_TRUE(N_ReadNode(nd, layOnly, &kept));
    EXPECT_EQ(kept.Comp, 0);
    EXPECT_EQ(kept.LayComp, Lay("R5"));
    EXPECT_EQ(N_Node(nd, badPin), 0);
    EXPECT_EQ(T_Trace(trace), 0);
    EXPECT_EQ(B_Branch(broken), 0);
    EXPECT_NE(B_Branch(busWire), 0);
    EXPECT_NE(B_Branch(wire), 0);
    (void)orphan;

    // The node view is the schematic side again: node positions are pins'.
    NodeRec g{};
    EntryRec pin{};
    N_ReadNode(good, g1, &g);
    C_ReadEntry(Sch("R1"), 1, &pin);
    EXPECT_EQ(g.X, pin.X);
    EXPECT_EQ(g.Y, pin.Y);
    // No mark is left behind.
    EXPECT_EQ(OM_FindMask(DB_NetMap(), 256, 256), 0);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 1024, 1024), 0);

    EXPECT_EQ(Lines(RunIntegrityCheck(nullptr)), kClean);
}

TEST_F(Integrity, TheReportIsShownInTheReportWindow)
{
    CheckIntegrity();
    SCHINFOB& report = FormInstance<SCHINFOB>();
    EXPECT_TRUE(report.Visible());
    EXPECT_EQ(Lines(report.F_TxtBuffer()->Text()), kClean);
}

}  // namespace
