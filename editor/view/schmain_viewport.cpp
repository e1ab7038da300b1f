// SCHMAIN's viewport window F_PICView: the overview of the page (the full
// drawing, or an outline in the edit modes), the canvas pointer mirrored as
// a cross, the object of the command being started, and the clicks that
// steer the canvas (left) and the overview itself (right).
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/objects/comp_state.h"
#include "editor/objects/symbol_items.h"
#include "editor/objects/symbols.h"
#include "editor/shell/applink.h"
#include "editor/shell/cursors.h"
#include "editor/shell/errors.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/paint_stages.h"
#include "editor/view/view_state.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kThickPenLimit = 32;
// The viewport's minimum size: 3,048 by 2,083.2649 twips.
constexpr double kMinWidthTwips = 3048.0;
constexpr double kMinHeightTwips = 2083.2649;
constexpr double kTwipsPerPixel = 15.0;

int32_t Clamp(double v)
{
    return ClampCoord(v);
}

}  // namespace

void SCHMAIN::DrawViewPage()
{
    if (m_VPMode == 0) {
        DrawPage();
        return;
    }
    if (!g_Printing) {
        G_SetStyle(2);
        G_SetColor(191);
        G_Rectangle(-kCoordLimit, -kCoordLimit, 2 * kCoordLimit, 2 * kCoordLimit, 0);
    }
    G_SetStyle(0);
    G_SetColor(g_MonoDrawMode != 0 ? 0 : 61);
    G_SetDrawMode(g_EntryDrawMode | g_PrintModeBits | 8);
    B_DrawAllRecords(g_FrameBranch, 1);
    G_SetWidth(1);
    BranchRec frame{};
    if (!g_Printing && B_ReadBranch(g_FrameBranch, &frame) != 0 && (frame.Flags & 0x100) == 0) {
        BranchPointRec first{};
        if (B_ReadRecord(g_FrameBranch, 1, &first) != 0) {
            G_Rectangle(first.X - 81280, first.Y - 81280, 162560, 162560, 0);
            int32_t box[4] = {0, 0, 0, 0};
            if (B_FrameBranchLines(g_FrameBranch, -1, box) != 0)
                G_Rectangle(box[0], box[1] - ToLong(std::sqrt(2.0) * 81280), 162560, 162560, 45000);
        }
    }
    G_SetDrawMode(g_EntryDrawMode | g_PrintModeBits | g_MonoDrawMode);
    if (g_MonoDrawMode) G_SetColor(0);
    if (g_ShowPageNotes) DrawSymbAt(g_PageNotesSymb, 0, 0, 0, 0);
    if (g_ShowDesNotes) DrawSymbAt(g_DesNotesSymb, 0, 0, 0, 0);
    C_DrawAllComponents(1);
    if (g_ShowNodes) N_DrawAllNodes(1);
}

void SCHMAIN::DrawViewCross(int32_t x, int32_t y)
{
    G_SetWidth(1);
    G_SetStyle(0);
    OpenViewDC();
    auto close = OnExit([this] { CloseViewDC(); });
    EraseViewCross();
    if (g_CurCommand != 0 || m_ZoomViewport) return;
    G_OpenMF(F_PICView->DeviceHandle());
    G_Line(-kCoordLimit, y, kCoordLimit, y);
    G_Line(x, -kCoordLimit, x, kCoordLimit);
    m_ViewCrossMF = G_CloseMF();
    int32_t hdc = F_PICView->DeviceHandle();
    PlayMetafile(hdc, m_ViewCrossMF);
}

void SCHMAIN::EraseViewCross()
{
    if (m_ViewCrossMF == 0) return;
    // The cross is taken off the picture before it is forgotten; a closed
    // viewport context is opened for the play (the canvas's is closed for
    // it and opened again).
    const bool viewOpen = m_ViewDCLevel > 0;
    const bool canvasOpen = !viewOpen && m_CanvasDCLevel > 0;
    if (m_ViewPortOn || viewOpen) {
        if (canvasOpen) CloseCanvasDC();
        if (!viewOpen) OpenViewDC();
        int32_t hdc = F_PICView->DeviceHandle();
        PlayMetafile(hdc, m_ViewCrossMF);
        if (!viewOpen) CloseViewDC();
        if (canvasOpen) OpenCanvasDC();
    }
    G_DeleteEnhMetaFile(m_ViewCrossMF);
    m_ViewCrossMF = 0;
}

