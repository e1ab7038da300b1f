// SCHMAIN's zoom and scroll: the zoom value and mode boxes with the redraw
// button, the 5 % zoom steps, the zoom to a rectangle, the scroll bars, and
// the limit that keeps every visible point within the coordinate range; the
// viewport's fit to the page and its corner points.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/objects/components.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "editor/view/view_state.h"
#include "editor/view/zoom_math.h"

#include <algorithm>
#include <cmath>

namespace {

// Canvas width and height in pixels.
QSize PixelsOf(const Canvas& canvas)
{
    const QSize size = canvas.ClientSize();
    return {std::max(1, size.width()), std::max(1, size.height())};
}

}  // namespace

int32_t ZoomStepSize(int32_t size, int32_t direction)
{
    const int32_t step = ToLong(size / 2540.0 * 127.0);
    if (direction == 0) return std::max(kMinViewSize, size - step);
    if (direction == 1) return std::min(kMaxViewSize, size + step);
    return size;
}

std::string ZoomValueText(int32_t viewSize)
{
    const int u = g_UnitIndex == 1 ? 1 : 0;
    return Format(viewSize / static_cast<double>(g_DbUnitsPerMm) * g_UnitFactor(u), g_NumFormat(u)) + g_UnitSuffix(u);
}

int32_t ParseZoomText(const std::string& text, int32_t current)
{
    double v = ParseNum(text);
    if (!std::isfinite(v) || v == 0) v = current / static_cast<double>(g_DbUnitsPerMm) * g_UnitFactor(g_UnitIndex == 1 ? 1 : 0);
    double size = g_DbUnitsPerMm * v * (g_UnitIndex == 1 ? 1.0 : 25.4);
    // A negative value is no zoom: it falls to the smallest view size, as
    // any value below the range does.
    size = std::clamp(size, static_cast<double>(kMinViewSize), static_cast<double>(kMaxViewSize));
    return ToLong(size);
}

int32_t FitSize(double ratio, int32_t margin)
{
    if (ratio <= 1) return 1;
    return ToLong(std::min(ratio + margin, 2147483000.0));
}

LimitedOrigin KeepOriginInLimits(int32_t ox, int32_t oy, int32_t hx, int32_t hy)
{
    double x = ox, y = oy;
    if (x + hx > kCoordLimit) x = kCoordLimit - static_cast<double>(hx);
    if (y + hy > kCoordLimit) y = kCoordLimit - static_cast<double>(hy);
    if (x - hx < -kCoordLimit) x = -kCoordLimit + static_cast<double>(hx);
    if (y - hy < -kCoordLimit) y = -kCoordLimit + static_cast<double>(hy);
    return {ToLong(x), ToLong(y)};
}

void SCHMAIN::ShowZoomValue()
{
    ZoomCombo->SetText(ZoomValueText(m_ViewSize));
    const int32_t index = g_PickTable(0);
    const int32_t pick = index >= 1 && index <= 4 ? g_PickTable(index) : 0;
    g_PickTolerance = ToLong(std::min(2147483000.0, static_cast<double>(pick) * m_ViewSize * 2));
}

void SCHMAIN::FillZoomList()
{
    ZoomCombo->Clear();
    const int first = g_UnitIndex == 1 ? 17 : 1;
    for (int i = first; i < first + 15; ++i) ZoomCombo->AddItem(ZoomValueText(g_ZoomTable(i)));
    ZoomCombo->SetText(ZoomValueText(m_ViewSize));
}

void SCHMAIN::RedrawBtn_Click()
{
    if (m_RedrawSkipOnce) {
        m_RedrawSkipOnce = 0;
        return;
    }
    m_RedrawBusy = -1;
    DropOverlay();
    m_ViewSize = ParseZoomText(ZoomCombo->Text(), m_ViewSize);
    const QSize px = PixelsOf(*ViewPicture);
    switch (m_ZoomMode) {
    case 1:
        m_ViewOrgX = 0;
        m_ViewOrgY = 0;
        SetScrollBars(m_ViewOrgX, m_ViewOrgY);
        break;
    case 2:
        ReadFrameBox();
        if (g_FrameWidth > 0 && g_FrameHeight > 0) {
            const double a = std::max(g_FrameWidth / static_cast<double>(px.width()),
                                      g_FrameHeight / static_cast<double>(px.height()));
            // Sound behaviour: the fitted size stays within the view sizes a
            // redraw allows, so the zoom cannot get stuck below them.
            m_ViewSize = std::clamp(FitSize(a, 635), kMinViewSize, kMaxViewSize);
        }
        m_ViewOrgX = ToLong(g_FrameX1 + g_FrameWidth / 2.0);
        m_ViewOrgY = ToLong(-(g_FrameY1 + g_FrameHeight / 2.0));
        SetScrollBars(m_ViewOrgX, m_ViewOrgY);
        break;
    case 3:
        ZoomOnComponent();
        break;
    default:
        break;
    }
    ShowZoomValue();
    m_RedrawBusy = 0;
    const int32_t command = g_CurCommand;
    if (m_ViewPortOn) g_CurCommand = 0;
    RefreshCanvas();
    g_CurCommand = command;
    if (!m_ZoomStepPaint) {
        EraseViewCross();
        if (m_ViewPortOn) F_PICView->Refresh();
    }
    ReturnToScreen();
    ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
}

