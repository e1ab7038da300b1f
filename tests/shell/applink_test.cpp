// The suite's application registry: the editor's state record, reading the
// records of other applications, finding a busy one, starting one through
// the host, and the kernel's busy word.
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/schmain.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

namespace {

namespace mb = winsys::mb;
using AppLink = palvane_test::KernelTest;

std::string Env(const char* name)
{
    const char* value = E_GetString(name);
    return value ? value : "(unset)";
}

// Marks the application running and sets its state record.
void Running(const char* app, const char* record)
{
    E_SetString((std::string("MW_") + app).c_str(), "1");
    E_SetString(app, record);
}

TEST_F(AppLink, ListOfApplications)
{
    E_SetString("AllAps", "NVOSPCED,PALVANE,NVOSIM");
    InitAppLink();
    EXPECT_EQ(g_AppCount, 3);
    EXPECT_EQ(g_AppSelf, 2);
    EXPECT_EQ(g_AppList(3), "NVOSIM");
    E_SetString("AllAps", "");
    InitAppLink();
    EXPECT_EQ(g_AppCount, 0);
    EXPECT_EQ(g_AppSelf, 0);
}

TEST_F(AppLink, ReadAppState)
{
    std::string title = "old";
    int32_t state = 9, f3 = 9, f4 = 9, f5 = 9;
    // Not running: the record is erased and reads empty.
    E_SetString("NVOSIM", "Simulator, 0, 0, 0, 1");
    ReadAppState("NVOSIM", title, state, f3, f4, f5);
    EXPECT_EQ(title, "");
    EXPECT_EQ(f5, 0);
    EXPECT_EQ(Env("NVOSIM"), "");

    Running("NVOSIM", "Simulator, 1,-1, 0, 2");
    ReadAppState("NVOSIM", title, state, f3, f4, f5);
    EXPECT_EQ(title, "Simulator");
    EXPECT_EQ(state, 1);
    EXPECT_EQ(f3, -1);
    EXPECT_EQ(f4, 0);
    EXPECT_EQ(f5, 2);

    // A title with commas of its own is taken whole.
    Running("NVOSIM", "Sim, page 1, 2, 0, 0,-1, 0");
    ReadAppState("NVOSIM", title, state, f3, f4, f5);
    EXPECT_EQ(title, "Sim, page 1, 2");
    EXPECT_EQ(state, 0);
    EXPECT_EQ(f4, -1);

    E_SetString("MW_NVOSIM", " 1 ");
    EXPECT_TRUE(IsAppRunning(" nvosim"));
    E_SetString("MW_NVOSIM", "0");
    EXPECT_FALSE(IsAppRunning("NVOSIM"));
}

TEST_F(AppLink, CheckOtherAppsFindsTheBusyOne)
{
    E_SetString("AllAps", "NVOSPCED,PALVANE,NVOSIM,NVOLIBSC");
    InitAppLink();
    E_SetString("NVOSPCED", "Layout, 0, 0, 0, 1");  // listed, not running: erased, not busy
    Running("NVOSIM", "Simulator, 0, 0, 0, 0");
    Running("NVOLIBSC", "Library Search, 0, 0, 0, 1");
    E_SetString("PALVANE", "me, 0,-1,-1, 3");  // the editor itself never counts

    int32_t busy = 0;
    std::string title;
    ui.ExpectMessageBox(mb::AnswerOk, "Finish current operation for: Library Search");
    CheckOtherApps(busy, title);
    EXPECT_EQ(busy, 1);
    EXPECT_EQ(title, "Library Search");
    EXPECT_EQ(ui.asked().back().caption, "Norvo32");
    EXPECT_EQ(ui.asked().back().style, mb::SystemModal | mb::Exclamation);
    EXPECT_EQ(Env("NVOSPCED"), "");

    // Asked quietly: the answer without the box.
    busy = 1;
    CheckOtherApps(busy, title);
    EXPECT_EQ(busy, 1);

    E_SetString("NVOLIBSC", "Library Search, 0, 0, 0, 0");
    busy = 0;
    CheckOtherApps(busy, title);
    EXPECT_EQ(busy, 0);
}

TEST_F(AppLink, KernelBusyWord)
{
    int32_t value = 7;
    E_MemCopy(E_SysTable(systable::Busy), &value, 4);
    EXPECT_EQ(KernelBusy(), 7);
    value = 0;
    E_MemCopy(E_SysTable(systable::Busy), &value, 4);
    EXPECT_EQ(KernelBusy(), 0);
}

using EditorAppLink = palvane_test::EditorTest;

TEST_F(EditorAppLink, StartAppAsksTheHostOrActivates)
{
    E_SetString("MW_NVOLIBSC", "");
    sent.clear();
    StartApp("NVOLIBSC", 0);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back().first, "NVOLIBSC");
    EXPECT_EQ(sent.back().second, "SHELL,0");

    // Running: nothing is sent; the window of that title (here the main
    // window itself) comes to the front.
    sent.clear();
    E_SetString("MW_NVOLIBSC", "1");
    E_SetString("NVOLIBSC", (Main().Caption() + ", 0, 0, 0, 0").c_str());
    StartApp("NVOLIBSC", 0);
    EXPECT_TRUE(sent.empty());
}

}  // namespace
