// SCHMAIN's command interpreter and the senders of outgoing commands.
#include "editor/automation/placement_symbols.h"
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/shell/appcmd.h"
#include "editor/shell/command_close.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/prefs.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textnum.h"
#include "editor/view/view_state.h"
#include "platform/kernel/records.h"
#include "platform/winsys/nested_runs.h"


#include <array>
#include <cstdlib>

void SCHMAIN::AP_SendCmdAll(std::string& command)
{
    std::string aname = "PALVANE";
    NotifyClass.Raise(aname, command);
}

void SCHMAIN::AP_Shell(std::string& application, int16_t& mode)
{
    std::string command = "SHELL," + std::to_string(mode);
    NotifyClass.Raise(application, command);
}

void SCHMAIN::AP_SendCmd(std::string& application, std::string& command)
{
    NotifyClass.Raise(application, command);
}

namespace {

// The fields each verb reads; a command with fewer is dropped before any of
// it is done.
int32_t FieldsNeeded(const std::string& verb)
{
    if (verb == "FS") return 6;
    if (verb == "BS") return 10;
    return 2;
}

// Field i as a whole number (halves to even); a value beyond a Long raises
// error 6 before anything of the command is done.
int32_t LongField(int i)
{
    return static_cast<int32_t>(ToLong(g_ArgNum(i)));
}

// Unloads the main window after ending a command in progress as its cancel
// does (also one that a procedure finishing after the close started), so
// that the unload is not refused and nothing half drawn is written. A close
// that is refused after all (a routing image that cannot be dropped) lets
// dialogs show again.
void CloseMainWindow()
{
    if (g_MainForm && g_MainForm->IsLoaded()) {
        EndCommandForClose(*g_MainForm);
        g_MainForm->Unload(unloadmode::Code);
    }
    if (g_MainForm && g_MainForm->IsLoaded()) winsys::ClearCloseRequest();
}

// Closes the main window for the host's "EX". Every dialog, message box
// and wait that runs now ends as its Cancel would, the procedures that
// opened them finish against windows that still exist, and the window is
// unloaded once they have all returned (at once when none runs).
void CloseWhenUnwound()
{
    winsys::RequestClose();
    if (winsys::NestedRunDepth() == 0)
        CloseMainWindow();
    else
        winsys::RunWhenUnwound(CloseMainWindow);
}

}  // namespace

void SCHMAIN::AP_ExeCmd(std::string& sCommand)
{
    if (sCommand.empty()) return;
    SplitFields(sCommand);
    const int32_t count = static_cast<int32_t>(g_ArgNum(0));
    const std::string target = g_ArgStr(1);
    if (target != "All" && target != "PALVANE") return;
    // Once the window has closed there is nothing to close, and any other
    // command is refused: it would load the window again or draw on
    // canvases that are gone.
    if (!IsLoaded()) {
        if (count >= 2 && g_ArgStr(2) == "EX") return;
        RaiseError(errnum::InvalidCall);
    }
    // A command too short for its verb is dropped whole, with error 9 for
    // the sender, as the runtime would report the first missing field.
    if (count < 2) RaiseError(errnum::SubscriptOutOfRange);
    const std::string verb = g_ArgStr(2);
    if (count < FieldsNeeded(verb)) RaiseError(errnum::SubscriptOutOfRange);
    if (verb == "RD") {
        RefreshCanvas();
        RedrawView();
    } else if (verb == "MX") {
        SetWindowState(winstate::Maximized);
    } else if (verb == "MN") {
        SetWindowState(winstate::Minimized);
    } else if (verb == "DF") {
        SetWindowState(winstate::Normal);
    } else if (verb == "UP") {
        ReloadAfterUpdate();
    } else if (verb == "EX") {
        // The close ends a running command as its cancel does, once every
        // dialog of it has ended.
        CloseWhenUnwound();
    } else if (verb == "FS") {
        const int32_t level = LongField(5);
        const int32_t page = LongField(6);
        const int32_t x = ClampCoord(g_ArgNum(3));
        const int32_t y = ClampCoord(-g_ArgNum(4));
        if (level != g_CurHier || !SwitchToPage(page)) return;
        DropOverlay();
        m_ViewOrgX = x;
        m_ViewOrgY = y;
        SetScrollBars(m_ViewOrgX, m_ViewOrgY);
        RefreshCanvas();
    } else if (verb == "BS") {
        const int32_t level = LongField(9);
        const int32_t page = LongField(10);
        std::array<int32_t, 6> box{};
        for (int i = 0; i < 6; ++i) box[i] = ClampCoord(g_ArgNum(3 + i));
        if (level != g_CurHier || !SwitchToPage(page)) return;
        DropOverlay();
        // The three point pairs: start corner, box size, end corner.
        const std::array<int32_t, 6> saved{m_BoxOrgX, m_BoxOrgY, m_BoxW, m_BoxH, m_BaseX, m_BaseY};
        auto restore = OnExit([this, saved] {
            m_BoxOrgX = saved[0];
            m_BoxOrgY = saved[1];
            m_BoxW = saved[2];
            m_BoxH = saved[3];
            m_BaseX = saved[4];
            m_BaseY = saved[5];
        });
        m_BoxOrgX = box[0];
        m_BoxOrgY = box[1];
        m_BoxW = box[2];
        m_BoxH = box[3];
        m_BaseX = box[4];
        m_BaseY = box[5];
        ZoomToArea();
    } else if (verb == "PX") {
        ReadPackagingPrefs();
        RefreshCanvas();
        ShowMessage(GetMsgText("Packaging Preferences changed!", "99995"));
    }
}

