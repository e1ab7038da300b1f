// SCHMAIN's settings load: the settings file and the kernel's tables read
// again, and every piece of the window that depends on them rebuilt, in one
// fixed order. It runs at start-up and for the host's "UP"; every step is
// safe to repeat.
#include "editor/shell/schmain.h"

#include "editor/dialogs/schicmpd.h"
#include "editor/editing/bitmaps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/branches.h"
#include "editor/objects/hierarchy.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/caption.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/menus.h"
#include "editor/shell/numtext.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/prefs.h"
#include "editor/shell/scope_guard.h"
#include "editor/shell/settings.h"
#include "editor/shell/systables.h"
#include "editor/view/canvas.h"
#include "editor/view/display_menus.h"
#include "editor/view/drawaids.h"
#include "editor/view/nvoshort.h"
#include "editor/view/view_state.h"
#include "platform/winsys/profile.h"

#include <QColor>

namespace {

QColor FromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

}  // namespace

bool SCHMAIN::LoadSettings()
{
    // A window that is not loaded has nothing to load settings into.
    if (!IsLoaded()) return false;
    // The flag comes down however the load ends, by an error too.
    RestoreOnExit loading(m_Loading, -1);
    g_Prompt.clear();
    int32_t database = 0;
    SetMainCaption(database);
    // With no design open the window is closing; nothing more to load.
    if (database == 0 || !IsLoaded()) return false;
    GetIniFileName();
    // The settings file is read once for all the values that follow.
    const winsys::ProfileBatch settingsRead;
    // The pictures' placement list of the design (and level) now open.
    g_BitmapFile = 0;
    OpenBitmapStore();
    LoadSystemTables();
    ReadDirSettings();
    ReadPageFormats();
    ReadLibLists();
    ReadPackagingPrefs();

    const bool paletteOpen = M_Short->Checked();
    FormInstance<NVOSHORT>().Unload();
    M_Short->SetChecked(false);
    ReadShortCuts();
    int32_t removed = 0;
    RemoveBrokenBranches(removed);
    if (removed != 0) MakeHeap(2, 0);
    M_Short->SetEnabled(g_ShortCuts.UBound() >= 1);
    g_LineWidth = g_LineWidths(g_LineWidths.LBound());
    g_CurStyle = 0;
    g_ColorMode = 32;
    LoadPadStacks();

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
    M_Entry->SetChecked(g_EntryDrawMode == 0);
    M_PageO->SetChecked(g_ShowPageOutline);
    M_XYMeasure(0)->SetChecked(true);
    M_XYMeasure(1)->SetChecked(false);
    M_XYMeasure(2)->SetChecked(false);
    FillPageList();
    FillTextSizeValues();
    FillGridSnapLists();
    if (m_ViewSize == 0) m_ViewSize = g_DefaultViewSize;
    FillZoomList();
    FillTextSizeList(*this);
    M_DrawStyle(0)->SetChecked(true);
    M_Ccolor(32)->SetChecked(true);

    ReadFrameBox();
    if (!g_FrameValid) {
        if (g_CurMode >= 1 && g_CurMode < MODE_ROUTING) M_FSI(g_CurMode)->SetChecked(false);
        g_CurMode = 6;
    }
    SetupFunctionButtons(g_CurMode);
    if (g_CurMode >= 1 && g_CurMode < MODE_ROUTING) M_FSI(g_CurMode)->SetChecked(true);
    ZoomMode->SetListIndex(0);

    // Insertion dialogs open over the old settings close as their Cancel
    // does, so that whoever waits for them goes on.
    FormInstance<SCHICMPS>().CancelDialog();
    FormInstance<SCHICMPD>().CancelDialog();
    if (paletteOpen) M_Short_Click();
    g_MaskedBranchIds.Redim(0, 0);
    g_ShowDesNotes = true;
    M_Dnotes->SetChecked(true);
    g_ShowPageNotes = true;
    M_Pnotes->SetChecked(true);
    FitViewToPage();
    ViewPointToLogical();
    m_HighlightOnCanvas = 0;
    m_HighlightInView = 0;
    RefreshHierLabels();
    m_Loading = 0;
    // Every page's frame is whole before the shown page's is rebuilt: a
    // damaged design's frames are made again where they were.
    RepairPageFrames();
    // A page without a frame gets the default format the settings name (it
    // keeps the page-format mode when they name none).
    if (g_FrameValid)
        RebuildFrameBranch();
    else
        ApplyDefaultPageFormat();
    ShowZoomValue();
    return true;
}
