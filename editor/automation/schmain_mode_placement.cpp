// SCHMAIN's idle clicks of the placement pattern mode (new, moved and
// deleted cell lines of the chosen pattern, the move of the whole pattern,
// the pattern from a component, the pattern dialogs) and of the keep-off
// zone mode (new, moved and deleted zones).
#include "editor/shell/schmain.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_pattern.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/placement_symbols.h"
#include "editor/automation/plcparam.h"
#include "editor/automation/plsgpara.h"
#include "editor/editing/editing_state.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/curpos.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"

#include <cstdlib>

namespace {

// A new line or zone record with the attributes of the placement items.
ItemRec PlacementItem(int32_t kind, int32_t link)
{
    ItemRec r{};
    r.Kind = kind;
    r.Flags = kPlcStored;
    r.Link = link;
    r.Layer = static_cast<uint8_t>(g_HighlightColor);
    r.Width = 1;
    return r;
}

// The first item of `symbol` under (x, y) that `wanted` accepts; 0 none.
template <class Wanted>
int32_t ItemUnder(int32_t symbol, int32_t x, int32_t y, Wanted wanted)
{
    S_SetCompLocation(0, 0, 0, 0);
    const int32_t array = S_SymbolItemArray(symbol);
    for (int32_t k = OA_Cover(array, 1, x, y, g_PickTolerance); k > 0; k = OA_Cover(array, k + 1, x, y, g_PickTolerance)) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(array, k), &r) == 1 && wanted(r)) return k;
    }
    return 0;
}

// A line of the pattern whose row link is `link`: a column line (dx 0) or
// a row line (dy 0). A line of no length runs along neither axis.
bool PatternLine(const ItemRec& r, int32_t link, bool column)
{
    if (r.Kind != 1 || (r.Link != link && r.Link != link + 1)) return false;
    if (r.P1 == 0 && r.P2 == 0) return false;
    return column ? r.P1 == 0 : r.P2 == 0;
}

// Adds `r` to `symbol` and reads it as the current item with status 4: its
// index, or 0 when it could not be added or read (nothing is left behind).
int32_t AddEditedItem(int32_t symbol, const ItemRec& r)
{
    int32_t status = 0, item = 0;
    const int32_t array = S_SymbolItemArray(symbol);
    const int32_t index = AddItemToArray(status, array, r, "", item);
    if (index <= 0 || status != 0) return 0;
    std::string text;
    ReadPlacementItem(status, symbol, index, text);
    if (status != 0) {
        OA_Delete(array, index);
        return 0;
    }
    g_SymbItemIdx = index;
    O_Mask(S_SymbolItem(symbol, index), kPlcEdited, 7);
    return index;
}

}  // namespace

void SCHMAIN::UnlockPatternButtons()
{
    for (int i = 2; i <= 5; ++i)
        if (F_OST.Exists(i)) {
            F_OST(i)->setEnabled(true);
            F_OST(i)->setVisible(true);
        }
}

