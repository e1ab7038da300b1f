#include "editor/dialogs/schicmpd.h"
#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/clspalvane.h"
#include "editor/shell/palvane.h"
#include "editor/shell/paths.h"
#include "editor/shell/schmain.h"
#include "editor/view/canvas.h"
#include "editor/shell/menus.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using Sent = std::pair<std::string, std::string>;

class HostLink : public palvane_test::EditorLinkTest {
protected:
    bool LoadEditor(int16_t mode = 0) { return link->Load(mode); }

    void Notify(std::string aname, std::string command) { link->NotifyMe(aname, command); }

    std::string Cref(InsertionDialog& dialog) { return dialog.F_Cref()->text().toStdString(); }
};

TEST_F(HostLink, LoadShowsTheMainWindowInComponentsMode)
{
    // A framed page: the start-up keeps the components mode.
    ASSERT_TRUE(palvane_test::BuildDesign("design D\nlevel MAIN\npage P frame 11in 8.5in\nend\n"));
    ASSERT_TRUE(LoadEditor());
    SCHMAIN& main = FormInstance<SCHMAIN>();
    EXPECT_TRUE(IsFormShown(main));
    EXPECT_EQ(g_MainForm, &main);
    EXPECT_EQ(g_CurMode, MODE_COMPONENTS);
    EXPECT_FALSE(main.ExitAnyWay);
    EXPECT_TRUE(main.ViewPicture->isEnabled());
    EXPECT_EQ(ScreenMousePointer(), 0);
    EXPECT_TRUE(sent.empty());
}

TEST_F(HostLink, LoadOnAPageWithoutFrameStartsInPageFormatMode)
{
    ASSERT_TRUE(LoadEditor());
    EXPECT_EQ(g_CurMode, 6);
    EXPECT_TRUE(FormInstance<SCHMAIN>().M_FSI(6)->Checked());
    EXPECT_FALSE(FormInstance<SCHMAIN>().M_FSI(MODE_COMPONENTS)->Checked());
}

TEST_F(HostLink, LoadAppliesTheWindowState)
{
    ASSERT_TRUE(LoadEditor(2));
    EXPECT_EQ(FormInstance<SCHMAIN>().WindowState(), winstate::Maximized);
}

TEST_F(HostLink, LoadFailsWhenAnotherInstanceRuns)
{
    QLockFile other(QString::fromLocal8Bit(std::getenv("PALVANE_INSTANCE_LOCK")));
    // The editor takes the lock once, for the life of its process: after an
    // earlier test of this process loaded it, no other instance can be
    // shown to it (ctest runs this test alone).
    qint64 holder = 0;
    QString host, application;
    if (other.getLockInfo(&holder, &host, &application) && holder == QCoreApplication::applicationPid())
        GTEST_SKIP() << "an earlier test of this process holds the instance lock";
    ASSERT_TRUE(other.tryLock(0));

    EXPECT_FALSE(LoadEditor(2));
    SCHMAIN& main = FormInstance<SCHMAIN>();
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_TRUE(main.ExitAnyWay);
    EXPECT_TRUE(Forms().empty());
    EXPECT_EQ(ScreenMousePointer(), 0);
    EXPECT_EQ(sent, (std::vector<Sent>{{"PALVANE", "SHUTDOWN"}}));
}

