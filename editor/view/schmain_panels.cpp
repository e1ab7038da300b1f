// SCHMAIN's tool panels (function and option buttons), the menu panel, the
// page list, and the hidden fields through which other windows signal the
// main window.
#include "editor/shell/appcmd.h"
#include "editor/shell/schmain.h"

#include "editor/automation/routing_dialogs.h"
#include "editor/interaction/commands.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/textnum.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"

namespace {

// The help position of the tool buttons: menu 5 and the mode, 7 and 3 when
// routing.
int32_t HelpMenu()
{
    return g_CurMode == MODE_ROUTING ? 7 : 5;
}
int32_t HelpSub()
{
    return g_CurMode == MODE_ROUTING ? 3 : g_CurMode;
}

std::string FuncHelp(int32_t mode, int32_t index)
{
    const ToolFuncRec& f = ModeTools(mode).Funcs.at(index);
    return f.Help + GetMsgText(" (Shortcut: *", "99116") + f.Shortcut + ")";
}

}  // namespace

void SCHMAIN::F_FSI_Click(int Index, bool Value)
{
    if (!Value || Index < 0 || Index >= kToolCount) return;
    if (g_CurMode >= 1 && g_CurMode <= 8) {
        OM_MaskAll(DB_BranchMap(), 1, 1);
        OM_MaskAll(DB_JunctMap(), 1, 1);
        O_Mask(B_Branch(g_FrameBranch), 0, 1);
    } else if (g_CurMode == 9 || g_CurMode == 10) {
        OM_MaskAll(DB_BranchMap(), 0, 1);
        OM_MaskAll(DB_JunctMap(), 0, 1);
    }
    ModeToolsRec& tools = ModeTools(g_CurMode);
    tools.Funcs.at(tools.SelFunc).Pressed = 0;
    tools.Funcs.at(Index).Pressed = -1;
    tools.SelFunc = Index;
    if (!F_FSI(Index)->Value()) F_FSI(Index)->SetValue(true);
    int32_t mode = g_CurMode, func = Index;
    SetupOptionButtons(mode, func);
    ShowMessage(FuncHelp(g_CurMode, Index));
    if (g_CurMode == MODE_ROUTING)
        for (int i = 0; i < kToolCount; ++i) F_OST(i)->SetValue(false);
    if (m_ToolHelpOn) CheckHelpMode(HelpMenu(), HelpSub(), Index + 1, 0);
    ReturnToScreen();
}

void SCHMAIN::F_FSI_MouseMove(int Index, int, int, double, double)
{
    if (Index < 0 || Index >= kToolCount) return;
    ShowMessage(FuncHelp(g_CurMode, Index));
    m_HoverMsg = -1;
}

// The routing mode's step-wise dialog and write-back belong to the routing
// front end; nothing happens here until it exists.
// In routing mode function 0 opens the step dialog and function 10 leaves
// the mode (function 1 is the pressed one at the next entry); other modes
// and buttons do nothing here.
void SCHMAIN::F_FSI_MouseUp(int Index, int, int, double, double)
{
    if (g_CurMode != MODE_ROUTING || Index < 0 || Index >= kToolCount || !F_FSI(Index)->Value()) return;
    if (Index == 0) {
        ::ShowModal(FormInstance<RouteStep>());
    } else if (Index == 10) {
        ModeToolsRec& tools = ModeTools(MODE_ROUTING);
        tools.Funcs.at(10).Pressed = 0;
        tools.Funcs.at(1).Pressed = -1;
        SaveRoutedWires();
    }
}

void SCHMAIN::F_OST_Click(int Index, bool Value)
{
    if (Index < 0 || Index >= kToolCount) return;
    RibbonButton* button = F_OST(Index);
    if (Value) {
        if (g_CurCommand != 0) {
            // The running command's preview is drawn again with the new
            // option at the last pointer point; option 10 makes it step now.
            OpenCanvasDC();
            int shift = 1;
            int32_t x = m_PreviewDbX, y = m_PreviewDbY;
            DispatchPointerAction(shift, x, y);
            if (!F_OST.Exists(Index)) return;
            button = F_OST(Index);
            Value = button->Value();
        } else if (Index == 10) {
            button->SetValue(false);
            Value = false;
        }
    }
    ModeToolsRec& tools = ModeTools(g_CurMode);
    ToolFuncRec& func = tools.Funcs.at(tools.SelFunc);
    if (Value) {
        CheckHelpMode(HelpMenu(), HelpSub(), tools.SelFunc + 1, Index + 1);
        // The radio group is released in the table; group 0 holds the
        // independent switches, which stay as they are.
        const int group = button->GroupNumber();
        if (group != 0)
            for (int j = 0; j < kToolCount; ++j)
                if (func.Opts.at(j).Group == group) func.Opts.at(j).Value = 0;
    }
    func.Opts.at(Index).Value = Value ? -1 : 0;
    ReturnToScreen();
}

