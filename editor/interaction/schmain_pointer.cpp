// SCHMAIN's canvas pointer input: a move previews the running command or
// keeps the idle read-out current, a left release runs one step of the
// command or the current mode's click, a right release recentres the view.
// Also the two snapping procedures of the mode handlers and previews.
#include "editor/shell/schmain.h"

#include "editor/dialogs/schipack.h"
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/cursors.h"
#include "editor/shell/menus.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "editor/view/print_area.h"

#include <QApplication>
#include <QWidget>

#include <cmath>

namespace {

// A pointer event's canvas point in database units: rounded, converted
// through the open canvas context; the unclamped result.
void ConvertPoint(double X, double Y, int32_t& x, int32_t& y)
{
    int32_t p[2] = {static_cast<int32_t>(std::nearbyint(X)), static_cast<int32_t>(std::nearbyint(Y))};
    G_DPtoLP(p);
    x = p[0];
    y = p[1];
}

bool FocusOnPicture()
{
    QWidget* focus = QApplication::focusWidget();
    return focus == nullptr || qobject_cast<Canvas*>(focus) != nullptr;
}

}  // namespace

// The canvas has no press handler.
void SCHMAIN::ViewPicture_MouseDown(int, int, double, double) {}

void SCHMAIN::ViewPicture_MouseMove(int, int Shift, double X, double Y)
{
    if (m_ResizePending) return;
    m_ZoomViewport = 0;
    if (!FocusOnPicture()) return;
    m_ZoomEventsOff = 0;
    while (m_CanvasDCLevel > 0) CloseCanvasDC();
    while (m_ViewDCLevel > 0) CloseViewDC();
    if (KernelBusy() != 0) return;
    PublishAppState(-1, g_CurCommand);
    if (m_PreviewPending) SetFormCursor(ViewPicture, 0);
    m_MouseX = X;
    m_MouseY = Y;
    OpenCanvasDC();
    int32_t x = 0, y = 0;
    ConvertPoint(X, Y, x, y);
    if (!m_PreviewPending) ShowCoords(x, y);
    m_CursorX = m_PreviewDbX = ClampToLimit(x);
    m_CursorY = m_PreviewDbY = ClampToLimit(y);
    if (m_StepRequest || m_JunctionRequest) {
        ExecuteCommandStep(m_CursorX, m_CursorY);
        DrawViewCross(m_CursorX, m_CursorY);
    } else if (g_CurCommand != 0) {
        int shift = Shift;
        int32_t px = m_CursorX, py = m_CursorY;
        DispatchPointerAction(shift, px, py);
        DrawViewCross(m_CursorX, m_CursorY);
    } else {
        if (g_RouteImageActive) {
            int32_t point[2] = {m_CursorX, m_CursorY};
            // The router describes what lies under the pointer.
            std::array<char, kHoverMsgSize> text{};
            SCR_QuestObstacle(point, text.data(), kHoverMsgSize);
            text.back() = 0;
            // Over empty canvas the last routing result stays shown.
            ShowMessage(text[0] != 0 ? std::string(text.data()) : m_RouteResult);
        } else if (m_HoverMsg) {
            ShowMessage(ModeTools(g_CurMode).ModeHelp);
            m_HoverMsg = 0;
        }
        CloseCanvasDC();
        DrawViewCross(m_CursorX, m_CursorY);
    }
}

void SCHMAIN::ViewPicture_MouseUp(int Button, int Shift, double X, double Y)
{
    (void)Shift;
    if (m_ResizePending) return;
    while (m_CanvasDCLevel > 0) CloseCanvasDC();
    if (KernelBusy() != 0) return;
    PublishAppState(-1, g_CurCommand);
    m_ZoomEventsOff = 0;
    m_NetByName = 0;
    m_MouseX = X;
    m_MouseY = Y;
    try {
        OpenCanvasDC();
        int32_t x = 0, y = 0;
        ConvertPoint(X, Y, x, y);
        x = ClampToLimit(x);
        y = ClampToLimit(y);
        if (Button == 1) {
            LeftRelease(x, y);
        } else if (Button == 2) {
            EraseOverlay();
            CloseCanvasDC();
            m_ViewOrgX = x;
            m_ViewOrgY = -y;
            SetScrollBars(m_ViewOrgX, m_ViewOrgY);
            RefreshCanvas();
        } else {
            // Sound behaviour: another button's release leaves no context open.
            CloseCanvasDC();
        }
    } catch (...) {
        if (m_CanvasDCLevel > 0) CloseCanvasDC();
        PG_CloseDC();
    }
}

ReleaseRoute RouteOfRelease(int32_t id)
{
    if ((id >= 1 && id <= 99) || (id >= 201 && id <= 349)) return ReleaseRoute::Step;
    if (id >= 101 && id <= 199) return ReleaseRoute::NetPick;
    return ReleaseRoute::ModeClick;
}

