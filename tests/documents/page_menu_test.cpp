// The page menu of the main window (new page with the main page's frame,
// rename, delete, clean, page outline) and the default page format that the
// settings load gives a page without a frame.
#include "editor/interaction/commands.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/textarea.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/documents/frame_fixture.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/screenshot.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net SIG
page MAINPAGE frame 60 40
  component R1 R at 0 0
end
page SECOND
  component R2 R at 0 0
  component R3 R at 20 0
  wire SIG R2.2 R3.1
end
)";

class PageMenu : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(BuildDesign(kDesign));
        Main();
        Go("MAINPAGE");
    }
    void TearDown() override
    {
        KT_FailCall("", 0);
        EditorTest::TearDown();
    }
    static int32_t Page(const std::string& name) { return OM_FindNameMask(DB_PageMap(), name.c_str(), 0, 0); }
    static int32_t Pages() { return OM_GetCount(DB_PageMap()); }
    static int32_t Junctions() { return OM_GetCount(DB_JunctMap()); }
    void Go(const std::string& name)
    {
        ASSERT_NE(DB_SetCurPage(Page(name)), 0);
        int32_t status = 0;
        SetMainCaption(status);
        Main().FillPageList();
    }
    // Queues the answer typed into the next input box (nullptr: Cancel);
    // its prompt must contain `promptContains`.
    void Type(const char* text, std::string promptContains = {})
    {
        ui.ExpectModal("NvoInpBG", [text, promptContains](QWidget*) {
            NvoInpBG& box = FormInstance<NvoInpBG>();
            if (!promptContains.empty()) {
                EXPECT_NE(box.InpPrompt()->Text().find(promptContains), std::string::npos) << box.InpPrompt()->Text();
            }
            if (text) {
                box.InpText()->SetText(text);
                box.InpOK()->Press();
            } else {
                box.InpCancel()->Press();
            }
        });
    }
    size_t Beeps() const
    {
        size_t n = 0;
        for (const auto& a : ui.asked()) n += a.kind == "Beep";
        return n;
    }
};

