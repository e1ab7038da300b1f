// The main window over its design: the caption and the special symbols,
// the page frame rebuilt (also from a damaged design, and whole or not at
// all when the kernel refuses a step), the hierarchy reports, the settings
// load's flag and the demo design loaded without losing a wire; the kernel
// cursors and the unload.
#include "editor/dialogs/schicmpd.h"
#include "editor/dialogs/schinfob.h"
#include "editor/shell/menus.h"
#include "editor/shell/textarea.h"
#include "editor/interaction/commands.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/integrity.h"
#include "editor/shell/caption.h"
#include "editor/shell/cursors.h"
#include "editor/shell/errors.h"
#include "editor/shell/hierreports.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "platform/winsys/interaction.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <climits>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Startup = palvane_test::EditorTest;
using StartupLink = palvane_test::EditorLinkTest;

std::string DemoText()
{
    std::ifstream in(std::string(PALVANE_DEMO_DIR) + "/demo.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Wires (branches without the frames) of every page of every level; the
// first level and its first page are current again afterwards.
int WireCount()
{
    const int32_t levels = DB_HierarchyMap();
    int count = 0;
    int32_t first = 0;
    int32_t position = OM_GetFirst(levels);
    for (int32_t level; (level = OM_SearchMask(levels, &position, 0, 0)) > 0;) {
        if (first == 0) first = level;
        DB_SetCurHier(level);
        const int32_t branches = DB_BranchMap();
        int32_t at = OM_GetFirst(branches);
        while (OM_SearchMask(branches, &at, 0, 0) > 0) ++count;
    }
    DB_SetCurHier(first);
    return count;
}

// A page's frame outline as its records show it.
struct Outline {
    std::vector<int32_t> refs;
    std::vector<std::pair<int32_t, int32_t>> points;
};

Outline ReadOutline(int32_t frame)
{
    Outline outline;
    BranchRec branch{};
    if (B_ReadBranch(frame, &branch) == 0) return outline;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(frame, i, &point) == 0) break;
        outline.refs.push_back(point.Ref);
        outline.points.emplace_back(point.X, point.Y);
    }
    return outline;
}

// A closed outline of four corners, each an existing junction.
::testing::AssertionResult WholeFrame(const Outline& outline)
{
    if (outline.refs.size() != 5) return ::testing::AssertionFailure() << outline.refs.size() << " points";
    if (outline.refs.front() != outline.refs.back()) return ::testing::AssertionFailure() << "not closed";
    const std::set<int32_t> corners(outline.refs.begin(), outline.refs.end() - 1);
    if (corners.size() != 4) return ::testing::AssertionFailure() << "a corner taken twice";
    for (const int32_t corner : corners)
        if (J_Junction(corner) == 0) return ::testing::AssertionFailure() << "junction " << corner << " missing";
    return ::testing::AssertionSuccess();
}

// The junctions of the current level that no page's frame refers to (the
// designs here have no wires).
std::vector<int32_t> JunctionsOutsideTheFrames()
{
    std::set<int32_t> used;
    const int32_t pages = DB_PageMap();
    int32_t at = OM_GetFirst(pages);
    for (int32_t page; (page = OM_SearchMask(pages, &at, 0, 0)) > 0;)
        for (const int32_t ref : ReadOutline(-100 - page).refs) used.insert(ref);
    std::vector<int32_t> unused;
    const int32_t junctions = DB_JunctMap();
    at = OM_GetFirst(junctions);
    for (int32_t junction; (junction = OM_SearchMask(junctions, &at, 0, 0)) > 0;)
        if (!used.contains(junction)) unused.push_back(junction);
    return unused;
}

