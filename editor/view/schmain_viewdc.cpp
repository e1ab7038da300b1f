// SCHMAIN's drawing contexts of the canvas and the viewport, and the two
// recorded drawings shown on them: the overlay of a running command (shown
// by one play, erased by the second) and the highlight of a net or a
// component.
#include "editor/shell/schmain.h"

#include "editor/shell/platform_calls.h"
#include "editor/shell/settings.h"
#include "editor/view/canvas.h"
#include "editor/view/highlight.h"

namespace {

void OpenOn(Canvas& canvas, int32_t size, int32_t x, int32_t y)
{
    N_SetNodeView(0);
    const QSize client = canvas.ClientSize();
    ViewDCRec view{size, client.width(), client.height(), x, y, 0};
    G_OpenDC(canvas.DeviceHandle(), &view);
}

}  // namespace

void SCHMAIN::OpenCanvasDC()
{
    while (m_CanvasDCLevel > 0) CloseCanvasDC();
    ++m_CanvasDCLevel;
    OpenOn(*ViewPicture, m_ViewSize, m_ViewOrgX, -m_ViewOrgY);
}

void SCHMAIN::OpenCanvasDCAtOrigin()
{
    while (m_CanvasDCLevel > 0) CloseCanvasDC();
    ++m_CanvasDCLevel;
    OpenOn(*ViewPicture, m_ViewSize, 0, 0);
}

void SCHMAIN::CloseCanvasDC()
{
    if (--m_CanvasDCLevel < 0) m_CanvasDCLevel = 0;
    G_CloseDC();
}

void SCHMAIN::OpenViewDC()
{
    if (g_DbUnitsPerMm == 0) return;
    while (m_ViewDCLevel > 0) CloseViewDC();
    ++m_ViewDCLevel;
    OpenOn(*F_PICView, m_VPSize, m_VPOrgX, -m_VPOrgY);
}

void SCHMAIN::CloseViewDC()
{
    if (--m_ViewDCLevel < 0) m_ViewDCLevel = 0;
    G_CloseDC();
}

void SCHMAIN::PlayMetafile(int32_t& hdc, int32_t& metafile)
{
    G_PlayEnhMetaFile(hdc, metafile);
}

void SCHMAIN::PlayOnCanvas(int32_t& metafile)
{
    int32_t hdc = ViewPicture->DeviceHandle();
    PlayMetafile(hdc, metafile);
}

void SCHMAIN::PlayInViewport(int32_t& metafile)
{
    int32_t hdc = F_PICView->DeviceHandle();
    PlayMetafile(hdc, metafile);
}

void SCHMAIN::PlayOverlay()
{
    const int32_t canvasLevel = m_CanvasDCLevel;
    const int32_t viewLevel = m_ViewDCLevel;
    if (canvasLevel > 0) PlayOnCanvas(m_OverlayMF);
    if (m_ViewPortOn) {
        if (canvasLevel > 0) CloseCanvasDC();
        if (viewLevel == 0) OpenViewDC();
        PlayInViewport(m_OverlayMF);
        if (viewLevel == 0) CloseViewDC();
        if (canvasLevel > 0) OpenCanvasDC();
    }
}

void SCHMAIN::EraseOverlay()
{
    if (m_OverlayMF == 0) return;
    if (m_CanvasDCLevel > 0) PlayOnCanvas(m_OverlayMF);
    // The canvas context is left open unless the viewport's is needed: a
    // move's erase and play then draw in one context.
    const int32_t level = m_CanvasDCLevel;
    if (m_ViewPortOn && level != 0) {
        CloseCanvasDC();
        OpenViewDC();
        PlayInViewport(m_OverlayMF);
        CloseViewDC();
    }
    G_DeleteEnhMetaFile(m_OverlayMF);
    m_OverlayMF = 0;
    if (m_ViewPortOn && level != 0) OpenCanvasDC();
}

