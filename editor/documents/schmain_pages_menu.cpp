// The page menu of the main window: new page (with the main page's frame
// copied), rename, delete, clean, and the page outline of the view menu.
//
// "MAINPAGE" always exists: new pages copy its frame, and it can be neither
// deleted nor renamed. A level without it (a level below the root, or the
// root of a design stored before every design had one) gives new pages the
// frame of the page shown. Names are the first word of the answer,
// upper-cased, 1 to 15 characters, unique among the pages. The boxes and
// questions of the page commands are captioned with the command's name.
#include "editor/documents/frame_outline.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branches.h"
#include "editor/objects/symbols.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/settings.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"
#include "platform/winsys/interaction.h"

#include <string>

namespace {

constexpr const char* kMainPage = "MAINPAGE";
constexpr size_t kPageNameLength = 15;
// The kernel holds 99 pages (docs/KERNEL.md, DB_CreatePage).
constexpr int32_t kPageLimit = 99;

int32_t FindPage(const std::string& name)
{
    return OM_FindNameMask(DB_PageMap(), name.c_str(), 0, 0);
}

// The page shown after `deleted` is gone: "MAINPAGE", or on a level without
// it the first other page; "" when `deleted` is the level's only page.
std::string PageAfterDelete(int32_t deleted)
{
    const int32_t main = FindPage(kMainPage);
    if (main != 0 && main != deleted) return kMainPage;
    const int32_t map = DB_PageMap();
    int32_t position = OM_GetFirst(map);
    for (int32_t page; (page = OM_SearchMask(map, &position, 0, 0)) > 0;)
        if (page != deleted) return PtrToStr(O_GetName(OM_Object(map, page)));
    return {};
}

// The page name of an answer: its first word upper-cased; "" when there is
// none or (after a beep) when it is too long.
std::string PageNameOf(const std::string& answer)
{
    const std::string name = FirstWord(UCase(Trim(answer)));
    if (name.size() > kPageNameLength) {
        winsys::Ui().Beep();
        return {};
    }
    return name;
}

// Reports `code` with a copy of the current page's name (the reporter
// writes the displayed text back into its detail).
void ReportPageName(int32_t code)
{
    std::string detail = g_CurPageName;
    ReportMsg(code, detail);
}

}  // namespace

// Opening the page menu: printing is offered when there is a printer.
void SCHMAIN::M_Page_Click()
{
    const bool printer = HasPrinter();
    M_Print->SetEnabled(printer);
    M_PrintSchd->SetEnabled(printer);
}


void SCHMAIN::M_PageNew_Click()
{
    const CommandPrompt prompt(*M_PageNew);
    CheckHelpMode(2, 1, 0, 0);
    if (OM_GetCount(DB_PageMap()) >= kPageLimit) {
        ReportMsg(60);
        return;
    }
    // The template: "MAINPAGE", else the page shown (the file is not
    // changed for it).
    const int32_t previous = DB_CurPage();
    const int32_t mainPage = FindPage(kMainPage);
    const int32_t templatePage = mainPage != 0 ? mainPage : previous;
    if (templatePage == 0) {
        std::string detail = kMainPage;
        ReportMsg(61, detail);
        return;
    }
    const int32_t templateFrame = -100 - templatePage;

    std::string name = PageNameOf(AskText(GetMsgText("New page name: ", "13142"), "", ""));
    if (name.empty()) return;
    if (FindPage(name) != 0) {
        ReportMsg(63, name);
        return;
    }
    const int32_t page = DB_CreatePage(0, name.c_str());
    if (page == 0) {
        ReportMsg(62, name);
        return;
    }

    // The template's frame points, from index 1 (its last record closes it).
    g_FramePoints.Redim(0, 0);
    BranchRec frame{};
    if (B_ReadBranch(templateFrame, &frame) != 0) {
        for (int32_t i = 1; i <= frame.Points; ++i) {
            BranchPointRec rec{};
            if (B_ReadRecord(templateFrame, i, &rec) <= 0) continue;
            const long last = g_FramePoints.UBound() + 1;
            g_FramePoints.RedimPreserve(last);
            g_FramePoints(last) = {rec.X, rec.Y};
        }
    }

    int32_t status = 0;
    bool made = false;
    if (DB_SetCurPage(page) != 0) {
        SetMainCaption(status);
        FillPageList();
        if (g_FramePoints.UBound() < 1) {
            // A template without a frame: the new page gets the default
            // format of the settings, as the settings load gives a page
            // shown without one.
            made = true;
            ReadFrameBox();
            ApplyDefaultPageFormat();
        } else {
            // A refused junction or record takes every new one away again,
            // the branch with them: nothing stays behind on the page that
            // goes.
            made = WritePageFrame(g_FrameBranch, g_FramePoints, 1);
            if (!made) ReportMsg(11);
        }
    }
    if (!made) {
        OM_Delete(DB_PageMap(), page);
        DB_SetCurPage(previous);
        SetMainCaption(status);
        FillPageList();
    }
    M_FSI_Click(g_CurMode);
    RefreshCanvas();
    RedrawView();
    NotifyPageFollowers();
}

void SCHMAIN::M_PageRen_Click()
{
    const CommandPrompt prompt(*M_PageRen);
    CheckHelpMode(2, 3, 0, 0);
    if (g_CurPageName == kMainPage) {
        ReportPageName(64);
        return;
    }
    std::string name = PageNameOf(AskText(
        GetMsgText("Rename ", "991103") + g_CurPageName + GetMsgText(" to:", "991322"), "", ""));
    if (name.empty()) return;
    if (FindPage(name) != 0) {
        ReportMsg(63, name);
        return;
    }
    // A name the kernel refuses leaves the page as it was.
    if (O_Rename(DB_Page(g_CurPage), name.c_str()) == 0) {
        ReportPageName(64);
        return;
    }
    g_CurPageName = name;
    FillPageList();
    int32_t status = 0;
    SetMainCaption(status);
}

void SCHMAIN::M_PageDel_Click()
{
    const CommandPrompt prompt(*M_PageDel);
    CheckHelpMode(2, 4, 0, 0);
    if (g_CurPageName == kMainPage) {
        ReportPageName(65);
        return;
    }
    // The page that takes its place: a level keeps at least one page, and
    // the window never stays on a page that is gone (a level without
    // "MAINPAGE" goes to its first other page).
    const std::string next = PageAfterDelete(g_CurPage);
    if (next.empty()) {
        ReportPageName(65);
        return;
    }
    if (!AskYesNo("Delete Page: " + g_CurPageName)) return;
    CleanPage();
    DeleteBranch(g_FrameBranch);
    int32_t inUse = 0;
    DeleteUnusedSymb(inUse, 0, g_PageNotesSymb);
    OM_Delete(DB_PageMap(), g_CurPage);
    F_Pages->SetText(next);
    F_Pages_Click();
    NotifyPageFollowers();
}

void SCHMAIN::M_PageClean_Click()
{
    const CommandPrompt prompt(*M_PageClean);
    if (AskYesNo(GetMsgText("Clean Page: ", "1357") + g_CurPageName)) {
        CleanPage();
        RefreshCanvas();
        RedrawView();
        NotifyPageFollowers();
    }
    CheckHelpMode(2, 2, 0, 0);
}

void SCHMAIN::M_PageO_Click()
{
    CheckHelpMode(9, 7, 0, 0);
    g_ShowPageOutline = !g_ShowPageOutline;
    DropOverlay();
    M_PageO->SetChecked(g_ShowPageOutline);
    RefreshCanvas();
    RedrawView();
}
