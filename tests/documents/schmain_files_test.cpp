// The temporary backup, the notes commands and the clipboard copy of the
// main window.
#include "editor/interaction/commands.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace palvane_test;

const char* kDesign = R"(
include discrete.nls
unit 0.1in
design D
level MAIN
net SIG
page P frame 60 40
  component R1 R at 0 0
  component R2 R at 20 0
  wire SIG R1.2 R2.1
end
)";

class FileCommands : public EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(BuildDesign(kDesign));
        Main();
        g_JobDir = dir.path().toStdString() + "/jobs";  // missing: made when needed
    }
    static int32_t Comps() { return OM_GetCount(DB_SchCompMap()); }
    QTemporaryDir dir;
};

TEST_F(FileCommands, BackupSaveAndLoad)
{
    Main().M_Tsave_Click();
    const std::string backup = g_JobDir + "/Norvo32.TMP";
    ASSERT_TRUE(std::ifstream(backup).good());
    ASSERT_EQ(Comps(), 2);
    OM_Delete(DB_SchCompMap(), OM_FindName(DB_SchCompMap(), "R1/1"));
    ASSERT_EQ(Comps(), 1);
    sent.clear();
    ui.ExpectMessageBox(6 /* Yes */, "Load Temporary Backup");
    Main().M_Tload_Click();
    EXPECT_EQ(Comps(), 2);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().second, "All,UP");
}

TEST_F(FileCommands, DamagedBackupKeepsTheDesign)
{
    QDir().mkpath(QString::fromStdString(g_JobDir));
    std::ofstream(g_JobDir + "/Norvo32.TMP") << "not a database";
    sent.clear();
    ui.ExpectMessageBox(6, "Load Temporary Backup");
    ui.ExpectMessageBox(1, "Cant't load Temporary Backup");
    Main().M_Tload_Click();
    EXPECT_EQ(Comps(), 2);
    EXPECT_TRUE(sent.empty());
    // No backup at all: the same.
    std::remove((g_JobDir + "/Norvo32.TMP").c_str());
    ui.ExpectMessageBox(6, "Load Temporary Backup");
    ui.ExpectMessageBox(1, "Cant't load Temporary Backup");
    Main().M_Tload_Click();
    EXPECT_EQ(Comps(), 2);
}

TEST_F(FileCommands, BusyEditorRefusesBothBackupCommands)
{
    g_CurCommand = 5;
    Main().M_Tsave_Click();
    Main().M_Tload_Click();  // no question asked
    g_CurCommand = 0;
    EXPECT_FALSE(std::ifstream(g_JobDir + "/Norvo32.TMP").good());
}

TEST_F(FileCommands, ClipboardHoldsTheCanvas)
{
    QGuiApplication::clipboard()->setText("old text");
    Main().M_Scopy_Click();
    const QImage copied = QGuiApplication::clipboard()->image();
    const QImage& canvas = Main().ViewPicture->Image();
    ASSERT_FALSE(copied.isNull());
    EXPECT_EQ(copied.size(), canvas.size());
    EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), canvas.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
}

TEST_F(FileCommands, NotesLoadThroughTheDialog)
{
    ReadCurrentPage();
    g_ShowPageNotes = false;
    Main().M_Pnotes->SetChecked(false);
    // A file that is no notes library: message 85, the notes shown anyway.
    const std::string path = dir.path().toStdString() + "/page.NPN";
    std::ofstream(path) << "damaged";
    ui.ExpectFileDialog(path);
    ui.ExpectMessageBox(1, "Can't load Page Notes");
    Main().M_LoadPnotes_Click();
    EXPECT_TRUE(g_ShowPageNotes);
    EXPECT_TRUE(Main().M_Pnotes->Checked());
    // A cancelled dialog does nothing.
    ui.ExpectFileDialog(std::string());
    Main().M_LoadDnotes_Click();
    // Without a design notes symbol the save asks nothing.
    const int32_t symbol = g_DesNotesSymb;
    g_DesNotesSymb = 0;
    Main().M_SaveDnotes_Click();
    g_DesNotesSymb = symbol;
}

TEST_F(FileCommands, NotesLoadRedrawsTheViewport)
{
    ReadCurrentPage();
    Main().M_ViewPort_Click();
    ASSERT_NE(Main().m_ViewPortOn, 0);
    const std::string path = dir.path().toStdString() + "/notes.NDN";
    std::ofstream(path) << "damaged";
    // The viewport is drawn again after either load: the old cross goes.
    const std::pair<void (SCHMAIN::*)(), const char*> loads[] = {
        {&SCHMAIN::M_LoadDnotes_Click, "Can't load Design Notes"},
        {&SCHMAIN::M_LoadPnotes_Click, "Can't load Page Notes"}};
    for (const auto& [load, message] : loads) {
        SCOPED_TRACE(message);
        Main().DrawViewCross(0, 0);
        ASSERT_NE(Main().m_ViewCrossMF, 0);
        ui.ExpectFileDialog(path);
        ui.ExpectMessageBox(1, message);
        (Main().*load)();
        EXPECT_EQ(Main().m_ViewCrossMF, 0);
    }
    EXPECT_EQ(ui.pending(), 0u);
}

}  // namespace
