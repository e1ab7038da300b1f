// SCHMAIN's display menus: the display switches of the canvas, the colour
// scheme and line style, the window layout switches, the viewport window,
// the mode menu, and the database maps.
#include "editor/shell/schmain.h"

#include "editor/dialogs/schinfoc.h"
#include "editor/interaction/commands.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/view_values.h"
#include "editor/shell/applink.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/display_menus.h"
#include "editor/view/nvoshort.h"
#include "editor/view/view_state.h"

int32_t g_CurStyle = 0;
int32_t g_ColorMode = 32;
int32_t g_TConnectFlags = 0;
bool g_InstNameFlag = false;
bool g_NextNodeGuide = false;

namespace {

void Check(ControlArray<MenuItem>& items, int index, bool value)
{
    if (items.Exists(index)) items(index)->SetChecked(value);
}

}  // namespace

void SCHMAIN::RedrawCanvasAndView()
{
    RefreshCanvas();
    RedrawView();
}

void SCHMAIN::M_Bitmaps_Click()
{
    CheckHelpMode(9, 5, 0, 0);
    DropOverlay();
    g_ShowBitmaps = g_ShowBitmaps ? 0 : -1;
    if (g_CurMode == 8) g_ShowBitmaps = -1;
    M_Bitmaps->SetChecked(g_ShowBitmaps != 0);
    RedrawCanvasAndView();
}

void SCHMAIN::M_Dnotes_Click()
{
    CheckHelpMode(9, 4, 0, 0);
    DropOverlay();
    g_ShowDesNotes = !g_ShowDesNotes || g_CurMode == 3;
    M_Dnotes->SetChecked(g_ShowDesNotes);
    RedrawCanvasAndView();
}

void SCHMAIN::M_Pnotes_Click()
{
    CheckHelpMode(9, 3, 0, 0);
    DropOverlay();
    g_ShowPageNotes = !g_ShowPageNotes || g_CurMode == 7;
    M_Pnotes->SetChecked(g_ShowPageNotes);
    RedrawCanvasAndView();
}

void SCHMAIN::M_Entry_Click()
{
    CheckHelpMode(9, 6, 0, 0);
    DropOverlay();
    // The check follows the entry bit as it was before the click.
    const bool wasSet = (g_EntryDrawMode & 0x200) != 0;
    g_EntryDrawMode ^= 0x200;
    M_Entry->SetChecked(wasSet);
    RedrawCanvasAndView();
}

void SCHMAIN::M_Mono_Click()
{
    CheckHelpMode(9, 8, 0, 0);
    DropOverlay();
    g_MonoDrawMode ^= 8;
    M_Mono->SetChecked((g_MonoDrawMode & 8) != 0);
    RedrawCanvasAndView();
}

void SCHMAIN::M_Nodes_Click()
{
    if (KernelBusy() != 0) return;
    OpenCanvasDC();
    if (g_ShowNodes) {
        G_SetDrawMode(2);
        M_Nodes->SetChecked(false);
    } else {
        G_SetDrawMode(0);
        M_Nodes->SetChecked(true);
    }
    g_ShowNodes = !g_ShowNodes;
    N_SetNodeView(0);
    N_DrawAllNodes(1);
    CloseCanvasDC();
    CheckHelpMode(9, 1, 0, 0);
}

void SCHMAIN::M_Ratsnest_Click()
{
    if (KernelBusy() != 0 || g_NetGuidelines) return;
    if (g_ShowRatsnest != 0) {
        DropOverlay();
        M_Ratsnest->SetChecked(false);
        g_ShowRatsnest = 0;
        RefreshCanvas();
    } else {
        g_ShowRatsnest = 1;
        OpenCanvasDC();
        G_SetColor(42);
        M_Ratsnest->SetChecked(true);
        const int32_t map = DB_NetMap();
        int32_t pos = OM_GetFirst(map);
        for (int32_t net; (net = OM_SearchMask(map, &pos, 1, 1)) > 0;) N_DrawNetRatsnest(net, 0, 1);
        CloseCanvasDC();
    }
    RedrawView();
    CheckHelpMode(9, 2, 0, 0);
}

void SCHMAIN::M_SRatsnest_Click()
{
    g_NetGuidelines = !g_NetGuidelines;
    M_SRatsnest->SetChecked(g_NetGuidelines);
    M_Ratsnest->SetChecked(g_NetGuidelines);
    g_ShowRatsnest = g_NetGuidelines ? -1 : 0;
    if (g_CurCommand != 0) {
        OpenCanvasDC();
        EraseHighlight();
        CloseCanvasDC();
        ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
    }
    CheckHelpMode(6, 7, 0, 0);
}

void SCHMAIN::M_NRatsnest_Click()
{
    CheckHelpMode(6, 8, 0, 0);
    g_NextNodeGuide = !g_NextNodeGuide;
    M_NRatsnest->SetChecked(g_NextNodeGuide);
}

void SCHMAIN::M_InstName_Click()
{
    CheckHelpMode(6, 6, 0, 0);
    g_InstNameFlag = !g_InstNameFlag;
    M_InstName->SetChecked(g_InstNameFlag);
}

void SCHMAIN::M_TcModeSLN_Click(int Index)
{
    CheckHelpMode(6, 9, 0, 0);
    g_TConnectFlags ^= Index;
    Check(M_TcModeSLN, Index, Index != 0 && (g_TConnectFlags & Index) == Index);
}