void SCHMAIN::LeftRelease(int32_t x, int32_t y)
{
    EraseOverlay();
    m_CursorX = x;
    m_CursorY = y;
    F_Busy->setVisible(true);
    F_Busy->repaint();
    // However the step ends, the busy label goes, the canvas takes clicks
    // again and an idle editor gets its menus back.
    auto restore = OnExit([this] {
        ViewPicture->setEnabled(true);
        F_Busy->setVisible(false);
        F_Busy->repaint();
        if (std::uncaught_exceptions() > 0 && g_CurCommand == 0) EnableIdleControls();
    });
    const int32_t id = g_CurCommand;
    const bool hadFocus = ViewPicture->hasFocus();
    auto runDisabled = [&](auto&& call) {
        ViewPicture->setEnabled(false);
        call();
        ViewPicture->setEnabled(true);
        if (hadFocus) ViewPicture->setFocus();
    };
    const ReleaseRoute route = RouteOfRelease(id);
    if (route == ReleaseRoute::Step) {
        runDisabled([&] { ExecuteCommandStep(m_CursorX, m_CursorY); });
        if (g_CmdRunning) DispatchModeClick(m_CursorX, m_CursorY);
    } else if (route == ReleaseRoute::NetPick) {
        runDisabled([&] { NetPickStep(m_CursorX, m_CursorY); });
    } else {
        DispatchModeClick(m_CursorX, m_CursorY);
        if (m_NetByName) NetPickStep(m_CursorX, m_CursorY);
    }
    restore.Dismiss();
    ViewPicture->setEnabled(true);
    F_Busy->setVisible(false);
    F_Busy->repaint();
    if (!m_PreviewPending) SetFormCursor(ViewPicture, -1);
    ReturnToScreen();
}

void SCHMAIN::EnableIdleControls()
{
    if (!g_RouteImageActive) {
        M_Edit->SetEnabled(true);
        M_File->SetEnabled(true);
        M_Auto->SetEnabled(true);
        M_Page->SetEnabled(true);
    }
    F_Pages->setEnabled(true);
}

void SCHMAIN::DispatchPointerAction(int& Shift, int32_t& x, int32_t& y)
{
    m_StepRequest = 0;
    switch (g_CurCommand) {
    case 5: case 10:
        PreviewCompText(Shift, x, y);
        break;
    case 37: case 38: {
        int32_t kind = kOwnerBranch;
        PreviewText(Shift, x, y, kind, g_CurBranch);
        break;
    }
    case 64:
        PreviewTextBlock(Shift, x, y);
        break;
    case 65: {
        int32_t kind = kOwnerSymbol;
        PreviewText(Shift, x, y, kind, g_CurSymb);
        break;
    }
    case 73:
        // A text item of the notes is previewed as a text; the other
        // items by the item preview.
        if (g_SymbItemType == 6) {
            int32_t kind = kOwnerSymbol;
            PreviewText(Shift, x, y, kind, g_CurSymb);
        } else {
            PreviewItem(Shift, x, y);
        }
        break;
    case 1: case 2: case 3: case 4: case 201:
        PreviewComp(Shift, x, y);
        break;
    case 6:
        if (g_PackDone || g_PackClosed) m_StepRequest = -1;
        break;
    case 8: case 9:
        PreviewCompBlock(Shift, x, y);
        break;
    case 15:
        PreviewVector(Shift, x, y);
        break;
    case 16: case 50: case 51: case 53: case 55: case 56: case 57: case 60: case 61: case 99: case 301:
        PreviewBlock(Shift, x, y, 1);
        break;
    case 52: case 54:
        PreviewBlock(Shift, x, y, 2);
        break;
    case 58:
        PreviewBlock(Shift, x, y, 3);
        break;
    case 17: case 19: case 24: case 30: case 39: case 89: case 90: case 98: case 102: case 103: case 300:
        LatchOption10();
        break;
    case 71: case 75:
        PreviewItem(Shift, x, y);
        break;
    case 72: case 76:
        PreviewItemEdit(Shift, x, y);
        break;
    case 74: case 77: case 79:
        PreviewBlockScale(Shift, x, y, 1);
        break;
    case 78: case 80:
        PreviewBlockScale(Shift, x, y, 2);
        break;
    case 87: case 88:
        LatchOption10();
        PreviewBitmap(Shift, x, y);
        break;
    case 211: case 212: case 213: case 214: case 215: case 216:
        PreviewCellEdit(Shift, x, y);
        break;
    case 217:
        PreviewZoneEdit(Shift, x, y);
        break;
    case 101:
        PreviewNextNode(Shift, x, y);
        break;
    case 20: case 33:
        PreviewNetWire(Shift, x, y, g_CurCommand == 20 ? -1 : 0);
        break;
    case 21: case 22: case 23: case 31: case 32: case 34: case 35: case 36:
        PreviewWire(Shift, x, y, g_CurCommand < 31 ? -1 : 0);
        break;
    case 96:
        PreviewRepeatWire(Shift, x, y);
        break;
    default:
        // The commands that draw nothing while the pointer moves (their
        // next click does the work): the context opened for the conversion
        // is closed below.
        break;
    }
    if (m_StepRequest) {
        OpenCanvasDC();
        ExecuteCommandStep(x, y);
    }
    if (m_JunctionRequest) {
        OpenCanvasDC();
        ExecuteCommandStep(x, y);
    }
    if (m_CanvasDCLevel > 0 && !m_StepRequest) CloseCanvasDC();
}

