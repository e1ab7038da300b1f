// SCHMAIN's display of the placement patterns and keep-off zones: one
// pattern's cell lines shown from the cells menu, the lines of the chosen
// pattern in the pattern mode and the zones in the zone mode drawn after
// every page paint, and the erasing of whatever is shown.
#include "editor/shell/schmain.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_relocation.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/placement_symbols.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/menus.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/systables.h"

namespace {

// Every item of `array` with status `from` and link `link` gets status `to`,
// with the attributes of the placement items.
void SetItemStatus(int32_t array, int32_t link, int32_t from, int32_t to)
{
    for (int32_t k = IA_SearchMaskLink(array, 1, from, link); k > 0; k = IA_SearchMaskLink(array, k + 1, from, link))
        I_ChangeItemAttr(OA_Object(array, k), to, g_HighlightColor, 0, 1);
}

bool Ready()
{
    return g_PlcGridReady != 0 && g_PlcZoneReady != 0;
}

// Shows the row and column lines of pattern `link` (row link) and draws
// every shown line of the grid symbol.
void ShowPatternLines(SCHMAIN& m, int32_t link)
{
    g_PlcCurLink = link;
    g_PlcShownKind = 4;
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    SetItemStatus(grid, link, kPlcStored, kPlcShown);
    SetItemStatus(grid, link + 1, kPlcStored, kPlcShown);
    m.OpenCanvasDC();
    G_SetDrawMode(0);
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawSymbol(g_GridSymbol, kPlcShown, 0);
    m.CloseCanvasDC();
}

}  // namespace

void SCHMAIN::DrawPlacementSymbols()
{
    SyncPlacementSymbolIds();
    OpenCanvasDC();
    G_SetDrawMode(2);
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawSymbol(g_GridSymbol, kPlcShown, 0);
    S_DrawSymbol(g_ZoneSymbol, kPlcShown, 0);
    G_SetDrawMode(0);
    CloseCanvasDC();
    if (g_PlcShownKind == 4) {
        const int32_t grid = S_SymbolItemArray(g_GridSymbol);
        SetItemStatus(grid, g_PlcCurLink, kPlcShown, kPlcStored);
        SetItemStatus(grid, g_PlcCurLink + 1, kPlcShown, kPlcStored);
    } else if (g_PlcShownKind == 5) {
        SetItemStatus(S_SymbolItemArray(g_ZoneSymbol), g_PlcCurLink, kPlcShown, kPlcStored);
    }
}

void SCHMAIN::DrawPlacementCells(int32_t& kind)
{
    if (g_CurMode == MODE_PLACEMENT_PATTERNS || g_CurMode == MODE_KEEP_OFF_ZONE || !Ready()) return;
    if (!SyncPlacementSymbolIds()) return;
    m_PlcOverlayOn = ::m_PlcOverlayOn = true;
    DrawPlacementSymbols();
    g_PlcShownKind = 0;
    if (kind < 1 || kind > 4) return;
    ShowPatternLines(*this, 2 * kind - 1);
}

void SCHMAIN::PaintPlacementZones()
{
    if (!Ready() || !SyncPlacementSymbolIds()) return;
    const bool patterns = g_CurMode == MODE_PLACEMENT_PATTERNS, zones = g_CurMode == MODE_KEEP_OFF_ZONE;
    if ((patterns && g_PlcShownKind == 5) || (zones && g_PlcShownKind == 4) || (!patterns && !zones)) {
        DrawPlacementSymbols();
        if (!patterns && !zones) g_PlcShownKind = 0;
    }
    m_PlcOverlayOn = ::m_PlcOverlayOn = true;
    if (patterns) {
        for (int n = 1; n <= 4; ++n)
            if (F_OST.Exists(n + 1) && F_OST(n + 1)->Value()) {
                ShowPatternLines(*this, 2 * n - 1);
                return;
            }
    } else if (zones) {
        g_PlcShownKind = 5;
        g_PlcCurLink = 1;
        SetItemStatus(S_SymbolItemArray(g_ZoneSymbol), 1, kPlcStored, kPlcShown);
        OpenCanvasDC();
        G_SetDrawMode(0);
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawSymbol(g_ZoneSymbol, kPlcShown, 0);
        CloseCanvasDC();
    }
}

void SCHMAIN::ShowPlacementCells()
{
    DrawPlacementSymbols();
    m_PlcCellMenu = 99;
    for (int i = 1; i <= 4; ++i)
        if (M_PlcCell.Exists(i)) M_PlcCell(i)->SetChecked(false);
    m_PlcCellShown = ::m_PlcCellShown = 99;
}

void SCHMAIN::M_PlcCell_Click(int Index)
{
    if (g_CurMode == MODE_PLACEMENT_PATTERNS || g_CurMode == MODE_KEEP_OFF_ZONE) return;
    if (Index < 1 || Index > 4) return;
    if (m_PlcCellMenu != 99 && M_PlcCell.Exists(m_PlcCellMenu)) M_PlcCell(m_PlcCellMenu)->SetChecked(false);
    if (M_PlcCell.Exists(Index)) M_PlcCell(Index)->SetChecked(true);
    m_PlcCellMenu = Index;
    m_PlcCellShown = ::m_PlcCellShown = Index;
    int32_t kind = Index;
    DrawPlacementCells(kind);
}

void SCHMAIN::M_PlcCellOff_Click()
{
    ShowPlacementCells();
    RefreshCanvas();
}

void SCHMAIN::BlinkCurrentItem()
{
    OpenCanvasDC();
    EraseOwnerItem(kOwnerSymbol, 0, g_CurSymb, g_SymbItemIdx);
    BlinkItem();
    CloseCanvasDC();
}