void SCHMAIN::ZoomOnComponent()
{
    std::string name = AskText(GetMsgText("Zoom on component : ( Comp Name / Group No ) ", "991432"), "", "");
    if (name.empty()) return;
    int32_t status = 0;
    int32_t id = 0;
    FindCompByName(status, 0, id, name);
    CompRec comp{};
    if (status != 0) {
        ReportMsg(23, name);
        return;
    }
    if (C_ReadComponent(id, &comp) == 0) return;
    if (comp.Page != g_CurPage && F_Pages->ListCount() > 0) {
        const int32_t page = OM_Object(DB_PageMap(), comp.Page);
        const char* pageName = page ? O_GetName(page) : nullptr;
        if (pageName) {
            F_Pages->SetText(pageName);
            m_RedrawSkipOnce = -1;
            F_Pages_Click();
        }
    }
    m_ViewOrgX = comp.X;
    m_ViewOrgY = -comp.Y;
    SetScrollBars(m_ViewOrgX, m_ViewOrgY);
}

void SCHMAIN::ZoomStep(int32_t& direction)
{
    int32_t size = m_ZoomViewport ? m_VPSize : m_ViewSize;
    ClearOverlay();
    size = ZoomStepSize(size, direction);
    if (m_ZoomViewport) {
        m_VPSize = size;
        EraseViewCross();
        m_VPOrgX = m_VPCursorX;
        m_VPOrgY = -m_VPCursorY;
        if (direction == -1) FitViewToPage();
        ViewPointToLogical();
        m_ZoomStepPaint = 0;
        F_PICView->Refresh();
        if (g_CurCommand != 0) ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
        return;
    }
    m_ViewSize = size;
    m_ViewOrgX = m_CursorX;
    m_ViewOrgY = -m_CursorY;
    SetScrollBars(m_ViewOrgX, m_ViewOrgY);
    ShowZoomValue();
    m_ZoomStepPaint = -1;
    RefreshCanvas();
    m_ZoomStepPaint = 0;
    ViewPicture_MouseMove(1, 1, m_MouseX, m_MouseY);
}

void SCHMAIN::cmdMagnify_MouseDown(int Index, int, int, double, double)
{
    m_CursorX = m_ViewOrgX;
    m_CursorY = -m_ViewOrgY;
    int32_t direction = Index;
    ZoomStep(direction);
    ReturnToScreen();
}

void SCHMAIN::ZoomToArea()
{
    m_RedrawBusy = -1;
    m_ZoomEventsOff = -1;
    ZoomMode->SetListIndex(0);
    auto inside = [](int32_t v) { return v >= -kCoordLimit && v <= kCoordLimit; };
    if (m_BoxW == 0 || m_BoxH == 0 || !inside(m_BoxW) || !inside(m_BoxH) || !inside(m_BoxOrgX) ||
        !inside(m_BoxOrgY) || !inside(m_BaseX) || !inside(m_BaseY)) {
        m_RedrawBusy = 0;
        return;
    }
    const QSize px = PixelsOf(*ViewPicture);
    const double a = std::max(std::abs(static_cast<double>(m_BoxW)) / px.width(),
                              std::abs(static_cast<double>(m_BoxH)) / px.height());
    m_ViewSize = FitSize(a, 0);
    m_ViewOrgX = ToLong(m_BaseX - m_BoxW / 2.0);
    m_ViewOrgY = ToLong(-(m_BaseY - m_BoxH / 2.0));
    SetScrollBars(m_ViewOrgX, m_ViewOrgY);
    ShowZoomValue();
    m_RedrawBusy = 0;
    RedrawBtn_Click();
}

void SCHMAIN::KeepViewInLimits(Canvas& canvas, int32_t& size, int32_t& orgX, int32_t& orgY, bool canvasView)
{
    const int32_t ox = orgX, oy = orgY;
    orgX = orgY = 0;
    const QSize px = PixelsOf(canvas);
    auto halfExtents = [&](int32_t& hx, int32_t& hy) {
        int32_t point[2] = {px.width(), 0};
        if (canvasView) OpenCanvasDC(); else OpenViewDC();
        G_DPtoLP(point);
        if (canvasView) CloseCanvasDC(); else CloseViewDC();
        hx = point[0];
        hy = point[1];
    };
    int32_t hx = 0, hy = 0;
    halfExtents(hx, hy);
    if (std::abs(static_cast<int64_t>(hx)) > kCoordLimit || std::abs(static_cast<int64_t>(hy)) > kCoordLimit) {
        size = ToLong(2.0 * kCoordLimit / std::max(px.width(), px.height()));
        if (canvasView) ShowZoomValue();
        halfExtents(hx, hy);
    }
    const LimitedOrigin kept = KeepOriginInLimits(ox, oy, hx, hy);
    orgX = kept.x;
    orgY = kept.y;
}