void SCHMAIN::SyncViewMode()
{
    if (m_VPMode == g_CurMode) return;
    m_VPMode = g_CurMode;
    RedrawViewport();
}

void SCHMAIN::RedrawViewport()
{
    const bool canvasOpen = m_CanvasDCLevel > 0;
    if (canvasOpen) CloseCanvasDC();
    OpenViewDC();
    EraseViewCross();
    CloseViewDC();
    F_PICView->Refresh();
    if (canvasOpen) OpenCanvasDC();
}

void SCHMAIN::DrawCmdObjectInView(int32_t id, int32_t drawMode)
{
    if (!m_ViewPortOn) return;
    const bool canvasOpen = m_CanvasDCLevel > 0;
    if (canvasOpen) CloseCanvasDC();
    OpenViewDC();
    auto close = OnExit([&] {
        CloseViewDC();
        if (canvasOpen) OpenCanvasDC();
    });
    EraseViewCross();
    G_SetDrawMode(drawMode);
    const bool item = id == 65 || (id >= 71 && id <= 76 && id != 73) || (id == 73 && (drawMode & 2) == 0);
    if ((id >= 1 && id <= 6) || id == 8 || id == 9) {
        C_DrawComponent(g_CompId);
    } else if (id == 64) {
        if ((drawMode & 2) == 0) {
            S_SetCompLocation(0, 0, 0, 0);
            S_DrawSymbol(g_CurSymb, 1, 1);
        }
    } else if (item) {
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawItem(g_CurSymb, g_SymbItemIdx);
    }
}

void SCHMAIN::DrawViewBranchHighlight(int32_t flag)
{
    if (!m_ViewPortOn) return;
    const bool canvasOpen = m_CanvasDCLevel > 0;
    if (canvasOpen) CloseCanvasDC();
    OpenViewDC();
    RestoreOnExit drawing(m_DrawingViewport, -1);
    auto close = OnExit([&] {
        CloseViewDC();
        if (canvasOpen) OpenCanvasDC();
    });
    DrawBranchHighlight(flag);
}

void SCHMAIN::F_PICView_MouseMove(int, int, double X, double Y)
{
    if (m_ResizePending) return;
    // The viewport takes points: it shows the cross-hair, as the canvas does
    // when no preview runs.
    SetFormCursor(F_PICView, -1);
    m_ZoomViewport = -1;
    while (m_ViewDCLevel > 0) CloseViewDC();
    if (KernelBusy() != 0) return;
    OpenViewDC();
    auto close = OnExit([this] { CloseViewDC(); });
    EraseViewCross();
    int32_t pt[2] = {ToLong(X), ToLong(Y)};
    if (m_ViewDCLevel == 0 || G_DPtoLP(pt) == 0) return;
    ShowCoords(pt[0], pt[1]);
    m_VPCursorX = Clamp(pt[0]);
    m_VPCursorY = Clamp(pt[1]);
}

void SCHMAIN::F_PICView_MouseUp(int Button, int, double X, double Y)
{
    if (m_ResizePending) return;
    while (m_ViewDCLevel > 0) CloseViewDC();
    if (KernelBusy() != 0) return;
    ClearOverlay();
    OpenViewDC();
    int32_t pt[2] = {ToLong(X), ToLong(Y)};
    const bool converted = m_ViewDCLevel > 0 && G_DPtoLP(pt) != 0;
    const int32_t x = Clamp(pt[0]), y = Clamp(pt[1]);
    // Each step goes on after an error; the context is closed at the end.
    ResumeNext({
        [&] {
            if (!converted) return;
            if (Button == 1) {
                EraseViewCross();
                CloseViewDC();
                m_ViewOrgX = x;
                m_ViewOrgY = -y;
                SetScrollBars(m_ViewOrgX, m_ViewOrgY);
                RefreshCanvas();
            } else if (Button == 2) {
                CloseViewDC();
                m_VPOrgX = x;
                m_VPOrgY = -y;
                ViewPointToLogical();
                F_PICView->Refresh();
            }
        },
        [&] { CloseViewDC(); },
        [&] {
            if (g_CurCommand != 0) ViewPicture_MouseMove(1, 1, static_cast<float>(m_MouseX), static_cast<float>(m_MouseY));
        },
    });
    while (m_ViewDCLevel > 0) CloseViewDC();
}