TEST_F(PageMenu, NewPageCopiesTheMainFrameAndBecomesCurrent)
{
    const FrameRead main = ReadFrame(-100 - Page("MAINPAGE"));
    ASSERT_EQ(main.points.size(), 5u);
    Type("third page", "New page name: ");
    Main().M_PageNew_Click();
    const int32_t page = Page("THIRD");
    ASSERT_NE(page, 0);
    EXPECT_EQ(g_CurPage, page);
    EXPECT_EQ(g_CurPageName, "THIRD");
    EXPECT_EQ(g_FrameBranch, -100 - page);
    const FrameRead frame = ReadFrame(g_FrameBranch);
    EXPECT_EQ(frame.points, main.points);
    // n records on n - 1 junctions, the last closing the outline.
    ASSERT_EQ(frame.refs.size(), 5u);
    EXPECT_EQ(frame.refs.back(), frame.refs.front());
    EXPECT_EQ(std::set<int32_t>(frame.refs.begin(), frame.refs.end()).size(), 4u);
    EXPECT_EQ(Main().F_Pages->Text(), "THIRD");
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(PageMenu, NewPageNameRules)
{
    struct Case {
        const char* answer;
        const char* page;  // the page made, "" none
        bool beep;
    };
    const Case cases[] = {
        {"", "", false},                                 // empty: nothing
        {"ABCDEFGHIJKLMNOP", "", true},                  // 16 characters: a beep
        {"abcdefghijklmno rest", "ABCDEFGHIJKLMNO", false},  // 15: accepted, first word
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        const int32_t before = Pages();
        const size_t beeps = Beeps();
        Go("MAINPAGE");
        if (*c.answer)
            Type(c.answer);
        else
            Type(nullptr);
        Main().M_PageNew_Click();
        EXPECT_EQ(Pages(), before + (*c.page ? 1 : 0));
        if (*c.page) {
            EXPECT_NE(Page(c.page), 0);
        }
        EXPECT_EQ(Beeps(), beeps + (c.beep ? 1 : 0));
    }
    // An existing name, in any case: code 63, nothing made.
    const int32_t before = Pages();
    Type("second");
    ui.ExpectMessageBox(1, "Page: SECOND already exists");
    Main().M_PageNew_Click();
    EXPECT_EQ(Pages(), before);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(PageMenu, PageLimitIsReportedBeforeAsking)
{
    // A design holds 99 pages: with 98 the 99th is made, with 99 the
    // command stops before the name is asked for.
    for (int i = Pages(); i < 98; ++i) ASSERT_NE(DB_CreatePage(0, ("P" + std::to_string(i)).c_str()), 0);
    Type("LAST");
    Main().M_PageNew_Click();
    EXPECT_NE(Page("LAST"), 0);
    EXPECT_EQ(Pages(), 99);
    ui.ExpectMessageBox(1, "Can't create more pages");
    Main().M_PageNew_Click();
    EXPECT_EQ(Pages(), 99);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(PageMenu, RefusedFrameRemovesThePageAndItsJunctions)
{
    // The kernel refuses the third junction or the closing record: the new
    // page goes with every junction made for it, and MAINPAGE stays current.
    for (const char* call : {"J_CreateJunction", "B_InsertRecord"}) {
        SCOPED_TRACE(call);
        Go("MAINPAGE");
        const int32_t pages = Pages();
        const int32_t junctions = Junctions();
        KT_FailCall(call, std::string(call) == "B_InsertRecord" ? 5 : 3);
        Type("BROKEN");
        ui.ExpectMessageBox(1, "Can't create Page Format");
        Main().M_PageNew_Click();
        KT_FailCall("", 0);
        EXPECT_EQ(Page("BROKEN"), 0);
        EXPECT_EQ(Pages(), pages);
        EXPECT_EQ(Junctions(), junctions);
        EXPECT_EQ(g_CurPageName, "MAINPAGE");
        EXPECT_EQ(g_CurPage, Page("MAINPAGE"));
        EXPECT_EQ(ui.pending(), 0u);
    }
}

TEST_F(PageMenu, RenameRulesAndKernelRefusal)
{
    ui.ExpectMessageBox(1, "Can't rename Page: MAINPAGE");
    Main().M_PageRen_Click();
    EXPECT_EQ(g_CurPageName, "MAINPAGE");

    Go("SECOND");
    const int32_t page = g_CurPage;
    Type("mainpage");
    ui.ExpectMessageBox(1, "Page: MAINPAGE already exists");
    Main().M_PageRen_Click();
    EXPECT_EQ(g_CurPageName, "SECOND");

    // A name the kernel refuses: code 64 with the old name, nothing renamed.
    KT_FailCall("O_Rename", 1);
    Type("OTHER");
    ui.ExpectMessageBox(1, "Can't rename Page: SECOND");
    Main().M_PageRen_Click();
    KT_FailCall("", 0);
    EXPECT_EQ(g_CurPageName, "SECOND");
    EXPECT_NE(Page("SECOND"), 0);

    sent.clear();
    Type("renamed", "Rename SECOND to:");
    Main().M_PageRen_Click();
    EXPECT_EQ(Page("RENAMED"), page);
    EXPECT_EQ(g_CurPage, page);
    EXPECT_EQ(g_CurPageName, "RENAMED");
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(PageMenu, DeleteAndClean)
{
    ui.ExpectMessageBox(1, "Can't delete Page: MAINPAGE");
    Main().M_PageDel_Click();
    EXPECT_NE(Page("MAINPAGE"), 0);

    Go("SECOND");
    const int32_t second = g_CurPage;
    const int32_t comps = OM_GetCount(DB_SchCompMap());
    ui.ExpectMessageBox(7 /* No */, "Delete Page: SECOND");
    Main().M_PageDel_Click();
    EXPECT_EQ(Page("SECOND"), second);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps);

    ui.ExpectMessageBox(6 /* Yes */, "Clean Page: SECOND");
    Main().M_PageClean_Click();
    EXPECT_EQ(Page("SECOND"), second);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps - 2);

    ui.ExpectMessageBox(6, "Delete Page: SECOND");
    Main().M_PageDel_Click();
    EXPECT_EQ(Page("SECOND"), 0);
    EXPECT_EQ(g_CurPageName, "MAINPAGE");
    EXPECT_EQ(g_CurPage, Page("MAINPAGE"));
    EXPECT_EQ(ui.pending(), 0u);
}

// A design whose level has no "MAINPAGE" (one stored before every design
// had one): the window goes to the first other page instead of staying on
// the deleted one, and the level's last page is not deleted.
class PageDelete : public EditorTest {};

TEST_F(PageDelete, ALevelWithoutTheMainPageGoesToItsFirstOtherPage)
{
    ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page FIRST frame 60 40
  component R1 R at 0 0
end
page OTHER frame 60 40
  component R2 R at 0 0
end
)"));
    ASSERT_TRUE(DropMainPage());
    SCHMAIN& main = Main();
    main.LoadSettings();
    ASSERT_EQ(g_CurPageName, "FIRST");
    ui.ExpectMessageBox(6 /* Yes */, "Delete Page: FIRST");
    main.M_PageDel_Click();
    EXPECT_EQ(OM_FindNameMask(DB_PageMap(), "FIRST", 0, 0), 0);
    EXPECT_EQ(g_CurPageName, "OTHER");
    EXPECT_EQ(g_CurPage, DB_CurPage());
    EXPECT_EQ(main.F_Pages->Text(), "OTHER");
    EXPECT_TRUE(g_FrameValid) << "the frame box is the page's own";
    ui.ExpectMessageBox(1, "Can't delete Page: OTHER");
    main.M_PageDel_Click();
    EXPECT_NE(OM_FindNameMask(DB_PageMap(), "OTHER", 0, 0), 0);
    EXPECT_EQ(ui.pending(), 0u);
}

// The boxes of the page commands are captioned with the command, not with
// the mode chosen last, and the mode's prompt is back afterwards.
TEST_F(PageMenu, RefusalsAreCaptionedWithTheirCommand)
{
    for (int i = Pages(); i < 99; ++i) ASSERT_NE(DB_CreatePage(0, ("P" + std::to_string(i)).c_str()), 0);
    struct Case {
        void (SCHMAIN::*command)();
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {&SCHMAIN::M_PageNew_Click, "Can't create more pages", "Norvo32 - Schematic Capture (New Page)"},
        {&SCHMAIN::M_PageRen_Click, "Can't rename Page: MAINPAGE", "Norvo32 - Schematic Capture (Rename Page)"},
        {&SCHMAIN::M_PageDel_Click, "Can't delete Page: MAINPAGE", "Norvo32 - Schematic Capture (Delete Page)"},
    };
    g_Prompt = "Wires&Buses";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ui.ExpectMessageBox(1, c.text);
        (Main().*c.command)();
        ASSERT_FALSE(ui.asked().empty());
        EXPECT_EQ(ui.asked().back().text, c.text);
        EXPECT_EQ(ui.asked().back().caption, c.caption);
        EXPECT_EQ(g_Prompt, "Wires&Buses");
    }
    EXPECT_EQ(ui.pending(), 0u);
}

