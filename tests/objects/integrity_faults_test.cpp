// The integrity check over wires and traces of which a record, or the
// object itself, cannot be read: each is reported in a line of its own and
// the check goes on, so a fault behind it is still found and repaired.
#include "editor/objects/integrity.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/design_builder.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

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

// The lines of one pass: those after its header, up to and including its
// closing line.
std::vector<std::string> Pass(const std::vector<std::string>& lines, const std::string& header)
{
    std::vector<std::string> pass;
    bool in = false;
    for (const std::string& line : lines) {
        if (line == header) {
            in = true;
            continue;
        }
        if (!in) continue;
        pass.push_back(line);
        if (line.find(" - ") != std::string::npos) break;
    }
    return pass;
}

const char* kPage = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
end
)";

constexpr int32_t kStep = 254000;

class IntegrityFaults : public KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(BuildDesign(kPage));
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        KernelTest::TearDown();
    }
    // A wire of net W through three junctions; with `broken` the last one
    // is gone, so its record refers to nothing.
    struct Wire {
        int32_t net, branch;
    };
    static Wire MakeWire(const char* net, bool broken, int32_t y)
    {
        Wire w{N_CreateNet(0, 1, net), 0};
        const int32_t j1 = J_CreateJunction(0, 3, 0, y);
        const int32_t j2 = J_CreateJunction(0, 3, 5 * kStep, y);
        const int32_t j3 = J_CreateJunction(0, 3, 10 * kStep, y);
        w.branch = B_CreateBranch(0, 1, w.net);
        for (const int32_t j : {j1, j2, j3}) B_InsertRecord(w.branch, -1, 4, j);
        if (broken) AddToHeap(0, j3, 2);
        return w;
    }
    // A trace of net T from a bend point over a second to a third; with
    // `broken` the last bend point is gone.
    struct Trace {
        int32_t net, trace;
    };
    static Trace MakeTrace(const char* net, bool broken)
    {
        Trace t{N_CreateNet(0, 1, net), 0};
        const int32_t b1 = T_CreateBendPoint(0, 1, 0, 0);
        const int32_t b2 = T_CreateBendPoint(0, 1, 5 * kStep, 0);
        const int32_t b3 = T_CreateBendPoint(0, 1, 10 * kStep, 0);
        t.trace = T_CreateTrace(0, 1, t.net);
        for (const int32_t b : {b1, b2, b3}) T_InsertRecord(t.trace, -1, 4, b, 1, 0);
        if (broken) AddToHeap(0, b3, 1);
        return t;
    }
    // How many calls of `name` a check of the design as it stands makes.
    static int32_t CallsOfCheck(const char* name)
    {
        KT_FailCall(name, INT32_MAX);
        RunIntegrityCheck(nullptr);
        const int32_t calls = KT_CallsCounted();
        KT_FailCall("", 0);
        return calls;
    }
};

// The check reads one record per call, in order, so the n-th read is that
// of record n; a sound copy of the design shows that first.
TEST_F(IntegrityFaults, AnUnreadableWireRecordIsReportedAndTheRestIsChecked)
{
    struct Case {
        const char* what;
        bool broken;
        int32_t refused;  // the record whose read is refused, 0 none
        std::vector<std::string> lines;
        bool wireKept;
    };
    const std::string gone = "Wire of Net W reference to not existing junction point faulty wire removed";
    const std::string empty = "Wire of Net W empty net removed";
    const std::string errors = "Wires - Error(s) Discovered and Fixed";
    const Case cases[] = {
        {"sound, nothing refused", false, 0, {"", "Wires - OK"}, true},
        {"sound, the middle record unreadable", false, 2,
         {"Wire of Net W point 2 cannot be read", "", errors}, true},
        {"broken, the first record unreadable", true, 1,
         {"Wire of Net W point 1 cannot be read", gone, empty, "", errors}, false},
        {"broken, the middle record unreadable", true, 2,
         {"Wire of Net W point 2 cannot be read", gone, empty, "", errors}, false},
        {"broken, the broken record unreadable", true, 3,
         {"Wire of Net W point 3 cannot be read", "", errors}, true},
        {"broken, nothing refused", true, 0, {gone, empty, "", errors}, false},
    };
    ASSERT_TRUE(BuildDesign(kPage));
    MakeWire("W", false, 0);
    ASSERT_EQ(CallsOfCheck("B_ReadRecord"), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kPage));
        const Wire w = MakeWire("W", c.broken, 0);
        if (c.refused != 0) KT_FailCall("B_ReadRecord", c.refused);
        const std::vector<std::string> lines = Lines(RunIntegrityCheck(nullptr));
        KT_FailCall("", 0);
        EXPECT_EQ(Pass(lines, "3. Checking Wires"), c.lines);
        EXPECT_EQ(B_Branch(w.branch) != 0, c.wireKept);
        // Every read answers again: a second run repairs what is left and
        // a third finds nothing.
        RunIntegrityCheck(nullptr);
        EXPECT_EQ(Pass(Lines(RunIntegrityCheck(nullptr)), "3. Checking Wires"),
                  (std::vector<std::string>{"", "Wires - OK"}));
        EXPECT_EQ(B_Branch(w.branch) != 0, !c.broken);
        EXPECT_EQ(OM_FindMask(DB_BranchMap(), 1024, 1024), 0);
    }
}