TEST_F(Startup, CaptionAndSpecialSymbolsFollowLevelAndPage)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P1\nend\npage P2\nend\npage P3 frame 2in 1in\nend\n"));
    ASSERT_EQ(DB_SetCurPage(OM_FindName(DB_PageMap(), "P3")), OM_FindName(DB_PageMap(), "P3"));
    ASSERT_EQ(DB_CurHier(), 1);
    ASSERT_EQ(DB_CurPage(), 4);  // after MAINPAGE, P1 and P2
    int32_t status = 0;
    SetMainCaption(status);
    EXPECT_EQ(status, DB_DataBase());
    EXPECT_EQ(g_DbName, "D");
    EXPECT_EQ(g_CurHierName, "MAIN");
    EXPECT_EQ(g_CurPageName, "P3");
    EXPECT_EQ(Main().Caption(), "Norvo32 - Schematics Capture (P3)");
    EXPECT_EQ(g_FrameBranch, -104);
    EXPECT_EQ(g_DesNotesSymb, -101);
    EXPECT_EQ(g_CopparSymb, -401);
    EXPECT_EQ(g_AgapMskSymb, -801);
    EXPECT_EQ(g_PageNotesSymb, -1004);
    for (const int32_t id : {-101, -401, -801, -1004}) EXPECT_NE(S_Symbol(id), 0) << id;
    EXPECT_EQ(O_GetStatus(S_Symbol(-401)) & 2, 2);
    EXPECT_EQ(O_GetStatus(S_Symbol(-801)) & 2, 2);
    EXPECT_EQ(O_GetStatus(S_Symbol(-101)) & 2, 0);
    // A second call finds them and makes nothing new.
    const int32_t symbols = OM_GetCount(DB_SymbMap());
    SetMainCaption(status);
    EXPECT_EQ(OM_GetCount(DB_SymbMap()), symbols);
}

TEST_F(Startup, NoDesignClosesTheWindowWithMessage100)
{
    DB_DiscardDataBase();
    ui.ExpectMessageBox(winsys::mb::AnswerOk);
    int32_t status = -1;
    SetMainCaption(status);
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(Main().IsLoaded());
    EXPECT_FALSE(Main().LoadSettings());
}

TEST_F(Startup, FrameIsRebuiltThroughNewJunctionsAndStaysClosed)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 4in 2in\nend\n"));
    ASSERT_TRUE(Main().LoadSettings());
    ReadFrameBox();
    const int32_t box[4] = {g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2};
    ASSERT_TRUE(g_FrameValid);
    BranchRec before{};
    ASSERT_EQ(B_ReadBranch(g_FrameBranch, &before), 1);
    RebuildFrameBranch();
    BranchRec after{};
    ASSERT_EQ(B_ReadBranch(g_FrameBranch, &after), 1);
    EXPECT_EQ(after.Points, before.Points);
    EXPECT_EQ(after.Flags, 4);
    BranchPointRec first{}, last{};
    ASSERT_EQ(B_ReadRecord(g_FrameBranch, 1, &first), 1);
    ASSERT_EQ(B_ReadRecord(g_FrameBranch, after.Points, &last), 1);
    EXPECT_EQ(first.Ref, last.Ref);
    ReadFrameBox();
    EXPECT_EQ(g_FrameX1, box[0]);
    EXPECT_EQ(g_FrameY1, box[1]);
    EXPECT_EQ(g_FrameX2, box[2]);
    EXPECT_EQ(g_FrameY2, box[3]);
    // Rebuilding again gives the same outline, and no junction is left over.
    const int32_t junctions = OM_GetCount(DB_JunctMap());
    RebuildFrameBranch();
    EXPECT_EQ(OM_GetCount(DB_JunctMap()), junctions);
}

TEST_F(Startup, PageWithoutFrameGetsAnEmptyFrameBranch)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P\nend\n"));
    ASSERT_TRUE(Main().LoadSettings());
    EXPECT_FALSE(g_FrameValid);
    EXPECT_EQ(g_CurMode, 6);
    RebuildFrameBranch();
    BranchRec frame{};
    ASSERT_EQ(B_ReadBranch(g_FrameBranch, &frame), 1);
    EXPECT_EQ(frame.Points, 0);
}

TEST_F(Startup, SettingsLoadClearsItsFlagOnAnError)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 4in 2in\nend\n"));
    SCHMAIN& main = Main();
    // A mode outside the tool table makes the load fail half-way.
    g_CurMode = 12;
    EXPECT_THROW(main.LoadSettings(), RuntimeError);
    EXPECT_EQ(main.m_Loading, 0);
    g_CurMode = MODE_COMPONENTS;
    EXPECT_TRUE(main.LoadSettings());
    EXPECT_EQ(main.m_Loading, 0);
}

