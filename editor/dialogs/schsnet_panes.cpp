// The page panes of the net viewer SCHSNET: each pane shows one page with
// that page's own view centre and scale, drawn by the kernel through a
// drawing context on the pane; pointer, zoom steps and the zoom box.
#include "editor/dialogs/schsnet.h"

#include "editor/objects/netlist_compare.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/shared_services.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kMinScale = 100;
constexpr int32_t kMaxScale = 2540000;
constexpr int32_t kZoomStep = 2540;
constexpr int kLabelHeight = 18;

int32_t Clamp(int32_t value, int32_t low, int32_t high)
{
    return std::min(std::max(value, low), high);
}

// The display unit's text of a scale (database units per pixel).
std::string ZoomText(double scale)
{
    return Format(scale / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex), g_NumFormat(g_UnitIndex)) +
           g_UnitSuffix(g_UnitIndex);
}

}  // namespace

int32_t SCHSNET::PageScale(int32_t k) const
{
    if (k < 1 || k > m_PageScale.UBound() || m_PageScale(k) <= 0) return kMinScale;
    return m_PageScale(k);
}

void SCHSNET::SetPageCentre(int32_t k, int32_t x, int32_t y)
{
    if (k < 1 || k > g_NetViewPages.UBound()) return;
    g_NetViewPages(k).ViewX = x;
    g_NetViewPages(k).ViewY = -y;
}

void SCHSNET::OpenPaneDC(int pane, int32_t page)
{
    while (m_PaneDCLevel > 0) ClosePaneDC();
    ++m_PaneDCLevel;
    N_SetNodeView(0);
    Canvas* canvas = panes_[static_cast<size_t>(pane)];
    const QSize client = canvas->ClientSize();
    int32_t x = 0;
    int32_t y = 0;
    if (page >= 1 && page <= g_NetViewPages.UBound()) {
        x = g_NetViewPages(page).ViewX;
        y = -g_NetViewPages(page).ViewY;
    }
    ViewDCRec view{PageScale(page), std::max(client.width(), 1), std::max(client.height(), 1), x, y, 0};
    G_OpenDC(canvas->DeviceHandle(), &view);
}

void SCHSNET::ClosePaneDC()
{
    if (--m_PaneDCLevel < 0) m_PaneDCLevel = 0;
    G_CloseDC();
}

void SCHSNET::ReadPageFrameBox(int32_t page)
{
    g_FrameX1 = g_FrameY1 = g_FrameX2 = g_FrameY2 = 0;
    g_FrameValid = false;
    // The frame of the pane's page (the editor's g_FrameBranch is the frame
    // of the page it shows).
    int32_t box[4] = {0, 0, 0, 0};
    if (B_FrameBranchLines(-100 - page, 63, box) >= 1) {
        g_FrameX1 = box[0];
        g_FrameY1 = box[1];
        g_FrameX2 = box[2];
        g_FrameY2 = box[3];
        g_FrameValid = true;
    }
    g_FrameWidth = g_FrameX2 - g_FrameX1;
    g_FrameHeight = g_FrameY2 - g_FrameY1;
}

void SCHSNET::FitPaneToPage(int pane, int32_t k)
{
    const int32_t page = PageIdOf(k);
    // The frame box is read into the editor's globals, which describe the
    // page the editor shows: all of them are its own again after the fit.
    RestoreOnExit<int32_t> keepX1(g_FrameX1), keepY1(g_FrameY1), keepX2(g_FrameX2), keepY2(g_FrameY2);
    RestoreOnExit<int32_t> keepWidth(g_FrameWidth), keepHeight(g_FrameHeight);
    RestoreOnExit<bool> keepValid(g_FrameValid);
    N_SetNodeView(0);
    DB_SetCurPage(page);
    ReadPageFrameBox(page);
    const QSize client = panes_[static_cast<size_t>(pane)]->ClientSize();
    const double w = std::max(std::abs(client.width()), 1);
    const double h = std::max(std::abs(client.height()), 1);
    const double s = std::max(g_FrameWidth / w, g_FrameHeight / h);
    // A page without a frame would get scale 1; every scale stays within
    // the zoom range of the panes.
    const int32_t scale = s <= 1 ? 1 : ToLong(2540.0 / 4 + s);
    if (k >= 1 && k <= m_PageScale.UBound()) m_PageScale(k) = Clamp(scale, kMinScale, kMaxScale);
    SetPageCentre(k, ToLong(g_FrameWidth / 2.0 + g_FrameX1), ToLong(g_FrameHeight / 2.0 + g_FrameY1));
    ShowPaneZoom(PageScale(k));
}

void SCHSNET::SetPaneGrid(int32_t count)
{
    m_ThirdAlone = false;
    if (count <= 1) {
        m_Columns = m_Rows = 1;
    } else if (count == 2) {
        m_Columns = 1;
        m_Rows = 2;
    } else {
        m_Columns = m_Rows = 2;
        m_ThirdAlone = count == 3;
    }
}

