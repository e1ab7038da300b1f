// The job folder with the shipped settings: JobDir is a relative folder
// ("jobs"), taken from the user's data folder and made when it is missing.
// The backup and the scratch file of a block copied to another page go
// there, and the dialog of a block saved to a file opens there. Job folders
// that cannot be made or written end the block commands with a message
// and leave the design and the files as they were.
#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/testing.h"
#include "tests/shell/env_guard.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
page FIRST frame 60 40
  component R1 R at 0 0
end
page SECOND frame 60 40
end
)";

class JobFolder : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(dir.isValid());
        env.Set("XDG_DATA_HOME", dir.path().toStdString() + "/data");
        jobs = dir.path().toStdString() + "/data/norvo32/jobs";
        savedJobDir = g_JobDir;
        g_JobDir = "jobs";  // as the shipped settings have it
        ASSERT_TRUE(BuildDesign(kDesign));
        SCHMAIN& m = Main();
        ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "FIRST")), 0);
        ReadCurrentPage();
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_SnapStep = 254000;
        for (int i = 0; i <= 10; ++i)
            if (m.F_OST.Exists(i)) m.F_OST(i)->SetValue(false);
        m.m_ViewSize = 25400 * 2;  // 5 pixels to the 0.1 inch step
        m.ShowZoomValue();
        m.RefreshCanvas();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
    }
    void TearDown() override
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_CurMode = MODE_NONE;
        g_JobDir = savedJobDir;
        QApplication::setActiveWindow(nullptr);
        EditorTest::TearDown();
    }
    // The canvas pixel of a database point.
    QPoint Px(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        int32_t p[2] = {x, y};
        m.OpenCanvasDC();
        G_LPtoDP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }
    void Click(QPoint pixel)
    {
        Main().ViewPicture_MouseMove(0, 0, pixel.x(), pixel.y());
        Main().ViewPicture_MouseUp(1, 0, pixel.x(), pixel.y());
    }
    static bool Exists(const std::string& path) { return QFileInfo::exists(QString::fromStdString(path)); }
    // Block mode's function (8: copy to another page, 9: save to a file)
    // on a rectangle around R1, by two clicks on the canvas.
    void BlockCommand(int function)
    {
        g_CurMode = MODE_BLOCK_EDIT;
        ModeTools(MODE_BLOCK_EDIT).SelFunc = function;
        const QPoint r1 = Px(0, 0);
        Click(r1 - QPoint(40, 30));
        ASSERT_EQ(g_CurCommand, 57);
        Main().ViewPicture_MouseMove(0, 0, r1.x() + 30, r1.y() + 20);
        Click(r1 + QPoint(40, 30));
    }
    // The block waiting in command 58 is dropped on page SECOND.
    void DropOnSecondPage()
    {
        SCHMAIN& m = Main();
        ASSERT_TRUE(m.F_Pages->isEnabled());
        m.F_Pages->SetText("SECOND");
        m.F_Pages_Click();
        ASSERT_EQ(g_CurPage, OM_FindName(DB_PageMap(), "SECOND"));
        m.ViewPicture->setFocus();
        const QPoint r1 = Px(0, 0);
        m.ViewPicture_MouseMove(0, 0, r1.x() + 10, r1.y() + 10);
        Click(r1 + QPoint(20, 20));
    }
    // Every file below the test's folder.
    std::vector<std::string> Files() const
    {
        std::vector<std::string> files;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (it.hasNext()) files.push_back(it.next().toStdString());
        return files;
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static int MarkedComponents()
    {
        int n = 0;
        int32_t cursor = OM_GetFirst(DB_SchCompMap());
        while (OM_SearchMask(DB_SchCompMap(), &cursor, 256, 256) > 0) ++n;
        return n;
    }

    QTemporaryDir dir;
    EnvGuard env;
    std::string jobs;
    std::string savedJobDir;
};

TEST_F(JobFolder, JobFilesGoToTheUsersJobFolderMadeWhenMissing)
{
    ASSERT_FALSE(Exists(jobs));
    EXPECT_EQ(SCHMAIN::JobFilePath("$SBCOPY$.$$$"), jobs + "/$SBCOPY$.$$$");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(jobs)).isDir());
    Main().M_Tsave_Click();
    EXPECT_TRUE(std::ifstream(jobs + "/Norvo32.TMP").good());
}

// Block mode's copy to another page through the scratch file, with the
// job folder not made yet.
TEST_F(JobFolder, BlockCopyToAnotherPageWritesItsScratchFileThere)
{
    SCHMAIN& m = Main();
    ASSERT_FALSE(Exists(jobs));
    g_CurMode = MODE_BLOCK_EDIT;
    ModeTools(MODE_BLOCK_EDIT).SelFunc = 8;
    const QPoint r1 = Px(0, 0);
    Click(r1 - QPoint(40, 30));
    ASSERT_EQ(g_CurCommand, 57);
    m.ViewPicture_MouseMove(0, 0, r1.x() + 30, r1.y() + 20);
    Click(r1 + QPoint(40, 30));
    ASSERT_EQ(g_CurCommand, 58);
    EXPECT_TRUE(Exists(jobs + "/$SBCOPY$.$$$"));

    ASSERT_TRUE(m.F_Pages->isEnabled());
    m.F_Pages->SetText("SECOND");
    m.F_Pages_Click();
    ASSERT_EQ(g_CurPage, OM_FindName(DB_PageMap(), "SECOND"));
    m.ViewPicture->setFocus();
    const int32_t comps = OM_GetCount(DB_SchCompMap());
    m.ViewPicture_MouseMove(0, 0, r1.x() + 10, r1.y() + 10);
    Click(r1 + QPoint(20, 20));
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps + 1);
}