void SCHMAIN::F_PICView_Paint()
{
    if (!F_PICView) return;
    if (m_ZoomStepPaint) {
        m_ZoomStepPaint = 0;
        return;
    }
    if (g_NoPaint || m_RedrawBusy) return;
    while (m_ViewDCLevel > 0) CloseViewDC();
    if (KernelBusy() != 0) return;
    RestoreOnExit busy(m_RedrawBusy, -1);
    if (G_GetThickPens() > kThickPenLimit) G_FreeThickPen(0, 0);
    g_PrintModeBits = 0;
    CalcViewArea();
    const bool canvasOpen = m_CanvasDCLevel > 0;
    if (canvasOpen) CloseCanvasDC();
    ClearPictureBox(*F_PICView);
    // The cleared picture no longer shows the cross: it is forgotten.
    if (m_ViewCrossMF != 0) {
        G_DeleteEnhMetaFile(m_ViewCrossMF);
        m_ViewCrossMF = 0;
    }
    auto close = OnExit([&] {
        while (m_ViewDCLevel > 0) CloseViewDC();
        if (canvasOpen && m_CanvasDCLevel == 0) OpenCanvasDC();
    });
    OpenViewDC();
    DrawViewPage();
    DrawMarkers();
    // The marking of the running command: the overlay the canvas shows is
    // played in the viewport only; a blink runs only when there is none
    // (it then shows on both, as it does when a command starts).
    if (m_OverlayMF != 0) {
        PlayInViewport(m_OverlayMF);
    } else if (PaintBlinkFor(g_CurCommand, m_CmdStep) != PaintBlink::None || g_ItemPicked) {
        CloseViewDC();
        if (PaintBlinkFor(g_CurCommand, m_CmdStep) != PaintBlink::None) {
            const int32_t command = g_CurCommand;
            if (command == 19) {
                BlinkBranch();
            } else {
                DrawCommandBlink();
            }
        } else {
            BlinkItem();
        }
        if (m_CanvasDCLevel > 0) CloseCanvasDC();
        OpenViewDC();
    }
    if (g_CurCommand == 19) {
        RestoreOnExit drawing(m_DrawingViewport, -1);
        DrawBranchHighlight(0);
    }
    if (m_HighlightMF != 0 && m_ViewDCLevel > 0) {
        PlayInViewport(m_HighlightMF);
        m_HighlightInView = 1;
    }
}

void SCHMAIN::F_PICView_Resize()
{
    if (!F_PICView) return;
    EraseViewCross();
    g_NoPaint = true;
    const int minW = static_cast<int>(std::ceil(kMinWidthTwips / kTwipsPerPixel));
    const int minH = static_cast<int>(std::ceil(kMinHeightTwips / kTwipsPerPixel));
    if (F_PICView->width() < minW || F_PICView->height() < minH)
        F_PICView->resize(std::max(minW, F_PICView->width()), std::max(minH, F_PICView->height()));
    if (QWidget* parent = F_PICView->parentWidget()) F_PICView->move(parent->width() - F_PICView->width(), 0);
    FitViewToPage();
    ClearOverlay();
    ViewPointToLogical();
    g_NoPaint = false;
    {
        // No command blink goes into the new picture; the command comes back
        // however the refresh ends.
        RestoreOnExit command(g_CurCommand, 0);
        F_PICView->Refresh();
    }
    if (ViewPicture) RefreshCanvas();
}
