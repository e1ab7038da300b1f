// The commands from the host and the suite: every verb of the command
// table, the page switch of "FS" and "BS", "UP" with and without a stored
// view, "EX" during a command, and commands that are malformed in every
// way a sender can get one wrong.
#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include "platform/winsys/nested_runs.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kTwoPages = R"(
design D
level MAIN
page One frame 11in 8.5in
end
page Two frame 11in 8.5in
end
)";

class HostCommands : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(kTwoPages));
        ASSERT_TRUE(Main().LoadSettings());
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        sent.clear();
    }

    // Runs the command as the host does; the runtime error number of a
    // failure, else 0.
    int Run(std::string command)
    {
        try {
            std::string aname = "HOST";
            link->NotifyMe(aname, command);
            return 0;
        } catch (const RuntimeError& e) {
            return e.number();
        }
    }

    int32_t Page(const char* name) { return OM_FindName(DB_PageMap(), name); }
};

TEST_F(HostCommands, WindowStateVerbsAndTargets)
{
    SCHMAIN& main = Main();
    EXPECT_EQ(Run("PALVANE,MX"), 0);
    EXPECT_EQ(main.WindowState(), winstate::Maximized);
    EXPECT_EQ(Run("All,DF"), 0);
    EXPECT_EQ(main.WindowState(), winstate::Normal);
    // Targets are compared exactly and not trimmed.
    for (const char* command : {"all,MX", "PALVANE ,MX", " PALVANE,MX", "NVOSIM,MX", "palvane,MX"}) {
        EXPECT_EQ(Run(command), 0) << command;
        EXPECT_EQ(main.WindowState(), winstate::Normal) << command;
    }
    EXPECT_EQ(Run("PALVANE,MN"), 0);
    EXPECT_EQ(main.WindowState(), winstate::Minimized);
}

TEST_F(HostCommands, MalformedCommandsChangeNothing)
{
    SCHMAIN& main = Main();
    const int32_t page = g_CurPage;
    const int32_t orgX = main.m_ViewOrgX, orgY = main.m_ViewOrgY, size = main.m_ViewSize;
    const std::string longLine = "PALVANE,FS," + std::string(100000, '9');
    const struct {
        std::string command;
        int error;
    } cases[] = {
        {"", 0},
        {"All", 9},                       // no verb
        {"PALVANE", 9},
        {"PALVANE,", 0},                  // an empty verb is no verb of the table
        {"PALVANE,ZZ", 0},                // unknown verb
        {"PALVANE,RD,extra,fields", 0},   // extra fields are not read
        {"PALVANE,FS,1000,2000,1", 9},    // FS reads six fields
        {"PALVANE,BS,1,2,3,4,5,6,1", 9},  // BS reads ten
        {"PALVANE,FS,1,2,1,99999999999", 6},  // a page id beyond a Long
        {longLine, 9},
        {"PALVANE,UP\r", 0},              // "UP\r" is no verb
        {"PALVANE,\xe9\xff\x80", 0},      // bytes beyond ASCII
        {"PALVANE,FS,x,y,z,w", 0},        // not numbers: level 0 is not the current level
        {std::string("PALVANE,MX\0garbage", 18), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command.substr(0, 40));
        EXPECT_EQ(Run(c.command), c.error);
        EXPECT_EQ(g_CurPage, page);
        EXPECT_EQ(main.m_ViewOrgX, orgX);
        EXPECT_EQ(main.m_ViewOrgY, orgY);
        EXPECT_EQ(main.m_ViewSize, size);
        EXPECT_TRUE(main.IsLoaded());
    }
    EXPECT_EQ(main.WindowState(), winstate::Normal);
    EXPECT_TRUE(sent.empty());
}