// A level without "MAINPAGE" (a design stored before every design had one)
// gives a new page the frame of the page shown; the design keeps no
// MAINPAGE for it.
TEST_F(PageMenu, NewPageWithoutTheMainPageCopiesTheFrameOfThePageShown)
{
    ASSERT_TRUE(BuildDesign(R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page WIDE frame 170 110
  component R1 R at 0 0
end
page SMALL frame 60 40
end
)"));
    ASSERT_TRUE(DropMainPage());
    Main().LoadSettings();
    Go("SMALL");
    const FrameRead shown = ReadFrame(-100 - Page("SMALL"));
    ASSERT_EQ(shown.points.size(), 5u);
    ASSERT_NE(shown.points, ReadFrame(-100 - Page("WIDE")).points);
    Type("copy");
    Main().M_PageNew_Click();
    ASSERT_NE(Page("COPY"), 0);
    EXPECT_EQ(g_CurPageName, "COPY");
    EXPECT_EQ(ReadFrame(-100 - Page("COPY")).points, shown.points);
    EXPECT_EQ(Page("MAINPAGE"), 0);
    EXPECT_EQ(Pages(), 3);
    EXPECT_EQ(ui.pending(), 0u);
}

TEST_F(PageMenu, OutlineToggle)
{
    const bool shown = g_ShowPageOutline;
    Main().M_PageO_Click();
    EXPECT_NE(g_ShowPageOutline, shown);
    EXPECT_EQ(Main().M_PageO->Checked(), g_ShowPageOutline);
    Main().M_PageO_Click();
    EXPECT_EQ(g_ShowPageOutline, shown);
    EXPECT_EQ(Main().M_PageO->Checked(), shown);
}

TEST_F(PageMenu, Screenshot)
{
    Type("FRAMED");
    Main().M_PageNew_Click();
    EXPECT_FALSE(SaveScreenshot(Main().Window(), "page-new-with-frame").empty());
}

// The settings load gives a page without a frame the default format of the
// settings and leaves the page-format mode; with "none" the page stays
// without a frame.
class DefaultPageFormat : public EditorTest {
protected:
    void UseSettings(const std::string& content)
    {
        const QString path = dir.filePath("settings.ini");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(content.data(), static_cast<qint64>(content.size()));
        file.close();
        ASSERT_NE(E_SetString("IniFile", path.toStdString().c_str()), 0);
    }
    QTemporaryDir dir;
};

TEST_F(DefaultPageFormat, SettingsLoadAppliesIt)
{
    ASSERT_TRUE(BuildDesign("design D\nlevel MAIN\npage BARE\nend\n"));
    UseSettings("[FORMATS]\nSchDefPage=none\n");
    ASSERT_TRUE(Main().LoadSettings());
    EXPECT_FALSE(ReadFrame(g_FrameBranch).exists);
    EXPECT_FALSE(g_FrameValid);
    EXPECT_EQ(g_CurMode, 6);

    UseSettings("[FORMATS]\nSchDefPage=1,I1\n");
    ASSERT_TRUE(Main().LoadSettings());
    const FrameRead frame = ReadFrame(g_FrameBranch);
    ASSERT_TRUE(frame.exists);
    ASSERT_EQ(frame.points.size(), 5u);
    // "A(landscape)", 11 x 8.5 inches, centred on the origin.
    EXPECT_EQ(frame.points[2], std::make_pair(13970000, 10795000));
    EXPECT_TRUE(g_FrameValid);
    EXPECT_EQ(g_CurMode, 1);
    EXPECT_TRUE(Main().M_FSI(1)->Checked());
}

// A template without a frame (a design whose first page has none gives its
// MAINPAGE none): the new page gets the settings' default format, as a page
// shown without a frame does.
TEST_F(DefaultPageFormat, NewPageFromATemplateWithoutAFrameGetsIt)
{
    ASSERT_TRUE(BuildDesign("design D\nlevel MAIN\npage BARE\nend\n"));
    const int32_t main = OM_FindName(DB_PageMap(), "MAINPAGE");
    ASSERT_NE(main, 0);
    ASSERT_FALSE(ReadFrame(-100 - main).exists);
    UseSettings("[FORMATS]\nSchDefPage=1,I1\n");
    ASSERT_TRUE(Main().LoadSettings());
    ui.ExpectModal("NvoInpBG", [](QWidget*) {
        NvoInpBG& box = FormInstance<NvoInpBG>();
        box.InpText()->SetText("framed");
        box.InpOK()->Press();
    });
    Main().M_PageNew_Click();
    const int32_t page = OM_FindName(DB_PageMap(), "FRAMED");
    ASSERT_NE(page, 0);
    EXPECT_EQ(g_CurPage, page);
    const FrameRead frame = ReadFrame(-100 - page);
    ASSERT_TRUE(frame.exists);
    ASSERT_EQ(frame.points.size(), 5u);
    EXPECT_EQ(frame.points[2], std::make_pair(13970000, 10795000));
    EXPECT_TRUE(g_FrameValid);
    EXPECT_EQ(ui.pending(), 0u);
}

}  // namespace