void SCHMAIN::CalcCanvasArea()
{
    KeepViewInLimits(*ViewPicture, m_ViewSize, m_ViewOrgX, m_ViewOrgY, true);
}

void SCHMAIN::CalcViewArea()
{
    KeepViewInLimits(*F_PICView, m_VPSize, m_VPOrgX, m_VPOrgY, false);
}

void SCHMAIN::SetScrollBars(int32_t& x, int32_t& y)
{
    m_ScrollSync = 0;
    ViewHScroll->SetValue(std::clamp(ToLong(x / static_cast<double>(kScrollUnit)), -32000, 32000));
    ViewVScroll->SetValue(std::clamp(ToLong(y / static_cast<double>(kScrollUnit)), -32000, 32000));
    m_ScrollSync = -1;
}

void SCHMAIN::ViewHScroll_Change()
{
    if (!m_ScrollSync) return;
    const int32_t x = ViewHScroll->Value() * kScrollUnit;
    if (x == m_ViewOrgX) return;
    m_ViewOrgX = x;
    DropOverlay();
    RefreshCanvas();
    ReturnToScreen();
}

void SCHMAIN::ViewVScroll_Change()
{
    if (!m_ScrollSync) return;
    const int32_t y = ViewVScroll->Value() * kScrollUnit;
    if (y == m_ViewOrgY) return;
    m_ViewOrgY = y;
    DropOverlay();
    RefreshCanvas();
    ReturnToScreen();
}

void SCHMAIN::ZoomCombo_KeyPress(int& KeyAscii)
{
    m_ZoomEventsOff = 0;
    m_ZoomTyped = 1;
    if (KeyAscii == 13) {
        KeyAscii = 0;
        ZoomCombo_Click();
    }
}

void SCHMAIN::ZoomCombo_LostFocus()
{
    m_ZoomEventsOff = 0;
    if (m_ZoomTyped) ZoomCombo_Click();
}

void SCHMAIN::ZoomCombo_Click()
{
    if (!m_ZoomEventsOff) {
        m_ZoomTyped = 0;
        ZoomMode->SetListIndex(-1);
        ZoomMode->SetListIndex(0);
    }
    m_ZoomEventsOff = 0;
}

void SCHMAIN::ZoomMode_Click()
{
    if (ZoomMode->ListIndex() < 0) return;
    m_ZoomMode = ZoomMode->ListIndex();
    if (!m_ZoomEventsOff && !m_Loading) RedrawBtn_Click();
    m_ZoomEventsOff = 0;
}

void SCHMAIN::ZoomMode_KeyPress(int&)
{
    m_ZoomEventsOff = 0;
    ZoomMode_Click();
}

void SCHMAIN::ZoomMode_LostFocus() {}

void SCHMAIN::FitViewToPage()
{
    ReadFrameBox();
    // Before the layout the picture has no size: the zoom stays as it was.
    const QSize client = F_PICView->ClientSize();
    if (g_FrameWidth > 0 && g_FrameHeight > 0 && client.width() > 0 && client.height() > 0) {
        m_VPOrgX = 0;
        m_VPOrgY = 0;
        const double r = std::max(g_FrameWidth / static_cast<double>(client.width()),
                                  g_FrameHeight / static_cast<double>(client.height()));
        m_VPSize = r <= 1.0 ? 5080 : FitSize(r, 2540);
    }
    m_VPOrgX = ToLong(g_FrameWidth / 2.0 + g_FrameX1);
    m_VPOrgY = ToLong(-(g_FrameHeight / 2.0 + g_FrameY1));
}

void SCHMAIN::ViewPointToLogical()
{
    const QSize px = PixelsOf(*F_PICView);
    int32_t topLeft[2] = {0, 0};
    int32_t bottomRight[2] = {px.width(), px.height()};
    const bool reopen = m_CanvasDCLevel > 0;
    if (reopen) CloseCanvasDC();
    OpenViewDC();
    // Only converted points are taken: a conversion that fails (a viewport
    // without a zoom yet) leaves the corners as they were, never pixels.
    const bool ok = m_ViewDCLevel > 0 && G_DPtoLP(topLeft) != 0 && G_DPtoLP(bottomRight) != 0;
    CloseViewDC();
    if (reopen) OpenCanvasDC();
    if (!ok) return;
    m_VPTopLeftX = topLeft[0];
    m_VPTopLeftY = topLeft[1];
    m_VPBottomRightX = bottomRight[0];
    m_VPBottomRightY = bottomRight[1];
}