TEST_F(HostCommands, ShowPointSetsTheOriginAndSwitchesPages)
{
    SCHMAIN& main = Main();
    const int32_t one = Page("One"), two = Page("Two");
    ASSERT_EQ(g_CurPage, one);
    EXPECT_EQ(Run("PALVANE,FS,1000,2000," + std::to_string(g_CurHier) + "," + std::to_string(one)), 0);
    EXPECT_EQ(main.m_ViewOrgX, 1000);
    EXPECT_EQ(main.m_ViewOrgY, -2000);
    // Another level: nothing.
    EXPECT_EQ(Run("PALVANE,FS,5,6," + std::to_string(g_CurHier + 1) + "," + std::to_string(two)), 0);
    EXPECT_EQ(g_CurPage, one);
    EXPECT_EQ(main.m_ViewOrgX, 1000);
    // A page the kernel does not have: nothing.
    EXPECT_EQ(Run("PALVANE,FS,5,6," + std::to_string(g_CurHier) + ",77"), 0);
    EXPECT_EQ(g_CurPage, one);
    EXPECT_EQ(main.m_ViewOrgX, 1000);
    // The other page: made current, caption and page list follow.
    EXPECT_EQ(Run("PALVANE,FS,-300,400," + std::to_string(g_CurHier) + "," + std::to_string(two)), 0);
    EXPECT_EQ(g_CurPage, two);
    EXPECT_EQ(DB_CurPage(), two);
    EXPECT_EQ(g_CurPageName, "Two");
    EXPECT_EQ(main.F_Pages->Text(), "Two");
    EXPECT_EQ(main.Caption(), "Norvo32 - Schematics Capture (Two)");
    EXPECT_EQ(main.m_ViewOrgX, -300);
    EXPECT_EQ(main.m_ViewOrgY, -400);
    // With the page list disabled the kernel goes back to the editor's page.
    main.F_Pages->setEnabled(false);
    EXPECT_EQ(Run("PALVANE,FS,1,1," + std::to_string(g_CurHier) + "," + std::to_string(one)), 0);
    EXPECT_EQ(g_CurPage, two);
    EXPECT_EQ(DB_CurPage(), two);
    EXPECT_EQ(main.m_ViewOrgX, -300);
    // Huge coordinates stay in the coordinate range.
    main.F_Pages->setEnabled(true);
    EXPECT_EQ(Run("PALVANE,FS,2000000000,-2147483648," + std::to_string(g_CurHier) + "," + std::to_string(two)), 0);
    EXPECT_GT(main.m_ViewOrgX, 0);
    EXPECT_LE(main.m_ViewOrgX, 220000000);
    EXPECT_GT(main.m_ViewOrgY, 0);
    EXPECT_LE(main.m_ViewOrgY, 220000000);
}

TEST_F(HostCommands, BoxZoomKeepsTheCommandsBoxFields)
{
    SCHMAIN& main = Main();
    main.m_BoxOrgX = 11;
    main.m_BoxOrgY = 12;
    main.m_BoxW = 13;
    main.m_BoxH = 14;
    main.m_BaseX = 15;
    main.m_BaseY = 16;
    const std::string level = std::to_string(g_CurHier), page = std::to_string(g_CurPage);
    // Start corner (0, 0), box 2 x 1 inches, end corner (2, 1) inches.
    EXPECT_EQ(Run("PALVANE,BS,0,0,5080000,2540000,5080000,2540000," + level + "," + page), 0);
    EXPECT_EQ(main.m_ViewOrgX, 2540000);
    EXPECT_EQ(main.m_ViewOrgY, -1270000);
    EXPECT_GT(main.m_ViewSize, 0);
    EXPECT_EQ(main.m_BoxOrgX, 11);
    EXPECT_EQ(main.m_BoxOrgY, 12);
    EXPECT_EQ(main.m_BoxW, 13);
    EXPECT_EQ(main.m_BoxH, 14);
    EXPECT_EQ(main.m_BaseX, 15);
    EXPECT_EQ(main.m_BaseY, 16);
}

TEST_F(HostCommands, UpdateTakesTheStoredViewOnlyWhenItIsOne)
{
    SCHMAIN& main = Main();
    ASSERT_EQ(DB_ChangePageDispl(g_CurPage, 12345, -6789, 1, 50000), 1);
    EXPECT_EQ(Run("All,UP"), 0);
    EXPECT_EQ(main.m_ViewOrgX, 12345);
    EXPECT_EQ(main.m_ViewOrgY, -6789);
    EXPECT_EQ(main.m_ViewRecord[3], 50000);
    EXPECT_TRUE(main.m_FullRedraw);
    // A stored view of size 0, or beyond the zoom range, is none.
    for (const int32_t badSize : {0, -5, 99999999}) {
        SCOPED_TRACE(badSize);
        main.m_ViewOrgX = 7;
        ASSERT_EQ(DB_ChangePageDispl(g_CurPage, 1, 1, 1, badSize), 1);
        EXPECT_EQ(Run("All,UP"), 0);
        EXPECT_NE(main.m_ViewSize, badSize);
        EXPECT_GE(main.m_ViewSize, 100);
    }
    // Twice is the same as once.
    ASSERT_EQ(DB_ChangePageDispl(g_CurPage, 500, 600, 1, 40000), 1);
    EXPECT_EQ(Run("All,UP"), 0);
    const int32_t x = main.m_ViewOrgX, y = main.m_ViewOrgY;
    EXPECT_EQ(Run("All,UP"), 0);
    EXPECT_EQ(main.m_ViewOrgX, x);
    EXPECT_EQ(main.m_ViewOrgY, y);
}

TEST_F(HostCommands, UpdateWhileMinimisedRepublishes)
{
    SCHMAIN& main = Main();
    ASSERT_EQ(DB_ChangePageDispl(g_CurPage, 100, 200, 1, 30000), 1);
    main.SetWindowState(winstate::Minimized);
    E_SetString("PALVANE", "");
    EXPECT_EQ(Run("PALVANE,UP"), 0);
    const std::string record = E_GetString("PALVANE");
    EXPECT_EQ(record.substr(record.size() - 12), ", 1, 0, 0, 0");
}