void SCHMAIN::F_OST_MouseMove(int Index, int, int, double, double)
{
    if (Index < 0 || Index >= kToolCount) return;
    const ModeToolsRec& tools = ModeTools(g_CurMode);
    ShowMessage(tools.Funcs.at(tools.SelFunc).Opts.at(Index).Help);
    m_HoverMsg = -1;
}

void SCHMAIN::F_OST_MouseUp(int Index, int, int, double, double)
{
    if (Index < 0 || Index >= 10) return;
    if (g_CurMode != 9 && g_CurMode != 10) return;
    DrawPlacementSymbols();
    RefreshCanvas();
    RedrawView();
    // The option state goes to every function of the mode (options 0 to 9);
    // only a nonzero group releases its other members.
    RibbonButton* button = F_OST(Index);
    const int group = button->GroupNumber();
    const int32_t value = button->Value() ? -1 : 0;
    for (ToolFuncRec& f : ModeTools(g_CurMode).Funcs)
        for (int j = 0; j < 10; ++j) {
            if (j == Index)
                f.Opts.at(j).Value = value;
            else if (group != 0 && f.Opts.at(j).Group == group)
                f.Opts.at(j).Value = 0;
        }
}

// Brings the settings panel to the front of the window.
void SCHMAIN::F_MenuPan_MouseDown(int, int, double, double)
{
    if (F_MenuPan) F_MenuPan->raise();
}

void SCHMAIN::F_Pages_Click()
{
    if (m_Loading) return;
    m_PageTyped = 1;
    if (m_ZoomEventsOff) return;
    DropOverlay();
    m_PageTyped = 0;
    DB_ChangePageDispl(g_CurPage, m_ViewOrgX, m_ViewOrgY, 1, m_ViewSize);
    std::string name = Trim(F_Pages->Text());
    if (name.empty()) name = " ";
    const int32_t id = OM_FindNameMask(DB_PageMap(), name.c_str(), 0, 0);
    if (id != g_CurPage) {
        if (id == 0 || DB_SetCurPage(id) == 0) {
            ReportMsg(61, name);
            F_Pages->SetText(g_CurPageName);
        } else {
            int32_t status = 0;
            SetMainCaption(status);
            FillPageList();
            if (g_RouteImageActive == -1) {
                SCR_ChangePage(id);
            } else {
                M_FSI_Click(g_CurMode);
                if (g_CurMode == 7) g_CurSymb = g_PageNotesSymb;
            }
            PageRec page{};
            if (DB_ReadPage(g_CurPage, &page) == 0) {
                RefreshCanvas();
            } else {
                m_ViewOrgX = page.ViewX;
                m_ViewOrgY = page.ViewY;
                SetScrollBars(m_ViewOrgX, m_ViewOrgY);
                ZoomMode->SetListIndex(0);
                ShowZoomValue();
                RedrawBtn_Click();
            }
            NotifyPageFollowers();
        }
    }
    RedrawView();
    ReturnToScreen();
    m_ZoomEventsOff = 0;
}

void SCHMAIN::F_Pages_KeyPress(int& KeyAscii)
{
    m_PageTyped = 1;
    m_ZoomEventsOff = 0;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        F_Pages_Click();
    }
}

void SCHMAIN::F_Pages_LostFocus()
{
    m_ZoomEventsOff = 0;
    if (m_PageTyped) F_Pages_Click();
}

// A dialog's result for the running command: "C19" from the net dialog
// (the split is confirmed), "C6" from the packaging dialog. Anything else,
// or a signal for a command that is not the current one, does nothing.
void SCHMAIN::F_FrmCmd_Change()
{
    const std::string text = F_FrmCmd->Text();
    const int32_t command = text == "C19" ? 19 : text == "C6" ? 6 : 0;
    if (command == 0 || g_CurCommand != command) return;
    if (command == 19) {
        int32_t fail = 1;
        EstablishConnectivity(fail, 2, 0, 0);
    }
    m_StepRequest = -1;
    OpenCanvasDC();
    int32_t x = 0, y = 0;
    ExecuteCommandStep(x, y);
}

void SCHMAIN::F_Bitm_Change()
{
    if (Trim(F_Bitm->Text()) != "B") return;
    OpenCanvasDC();
    BlinkItem();
    CloseCanvasDC();
    F_Bitm->SetText("");
}

void SCHMAIN::F_Short_Change()
{
    const std::string text = F_Short->Text();
    if (text.empty() || text[0] != '+') return;
    const double value = ParseNum(text);
    // Only a whole mode number whose menu item exists and is enabled.
    if (value != static_cast<int>(value)) return;
    const int mode = static_cast<int>(value);
    if (!M_FSI.Exists(mode) || !M_FSI(mode)->Enabled()) return;
    M_FSI_Click(mode);
}
