// The host as the suite's hub: the commands the editor sends to every
// application or to itself come back to it once the sending procedure has
// returned, so after a move in the hierarchy or a backup load the window
// shows the level and page the database holds. Notices to the applications
// that follow the page go only to those that run.
#include "tests/host/host_fixture.h"

#include "editor/shell/dlgservices.h"
#include "editor/shell/forms.h"
#include "editor/shell/listbox.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/controls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/records.h"
#include "tests/support/screenshot.h"

#include <QAction>
#include <QApplication>
#include <QMessageBox>

#include <string>

namespace palvane_test {
namespace {

std::string NameIn(int32_t map, int32_t id)
{
    const int32_t object = OM_Object(map, id);
    return object ? PtrToStr(O_GetName(object)) : std::string();
}

// The window shows what the database holds: the current page in the
// caption and the page list, the level's pages in the list, and a canvas
// that a fresh paint of the current page leaves as it is.
void ExpectWindowShowsDatabase(SCHMAIN& main, const std::string& page)
{
    EXPECT_EQ(NameIn(DB_PageMap(), DB_CurPage()), page);
    EXPECT_NE(main.Caption().find("(" + page + ")"), std::string::npos) << main.Caption();
    EXPECT_EQ(main.F_Pages->Text(), page);
    EXPECT_EQ(PageList(main), PagesInDatabase());
    const QImage shown = main.ViewPicture->Image().copy();
    main.RefreshCanvas();
    EXPECT_TRUE(shown == main.ViewPicture->Image()) << "the canvas shows another page than " << page;
}

EntryRec Pin(const char* component, int32_t entry)
{
    EntryRec pin{};
    C_ReadEntry(OM_FindName(DB_SchCompMap(), component), entry, &pin);
    return pin;
}

void ClickPin(SCHMAIN& main, const char* component, int32_t entry)
{
    const EntryRec pin = Pin(component, entry);
    ClickPage(main, pin.X / 254000.0, pin.Y / 254000.0);
}

class Hub : public HostInProcess {};

TEST_F(Hub, GoingDownAndUpTheHierarchyShowsTheLevelEntered)
{
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        ExpectWindowShowsDatabase(main, "Amplifier");
        // Component mode, component information with its option "down
        // into the level": a click on the block H1 goes down to its level,
        // BLOCK, with its page Filter.
        ChooseMode(main, 1);
        PressFunction(main, 10);
        SetOption(main, 1, false);
        SetOption(main, 0, true);
        ClickPin(main, "H1", 1);
        EXPECT_EQ(NameIn(DB_HierarchyMap(), DB_CurHier()), "BLOCK");
        ASSERT_TRUE(RunUntil([&] { return main.Caption().find("(Filter)") != std::string::npos; }))
            << main.Caption();
        ExpectWindowShowsDatabase(main, "Filter");
        SaveScreenScreenshot("hierarchy_descent");
        // The same function with its option "up one level".
        SetOption(main, 1, true);
        ClickPage(main, 0, 0);
        EXPECT_EQ(NameIn(DB_HierarchyMap(), DB_CurHier()), "MAIN");
        ASSERT_TRUE(RunUntil([&] { return main.Caption().find("(Amplifier)") != std::string::npos; }))
            << main.Caption();
        ExpectWindowShowsDatabase(main, "Amplifier");
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Errors(), "");
    // The reload went to the suite each time, and came back to the editor.
    EXPECT_EQ(out, "PALVANE\tAll,UP\nPALVANE\tAll,UP\nPALVANE\tSHUTDOWN\n");
}

TEST_F(Hub, ABackupLoadShowsThePageOfTheBackup)
{
    // A new design: its one page is MAINPAGE.
    design = dir.filePath("new.nvd").toStdString();
    const int status = Run([&](SCHMAIN& main) {
        auto close = OnExit([this] { Send("PALVANE,EX"); });
        Trigger(main.M_Tsave);
        Type("FRESH");
        Trigger(main.M_PageNew);
        ExpectWindowShowsDatabase(main, "FRESH");
        Answer(QMessageBox::Yes);
        Trigger(main.M_Tload);
        ASSERT_TRUE(RunUntil([&] { return main.Caption().find("(MAINPAGE)") != std::string::npos; }))
            << main.Caption();
        ExpectWindowShowsDatabase(main, "MAINPAGE");
        SaveScreenScreenshot("backup_loaded");
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Errors(), "");
    EXPECT_NE(out.find("PALVANE\tAll,UP\n"), std::string::npos) << out;
}

// The applications that follow the current page hear of a page change only
// while they run (they have published a state record), and in the form
// "NVOSPCED,UP".
TEST_F(Hub, PageNoticesGoOnlyToRunningFollowers)
{
    const int status = Run([&](SCHMAIN& main) {
        main.F_Pages->SetListIndex(1);
        E_SetString("NVOSPCED", "Follower,0,0,0,0");
        main.F_Pages->SetListIndex(0);
        E_SetString("NVOSPCED", "");
        Send("PALVANE,EX");
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "NVOSPCED\tNVOSPCED,UP\nPALVANE\tSHUTDOWN\n");
}

}  // namespace
}  // namespace palvane_test
