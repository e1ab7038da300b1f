// SCHMAIN's paint procedures: the page drawn into the canvas's backing
// image, and the overview drawn into the viewport's. They run only through
// the canvases' Invalidate and Refresh, never for an expose.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/applink.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/shared_services.h"
#include "editor/view/canvas.h"
#include "editor/view/paint_stages.h"
#include "editor/view/view_state.h"
#include "platform/winsys/interaction.h"

namespace {

constexpr int32_t kMaxThickPens = 32;

}  // namespace

PaintBlink PaintBlinkFor(int32_t command, int32_t cmdStep)
{
    switch (command) {
    case 6:
    case 7:
        return PaintBlink::Gate;
    case 15:
    case 17:
        return cmdStep == 3 ? PaintBlink::None : PaintBlink::CompFrame;
    case 19:
        return PaintBlink::SplitBranch;
    case 24:
    case 30:
    case 39:
        return PaintBlink::Net;
    case 90:
    case 102:
        return PaintBlink::Node;
    case 98:
        return PaintBlink::Entry;
    default:
        return PaintBlink::None;
    }
}

void SCHMAIN::DrawCommandBlink()
{
    switch (PaintBlinkFor(g_CurCommand, m_CmdStep)) {
    case PaintBlink::Gate:
        BlinkGate();
        break;
    case PaintBlink::CompFrame:
        BlinkCompFrame();
        break;
    case PaintBlink::SplitBranch:
        BlinkBranch();
        DrawBranchHighlight(-1);
        break;
    case PaintBlink::Net:
        BlinkNet();
        break;
    case PaintBlink::Node:
        BlinkNode();
        break;
    case PaintBlink::Entry:
        BlinkEntry();
        break;
    case PaintBlink::None:
        break;
    }
}

void SCHMAIN::ViewPicture_Paint()
{
    // A paint queued before the window unloaded finds no canvas.
    if (!ViewPicture) return;
    m_ResizePending = 0;
    PublishAppState(-1, g_CurCommand);
    if (g_NoPaint) {
        g_NoPaint = false;
        return;
    }
    if (m_RedrawBusy) return;
    while (m_CanvasDCLevel > 0) CloseCanvasDC();
    // A paint of the whole canvas leaves no put-back's repaint to do.
    if (!ViewPicture->PaintingArea()) m_PutBackRepaint = 0;
    // The canvas keeps its image: the page is drawn on a cleared one.
    ClearPictureBox(*ViewPicture);
    // The cleared image no longer shows the overlay: it is forgotten (taken
    // off the viewport), so that neither a blink drawn again below nor the
    // next erase XORs a stale copy onto the new page.
    DropOverlay();
    if (KernelBusy() != 0) {
        m_PaintedSize = 0;
        return;
    }
    m_RedrawBusy = -1;
    ShowMessage(GetMsgText("Redraw in progress....", "991097"));
    if (G_GetThickPens() > kMaxThickPens) G_FreeThickPen(0, 0);
    g_PrintModeBits = 0;
    CalcCanvasArea();
    OpenCanvasDC();
    if (g_RouteImageActive) {
        PublishAppState(-1, -1);
        DrawRouterImage();
    }
    DrawPage();
    DrawMarkers();
    if (g_GridOn) CheckGridPrecision();
    if (g_RedrawCancelled) {
        ShowMessage(GetMsgText(" Redraw Cancelled <F10>", "991096"));
        winsys::Ui().Beep();
    } else {
        // In routing mode the last run's result stays shown.
        ShowMessage(g_RouteImageActive ? m_RouteResult : std::string());
    }
    g_RedrawCancelled = false;
    // A net the running command highlighted (the net test, a merge) is
    // shown highlighted again under the command's blink, as the command
    // drew it.
    DrawNetHighlights();
    DrawCommandBlink();
    if (g_ItemPicked) {
        CloseCanvasDC();
        BlinkItem();
    }
    if (g_ShowBitmaps) DrawPageBitmaps();
    if (m_HighlightMF != 0) {
        if (m_HighlightKind == 2) {
            m_HighlightInView = 1;
            m_HighlightOnCanvas = 0;
            int32_t kind = 2;
            HighlightComp(kind);
        } else {
            PlayOnCanvas(m_HighlightMF);
            m_HighlightOnCanvas = 1;
        }
    }
    CloseCanvasDC();
    if ((g_CurMode == 9 || g_CurMode == 10) && !F_OST(10)->Value()) PaintPlacementZones();
    if (m_PlcCellMenu >= 1 && m_PlcCellMenu <= 4) DrawPlacementCells(m_PlcCellMenu);
    m_RedrawBusy = 0;
    StorePageView();
    const QSize client = ViewPicture->ClientSize();
    m_PaintedOrgX = m_ViewOrgX;
    m_PaintedOrgY = m_ViewOrgY;
    m_PaintedSize = m_ViewSize;
    m_PaintedWidth = client.width();
    m_PaintedHeight = client.height();
    m_PaintedHier = g_CurHier;
    m_PaintedPage = g_CurPage;
    m_PaintedMasked.clear();
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) m_PaintedMasked.push_back(g_MaskedBranchIds(i));
    // The picture is the page's as painted: nothing drawn over it yet.
    ViewPicture->ForgetPlainDrawn();
}

void SCHMAIN::StorePageView()
{
    // The page keeps its last view; it is written only when it changed.
    PageRec page{};
    if (DB_ReadPage(g_CurPage, &page) != 0 && page.ViewX == m_ViewOrgX && page.ViewY == m_ViewOrgY &&
        page.ViewMode == 1 && page.ViewSize == m_ViewSize)
        return;
    DB_ChangePageDispl(g_CurPage, m_ViewOrgX, m_ViewOrgY, 1, m_ViewSize);
}

void SCHMAIN::RefreshCanvas()
{
    // The canvas drops a pending paint and paints now.
    ViewPicture->Refresh();
}

void SCHMAIN::ReturnToScreen()
{
    if (ViewPicture && ViewPicture->isEnabled() && ViewPicture->isVisible()) ViewPicture->setFocus(Qt::OtherFocusReason);
}