// The job folders a user's settings may name, through block mode's copy to
// another page and its save to a file. A folder that can be made is made,
// wherever it is, and used: the copy's scratch file goes there and the
// copy is placed on the other page; the save dialog opens there and the
// file chosen is written. A folder that cannot be made (a file stands in
// its place or in its path) ends either command with one message naming
// the file that could not be written and why, no file anywhere, the design
// and its marks as they were, and no command running.
TEST_F(JobFolder, BlockCommandsWithEachKindOfJobFolder)
{
    const std::string base = dir.path().toStdString();
    const std::string data = base + "/data/norvo32";
    std::ofstream(base + "/afile") << "not a folder";
    struct Case {
        const char* what;
        std::string setting;
        std::string folder;  // where the files go; empty: nowhere
    } cases[] = {
        {"relative, two levels missing", "jobs/2026/a", data + "/jobs/2026/a"},
        {"relative, written with backslashes", "jobs\\win\\", data + "/jobs/win"},
        {"absolute, missing", base + "/abs/missing", base + "/abs/missing"},
        {"a file in its place", base + "/afile", ""},
        {"below a file", base + "/afile/jobs", ""},
    };
    for (const Case& c : cases) {
        for (const int function : {8, 9}) {
            SCOPED_TRACE(std::string(c.what) + (function == 8 ? ", copy to another page" : ", save to a file"));
            ASSERT_TRUE(BuildDesign(kDesign));
            ASSERT_NE(DB_SetCurPage(OM_FindName(DB_PageMap(), "FIRST")), 0);
            ReadCurrentPage();
            Main().RefreshCanvas();
            g_JobDir = c.setting;
            const std::vector<std::string> filesBefore = Files();
            const uint64_t design = KT_DesignDigest();
            const std::string file = function == 8 ? "$SBCOPY$.$$$" : "saved.nsb";
            std::string dialogFolder;
            if (function == 9) {
                ui.ExpectFileDialog([&](winsys::FileDialogRequest& request) {
                    dialogFolder = request.initDir;
                    request.fileName = request.initDir + "/" + file;
                    return true;
                });
            }
            const std::string written = (c.folder.empty() ? c.setting : c.folder) + "/" + file;
            if (c.folder.empty()) ui.ExpectMessageBox(1, "Can't create/write to file: " + written);
            BlockCommand(function);
            EXPECT_EQ(ui.pending(), 0u);
            if (function == 9) {
                EXPECT_EQ(dialogFolder, c.folder.empty() ? c.setting : c.folder);
            }
            EXPECT_EQ(MarkedComponents(), 0);
            if (c.folder.empty()) {
                EXPECT_EQ(ui.asked().back().caption, "Path not found");
                EXPECT_EQ(g_CurCommand, 0);
                EXPECT_EQ(Files(), filesBefore) << "nothing written";
                EXPECT_EQ(ReadAll(base + "/afile"), "not a folder");
                EXPECT_EQ(KT_DesignDigest(), design);
                continue;
            }
            const std::string content = ReadAll(written);
            EXPECT_EQ(content.rfind("090,", 0), 0u) << written;
            EXPECT_NE(content.find("\r\n999\r\n"), std::string::npos) << written;
            if (function == 9) {
                EXPECT_EQ(g_CurCommand, 0);
                continue;
            }
            ASSERT_EQ(g_CurCommand, 58);
            const int32_t comps = OM_GetCount(DB_SchCompMap());
            DropOnSecondPage();
            EXPECT_EQ(g_CurCommand, 0);
            EXPECT_EQ(OM_GetCount(DB_SchCompMap()), comps + 1);
        }
    }
}

// A job folder the user may not write into: both block commands end with
// the message, the design unchanged and no file written; the scratch file
// of an earlier copy stays as it was and is not placed. A process that may
// write anywhere (run by the superuser) cannot meet this folder.
TEST_F(JobFolder, BlockCommandsWithAJobFolderThatMayNotBeWritten)
{
    const std::string folder = dir.path().toStdString() + "/readonly";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    std::ofstream(folder + "/$SBCOPY$.$$$") << "090, 1, 1\r\n999\r\n";
    const QString q = QString::fromStdString(folder);
    ASSERT_TRUE(QFile::setPermissions(q, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const bool writable = std::ofstream(folder + "/probe").good();
    if (writable) {
        QFile::remove(q + "/probe");
        QFile::setPermissions(q, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        GTEST_SKIP() << "this process may write into a read-only folder";
    }
    g_JobDir = folder;
    for (const int function : {8, 9}) {
        SCOPED_TRACE(function == 8 ? "copy to another page" : "save to a file");
        const std::vector<std::string> filesBefore = Files();
        const uint64_t design = KT_DesignDigest();
        const std::string file = function == 8 ? "$SBCOPY$.$$$" : "saved.nsb";
        if (function == 9) ui.ExpectFileDialog(folder + "/" + file);
        ui.ExpectMessageBox(1, "Can't create/write to file: " + folder + "/" + file);
        BlockCommand(function);
        EXPECT_EQ(ui.pending(), 0u);
        EXPECT_EQ(ui.asked().back().caption, "Permission denied");
        EXPECT_EQ(g_CurCommand, 0);
        EXPECT_EQ(MarkedComponents(), 0);
        EXPECT_EQ(Files(), filesBefore);
        EXPECT_EQ(ReadAll(folder + "/$SBCOPY$.$$$"), "090, 1, 1\r\n999\r\n");
        EXPECT_EQ(KT_DesignDigest(), design);
    }
    QFile::setPermissions(q, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

}  // namespace
