// Leaving routing mode: the question whether the image's wires replace the
// design's, the write-back, and the return to the mode, menus and state
// from before routing mode; a close from code writes the routed wires back
// unasked.
#include "editor/automation/routing_state.h"
#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/prefs.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "editor/view/nvoshort.h"

#include <cstdio>

namespace {

constexpr int32_t kSaveFailed = 86;  // "Save of " detail " failed"

}  // namespace

void SCHMAIN::SaveRoutedWires()
{
    if (g_RouteImageActive == 0) return;
    m_RouteResult.clear();
    // A pair or block command still waiting for its second click ends now:
    // its step must not reach the router once the image is freed.
    if (g_CurCommand == CMD_ROUTE_PAIR || g_CurCommand == CMD_ROUTE_BLOCK) {
        EraseOverlay();
        g_CurCommand = 0;
        m_StepRequest = 0;
        m_PreviewPending = 0;
    }
    g_RouteImageActive = 0;
    // Routing mode stays, with its image, unless the end below is reached.
    auto stay = OnExit([] { g_RouteImageActive = -1; });

    const std::string question = GetMsgText("Saving autorouted and preloaded wires will overwrite ", "991135") + g_CrLf +
                                 GetMsgText("existing wires in the schematics database. ", "99669") + g_CrLf +
                                 GetMsgText("Continue?", "99479");
    if (AskYesNo(question)) {
        ShowMessage(GetMsgText(" Saving in progress ...", "991138"));
        if (LD_SaveShemaToNorvo() == 0) {
            // The router changes nothing when it fails: the design keeps
            // its wires and the user keeps the routing work.
            std::string detail = "routed wires (" + RouterFailureText() + ")";
            ShowMessage("");
            ReportMsg(kSaveFailed, detail);
            RefreshCanvas();
            return;
        }
        MakeHeap(2, 0);
        ShowMessage(GetMsgText(" Saving completed.", "991137"));
    }
    stay.Dismiss();

    SCR_DBaseFree();
    RebuildFrameBranch();
    g_CurMode = m_ModeBeforeRouting;
    for (MenuItem* menu : {M_File, M_Page, M_Color, M_Style, M_Edit, M_Auto, M_Dnotes, M_Pnotes, M_Bitmaps, M_Mono,
                           M_APlcPtrns, M_ViewPort})
        menu->SetEnabled(true);
    SetupFunctionButtons(g_CurMode);
    // The shortcut palette comes back when it is wanted.
    if (M_Short->Checked()) FormInstance<NVOSHORT>().Show();
    // Offered again only when the settings name shortcuts, as the settings
    // load offers it.
    M_Short->SetEnabled(g_ShortCuts.UBound() >= 1);
    g_AppBusyFlag = 0;
    PublishAppState(0, 0);
    RefreshCanvas();
}

void SCHMAIN::LeaveRoutingOnClose(bool ask)
{
    if (g_RouteImageActive == 0) return;
    if (ask) {
        SaveRoutedWires();
        return;
    }
    // A close from code (the host's "EX", an end signal) has nobody to ask:
    // the routed wires replace the design's as the save's Yes does, through
    // the same all-or-nothing write-back of the image loaded with the
    // user's preload choices, so the design the host writes next holds
    // them. A refused write-back changes nothing: the design is written
    // without the routing, and the reason goes to standard error, since
    // nothing can be shown any more.
    g_CurCommand = 0;
    m_StepRequest = 0;
    m_PreviewPending = 0;
    g_RouteImageActive = 0;
    m_RouteResult.clear();
    if (LD_SaveShemaToNorvo() != 0) {
        MakeHeap(2, 0);
    } else {
        std::fprintf(stderr, "palvane: the routed wires were not saved (%s); the design is written without them\n",
                     RouterFailureText().c_str());
        std::fflush(stderr);
    }
    SCR_DBaseFree();
    RebuildFrameBranch();
    g_CurMode = m_ModeBeforeRouting;
    g_AppBusyFlag = 0;
    PublishAppState(0, 0);
}