TEST_F(Startup, DemoLoadsWithoutRemovingAWire)
{
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    const int wires = WireCount();
    ASSERT_GT(wires, 30);
    g_CurMode = MODE_COMPONENTS;
    ASSERT_TRUE(Main().LoadSettings());
    EXPECT_EQ(WireCount(), wires);
    EXPECT_TRUE(g_FrameValid);
    EXPECT_EQ(g_CurMode, MODE_COMPONENTS);
    // The demo opens on its first page; the list holds MAINPAGE too.
    EXPECT_EQ(g_CurPageName, "Amplifier");
    EXPECT_EQ(Main().F_Pages->ListCount(), 3);
}

// The block H1 finds its child level's ports at the settings load, which
// gives it its hierarchy texts from them and takes the symbol's own away;
// the integrity check finds nothing on any level of the demo.
TEST_F(Startup, DemoBlockGetsItsPortsAndEveryLevelIsSound)
{
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    const int wires = WireCount();
    ASSERT_TRUE(Main().LoadSettings());
    const int32_t main = g_CurHier;
    const int32_t h1 = OM_FindName(DB_SchCompMap(), "H1");
    ASSERT_NE(h1, 0);
    CompRec comp{};
    ASSERT_EQ(C_ReadComponent(h1, &comp), 1);
    EXPECT_EQ(IA_SearchMaskLink(S_SymbolItemArray(comp.Symb), 1, kHierTextMask, 0), 0)
        << "the settings load skipped the block";

    HierAttrRec attr;
    attr.HierName = "BLOCK";
    std::vector<HierPortRec> ports;
    int32_t status = 1;
    LoadSubHierPorts(status, attr, ports);
    ASSERT_EQ(status, 0);
    ASSERT_EQ(ports.size(), 4u);
    EXPECT_EQ(ports[0].EntryName, "IN1");
    EXPECT_EQ(ports[3].EntryName, "OUT2");
    int32_t sub = 0, own = 0;
    std::string subName;
    GetCompSubHier(sub, subName, own, h1, comp.Symb);
    EXPECT_EQ(subName, "BLOCK");
    EXPECT_EQ(own, 1);
    const int32_t texts = C_CompTextArray(h1);
    for (int32_t entry = 1; entry <= 4; ++entry) EXPECT_NE(IA_SearchMaskLink(texts, 1, kHierTextMask, entry), 0) << entry;

    const std::vector<std::string> clean = {"Integrity Diagnostics and Autofix", "", "1. Checking Netlist", "",
                                            "Netlist - OK", "", "2. Checking Traces", "", "Traces - OK", "",
                                            "3. Checking Wires", "", "Wires - OK", ""};
    for (const int32_t level : {main, sub}) {
        SCOPED_TRACE(level);
        g_CurHier = level;
        ASSERT_EQ(DB_SetCurHier(level), level);
        std::vector<std::string> lines;
        const std::string report = RunIntegrityCheck(nullptr);
        for (size_t start = 0; start <= report.size();) {
            const size_t end = std::min(report.find("\r\n", start), report.size());
            lines.push_back(report.substr(start, end - start));
            start = end + 2;
        }
        EXPECT_EQ(lines, clean) << report;
    }
    g_CurHier = main;
    DB_SetCurHier(main);
    EXPECT_EQ(WireCount(), wires);
}

TEST_F(Startup, HierarchyReportsOfTheDemo)
{
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    ASSERT_TRUE(Main().LoadSettings());
    LoadHierStack();
    std::string text;
    ReportHierStack(text);
    EXPECT_EQ(text, "*** Hierarchy Stack: ***\r\nCurrent hierarchy: MAIN           \r\n");

    ReportHierStructure(text);
    // The block H1 leads to the level BLOCK, whose components are leaves.
    EXPECT_NE(text.find("*** Hierarchy Structure Current Stack: ***\r\n\r\nMAIN:--->\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MAIN:H1-->BLOCK\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\tBLOCK:R7/1\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Other Stacks"), std::string::npos) << text;
    EXPECT_EQ(DB_CurHier(), g_CurHier);
    EXPECT_EQ(g_CurHierName, "MAIN");
}

