// The view's share of the settings load: the kernel's tables copied, the
// current page read, the canvas colours, the drawing-aid lists, the zoom
// list and the tools of the current mode.
#include "editor/shell/schmain.h"

#include "editor/interaction/commands.h"
#include "editor/shell/controls.h"
#include "editor/shell/menus.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "editor/view/view_state.h"

#include <QColor>

namespace {

QColor FromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace

void SCHMAIN::LoadViewSettings()
{
    const int32_t wasLoading = m_Loading;
    m_Loading = -1;
    LoadSystemTables();
    ReadCurrentPage();
    // The canvases take the kernel's background, so that XOR figures show
    // in their own colours.
    const QColor back = FromBgr(g_CatColorTable(31).Color);
    ViewPicture->SetBackColor(back);
    F_PICView->SetBackColor(back);
    GridCheck3D->SetValue(g_GridOn ? 1 : 0);
    F_GridSnap(2)->Clear();
    for (int i = 1; i <= 6; ++i) F_GridSnap(2)->AddItem(AngleText(g_AngleTable(i)));
    if (g_GridStep == 0) g_GridStep = 254000;
    if (g_SnapStep == 0) g_SnapStep = 127000;
    if (g_AngleStep == 0) g_AngleStep = 1000;
    F_GridSnap(2)->SetText(AngleText(g_AngleStep));
    M_Inches->SetChecked(g_UnitIndex != 1);
    M_Mm->SetChecked(g_UnitIndex == 1);
    if (g_LineWidth == 0) g_LineWidth = g_LineWidths(0);
    FillTextSizeValues();
    FillGridSnapLists();
    if (m_ViewSize == 0) m_ViewSize = g_DefaultViewSize;
    FillZoomList();
    FillTextSizeList(*this);
    ReadFrameBox();
    SetupFunctionButtons(g_CurMode);
    if (g_CurMode >= 1 && g_CurMode < MODE_ROUTING) M_FSI(g_CurMode)->SetChecked(true);
    ZoomMode->SetListIndex(0);
    FitViewToPage();
    ViewPointToLogical();
    m_Loading = wasLoading;
    ShowZoomValue();
}
