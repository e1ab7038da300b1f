// The page list of the settings panel, the viewport refresh and the two
// hierarchy reports of the Database menu.
#include "editor/shell/schmain.h"

#include "editor/shell/appcmd.h"
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
    if (!ReadMainCaption()) return;
    ReadFrameBox();
    FillPageList();
    if (g_CurHier == shownLevel && g_CurPage == shownPage) return;
    PageRec page{};
    if (DB_ReadPage(g_CurPage, &page) != 0) {
        m_ViewOrgX = page.ViewX;
        m_ViewOrgY = page.ViewY;
        SetScrollBars(m_ViewOrgX, m_ViewOrgY);
    }
    NotifyPageFollowers();
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
