// The integrity check a user runs looks for marks on every level of the
// design, not only the current one, and on every kind of object that
// stores status bits: run on level BLOCK of the demo, it reports a mark
// planted on level MAIN (or on a design-wide object) with the object's
// level in its line, clears it, and leaves the current level and page as
// they were. What the design holds is read from the written file.
#include "editor/objects/integrity.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/stored_marks.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

using namespace palvane_test;

constexpr int32_t kMain = 1, kBlock = 2;
constexpr int32_t kAmplifier = 2, kFilter = 1;
// The resistor's schematic symbol.
constexpr int32_t kSymbolR = 1;

// What the fixture adds to level MAIN of the demo, which has no layout
// routing: a design pad stack, a trace of net VIN through a bend point and
// a via, and a file object.
struct Added {
    int32_t padStack = 0, padKey = 0;
    int32_t trace = 0, traceId = 0;
    int32_t bendPoint = 0, bendId = 0;
    int32_t via = 0, viaId = 0;
    int32_t file = 0;
};

int32_t First(int32_t map)
{
    int32_t cursor = OM_GetFirst(map);
    return OM_SearchMask(map, &cursor, 0, 0);
}

std::string S(int32_t n)
{
    return " " + std::to_string(n);
}

// Runs `f` with level MAIN current (bare ids name objects of the current
// level), BLOCK current again after.
void OnMain(const std::function<void()>& f)
{
    DB_SetCurHier(kMain);
    f();
    DB_SetCurHier(kBlock);
}

struct Planted {
    const char* name;
    // Sets one mark on level MAIN or on a design-wide object; returns the
    // line the check reports for it.
    std::function<std::string(const Added&)> plant;
};

void PrintTo(const Planted& planted, std::ostream* os)
{
    *os << planted.name;
}

std::string MaskHandle(int32_t handle, int32_t bits, const std::string& label)
{
    EXPECT_NE(handle, 0) << label;
    O_Mask(handle, bits, bits);
    return label + " holds marks " + std::to_string(bits);
}