// A test process takes an instance lock of its own whatever the
// environment it starts in holds: the lock file of an editor the user runs,
// or "off". This executable is run again on a test that loads the editor,
// once with each.
TEST(TestInstanceLock, TakenWhateverTheEnvironmentHolds)
{
    QTemporaryDir dir;
    const QString held = dir.filePath("users-editor.lock");
    QLockFile running(held);
    ASSERT_TRUE(running.tryLock(0));
    for (const QString& preset : {held, QStringLiteral("off")}) {
        SCOPED_TRACE(preset.toStdString());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PALVANE_INSTANCE_LOCK", preset);
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(dir.path());
        child.start(QCoreApplication::applicationFilePath(),
                    {"--gtest_filter=HostLink.LoadAppliesTheWindowState:HostLink.LoadFailsWhenAnotherInstanceRuns"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardOutput().toStdString();
    }
}

TEST_F(HostLink, SeverPathRoundTrips)
{
    // The program folder is where the editor finds its menu profile, so it
    // must be the real data folder; the blanks around it are kept as given
    // and trimmed at start-up.
    const std::string data = DataDir();
    link->SetSeverPath("  " + data + " ");
    EXPECT_EQ(link->GetSeverPath(), "  " + data + " ");
    EXPECT_EQ(link->GetSeverPath(), "  " + data + " ");
    ASSERT_TRUE(LoadEditor());
    EXPECT_EQ(g_ProgDir, data);
    EXPECT_EQ(g_HelpFile, data + "/PALVANE.HLP");
}

TEST_F(HostLink, ExitCommandClosesEvenDuringACommand)
{
    ASSERT_TRUE(LoadEditor());
    g_CurCommand = 12;
    g_CmdRunning = -1;
    Notify("", "PALVANE,EX");
    EXPECT_FALSE(FormInstance<SCHMAIN>().IsLoaded());
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(sent, (std::vector<Sent>{{"PALVANE", "SHUTDOWN"}}));
}

// The close box and File > Exit are refused while a command is in progress;
// the same request after the command ends succeeds ("EX" ends the command
// itself: the tables of tests/host/close_command_test.cpp).
TEST_F(HostLink, CloseIsRefusedWhileACommandRuns)
{
    ASSERT_TRUE(LoadEditor());
    SCHMAIN& main = FormInstance<SCHMAIN>();
    g_CurCommand = 5;
    EXPECT_FALSE(main.Window()->close());
    main.M_Exit_Click();
    EXPECT_TRUE(main.IsLoaded());
    EXPECT_TRUE(sent.empty());
    g_CurCommand = 0;
    EXPECT_TRUE(main.Window()->close());
    EXPECT_FALSE(main.IsLoaded());
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(HostLink, ShutdownUnloadsOtherWindowsLastLoadedFirst)
{
    ASSERT_TRUE(LoadEditor());
    SCHICMPD& parts = FormInstance<SCHICMPD>();
    SCHICMPS& symbols = FormInstance<SCHICMPS>();
    parts.Show();
    symbols.Show();
    ASSERT_EQ(Forms().size(), 3u);
    FormInstance<SCHMAIN>().ShutDown();
    EXPECT_TRUE(Forms().empty());
    EXPECT_FALSE(parts.IsLoaded());
    EXPECT_FALSE(symbols.IsLoaded());
    EXPECT_EQ(sent, (std::vector<Sent>{{"PALVANE", "SHUTDOWN"}}));
}

TEST_F(HostLink, WindowStateVerbsFollowTheTarget)
{
    ASSERT_TRUE(LoadEditor());
    SCHMAIN& main = FormInstance<SCHMAIN>();
    Notify("", "all,MX");  // the target is case-sensitive
    EXPECT_EQ(main.WindowState(), winstate::Normal);
    Notify("", " PALVANE,MX");  // fields are not trimmed
    EXPECT_EQ(main.WindowState(), winstate::Normal);
    Notify("", "PALVANE,MX");
    EXPECT_EQ(main.WindowState(), winstate::Maximized);
    Notify("", "All,DF");
    EXPECT_EQ(main.WindowState(), winstate::Normal);
}

TEST_F(HostLink, TargetWithoutVerbFailsWithSubscriptError)
{
    ASSERT_TRUE(LoadEditor());
    try {
        Notify("", "All");
        FAIL() << "a target without a verb must fail";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), errnum::SubscriptOutOfRange);
    }
    // A lone field that is no target of this editor is simply dropped.
    EXPECT_NO_THROW(Notify("", "NVOSIM"));
}

TEST_F(HostLink, SearchKindFollowsTheInsertionDialogs)
{
    EXPECT_EQ(link->SearchKind(), "");
    FormInstance<SCHICMPD>().Show();
    EXPECT_EQ(link->SearchKind(), "PART");
    FormInstance<SCHICMPS>().Show();
    EXPECT_EQ(link->SearchKind(), "SYMBOL");
    FormInstance<SCHICMPS>().Terminate.Raise();
    EXPECT_EQ(link->SearchKind(), "");
}

TEST_F(HostLink, LibrarySearchReplyReachesTheAskingDialogOnly)
{
    ASSERT_TRUE(LoadEditor());
    SCHICMPD& parts = FormInstance<SCHICMPD>();
    SCHICMPS& symbols = FormInstance<SCHICMPS>();

    // No dialog active: the reply is ignored.
    Notify(" nvolibsc ", "R_0805,DISCRETE");
    EXPECT_FALSE(parts.IsLoaded());
    EXPECT_FALSE(symbols.IsLoaded());

    parts.Show();
    // The dialog looks the reported name up; the libraries here hold none of
    // them, so a name that arrives is reported as not found.
    struct Case {
        const char* aname;
        const char* command;
        const char* expectedLookup;
    } cases[] = {
        {"NVOSIM", " R_0805 ,DISCRETE", ""},     // another sender
        {"NVOLIBSC", "", ""},                     // empty reply
        {"NVOLIBSC", "NVOLIBSC,SD", ""},          // a search request, never a reply
        {"nvolibsc ", " R_0805 ,DISCRETE", "R_0805"},
    };
    for (const Case& c : cases) {
        g_LookupPartName.clear();
        if (*c.expectedLookup) ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't find Part: R_0805");
        Notify(c.aname, c.command);
        EXPECT_EQ(g_LookupPartName, c.expectedLookup) << c.aname << " / " << c.command;
    }

    symbols.Show();
    g_LookupPartName.clear();
    ui.ExpectMessageBox(winsys::mb::AnswerOk, "Can't find Symbol/Package: GND_ARROW");
    Notify("NVOLIBSC", "GND_ARROW");
    EXPECT_EQ(g_LookupSymbName, "GND_ARROW");
    EXPECT_EQ(g_LookupPartName, "") << "the part dialog got nothing";
    EXPECT_TRUE(sent.empty());
}

TEST_F(HostLink, ReleaseUnloadsTheMainWindowAndStopsForwarding)
{
    ASSERT_TRUE(LoadEditor());
    FormInstance<SCHICMPD>().Show();
    link.reset();
    EXPECT_FALSE(FormInstance<SCHMAIN>().IsLoaded());
    // The main window's unload closes the other windows it finds open.
    EXPECT_FALSE(FormInstance<SCHICMPD>().IsLoaded());
    EXPECT_EQ(sent.size(), 1u);

    // The released class no longer forwards anything.
    FormInstance<SCHICMPD>().Show();
    std::string a = "X", c = "Y";
    FormInstance<SCHICMPD>().NotifyClass.Raise(a, c);
    EXPECT_EQ(sent.size(), 1u);
}

// The exported interface turns an error of the command interpreter into the
// result of the call and never lets it escape.
TEST_F(HostLink, ExportedNotifyMeReportsErrorsAsResults)
{
    link.reset();
    PalvaneInstance* editor = Palvane_CreateInstance();
    ASSERT_NE(editor, nullptr);
    std::vector<Sent> received;
    Palvane_SetNotifyServer(
        editor,
        [](void* ctx, const char* a, const char* c) {
            static_cast<std::vector<Sent>*>(ctx)->emplace_back(a, c);
        },
        &received);
    const std::string data = DataDir();
    Palvane_SetSeverPath(editor, data.c_str());
    char path[4];
    EXPECT_EQ(Palvane_GetSeverPath(editor, path, sizeof path), static_cast<int32_t>(data.size()));
    EXPECT_EQ(std::string(path), data.substr(0, 3));  // cut to the buffer, terminated
    ASSERT_EQ(Palvane_Load(editor, 0), -1);

    char error[128];
    EXPECT_EQ(Palvane_NotifyMe(editor, nullptr, "PALVANE", error, sizeof error), 9);
    EXPECT_STREQ(error, "Subscript out of range");
    EXPECT_EQ(Palvane_NotifyMe(editor, nullptr, nullptr, error, sizeof error), 0);
    EXPECT_EQ(Palvane_NotifyMe(editor, "", "PALVANE,EX", error, sizeof error), 0);
    EXPECT_EQ(received, (std::vector<Sent>{{"PALVANE", "SHUTDOWN"}}));
    Palvane_Release(editor);
}

}  // namespace