// Shows a new recording as the overlay in place of the one shown: what
// PlayOverlay after EraseOverlay would show, in one pass that leaves alone
// the figures the two recordings hold alike (a cursor line that did not
// move, an anchor marker). Without an open canvas context it erases and
// plays as those two do.
void SCHMAIN::ReplaceOverlay(int32_t metafile)
{
    const int32_t old = m_OverlayMF;
    if (old == 0 || m_CanvasDCLevel == 0) {
        EraseOverlay();
        m_OverlayMF = metafile;
        PlayOverlay();
        return;
    }
    m_OverlayMF = metafile;
    // A stale overlay handle has nothing left to erase: the new one is
    // played alone.
    if (G_ReplaceEnhMetaFile(ViewPicture->DeviceHandle(), old, metafile) == 0) PlayOnCanvas(m_OverlayMF);
    if (m_ViewPortOn) {
        const int32_t viewLevel = m_ViewDCLevel;
        CloseCanvasDC();
        if (viewLevel == 0) OpenViewDC();
        if (G_ReplaceEnhMetaFile(F_PICView->DeviceHandle(), old, metafile) == 0) PlayInViewport(m_OverlayMF);
        if (viewLevel == 0) CloseViewDC();
        OpenCanvasDC();
    }
    G_DeleteEnhMetaFile(old);
}

void SCHMAIN::ClearOverlay()
{
    if (m_OverlayMF == 0) return;
    OpenCanvasDC();
    PlayOnCanvas(m_OverlayMF);
    CloseCanvasDC();
    OpenViewDC();
    PlayInViewport(m_OverlayMF);
    CloseViewDC();
    G_DeleteEnhMetaFile(m_OverlayMF);
    m_OverlayMF = 0;
}

void SCHMAIN::DropOverlay()
{
    if (m_OverlayMF == 0) return;
    bool reopen = false;
    if (m_ViewPortOn) {
        if (m_CanvasDCLevel > 0) {
            CloseCanvasDC();
            reopen = true;
        }
        OpenViewDC();
        PlayInViewport(m_OverlayMF);
        CloseViewDC();
    }
    G_DeleteEnhMetaFile(m_OverlayMF);
    m_OverlayMF = 0;
    if (reopen) OpenCanvasDC();
}

void SCHMAIN::HighlightComp(int32_t& kind)
{
    EraseHighlight();
    if (m_CanvasDCLevel > 0) CloseCanvasDC();
    if (m_ViewDCLevel > 0) CloseViewDC();
    OpenCanvasDCAtOrigin();
    G_OpenMF(ViewPicture->DeviceHandle());
    RecordHighlight(kind);
    m_WireHighlightOn = 0;
    m_HighlightKind = kind;
    m_HighlightMF = G_CloseMF();
    CloseCanvasDC();
    OpenCanvasDC();
    ToggleHighlight();
}

void SCHMAIN::ToggleHighlight()
{
    PlayOnCanvas(m_HighlightMF);
    m_HighlightOnCanvas ^= 1;
    if (m_ViewPortOn) {
        CloseCanvasDC();
        OpenViewDC();
        PlayInViewport(m_HighlightMF);
        m_HighlightInView ^= 1;
        CloseViewDC();
        OpenCanvasDC();
    }
}

void SCHMAIN::EraseHighlight()
{
    if (m_HighlightMF != 0) {
        // The highlight comes off the canvas and the viewport also when no
        // context is open (a step that painted the page drew it again and
        // closed its context): otherwise it would stay as a ghost. The
        // caller's context is left as it found it.
        const int32_t level = m_CanvasDCLevel;
        if (m_HighlightOnCanvas) {
            if (level == 0) OpenCanvasDC();
            PlayOnCanvas(m_HighlightMF);
        }
        if (m_CanvasDCLevel > 0) CloseCanvasDC();
        if (m_ViewPortOn && m_HighlightInView) {
            OpenViewDC();
            PlayInViewport(m_HighlightMF);
            CloseViewDC();
        }
        G_DeleteEnhMetaFile(m_HighlightMF);
        m_HighlightMF = 0;
        if (level > 0) OpenCanvasDC();
    }
    m_HighlightInView = 0;
    m_HighlightOnCanvas = 0;
}