const Planted kPlanted[] = {
    {"Design", [](const Added&) { return MaskHandle(DB_DataBase(), 256, "Design Demo"); }},
    {"Level", [](const Added&) { return MaskHandle(OM_Object(DB_HierarchyMap(), kMain), 512, "Level MAIN"); }},
    {"Page",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = DB_Page(kAmplifier); });
         return MaskHandle(h, 1024, "Level MAIN: Page Amplifier");
     }},
    {"Component",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = C_Component(OM_FindName(DB_SchCompMap(), "R1/1")); });
         return MaskHandle(h, 256, "Level MAIN: Component R1/1");
     }},
    {"ComponentText",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = OA_Object(C_CompTextArray(OM_FindName(DB_SchCompMap(), "R1/1")), 1); });
         return MaskHandle(h, 2048, "Item 1 of Level MAIN: Component R1/1");
     }},
    {"LayoutComponent",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = L_Component(OM_FindName(DB_LayCompMap(), "R1")); });
         return MaskHandle(h, 256, "Level MAIN: Layout component R1");
     }},
    {"Net",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = N_Net(OM_FindName(DB_NetMap(), "VIN")); });
         return MaskHandle(h, 256, "Level MAIN: Net VIN");
     }},
    {"Node",
     [](const Added&) {
         int32_t h = 0, node = 0;
         OnMain([&] {
             const int32_t net = OM_FindName(DB_NetMap(), "VIN");
             node = First(N_NodeMap(net));
             h = N_Node(net, node);
         });
         return MaskHandle(h, 256, "Level MAIN: Net VIN node" + S(node));
     }},
    {"Bus",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = N_Bus(OM_FindName(DB_BusMap(), "CTRL")); });
         return MaskHandle(h, 128, "Level MAIN: Bus CTRL");
     }},
    {"Wire",
     [](const Added&) {
         int32_t h = 0, wire = 0;
         OnMain([&] { h = B_Branch(wire = First(DB_BranchMap())); });
         return MaskHandle(h, 8192, "Level MAIN: Wire" + S(wire));
     }},
    {"WirePoint",
     [](const Added&) {
         int32_t wire = 0;
         OnMain([&] { EXPECT_NE(B_MaskRecord(wire = First(DB_BranchMap()), 2, 512, 512), 0); });
         return "Level MAIN: Wire" + S(wire) + " point 2 holds marks 512";
     }},
    {"WireText",
     [](const Added&) {
         int32_t h = 0, wire = 0;
         OnMain([&] {
             const int32_t wires = DB_BranchMap();
             int32_t cursor = OM_GetFirst(wires);
             while ((wire = OM_SearchMask(wires, &cursor, 0, 0)) != 0)
                 if ((h = B_BranchText(wire, 1)) != 0) break;
         });
         return MaskHandle(h, 256, "Item 1 of Level MAIN: Wire" + S(wire));
     }},
    {"Frame",
     [](const Added&) {
         int32_t h = 0;
         OnMain([&] { h = B_Branch(-100 - kAmplifier); });
         return MaskHandle(h, 512, "Level MAIN: Frame of page" + S(kAmplifier));
     }},
    {"FramePoint",
     [](const Added&) {
         OnMain([&] { EXPECT_NE(B_MaskRecord(-100 - kAmplifier, 1, 64, 64), 0); });
         return "Level MAIN: Frame of page" + S(kAmplifier) + " point 1 holds marks 64";
     }},
    {"Junction",
     [](const Added&) {
         int32_t h = 0, junction = 0;
         OnMain([&] { h = J_Junction(junction = First(DB_JunctMap())); });
         return MaskHandle(h, 4096, "Level MAIN: Junction" + S(junction));
     }},
    {"Trace", [](const Added& a) { return MaskHandle(a.trace, 1024, "Level MAIN: Trace" + S(a.traceId)); }},
    {"TracePoint",
     [](const Added&) {
         int32_t trace = 0;
         OnMain([&] { EXPECT_NE(T_MaskRecord(trace = First(DB_TraceMap()), 1, 1024, 1024), 0); });
         return "Level MAIN: Trace" + S(trace) + " point 1 holds marks 1024";
     }},
    {"BendPoint", [](const Added& a) { return MaskHandle(a.bendPoint, 128, "Level MAIN: Bend point" + S(a.bendId)); }},
    {"Via", [](const Added& a) { return MaskHandle(a.via, 128, "Level MAIN: Via" + S(a.viaId)); }},
    {"FileObject", [](const Added& a) { return MaskHandle(a.file, 256, "Level MAIN: File MARKTEST"); }},
    {"PageNotesItem",
     [](const Added&) {
         // The notes of page Amplifier of level MAIN, a symbol kept under
         // a negative id.
         const int32_t h = S_SymbolItem(-((kMain + 9) * 100 + kAmplifier), 1);
         return MaskHandle(h, 2048, "Item 1 of Symbol @PGENOTES");
     }},
    {"Symbol", [](const Added&) { return MaskHandle(S_Symbol(kSymbolR), 256, "Symbol R"); }},
    {"SymbolEntry",
     [](const Added&) {
         return MaskHandle(OA_Object(S_SymbolEntryArray(kSymbolR), 2), 256,
                           "Entry 2 of Symbol R");
     }},
    {"SymbolItem",
     [](const Added&) {
         return MaskHandle(S_SymbolItem(kSymbolR, 1), 256, "Item 1 of Symbol R");
     }},
    {"Device", [](const Added&) { return MaskHandle(D_Device(First(DB_DeviceMap())), 128, "Device "); }},
    {"DeviceGroup",
     [](const Added&) { return MaskHandle(OA_Object(D_GroupArray(First(DB_DeviceMap())), 1), 256, "Group 1 of Device "); }},
    {"DevicePin",
     [](const Added&) {
         return MaskHandle(OA_Object(D_GroupPinArray(First(DB_DeviceMap()), 1), 1), 256, "Pin 1 of group 1 of Device ");
     }},
    {"PadStack", [](const Added& a) { return MaskHandle(a.padStack, 256, "Pad stack" + S(a.padKey)); }},
};

class MarksOnAnotherLevel : public KernelTest, public ::testing::WithParamInterface<Planted> {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        const std::string demo = COMPILED_DATA_DIR "/demo/demo.nvd";
        ASSERT_EQ(DB_LoadDataBase(demo.c_str()), 1) << E_LastError();
        ASSERT_EQ(DB_CurHier(), kMain);
        ASSERT_EQ(DB_CurPage(), kAmplifier);
        // The demo has no routing: a trace of VIN through a bend point and
        // a via, with a pad stack for the via, and a file object.
        const int32_t stack = S_MakePadStack();
        const int32_t key = OM_Add(DB_PadStackMap(), stack, 0);
        ASSERT_NE(key, 0);
        added.padStack = stack;
        const int32_t via = V_CreateVia(0, 1, 0, 0, key, 1);
        const int32_t bend = T_CreateBendPoint(0, 1, 254000, 0);
        const int32_t trace = T_CreateTrace(0, 1, OM_FindName(DB_NetMap(), "VIN"));
        ASSERT_NE(via * bend * trace, 0);
        ASSERT_NE(T_InsertRecord(trace, -1, 8, via, 1, 1000), 0);
        ASSERT_NE(T_InsertRecord(trace, -1, 4, bend, 1, 1000), 0);
        added.padKey = key;
        added.viaId = via;
        added.bendId = bend;
        added.traceId = trace;
        added.via = V_Via(via);
        added.bendPoint = T_BendPoint(bend);
        added.trace = T_Trace(trace);
        added.file = F_File(F_CreateFile(0, "MARKTEST"));
        ASSERT_NE(added.file, 0);
        ASSERT_EQ(DB_SetCurHier(kBlock), kBlock);
        ASSERT_EQ(DB_CurPage(), kFilter);
    }
    // The design written now, and the marks its file holds.
    std::vector<std::string> Written(const char* name)
    {
        const std::string path = dir.filePath(name).toStdString();
        EXPECT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
        return StoredMarks(path);
    }
    QTemporaryDir dir;
    Added added;
};

