// The job folder with the shipped settings: JobDir is a relative folder
// ("jobs"), taken from the user's data folder and made when it is missing.
// The backup and the scratch file of a block copied to another page go
// there.
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
#include "tests/shell/env_guard.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

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

}  // namespace