TEST_F(HostCommands, ExitDuringACommandClosesOnceTheCommandHasUnwound)
{
    SCHMAIN& main = Main();
    g_CurCommand = 5;
    g_CmdRunning = -1;
    bool loadedInsideTheCommand = false;
    bool loadedAfterTheCommand = true;
    // The host's loop runs a command's own loop (a nested run, as every wait
    // of the editor is), and "EX" arrives inside it.
    QEventLoop hostLoop;
    QEventLoop commandLoop;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(Run("PALVANE,EX"), 0);
            for (int i = 0; i < 5; ++i) QApplication::processEvents();
            loadedInsideTheCommand = main.IsLoaded();
            commandLoop.quit();
        });
        {
            winsys::NestedRun run;
            commandLoop.exec();
        }
        QTimer::singleShot(50, [&] {
            loadedAfterTheCommand = main.IsLoaded();
            hostLoop.quit();
        });
    });
    hostLoop.exec();
    EXPECT_TRUE(loadedInsideTheCommand);
    EXPECT_FALSE(loadedAfterTheCommand);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(g_CmdRunning, 0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].second, "SHUTDOWN");
}

TEST_F(HostCommands, ExitWithoutACommandClosesAtOnce)
{
    EXPECT_EQ(Run("All,EX"), 0);
    EXPECT_FALSE(Main().IsLoaded());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_pair(std::string("PALVANE"), std::string("SHUTDOWN")));
}

// Commands that arrive once the window has closed neither load it again nor
// touch its canvases: "EX" has nothing left to do, every other verb is
// refused with error 5, and a command for another application is ignored.
TEST_F(HostCommands, CommandsAfterTheCloseAreRefused)
{
    ASSERT_EQ(Run("PALVANE,EX"), 0);
    ASSERT_FALSE(Main().IsLoaded());
    const struct {
        const char* command;
        int error;
    } cases[] = {
        {"PALVANE,RD", 5}, {"PALVANE,MX", 5}, {"All,MN", 5},       {"PALVANE,DF", 5},
        {"PALVANE,UP", 5}, {"PALVANE,PX", 5}, {"PALVANE,FS,0,0,0,1", 5}, {"PALVANE,BS,1,2,3,4,5,6,0,1", 5},
        {"PALVANE,ZZ", 5}, {"PALVANE", 5},    {"PALVANE,EX", 0},   {"All,EX", 0},
        {"NVOSIM,RD", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(Run(c.command), c.error);
        EXPECT_FALSE(Main().IsLoaded());
    }
    ASSERT_EQ(sent.size(), 1u) << "the host hears of the close once";
    EXPECT_EQ(sent[0].second, "SHUTDOWN");
}

// A paint polls the keyboard, and the host's next command can arrive there:
// an "EX" then waits until the paint has ended instead of taking the
// window's controls away in the middle of the drawing.
// The keyboard as the window system's poll sees it: the events that are
// waiting run while the key is looked at.
class PollingUi : public winsys::ScriptedInteraction {
public:
    bool KeyPressed(int virtualKey) override
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return ScriptedInteraction::KeyPressed(virtualKey);
    }
};

TEST_F(HostCommands, ExitDuringAPaintClosesOnceThePaintHasEnded)
{
    SCHMAIN& main = Main();
    PollingUi polling;
    winsys::InstallInteraction(&polling);
    auto restore = OnExit([this] { winsys::InstallInteraction(&ui); });
    bool arrivedInThePaint = false;
    bool loadedAfterTheCommand = false;
    // The command comes from a timer that fires after the paint's own.
    main.ViewPicture->Invalidate();
    QTimer command;
    command.setSingleShot(true);
    QObject::connect(&command, &QTimer::timeout, [&] {
        arrivedInThePaint = main.m_CanvasPaints > 0;
        EXPECT_EQ(Run("PALVANE,EX"), 0);
        loadedAfterTheCommand = main.IsLoaded();
    });
    command.start(0);
    for (int i = 0; i < 10 && (main.IsLoaded() || main.m_CanvasPaints > 0); ++i) QApplication::processEvents();
    EXPECT_TRUE(arrivedInThePaint);
    EXPECT_TRUE(loadedAfterTheCommand);
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_EQ(main.m_CanvasPaints, 0);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].second, "SHUTDOWN");
}

TEST_F(HostCommands, PackagingPreferencesChangedIsShown)
{
    EXPECT_EQ(Run("PALVANE,PX"), 0);
    EXPECT_NE(Main().F_MsgLine->Caption().find("Packaging Preferences changed!"), std::string::npos);
}

TEST_F(HostCommands, StateRecordCarriesNoCommaOfTheCaption)
{
    ASSERT_NE(O_Rename(OM_Object(DB_PageMap(), g_CurPage), "A,B"), 0);
    ASSERT_TRUE(Main().LoadSettings());
    EXPECT_EQ(Main().Caption(), "Norvo32 - Schematics Capture (A,B)");
    PublishAppState(-1, -1);
    EXPECT_EQ(std::string(E_GetString("PALVANE")), "Norvo32 - Schematics Capture (A;B), 0, 0,-1, 0");
}

}  // namespace