void SCHMAIN::DispatchModeClick(int32_t& x, int32_t& y)
{
    CloseCanvasDC();
    OpenViewDC();
    EraseViewCross();
    CloseViewDC();
    int32_t busy = 0;
    std::string title;
    CheckOtherApps(busy, title);
    if (busy) return;
    M_Edit->SetEnabled(false);
    M_File->SetEnabled(false);
    M_Auto->SetEnabled(false);
    M_Page->SetEnabled(false);
    F_Pages->setEnabled(false);
    g_CmdRunning = 0;
    int32_t box = CMD_BOX_AREA;
    if (g_BoxZoomOn) {
        g_BoxZoomOn = 0;
        m_BaseX = x;
        m_BaseY = y;
        BeginCommand(box);
    } else if (g_BoxCopyOn) {
        m_BaseX = x;
        m_BaseY = y;
        g_BoxPixStart = {static_cast<int32_t>(std::nearbyint(m_MouseX)), static_cast<int32_t>(std::nearbyint(m_MouseY))};
        BeginCommand(box);
    } else {
        switch (g_CurMode) {
        case MODE_COMPONENTS: ComponentModeClick(x, y); break;
        case MODE_BLOCK_EDIT: BlockModeClick(x, y); break;
        case MODE_WIRES:
            WireModeClick(x, y);
            // An edit the click did at once marked the wire in draw mode 2,
            // which erases its net's other wires, junction dots and node
            // marks with whatever lies under them, and drew back only the
            // wire; a command the click began ends with a paint of its own.
            if (g_CurCommand == 0 && !ViewPicture->PlainDrawn().isEmpty()) RepaintDrawnOver(nullptr);
            break;
        case MODE_PAGE_FORMAT: PageFormatModeClick(x, y); break;
        case MODE_BITMAPS: BitmapModeClick(x, y); break;
        case MODE_ROUTING: RoutingModeClick(x, y); break;
        case MODE_PLACEMENT_PATTERNS: PlacementCellModeClick(x, y); break;
        case MODE_KEEP_OFF_ZONE: PlacementZoneModeClick(x, y); break;
        case MODE_DESIGN_NOTES: case MODE_PAGE_NOTES: ItemModeClick(x, y); break;
        case MODE_NETS: NetModeClick(x, y); break;
        default:
            // No mode (0): a click does nothing.
            break;
        }
    }
    if (g_CurCommand == 0) EnableIdleControls();
    ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
}

void SCHMAIN::SnapPoint(int32_t& unchanged, int32_t& x, int32_t& y)
{
    if (g_SnapStep <= 1 || m_AngleBasePending) {
        m_AngleBasePending = 0;
        m_SnapLastX = x;
        m_SnapLastY = y;
        return;
    }
    x = SnapCoord(x, g_SnapStep);
    y = SnapCoord(y, g_SnapStep);
    if (x == m_SnapLastX && y == m_SnapLastY) {
        unchanged = 1;
    } else {
        m_SnapLastX = x;
        m_SnapLastY = y;
    }
}

bool SCHMAIN::SnapPreviewPoint(int Shift, int32_t& x, int32_t& y)
{
    if ((Shift & 1) != 0) return true;
    int32_t unchanged = 0;
    SnapPoint(unchanged, x, y);
    if (unchanged != 1) return true;
    CloseCanvasDC();
    return false;
}

void SCHMAIN::SnapAngle(int32_t& unchanged, double& angle)
{
    if (m_AngleBasePending) {
        m_AngleBasePending = 0;
        m_SnapLastAngle = angle;
        return;
    }
    angle = SnapAngleValue(angle, g_AngleStep);
    if (angle == m_SnapLastAngle)
        unchanged = 1;
    else
        m_SnapLastAngle = angle;
}

void SCHMAIN::SetFormCursorIdle()
{
    SetFormCursor(ViewPicture, -1);
}