void SCHMAIN::M_Sbars_Click()
{
    CheckHelpMode(6, 3, 0, 0);
    m_ShowScrollBars = m_ShowScrollBars ? 0 : 1;
    M_Sbars->SetChecked(m_ShowScrollBars != 0);
    Form_Resize();
}

void SCHMAIN::M_Tbar_Click()
{
    CheckHelpMode(6, 2, 0, 0);
    m_ShowToolbar = m_ShowToolbar ? 0 : 1;
    M_Tbar->SetChecked(m_ShowToolbar != 0);
    Form_Resize();
}

void SCHMAIN::M_Tpan_Click()
{
    CheckHelpMode(6, 4, 0, 0);
    m_ShowSettingsPanel = m_ShowSettingsPanel ? 0 : 1;
    M_Tpan->SetChecked(m_ShowSettingsPanel != 0);
    Form_Resize();
}

void SCHMAIN::M_ViewPort_Click()
{
    m_ViewPortOn ^= 1;
    M_ViewPort->SetChecked(m_ViewPortOn != 0);
    ClearOverlay();
    F_PICView->setVisible(m_ViewPortOn != 0);
    if (m_ViewPortOn) {
        F_PICView->raise();
        EraseViewCross();
        m_VPMode = g_CurCommand != 0 ? g_CurMode : 0;
        {
            // The canvas repaints without the command's drawings; the
            // command comes back however the repaint ends.
            RestoreOnExit command(g_CurCommand, 0);
            RefreshCanvas();
        }
        F_PICView->Refresh();
    } else {
        RefreshCanvas();
        m_VPMode = 0;
    }
    ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
    CheckHelpMode(6, 5, 0, 0);
}

void SCHMAIN::M_Scolor_Click(int Index)
{
    CheckHelpMode(3, 3, 1, 0);
    // Only items that exist are unchecked (M_Ccolor has fewer items).
    if (g_ColorMode > 31)
        Check(M_Ccolor, g_ColorMode, false);
    else
        Check(M_Scolor, g_ColorMode, false);
    g_ColorMode = Index;
    Check(M_Scolor, Index, true);
}

void SCHMAIN::M_Ccolor_Click(int Index)
{
    CheckHelpMode(3, 2, 1, 0);
    if (g_ColorMode > 31)
        Check(M_Ccolor, g_ColorMode, false);
    else
        Check(M_Scolor, g_ColorMode, false);
    g_ColorMode = Index;
    Check(M_Ccolor, Index, true);
}

void SCHMAIN::M_DrawStyle_Click(int Index)
{
    CheckHelpMode(4, 1, 0, 0);
    Check(M_DrawStyle, g_CurStyle, false);
    g_CurStyle = Index;
    Check(M_DrawStyle, Index, true);
}

void SCHMAIN::M_FSI_Click(int Index)
{
    ReadFrameBox();
    const int32_t oldMode = g_CurMode;
    if (g_FrameValid) {
        if (Index == g_CurMode) return;
        if (oldMode < 11) Check(M_FSI, oldMode, false);
        g_CurMode = Index;
        Check(M_FSI, Index, true);
    } else {
        // Without a valid frame only page-format mode makes sense; its item
        // is the one checked.
        if (oldMode != 6 && oldMode < 11) Check(M_FSI, oldMode, false);
        g_CurMode = 6;
        Check(M_FSI, 6, true);
    }
    int32_t mode = g_CurMode;
    SetupFunctionButtons(mode);
    std::string caption = M_FSI.Exists(g_CurMode) ? M_FSI(g_CurMode)->Caption() : std::string();
    const size_t amp = caption.find('&');
    if (amp != std::string::npos) caption.erase(amp, 1);
    g_Prompt = caption;
    ShowMessage(ModeTools(g_CurMode).ModeHelp);
    auto showNeeded = [this](auto& flag, int32_t symbol, MenuItem* item) {
        if (!flag) {
            flag = true;
            RedrawCanvasAndView();
        }
        // The notes symbols have negative ids; 0 is no symbol yet.
        if (symbol != 0) g_CurSymb = symbol;
        item->SetChecked(true);
    };
    if (g_CurMode == 3) {
        showNeeded(g_ShowDesNotes, g_DesNotesSymb, M_Dnotes);
    } else if (g_CurMode == 7) {
        showNeeded(g_ShowPageNotes, g_PageNotesSymb, M_Pnotes);
    } else if (g_CurMode == 8) {
        if (!g_ShowBitmaps) {
            g_ShowBitmaps = -1;
            RedrawCanvasAndView();
        }
        M_Bitmaps->SetChecked(true);
    }
    if ((oldMode == 9 || oldMode == 10) && g_CurMode >= 1 && g_CurMode <= 8) {
        DrawPlacementSymbols();
        RedrawBtn_Click();
    }
    if (g_CurMode == 9 || g_CurMode == 10) RefreshCanvas();
    SyncViewMode();
    CheckHelpMode(5, Index, 0, 0);
}

void SCHMAIN::M_Imap_Click(int Index)
{
    CheckHelpMode(8, Index, 0, 0);
    g_InfoMapKind = Index;
    // ShowModal raises the modal depth and publishes the state on the way
    // in and out, and unloads the dialog when it closes.
    ::ShowModal(FormInstance<SCHINFOC>());
}

void SCHMAIN::M_Help_Click()
{
    OpenHelpContents();
}

void SCHMAIN::M_Short_Click()
{
    NVOSHORT& palette = FormInstance<NVOSHORT>();
    if (M_Short->Checked()) {
        palette.Unload();
        M_Short->SetChecked(false);
        return;
    }
    palette.Show();
    M_Short->SetChecked(true);
}
