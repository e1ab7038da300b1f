// The page list of the settings panel, the design shown again after a
// put-back and the repaint it leaves, the viewport refresh and the two
// hierarchy reports of the Database menu.
#include "editor/shell/schmain.h"

#include "editor/objects/wire_state.h"

#include "editor/shell/appcmd.h"
#include "editor/shell/applink.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/help.h"
#include "editor/shell/hierreports.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/textfiles.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

void SCHMAIN::FillPageList()
{
    // Choosing the current page from code is no page change.
    RestoreOnExit loading(m_Loading, -1);
    F_Pages->Clear();
    const int32_t map = DB_PageMap();
    int32_t position = OM_GetFirst(map);
    int selected = -1;
    for (;;) {
        const int32_t page = OM_SearchMask(map, &position, 0, 0);
        if (page < 1) break;
        const int32_t object = OM_Object(map, page);
        if (object == 0) continue;
        if (page == g_CurPage) selected = F_Pages->ListCount();
        F_Pages->AddItem(PtrToStr(O_GetName(object)));
    }
    if (selected >= 0) F_Pages->SetListIndex(selected);
}

void SCHMAIN::ShowDesignAsPutBack()
{
    const int32_t shownLevel = g_CurHier, shownPage = g_CurPage;
    const int32_t shownFrame[4] = {g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2};
    const bool shownFrameValid = g_FrameValid;
    if (!ReadMainCaption()) {
        m_PutBackRepaint = 2;
        return;
    }
    ReadFrameBox();
    FillPageList();
    const int32_t frame[4] = {g_FrameX1, g_FrameY1, g_FrameX2, g_FrameY2};
    if (g_CurHier == shownLevel && g_CurPage == shownPage) {
        // The frame's outline and marks reach beyond its wire: a frame that
        // moved is drawn anew with the whole page.
        int32_t box[4] = {};
        const int32_t area = DB_PutBackBox(box);
        if (area == 0 || shownFrameValid != g_FrameValid || !std::equal(frame, frame + 4, shownFrame)) {
            m_PutBackRepaint = 2;
        } else if (m_PutBackRepaint != 2) {
            if (m_PutBackRepaint == 0) m_PutBackAreaSet = false;
            m_PutBackRepaint = 1;
            if (area == 1) {
                if (!m_PutBackAreaSet) {
                    std::copy(box, box + 4, m_PutBackArea);
                } else {
                    m_PutBackArea[0] = std::min(m_PutBackArea[0], box[0]);
                    m_PutBackArea[1] = std::min(m_PutBackArea[1], box[1]);
                    m_PutBackArea[2] = std::max(m_PutBackArea[2], box[2]);
                    m_PutBackArea[3] = std::max(m_PutBackArea[3], box[3]);
                }
                m_PutBackAreaSet = true;
            }
        }
        return;
    }
    m_PutBackRepaint = 2;
    PageRec page{};
    if (DB_ReadPage(g_CurPage, &page) != 0) {
        m_ViewOrgX = page.ViewX;
        m_ViewOrgY = page.ViewY;
        SetScrollBars(m_ViewOrgX, m_ViewOrgY);
    }
    NotifyPageFollowers();
}

void SCHMAIN::RepaintPutBack()
{
    const int32_t pending = m_PutBackRepaint;
    m_PutBackRepaint = 0;
    if (pending == 0) return;
    if (pending == 1 && RepaintPageArea(m_PutBackAreaSet ? m_PutBackArea : nullptr)) return;
    RefreshCanvas();
}

