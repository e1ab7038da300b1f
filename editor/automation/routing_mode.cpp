// Entering routing mode: the check of the suite's other applications, the
// preload dialog, the image load, and what the window disables while the
// router's image stands; the paint's stage that draws the image.
#include "editor/automation/routing_dialogs.h"
#include "editor/automation/routing_state.h"
#include "editor/interaction/commands.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/nvoshort.h"

namespace {

// The caption without its first "&" (the whole caption when it has none).
std::string WithoutAccessKey(std::string caption)
{
    const size_t amp = caption.find('&');
    if (amp != std::string::npos) caption.erase(amp, 1);
    return caption;
}

}  // namespace

void SCHMAIN::M_Aroute_Click()
{
    if (g_CurCommand != 0 || g_CmdRunning != 0) return;
    int32_t busy = 0;
    std::string name;
    CheckOtherApps(busy, name);
    if (busy != 0) return;
    m_PreviewPending = 0;
    // The function buttons pressed while the panels are rebuilt open no
    // help topics.
    m_ToolHelpOn = 0;
    auto helpOn = OnExit([this] { m_ToolHelpOn = -1; });
    CheckHelpMode(7, 3, 0, 0);
    EnterRoutingMode();
}

void SCHMAIN::EnterRoutingMode()
{
    // The preload bits chosen here are in the router before the load;
    // closing the dialog without Accept still enters.
    ::ShowModal(FormInstance<SCHRTLP>());
    ShowMessage(GetMsgText("Auto Router...", "1327"));
    int32_t failed = 0;
    LoadPageToRouter(failed);
    if (failed != 0) return;

    g_AppBusyFlag = -1;
    PublishAppState(-1, -1);
    for (MenuItem* menu : {M_File, M_Page, M_Color, M_Style, M_Edit, M_Auto, M_Pnotes, M_Dnotes, M_Bitmaps, M_Mono,
                           M_APlcPtrns, M_ViewPort, M_Short})
        menu->SetEnabled(false);
    // The shortcut palette would switch modes behind the image's back; it
    // stays loaded and comes back when routing mode ends (M_Short keeps its
    // check mark).
    NVOSHORT& palette = FormInstance<NVOSHORT>();
    if (IsFormShown(palette)) palette.Hide();
    if (m_ViewPortOn != 0) {
        F_PICView->setVisible(false);
        m_ViewPortOn = 0;
        M_ViewPort->SetChecked(false);
    }
    m_ModeBeforeRouting = g_CurMode;
    g_RouteImageActive = -1;
    g_CurMode = MODE_ROUTING;
    SetupFunctionButtons(g_CurMode);
    g_Prompt = WithoutAccessKey(M_Aroute->Caption());
    // The repaint clears the message line: the prompt follows it.
    RefreshCanvas();
    ShowMessage(ModeTools(MODE_ROUTING).ModeHelp);
}

// The paint's stage for the router's image: the image's wires, drawn into
// the canvas context the paint holds open.
void SCHMAIN::DrawRouterImage()
{
    SCR_RedrawPage();
}
