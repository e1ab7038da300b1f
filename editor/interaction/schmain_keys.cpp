// SCHMAIN's keyboard: Escape as "step now", arrow nudging of the pointer,
// F1 to F11 as option buttons, Shift+letter commands, the two-letter
// shortcuts typed after a star, and Shift+Enter as a click.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/integrity.h"
#include "editor/shell/command_close.h"
#include "editor/shell/help.h"
#include "editor/shell/menus.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/winsys/interaction.h"

#include <QApplication>
#include <QRect>

#include <algorithm>
#include <cctype>

namespace {

bool FocusOnPicture()
{
    return qobject_cast<Canvas*>(QApplication::focusWidget()) != nullptr;
}

}  // namespace

void SCHMAIN::Form_KeyDown(int& KeyCode, int& Shift)
{
    m_ZoomEventsOff = -1;
    if (m_KeyBusy || (Shift & 6) != 0) return;
    if (KeyCode == 27) {
        CancelCommand(*this);
        KeyCode = 0;
        return;
    }
    if (!FocusOnPicture()) return;
    if (KeyCode >= 37 && KeyCode <= 40) {
        // The screen pointer moves one pixel, kept inside the canvas, and
        // the canvas hears of it as of any move.
        winsys::Interaction& ui = winsys::Ui();
        const QPoint step(KeyCode == 37 ? -1 : KeyCode == 39 ? 1 : 0, KeyCode == 38 ? -1 : KeyCode == 40 ? 1 : 0);
        const QRect area(ViewPicture->mapToGlobal(ViewPicture->contentsRect().topLeft()), ViewPicture->ClientSize());
        const QPoint wanted = ui.CursorPos() + step;
        const QPoint at(std::clamp(wanted.x(), area.left(), std::max(area.left(), area.right())),
                        std::clamp(wanted.y(), area.top(), std::max(area.top(), area.bottom())));
        ui.SetCursorPos(at);
        ViewPicture_MouseMove(0, 0, at.x() - area.left(), at.y() - area.top());
    }
    if (m_ShortcutArmed) return;
    const int n = KeyCode - 112;
    const int key = KeyCode;
    KeyCode = 0;
    if (Shift == 1) {
        RestoreOnExit busy(m_KeyBusy, true);
        int32_t dir = 0;
        switch (key) {
        case 'U': dir = 0; ZoomStep(dir); break;
        case 'D': dir = 1; ZoomStep(dir); break;
        case 'V': dir = -1; ZoomStep(dir); break;
        case 'B': g_BoxZoomOn = -1; ShowMessage("Select Box Zoom Area"); break;
        case 'S': g_BoxCopyOn = -1; ShowMessage("Select Box Copy Area"); break;
        case 'Z': m_FullCross = m_FullCross ? 0 : -1; break;
        case 'P': InputRefPoint(0); break;
        case 'G': InputRefPoint(1); break;
        case 'R': InputRefPoint(2); break;
        case 'C': ClearMarkers(-1); break;
        case 'T': CheckIntegrity(); break;
        default:
            if (key >= '0' && key <= '6') {
                m_PointMethod = key - '0' + 4;
                m_PointPending = -1;
            }
            break;
        }
        m_ShortcutKeys.clear();
        m_ShortcutArmed = 0;
        return;
    }
    if (Shift == 0 && n >= 0 && n <= 10) {
        if (F_OST.Exists(n) && F_OST(n)->isEnabled()) {
            F_OST(n)->SetValue(!F_OST(n)->Value());
            m_ShortcutKeys.clear();
            m_ShortcutArmed = 0;
        }
        // The key also releases the button as the pointer would; the net
        // mode's release is its own (the net test's comparison).
        if (g_CurMode == MODE_NETS)
            NetCompareOptionUp(n);
        else if (g_CurMode == 9 || g_CurMode == 10 || g_CurMode == 11)
            F_OST_MouseUp(n, 1, 0, 0, 0);
        ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
    }
}

void CancelCommand(SCHMAIN& main)
{
    if (main.F_OST.Exists(10)) main.F_OST(10)->SetValue(true);
}

void SCHMAIN::Form_KeyPress(int& KeyAscii)
{
    const char c = static_cast<char>(std::toupper(KeyAscii & 0xFF));
    if (g_CurCommand != 0 || g_CmdRunning) {
        m_ShortcutKeys.clear();
        m_ShortcutArmed = 0;
        return;
    }
    const std::string prompt = GetMsgText("Shortcut: ", "991210");
    if (c == '*') {
        KeyAscii = 0;
        m_ShortcutKeys.clear();
        m_ShortcutArmed = -1;
        ShowMessage(prompt);
        return;
    }
    if (!m_ShortcutArmed) return;
    KeyAscii = 0;
    m_ShortcutKeys += c;
    ShowMessage(prompt + m_ShortcutKeys);
    if (m_ShortcutKeys.size() != 2) return;
    const std::string keys = m_ShortcutKeys;
    for (int32_t m = 1; m <= 11; ++m) {
        for (int f = 0; f < kToolCount; ++f) {
            ToolFuncRec& func = ModeTools(m).Funcs.at(f);
            if (func.Shortcut != keys) continue;
            if (m == g_CurMode) {
                if (F_FSI.Exists(f)) F_FSI(f)->SetValue(true);
                break;
            }
            if (func.AnyMode != 0 && M_FSI.Exists(m) && M_FSI(m)->Enabled() &&
                M_Edit->Enabled()) {
                for (ToolFuncRec& other : ModeTools(m).Funcs) other.Pressed = 0;
                ModeTools(m).SelFunc = f;
                func.Pressed = -1;
                M_FSI_Click(m);
            }
        }
    }
    m_ShortcutKeys.clear();
    m_ShortcutArmed = 0;
}

void SCHMAIN::Form_KeyUp(int& KeyCode, int& Shift)
{
    if (KeyCode == 112 && Shift == 2) {
        ShowFormHelp();
    } else if (KeyCode == 13 && (Shift & 7) != 0) {
        const QPoint at = ViewPicture->mapFromGlobal(winsys::Ui().CursorPos());
        if (ViewPicture->rect().adjusted(0, 0, 1, 1).contains(at)) {
            ViewPicture_MouseUp(1, Shift, m_MouseX, m_MouseY);
            ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
        }
    }
    KeyCode = 0;
}