void SCHSNET::LayoutPanes()
{
    for (int i = 0; i < 4; ++i) {
        panes_[i]->hide();
        pageLabels_[i]->hide();
    }
    const int cellWidth = ToLong(paneArea_->width() / static_cast<double>(m_Columns));
    const int cellHeight = ToLong(paneArea_->height() / static_cast<double>(m_Rows));
    const int count = std::min(m_PanesInUse, 4);
    for (int i = 0; i < count; ++i) {
        const int column = i % m_Columns;
        const int row = i / m_Columns;
        // The third of three pages has the bottom row to itself.
        const int width = m_ThirdAlone && i == 2 ? cellWidth * 2 : cellWidth;
        const int x = column * cellWidth;
        const int y = row * cellHeight;
        pageLabels_[i]->setGeometry(x, y, width, kLabelHeight);
        panes_[i]->setGeometry(x + 1, y + kLabelHeight, std::max(width - 2, 1), std::max(cellHeight - kLabelHeight - 1, 1));
        pageLabels_[i]->show();
        panes_[i]->show();
    }
}

void SCHSNET::ViewPicture_Paint(int pane)
{
    if (m_Loading || KernelBusy() || pane > m_Last - m_First) return;
    const int32_t k = m_First + pane;
    const int32_t page = PageIdOf(k);
    Canvas* canvas = panes_[static_cast<size_t>(pane)];
    ClearPictureBox(*canvas);
    OpenPaneDC(pane, k);
    G_SetStyle(0);
    G_SetColor(61);
    G_SetDrawMode(8);
    B_DrawAllRecords(-100 - page, 1);
    G_SetDrawMode(0);
    DB_SetCurPage(page);
    for (long i = 1; i <= g_NetViewNets.UBound(); ++i)
        if (g_NetViewNets(i).Page == page) C_DrawComponent(g_NetViewNets(i).Comp);
    G_SetColor(45);
    N_DrawNetRatsnest(g_NetViewNet, 1, 1);
    ClosePaneDC();
    DB_SetCurPage(m_EditorPage);
}

bool SCHSNET::PointInPane(int pane, double x, double y, int32_t& dbX, int32_t& dbY)
{
    OpenPaneDC(pane, m_First + pane);
    int32_t point[2] = {ToLong(x), ToLong(y)};
    const bool converted = G_DPtoLP(point) != 0;
    ClosePaneDC();
    dbX = Clamp(point[0], -kCoordLimit, kCoordLimit);
    dbY = Clamp(point[1], -kCoordLimit, kCoordLimit);
    return converted;
}

void SCHSNET::ViewPicture_MouseMove(int pane, int /*button*/, int /*shift*/, double x, double y)
{
    if (pane > m_Last - m_First) return;
    m_PaneUnderPointer = pane;
    if (KernelBusy()) {
        while (m_PaneDCLevel > 0) ClosePaneDC();
        return;
    }
    PointInPane(pane, x, y, m_PointerX, m_PointerY);
}

void SCHSNET::ViewPicture_MouseUp(int pane, int button, int /*shift*/, double x, double y)
{
    if (pane > m_Last - m_First || KernelBusy()) return;
    int32_t dbX = 0;
    int32_t dbY = 0;
    PointInPane(pane, x, y, dbX, dbY);
    if (button != 2) return;
    SetPageCentre(m_First + pane, dbX, dbY);
    panes_[static_cast<size_t>(pane)]->Refresh();
}

void SCHSNET::FillPaneZoomList()
{
    zoomCombo_->Clear();
    const int first = g_UnitIndex == 0 ? 1 : 17;
    for (int i = first; i < first + 15 && i <= g_ZoomTable.UBound(); ++i) zoomCombo_->AddItem(ZoomText(g_ZoomTable(i)));
}

void SCHSNET::ShowPaneZoom(int32_t scale)
{
    zoomCombo_->SetText(ZoomText(scale));
}

void SCHSNET::ApplyPaneZoom()
{
    m_ZoomEdited = false;
    double value = ParseNum(zoomCombo_->Text());
    if (value == 0)
        value = PageScale(m_First + m_PaneUnderPointer) / static_cast<double>(g_DbUnitsPerMm) *
                g_UnitFactor(g_UnitIndex);
    const double factor = g_UnitIndex == 1 ? 1.0 : static_cast<double>(25.4f);
    const double scale = std::min(std::max(g_DbUnitsPerMm * value * factor, double(kMinScale)), double(kMaxScale));
    for (int32_t k = m_First; k <= m_Last; ++k) {
        if (k >= 1 && k <= m_PageScale.UBound()) m_PageScale(k) = ToLong(scale);
        if (k - m_First < m_PanesInUse) panes_[static_cast<size_t>(k - m_First)]->Refresh();
    }
    ShowPaneZoom(PageScale(m_First));
}

void SCHSNET::StepPaneZoom(int mode)
{
    const int32_t k = m_First + m_PaneUnderPointer;
    if (k > m_Last || k < 1 || k > m_PageScale.UBound()) return;
    Canvas* canvas = panes_[static_cast<size_t>(m_PaneUnderPointer)];
    if (mode == -1) {
        FitPaneToPage(m_PaneUnderPointer, k);
    } else {
        const int32_t scale = PageScale(k);
        m_PageScale(k) = mode == 0 ? std::max(scale - kZoomStep, kMinScale) : std::min(scale + kZoomStep, kMaxScale);
        SetPageCentre(k, m_PointerX, m_PointerY);
    }
    canvas->Refresh();
}

void SCHSNET::ZoomCombo_Click()
{
    ApplyPaneZoom();
}

void SCHSNET::ZoomCombo_KeyPress(int& keyAscii)
{
    m_ZoomEdited = true;
    if (keyAscii == 13) {
        keyAscii = 0;
        ApplyPaneZoom();
    }
}

void SCHSNET::ZoomCombo_LostFocus()
{
    if (m_ZoomEdited) ApplyPaneZoom();
}