TEST_F(IntegrityFaults, AnUnreadableTraceRecordIsReportedAndTheRestIsChecked)
{
    struct Case {
        const char* what;
        bool broken;
        int32_t refused;
        std::vector<std::string> lines;
        bool traceKept;
    };
    const std::string gone = "Trace of Net T reference to not existing bend point faulty trace removed";
    const std::string empty = "Trace of Net T empty net removed";
    const std::string errors = "Traces - Error(s) Discovered and Fixed";
    const Case cases[] = {
        {"sound, the last record unreadable", false, 3,
         {"Trace of Net T point 3 cannot be read", "", errors}, true},
        {"broken, the first record unreadable", true, 1,
         {"Trace of Net T point 1 cannot be read", gone, empty, "", errors}, false},
        {"broken, the broken record unreadable", true, 3,
         {"Trace of Net T point 3 cannot be read", "", errors}, true},
    };
    ASSERT_TRUE(BuildDesign(kPage));
    MakeTrace("T", false);
    ASSERT_EQ(CallsOfCheck("T_ReadRecord"), 3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(BuildDesign(kPage));
        const Trace t = MakeTrace("T", c.broken);
        KT_FailCall("T_ReadRecord", c.refused);
        const std::vector<std::string> lines = Lines(RunIntegrityCheck(nullptr));
        KT_FailCall("", 0);
        EXPECT_EQ(Pass(lines, "2. Checking Traces"), c.lines);
        EXPECT_EQ(T_Trace(t.trace) != 0, c.traceKept);
        RunIntegrityCheck(nullptr);
        EXPECT_EQ(Pass(Lines(RunIntegrityCheck(nullptr)), "2. Checking Traces"),
                  (std::vector<std::string>{"", "Traces - OK"}));
        EXPECT_EQ(T_Trace(t.trace) != 0, !c.broken);
    }
}

// A wire that cannot be read is reported and left as it is, and the wires
// after it are still checked.
TEST_F(IntegrityFaults, AnUnreadableWireIsReportedAndTheOthersAreChecked)
{
    // Sound, the check reads each wire's header once in the wire pass,
    // and those are its last header reads; the first of them is the first
    // wire's (the walk goes by ascending id).
    MakeWire("A", false, 0);
    MakeWire("W", false, 10 * kStep);
    const int32_t firstOfWirePass = CallsOfCheck("B_ReadBranch") - 1;
    ASSERT_GE(firstOfWirePass, 1);
    ASSERT_TRUE(BuildDesign(kPage));
    const Wire a = MakeWire("A", false, 0);
    const Wire w = MakeWire("W", true, 10 * kStep);
    ASSERT_LT(a.branch, w.branch);
    KT_FailCall("B_ReadBranch", firstOfWirePass);
    const std::vector<std::string> lines = Lines(RunIntegrityCheck(nullptr));
    KT_FailCall("", 0);
    EXPECT_EQ(Pass(lines, "3. Checking Wires"),
              (std::vector<std::string>{"Wire " + std::to_string(a.branch) + " cannot be read",
                                        "Wire of Net W reference to not existing junction point faulty wire removed",
                                        "Wire of Net W empty net removed", "", "Wires - Error(s) Discovered and Fixed"}));
    EXPECT_NE(B_Branch(a.branch), 0);
    EXPECT_EQ(B_Branch(w.branch), 0);
    EXPECT_EQ(OM_FindMask(DB_BranchMap(), 1024, 1024), 0);
    EXPECT_EQ(Pass(Lines(RunIntegrityCheck(nullptr)), "3. Checking Wires"),
              (std::vector<std::string>{"", "Wires - OK"}));
}

}  // namespace