void SCHMAIN::PlacementCellModeClick(int32_t& x, int32_t& y)
{
    const int32_t f = ModeTools(g_CurMode).SelFunc;
    if (f < 0 || f > 9 || !SyncPlacementSymbolIds()) return;
    if (f == 8 || f == 9) {
        if (f == 8)
            ::ShowModal(FormInstance<PLCPARAM>());
        else
            ::ShowModal(FormInstance<PLSGPARA>());
        // Picking the function paints the page again with the pattern its
        // options choose.
        F_FSI_Click(7, true);
        return;
    }
    // The chosen pattern stays chosen while its edit runs: its button
    // cannot be released and the other pattern buttons are hidden.
    int chosen = 0;
    for (int i = 2; i <= 5 && chosen == 0; ++i)
        if (F_OST.Exists(i) && F_OST(i)->Value()) chosen = i;
    if (chosen == 0) {
        UnlockPatternButtons();
        return;
    }
    for (int i = 2; i <= 5; ++i) {
        if (!F_OST.Exists(i)) continue;
        if (i == chosen)
            F_OST(i)->setEnabled(false);
        else
            F_OST(i)->setVisible(false);
    }
    const int32_t link = g_PlcCurLink;
    int32_t frame[4] = {};
    int32_t id = 0;
    switch (f) {
    case 0:
    case 1: {
        if (!PlacementFrame(frame)) break;
        ItemRec r = PlacementItem(1, f == 0 ? link + 1 : link);
        if (f == 0)
            r.X = x, r.Y = frame[1], r.P2 = frame[3] - frame[1];
        else
            r.X = frame[0], r.Y = y, r.P1 = frame[2] - frame[0];
        if (AddEditedItem(g_GridSymbol, r) > 0) id = f == 0 ? 214 : 213;
        break;
    }
    case 2:
    case 3: {
        const int32_t k = ItemUnder(g_GridSymbol, x, y, [&](const ItemRec& r) { return PatternLine(r, link, f == 2); });
        if (k == 0) break;
        int32_t status = 0;
        std::string text;
        ReadPlacementItem(status, g_GridSymbol, k, text);
        if (status != 0) break;
        g_SymbItemIdx = k;
        id = f == 2 ? 212 : 211;
        break;
    }
    case 4:
    case 5: {
        const int32_t k = ItemUnder(g_GridSymbol, x, y, [&](const ItemRec& r) { return PatternLine(r, link, f == 4); });
        if (k == 0) break;
        PopupConfirm(GetMsgText("Delete Cell line ?", "99524"), m_MouseX, m_MouseY);
        if (!g_YesNoAnswer) break;
        OpenCanvasDC();
        DrawLayoutTexts(true, g_GridSymbol, k);
        G_SetDrawMode(0);
        CloseCanvasDC();
        break;
    }
    case 6: {
        const int32_t grid = S_SymbolItemArray(g_GridSymbol);
        for (int32_t k = OA_SearchMask(grid, 1, kPlcShown); k > 0; k = OA_SearchMask(grid, k + 1, kPlcShown))
            O_Mask(OA_Object(grid, k), kPlcEdited, 7);
        int32_t status = 0, item = 0, index = 0;
        if (PlacementFrame(frame)) {
            ItemRec r = PlacementItem(3, 1);
            r.X = frame[0], r.Y = frame[1], r.P1 = frame[2] - frame[0], r.P2 = frame[3] - frame[1];
            index = AddItemToArray(status, grid, r, "", item);
        }
        if (index <= 0 || status != 0) {
            // The pattern cannot be moved: its lines are shown again.
            for (int32_t k = OA_SearchMask(grid, 1, kPlcEdited); k > 0; k = OA_SearchMask(grid, k + 1, kPlcEdited))
                O_Mask(OA_Object(grid, k), kPlcShown, 7);
            break;
        }
        m_PatMoveIdx = index;
        m_PatMoveX = frame[0];
        m_PatMoveY = frame[1];
        id = 217;
        break;
    }
    case 7: {
        g_PatRebuilt = 0;
        const int32_t comp = C_CoverComponent(x, y, g_PickTolerance, nullptr);
        if (comp == 0) break;
        CompRec c{};
        if (C_ReadComponent(comp, &c) != 1) break;
        PopupConfirm(GetMsgText("Pattern by ", "991032") + (c.Name ? c.Name : ""), m_MouseX, m_MouseY);
        if (g_YesNoAnswer) MakePatternByComponent(comp, m_MouseX, m_MouseY);
        if (g_PatRebuilt == -1) RefreshCanvas();
        break;
    }
    default:
        break;
    }
    if (id == 0) {
        UnlockPatternButtons();
        return;
    }
    BeginCommand(id);
}

void SCHMAIN::PlacementZoneModeClick(int32_t& x, int32_t& y)
{
    if (!SyncPlacementSymbolIds()) return;
    const int32_t f = ModeTools(g_CurMode).SelFunc;
    int32_t id = 0;
    auto zoneUnder = [&] {
        return ItemUnder(g_ZoneSymbol, x, y, [](const ItemRec& r) { return r.Kind == 3 && r.Link == 1; });
    };
    switch (f) {
    case 0: {
        int32_t frame[4] = {};
        if (!PlacementFrame(frame) || x < frame[0] || x > frame[2] || y < frame[1] || y > frame[3]) return;
        ItemRec r = PlacementItem(3, 1);
        r.X = x, r.Y = y;
        if (AddEditedItem(g_ZoneSymbol, r) > 0) id = 215;
        break;
    }
    case 1: {
        const int32_t k = zoneUnder();
        if (k == 0) return;
        int32_t status = 0;
        std::string text;
        ReadPlacementItem(status, g_ZoneSymbol, k, text);
        if (status != 0) return;
        g_SymbItemIdx = k;
        id = 216;
        break;
    }
    case 2: {
        const int32_t k = zoneUnder();
        if (k == 0) return;
        PopupConfirm(GetMsgText("Delete zone ?", "99538"), m_MouseX, m_MouseY);
        if (!g_YesNoAnswer) return;
        OpenCanvasDC();
        DrawLayoutTexts(true, g_ZoneSymbol, k);
        G_SetDrawMode(0);
        CloseCanvasDC();
        return;
    }
    default:
        return;
    }
    if (id != 0) BeginCommand(id);
}
