#include "editor/shell/help.h"

#include "editor/shell/applink.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"

#include <string>

int32_t g_HelpTopic = 0;

namespace {

constexpr int32_t kHelpModeOffset = systable::HelpFlagOffset;

// The help window's place: left 600, top 150, width 400, height 800 in
// 1/1024 of the screen, shown normally.
constexpr const char* kPositionMacro = "PositionWindow(600, 150, 400, 800, 1, \"main\")";

// The kernel's help mode (the help table's flag): nonzero when on.
int32_t HelpModeFlag()
{
    int32_t flag = 0;
    const char* table = static_cast<const char*>(E_SysTable(systable::Help));
    if (table) E_MemCopy(&flag, table + kHelpModeOffset, sizeof flag);
    return flag;
}

}  // namespace

bool CheckHelpNumbers(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool)
{
    std::string text;
    if (menu > 11) text = "Menu No: exceeds 11";
    if (submenu > 100) text += " SubMenu No. exceeds 100";
    if (tool > 11) text += " Tool No: exceeds 11";
    if (subtool > 11) text += " SubTool No: exceeds 11";
    if (text.empty()) return true;
    winsys::Ui().MessageBox(text, g_AppTitle, winsys::mb::OkOnly);
    return false;
}

int32_t CalcHelpTopic(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool)
{
    const int32_t m = menu - 1, s = submenu - 1, t = tool - 1;
    if (subtool != 0) {
        if (menu == 0 || submenu == 0 || tool == 0) return 0;
        return m * 13301 + s * 133 + t * 12 + subtool + 3;
    }
    if (tool != 0) {
        if (menu == 0 || submenu == 0) return 0;
        return m * 13301 + s * 133 + t * 12 + 3;
    }
    if (submenu != 0) {
        if (menu == 0) return 0;
        return m * 13301 + s * 133 + 2;
    }
    if (menu != 0) return m * 13301 + 1;
    return 0;
}

bool CheckHelpMode(int32_t menu, int32_t submenu, int32_t tool, int32_t subtool)
{
    const int32_t helpMode = HelpModeFlag();
    if (!CheckHelpNumbers(menu, submenu, tool, subtool)) return false;
    g_HelpTopic = CalcHelpTopic(menu, submenu, tool, subtool);
    if (helpMode == 0) return false;
    ShowFormHelp();
    return true;
}

void ShowFormHelp()
{
    H_DispTopic(0, g_HelpFile.c_str(), g_HelpTopic);
    PositionHelpWindow(0, g_HelpFile);
}

void OpenHelpContents()
{
    CallWinHelp(g_HelpFile, helpcmd::Contents, "Norvo32");
}

void PositionHelpWindow(int32_t /*window*/, const std::string& helpFile)
{
    CallWinHelp(helpFile, helpcmd::Command, kPositionMacro);
}

void CloseHelp(int32_t /*window*/, const std::string& helpFile)
{
    CallWinHelp(helpFile, helpcmd::Quit, "0");
}

bool CancelKeyDown()
{
    return winsys::Ui().KeyPressed(winsys::vk::F10);
}