bool SCHMAIN::RepaintPageArea(const int32_t* box)
{
    // The picture must be one of this page at this view, and the paint one
    // that draws nothing page-wide that an edit far away changes (the
    // ratsnest and the guidelines join nodes across the page; the router's
    // picture stands for the wires).
    const QSize client = ViewPicture->ClientSize();
    if (m_PaintedSize == 0 || m_PaintedSize != m_ViewSize || m_PaintedOrgX != m_ViewOrgX ||
        m_PaintedOrgY != m_ViewOrgY || m_PaintedWidth != client.width() || m_PaintedHeight != client.height() ||
        m_PaintedHier != g_CurHier || m_PaintedPage != g_CurPage)
        return false;
    if (g_ShowRatsnest != 0 || g_NetGuidelines || g_RouteImageActive != 0 || g_NoPaint || m_RedrawBusy ||
        KernelBusy() != 0)
        return false;
    // The box of what is to be drawn anew (database units): the part of
    // the page the put-backs restored, and the wires the masked-branch pass
    // draws now and did not at the last paint, or the other way round (an
    // edit that went back may have changed the list, which is no design).
    int32_t pageBox[4] = {};
    bool anyBox = box != nullptr;
    if (box) std::copy(box, box + 4, pageBox);
    std::vector<int32_t> masked;
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) masked.push_back(g_MaskedBranchIds(i));
    std::vector<int32_t> painted = m_PaintedMasked, changed;
    std::sort(masked.begin(), masked.end());
    std::sort(painted.begin(), painted.end());
    std::set_symmetric_difference(masked.begin(), masked.end(), painted.begin(), painted.end(),
                                  std::back_inserter(changed));
    for (const int32_t wire : changed) {
        int32_t reach[4] = {};
        // A wire that is gone was drawn where nothing says any more.
        if (B_ReachBox(wire, reach) == 0) return false;
        if (!anyBox) std::copy(reach, reach + 4, pageBox);
        pageBox[0] = std::min(pageBox[0], reach[0]);
        pageBox[1] = std::min(pageBox[1], reach[1]);
        pageBox[2] = std::max(pageBox[2], reach[2]);
        pageBox[3] = std::max(pageBox[3], reach[3]);
        anyBox = true;
    }
    // What was drawn over the page since its last paint (a wire erased
    // before the step that deletes it was refused, a component taken off
    // for a move) and that box, in pixels.
    QRect area = ViewPicture->PlainDrawn() & QRect(QPoint(0, 0), client);
    if (anyBox) {
        // The box in pixels (the kernel's mapping, centred on the view's
        // origin, Y upwards), widened by what pens, marks and dots add.
        constexpr double kMarginPx = 18;
        const double s = m_ViewSize;
        const double left = (pageBox[0] - static_cast<double>(m_ViewOrgX)) / s + client.width() * 0.5;
        const double right = (pageBox[2] - static_cast<double>(m_ViewOrgX)) / s + client.width() * 0.5;
        const double top = client.height() * 0.5 - (pageBox[3] + static_cast<double>(m_ViewOrgY)) / s;
        const double bottom = client.height() * 0.5 - (pageBox[1] + static_cast<double>(m_ViewOrgY)) / s;
        const QRectF canvas(0, 0, client.width(), client.height());
        const QRectF wanted = QRectF(QPointF(std::floor(left - kMarginPx), std::floor(top - kMarginPx)),
                                     QPointF(std::ceil(right + kMarginPx), std::ceil(bottom + kMarginPx))) &
                              canvas;
        if (!wanted.isEmpty()) area |= wanted.toAlignedRect();
    }
    // Most of the canvas: the whole is as quick.
    if (2 * static_cast<int64_t>(area.width()) * area.height() > static_cast<int64_t>(client.width()) * client.height())
        return false;
    // What lies XORed over the page (the overlay: a running command's
    // blinks and the cursor aids; the highlight) comes off the whole picture
    // first and goes back on as the paint leaves it, outside the area; inside
    // it the paint draws it as on a whole canvas.
    const auto playOver = [this] {
        const bool highlight = m_HighlightMF != 0 && m_HighlightOnCanvas != 0;
        if (m_OverlayMF == 0 && !highlight) return;
        OpenCanvasDC();
        if (m_OverlayMF != 0) PlayOnCanvas(m_OverlayMF);
        if (highlight) PlayOnCanvas(m_HighlightMF);
        CloseCanvasDC();
    };
    if (ViewPicture->ImageReplacePending() || m_CanvasDCLevel > 0) return false;
    playOver();
    if (ViewPicture->RefreshArea(area, playOver)) return true;
    // Not painted after all: the whole canvas is, overlay and highlight
    // drawn afresh.
    return false;
}

void SCHMAIN::RepaintDrawnOver(const int32_t* box)
{
    if (m_CanvasDCLevel > 0 || m_RedrawBusy) {
        ViewPicture->Invalidate();
        return;
    }
    if (!RepaintPageArea(box)) RefreshCanvas();
}

void SCHMAIN::RedrawHighlight()
{
    if (m_HighlightMF == 0) return;
    int32_t kind = m_HighlightKind;
    HighlightComp(kind);
}

void SCHMAIN::RedrawView()
{
    if (!m_ViewPortOn) return;
    OpenViewDC();
    EraseViewCross();
    CloseViewDC();
    F_PICView->Refresh();
}

// Where the hierarchy reports open: at the last pointer position on the
// canvas.
QPoint SCHMAIN::ReportPoint() const
{
    return ViewPicture->mapToGlobal(QPoint(static_cast<int>(m_MouseX), static_cast<int>(m_MouseY)));
}

void SCHMAIN::M_HierStack_Click()
{
    CheckHelpMode(8, 7, 0, 0);
    LoadHierStack();
    std::string text;
    ReportHierStack(text);
    ShowReport(text, ReportPoint());
}

void SCHMAIN::M_HierStructure_Click()
{
    LoadHierStack();
    std::string text;
    ReportHierStructure(text);
    ShowReport(text, ReportPoint());
}