bool SCHMAIN::SwitchToPage(int32_t page)
{
    if (page == g_CurPage) return true;
    if (!F_Pages->isEnabled()) {
        DB_SetCurPage(g_CurPage);
        return false;
    }
    // The page comes from the host and may not exist: asked first, since a
    // switch to a missing page fails the whole command.
    if (DB_Page(page) == 0 || DB_SetCurPage(page) == 0) return false;
    int32_t database = 0;
    SetMainCaption(database);
    if (database == 0 || !IsLoaded()) return false;
    F_Pages->SetText(g_CurPageName);
    // In routing mode the router's image follows, as with the page list.
    if (g_RouteImageActive == -1) SCR_ChangePage(page);
    return true;
}

void SCHMAIN::ReloadAfterUpdate()
{
    if (!LoadSettings()) return;
    RefreshPlacementSymbols(*this);
    PageRec page{};
    // The page's stored view is taken only when it is one: a view size of
    // 0 (none stored) or beyond the zoom range, or an origin beyond the
    // coordinate range, is no view to show.
    const bool stored = DB_ReadPage(g_CurPage, &page) != 0 && page.ViewSize >= kMinViewSize &&
                        page.ViewSize <= kMaxViewSize && std::abs(static_cast<int64_t>(page.ViewX)) <= kCoordLimit &&
                        std::abs(static_cast<int64_t>(page.ViewY)) <= kCoordLimit;
    if (stored) {
        m_ViewRecord = {page.ViewX, page.ViewY, page.ViewMode, page.ViewSize};
        m_ViewOrgX = page.ViewX;
        m_ViewOrgY = page.ViewY;
        m_ViewSize = page.ViewSize;
        if (WindowState() == winstate::Minimized) {
            PublishAppState(-1, 0);
        } else {
            SetScrollBars(m_ViewOrgX, m_ViewOrgY);
            m_FullRedraw = true;
            ShowZoomValue();
            RedrawBtn_Click();
        }
    } else {
        RefreshCanvas();
    }
    OpenViewDC();
    EraseViewCross();
    CloseViewDC();
    RedrawView();
}

void SendCmdAll(const std::string& command)
{
    if (!g_MainForm) return;
    std::string text = "All," + command;
    g_MainForm->AP_SendCmdAll(text);
}

void SendCmd(const std::string& application, const std::string& command)
{
    if (application == "PALVANE" || !g_MainForm) return;
    const std::string record = PtrToStr(E_GetString(application.c_str()));
    if (record.empty()) return;
    std::string app = application;
    std::string text = application + "," + command;
    g_MainForm->AP_SendCmd(app, text);
}

void NotifyPageFollowers()
{
    SendCmd("NVOSPCED", "UP");
    SendCmd("NVOSIM", "UP");
}