TEST_F(Startup, DatabaseMenuShowsTheReports)
{
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    ASSERT_TRUE(Main().LoadSettings());
    SCHINFOB& report = FormInstance<SCHINFOB>();
    // The report opens where the pointer was last on the canvas.
    Main().m_MouseX = 120;
    Main().m_MouseY = 80;
    Main().M_HierStack->Click.Raise();
    ASSERT_TRUE(report.Visible());
    EXPECT_EQ(report.F_TxtBuffer()->Text().rfind("*** Hierarchy Stack: ***", 0), 0u);
    EXPECT_EQ(report.Window()->pos(), Main().ViewPicture->mapToGlobal(QPoint(120, 80)));
    Main().M_HierStructure->Click.Raise();
    EXPECT_NE(report.F_TxtBuffer()->Text().find("MAIN:H1-->BLOCK"), std::string::npos);
}

TEST_F(Startup, StackReportRestoresTheLevelOnEveryPath)
{
    ASSERT_TRUE(palvane_test::BuildDesign(DemoText(), PALVANE_DEMO_DIR));
    ASSERT_TRUE(Main().LoadSettings());
    const int32_t main = g_CurHier;
    // A stack whose records name the child level and a level that is gone.
    LoadHierStack();
    g_HierStack.RedimPreserve(2);
    g_HierStack(1).Name = "BLOCK          ";
    g_HierStack(1).Id = 1;
    g_HierStack(2).Name = "GONE           ";
    std::string text;
    ReportHierStack(text);
    EXPECT_NE(text.find("From hierarchy:    through: BLOCK:"), std::string::npos) << text;
    EXPECT_NE(text.find("toCurrent hierarchy: MAIN"), std::string::npos) << text;
    EXPECT_EQ(DB_CurHier(), main);
    EXPECT_EQ(g_CurHier, main);
}

TEST_F(Startup, CursorsAreTakenAndGivenBackAtUnload)
{
    SCHMAIN& main = Main();
    EXPECT_GT(g_Cursors[0], 0);
    EXPECT_GT(g_Cursors[1], 0);
    EXPECT_EQ(main.ViewPicture->cursor().shape(), Qt::CrossCursor);
    SetFormCursor(main.ViewPicture, 0);
    EXPECT_EQ(main.ViewPicture->cursor().shape(), Qt::SizeAllCursor);
    Canvas* canvas = main.ViewPicture;
    // The unload selects the first cursor, then frees both: the canvas is
    // left with the default arrow, not a freed cursor.
    main.Unload();
    EXPECT_EQ(g_Cursors[0], 0);
    EXPECT_EQ(g_Cursors[1], 0);
    (void)canvas;
}

TEST_F(Startup, UpdateClosesOpenInsertionDialogsAsTheirCancel)
{
    SCHICMPD& dialog = FormInstance<SCHICMPD>();
    int terminated = 0;
    dialog.Terminate.Connect([&] { ++terminated; });
    dialog.Show();
    g_InsertDlgOpen = true;
    std::string aname = "HOST", command = "PALVANE,UP";
    link->NotifyMe(aname, command);
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_FALSE(g_InsertDlgOpen);
    EXPECT_EQ(terminated, 1);
}

