// SCHMAIN's tool panels (function and option buttons) with their drag
// feedback, the menu panel, the page list, and the hidden fields through
// which other windows signal the main window.
#include "editor/shell/appcmd.h"
#include "editor/shell/schmain.h"

#include "editor/automation/routing_dialogs.h"
#include "editor/automation/routing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branch_drawing.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/caption.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/design_change.h"
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

#include <QDropEvent>
#include <QWidget>

#include <optional>
#include <utility>

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

// Turns the drags the window system carries over a tool panel or an option
// button into the control's DragOver procedure (state 0 when the drag
// enters, 2 while it moves over it) and, for a control that has one, its
// DragDrop procedure. A panel takes no drop.
class PanelDragFilter : public QObject {
public:
    using OverProc = std::function<void(double, double, int)>;
    using DropProc = std::function<void(double, double)>;
    static constexpr const char* kName = "PanelDragFilter";
    PanelDragFilter(QWidget* control, OverProc over, DropProc drop)
        : QObject(control), over_(std::move(over)), drop_(std::move(drop))
    {
        setObjectName(kName);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::DragEnter || type == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const QPointF at = drag->position();
            const int state = type == QEvent::DragEnter ? 0 : 2;
            RunEventProcedure([&] { over_(at.x(), at.y(), state); });
            // Taken, so that the moves over the control keep coming to it.
            drag->acceptProposedAction();
            return true;
        }
        if (type == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!drop_) {
                drop->ignore();
                return true;
            }
            const QPointF at = drop->position();
            RunEventProcedure([&] { drop_(at.x(), at.y()); });
            drop->acceptProposedAction();
            return true;
        }
        return false;
    }

private:
    OverProc over_;
    DropProc drop_;
};

// Lets `control` take drags into the procedures given; a control that takes
// them already is left as it is.
void AcceptPanelDrags(QWidget* control, PanelDragFilter::OverProc over, PanelDragFilter::DropProc drop)
{
    if (!control || control->findChild<QObject*>(PanelDragFilter::kName, Qt::FindDirectChildrenOnly)) return;
    control->setAcceptDrops(true);
    control->installEventFilter(new PanelDragFilter(control, std::move(over), std::move(drop)));
}

}  // namespace

void SCHMAIN::F_FSI_Click(int Index, bool Value)
{
    if (!Value || Index < 0 || Index >= kToolCount) return;
    if (g_CurMode >= 1 && g_CurMode <= 8) {
        MarkAllWiresDrawn();
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
    if ((g_CurMode == 9 || g_CurMode == 10) && g_CurCommand == 0) {
        // The function's options choose the pattern or zone shown, and the
        // wires' drawn marks were taken off above: the page is painted
        // again, as after an option.
        DrawPlacementSymbols();
        RefreshCanvas();
        RedrawView();
    }
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

// In routing mode function 0 opens the step dialog and function 10 leaves
// the mode (function 1 is the pressed one at the next entry); both end the
// step-wise routing. Other modes and buttons do nothing here.
void SCHMAIN::F_FSI_MouseUp(int Index, int, int, double, double)
{
    if (g_CurMode != MODE_ROUTING || Index < 0 || Index >= kToolCount || !F_FSI(Index)->Value()) return;
    if (Index == 0) {
        g_RouteStepMode = 0;
        ::ShowModal(FormInstance<RouteStep>());
    } else if (Index == 10) {
        g_RouteStepMode = 0;
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

// A drag over a panel shows the mode's prompt, over an option button the
// option's help; a drop on an option button shows the help of the selected
// function.
void SCHMAIN::F_FSIPan_DragOver(double, double, int)
{
    ShowMessage(ModeTools(g_CurMode).ModeHelp);
}

void SCHMAIN::F_OSTPan_DragOver(double, double, int)
{
    ShowMessage(ModeTools(g_CurMode).ModeHelp);
}

void SCHMAIN::F_OST_DragOver(int Index, double, double, int)
{
    if (Index < 0 || Index >= kToolCount) return;
    const ModeToolsRec& tools = ModeTools(g_CurMode);
    ShowMessage(tools.Funcs.at(tools.SelFunc).Opts.at(Index).Help);
}

void SCHMAIN::F_OST_DragDrop(int Index, double, double)
{
    if (Index < 0 || Index >= kToolCount) return;
    const ModeToolsRec& tools = ModeTools(g_CurMode);
    ShowMessage(tools.Funcs.at(tools.SelFunc).Help);
}

void SCHMAIN::ConnectPanelDrags()
{
    AcceptPanelDrags(
        F_FSIPan, [this](double x, double y, int state) { F_FSIPan_DragOver(x, y, state); }, nullptr);
    AcceptPanelDrags(
        F_OSTPan, [this](double x, double y, int state) { F_OSTPan_DragOver(x, y, state); }, nullptr);
    for (int i = 0; i < kToolCount; ++i) {
        if (!F_OST.Exists(i)) continue;
        AcceptPanelDrags(
            F_OST(i), [this, i](double x, double y, int state) { F_OST_DragOver(i, x, y, state); },
            [this, i](double x, double y) { F_OST_DragDrop(i, x, y); });
    }
}

void SCHMAIN::F_OST_MouseUp(int Index, int, int, double, double)
{
    if (Index < 0 || Index >= 10) return;
    if (g_CurMode == MODE_NETS) {
        NetCompareOptionUp(Index);
        return;
    }
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
    // The page left keeps its view; a page the command deleted before
    // choosing the next one has none to keep (storing it would be a step
    // that fails, and the whole command would go back).
    if (OM_Object(DB_PageMap(), g_CurPage) != 0) DB_ChangePageDispl(g_CurPage, m_ViewOrgX, m_ViewOrgY, 1, m_ViewSize);
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
    // The split and the end of its command (the marks it drew taken off)
    // are one change, whole also when the answer comes outside an action.
    std::optional<DesignChange> change;
    if (command == 19) {
        change.emplace();
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
    // Only a whole mode number whose menu item exists and can be chosen.
    if (value != static_cast<int>(value)) return;
    const int mode = static_cast<int>(value);
    // An item of a disabled Mode menu cannot be chosen either (routing mode
    // disables the menu while the router's image stands).
    if (!M_FSI.Exists(mode) || !M_FSI(mode)->Enabled() || !M_Edit->Enabled()) return;
    M_FSI_Click(mode);
}