std::vector<std::string> MarkLines(const std::string& report)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (report.compare(start, end - start, "holds marks") != 0 &&
            report.substr(start, end - start).find(" holds marks ") != std::string::npos)
            lines.push_back(report.substr(start, end - start));
    return lines;
}

TEST_P(MarksOnAnotherLevel, TheCheckOnBlockReportsAndClearsIt)
{
    // The demo as built holds no mark; the check finds none and changes
    // nothing.
    EXPECT_EQ(Written("clean.nvd"), std::vector<std::string>{});
    EXPECT_EQ(RunIntegrityCheck(nullptr, true).find("holds marks"), std::string::npos);
    const uint64_t clean = KT_DesignDigest();

    const std::string expected = GetParam().plant(added);
    ASSERT_EQ(DB_CurHier(), kBlock);
    EXPECT_EQ(Written("marked.nvd").size(), 1u) << "the file holds the planted mark";

    const std::string report = RunIntegrityCheck(nullptr, true);
    const std::vector<std::string> lines = MarkLines(report);
    ASSERT_EQ(lines.size(), 1u) << report;
    // Ids and names the table does not know end the label.
    EXPECT_EQ(lines[0].rfind(expected.substr(0, expected.find(" holds marks")), 0), 0u) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].find(" holds marks")), expected.substr(expected.find(" holds marks")));
    EXPECT_NE(report.find("Marks - Cleared\r\n"), std::string::npos) << report;

    EXPECT_EQ(DB_CurHier(), kBlock) << "the current level is as it was";
    EXPECT_EQ(DB_CurPage(), kFilter) << "and so is its page";
    EXPECT_EQ(Written("checked.nvd"), std::vector<std::string>{}) << "the check cleared the mark";
    EXPECT_EQ(KT_DesignDigest(), clean) << "and nothing else changed";
    ASSERT_EQ(DB_SetCurHier(kMain), kMain);
    EXPECT_EQ(DB_CurPage(), kAmplifier) << "level MAIN keeps its page";
}

// The two settings the design keeps in bits that are marks elsewhere - 256
// on a page frame, 128 on an item - are no marks: the check reports
// neither and the written file still holds both.
TEST_F(MarksOnAnotherLevel, KeptSettingsAreNoMarks)
{
    int32_t frame = 0, text = 0;
    OnMain([&] {
        frame = B_Branch(-100 - kAmplifier);
        text = OA_Object(C_CompTextArray(OM_FindName(DB_SchCompMap(), "R1/1")), 1);
    });
    O_Mask(frame, 256, 256);
    O_Mask(text, 128, 128);
    EXPECT_EQ(RunIntegrityCheck(nullptr, true).find("holds marks"), std::string::npos);
    const std::string path = dir.filePath("kept.nvd").toStdString();
    ASSERT_EQ(DB_SaveDataBase(path.c_str()), 1) << E_LastError();
    EXPECT_EQ(StoredMarks(path), std::vector<std::string>{});
    EXPECT_EQ(O_GetStatus(frame) & 256, 256);
    EXPECT_EQ(O_GetStatus(text) & 128, 128);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MarksOnAnotherLevel, ::testing::ValuesIn(kPlanted),
                         [](const auto& info) { return std::string(info.param.name); });

// The search itself leaves the current level and page as they were when a
// level cannot be made current, and still reports what it reached.
TEST_F(MarksOnAnotherLevel, ALevelTheKernelRefusesLeavesTheCurrentOneAsItWas)
{
    O_Mask(added.trace, 1024, 1024);
    O_Mask(OM_Object(DB_HierarchyMap(), kMain), 512, 512);
    KT_FailCall("DB_SetCurHier", 1, -1);
    const std::vector<DesignMark> marks = FindDesignMarks();
    KT_FailCall("", 0);
    EXPECT_EQ(DB_CurHier(), kBlock);
    EXPECT_EQ(DB_CurPage(), kFilter);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].what, "Level MAIN");
}

}  // namespace