// A damaged design whose frame names a corner junction that is gone: the
// start-up rebuilds the frame whole from the positions its records stored,
// tells nothing, and no junction is left outside the frame, in the editor
// nor in the file written after it closed. The first corner is named twice
// (it closes the outline), the third once.
TEST_F(StartupLink, AFrameCornerWithoutItsJunctionIsRebuiltWhole)
{
    QTemporaryDir dir;
    const std::string file = dir.filePath("damaged.nvd").toStdString();
    for (const size_t corner : {0u, 2u}) {
        SCOPED_TRACE("corner " + std::to_string(corner + 1));
        ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 4in 2in\nend\n"));
        const int32_t frame = -100 - DB_CurPage();
        const Outline before = ReadOutline(frame);
        ASSERT_TRUE(WholeFrame(before));
        const int32_t junctions = OM_GetCount(DB_JunctMap());
        ASSERT_EQ(OM_Delete(DB_JunctMap(), before.refs[corner]), 1);
        ASSERT_EQ(DB_SaveDataBase(file.c_str()), 1) << E_LastError();
        ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();

        if (!link) {
            link = std::make_unique<clsPalvane>();
            link->NotifyServer.Connect([this](std::string& a, std::string& c) { sent.emplace_back(a, c); });
        }
        int16_t mode = winstate::Normal;
        ASSERT_TRUE(link->Load(mode));
        EXPECT_TRUE(ui.asked().empty()) << ui.asked().front().text;
        ASSERT_EQ(g_FrameBranch, frame);
        const Outline after = ReadOutline(frame);
        EXPECT_TRUE(WholeFrame(after));
        EXPECT_EQ(after.points, before.points);
        EXPECT_EQ(OM_GetCount(DB_JunctMap()), junctions);
        EXPECT_EQ(JunctionsOutsideTheFrames(), std::vector<int32_t>{});

        // Closed as the host closes it, then written and read back.
        link.reset();
        ASSERT_EQ(DB_SaveDataBase(file.c_str()), 1) << E_LastError();
        ASSERT_EQ(DB_LoadDataBase(file.c_str()), 1) << E_LastError();
        EXPECT_TRUE(WholeFrame(ReadOutline(frame)));
        EXPECT_EQ(ReadOutline(frame).points, before.points);
        EXPECT_EQ(JunctionsOutsideTheFrames(), std::vector<int32_t>{});
    }
}

// Each change the rebuild makes refused in turn: the design is as it was
// before the rebuild (no half outline, no junction of it left behind) and
// message 11 says so.
TEST_F(Startup, ARefusedFrameRebuildLeavesTheFrameAsItWas)
{
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 4in 2in\nend\n"));
    ASSERT_TRUE(Main().LoadSettings());
    const uint64_t before = KT_DesignDigest();
    const Outline outline = ReadOutline(g_FrameBranch);
    ASSERT_TRUE(WholeFrame(outline));
    ASSERT_EQ(DB_BeginChange(), 1);
    KT_FailCall("+", INT32_MAX);
    RebuildFrameBranch();
    const int32_t calls = KT_CallsCounted();
    KT_FailCall("", 0);
    ASSERT_TRUE(WholeFrame(ReadOutline(g_FrameBranch)));
    ASSERT_NE(KT_DesignDigest(), before);
    ASSERT_EQ(DB_EndChange(0), 4);
    ASSERT_EQ(KT_DesignDigest(), before);
    // New corners, the old ones released, the frame made again: more than
    // a dozen changes.
    ASSERT_GT(calls, 12);
    ui.unexpected = [](const std::string&) {};
    for (int32_t n = 1; n <= calls; ++n) {
        ASSERT_EQ(DB_BeginChange(), 1);
        const size_t asked = ui.asked().size();
        KT_FailCall("+", n);
        RebuildFrameBranch();
        KT_FailCall("", 0);
        SCOPED_TRACE("change " + std::to_string(n) + " of " + std::to_string(calls) + " refused: " + KT_LastRefused());
        EXPECT_EQ(KT_DesignDigest(), before);
        EXPECT_EQ(ReadOutline(g_FrameBranch).refs, outline.refs);
        ASSERT_EQ(ui.asked().size(), asked + 1);
        EXPECT_EQ(ui.asked().back().text, "Can't create Page Format: ");
        DB_EndChange(0);
    }
}

TEST_F(StartupLink, FailedStartUpSendsShutdownOnce)
{
    // No design: the caption procedure reports and the start-up ends.
    DB_DiscardDataBase();
    ui.ExpectMessageBox(winsys::mb::AnswerOk);
    int16_t mode = 0;
    EXPECT_FALSE(link->Load(mode));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].second, "SHUTDOWN");
    EXPECT_FALSE(FormInstance<SCHMAIN>().IsLoaded());
}

}  // namespace
