#include "editor/automation/placement_items.h"

#include "editor/automation/placement_settings.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>

void ReadPlacementItem(int32_t& status, int32_t symbol, int32_t index, std::string& text)
{
    if (symbol != 0) {
        int32_t kind = 0;
        ReadSymbItem(status, symbol, index, text, kind);
        return;
    }
    status = 1;
    const int32_t item = T_LayoutText(index);
    ItemRec r{};
    if (item == 0 || I_ReadItem(item, &r) != 1 || r.Kind != 6) return;
    text = r.Text ? r.Text : "";
    g_SymbText = g_SymbTextOld = r;
    g_SymbText.Text = g_SymbTextOld.Text = nullptr;
    g_SymbItemText = g_SymbItemTextOld = text;
    status = 0;
}

void DrawLayoutTexts(bool deleteIt, int32_t symbol, int32_t index)
{
    G_SetDrawMode(2);
    if (symbol == 0) {
        T_DrawLayoutText(index);
        O_Mask(T_LayoutText(index), 0, 1);
        if (deleteIt) OA_Delete(DB_LayoutTextArray(), index);
        return;
    }
    S_SetCompLocation(0, 0, 0, 0);
    S_DrawItem(symbol, index);
    O_Mask(S_SymbolItem(symbol, index), kPlcEdited, 7);
    if (deleteIt) OA_Delete(S_SymbolItemArray(symbol), index);
}

bool SyncPlacementSymbolIds()
{
    const int32_t hier = DB_CurHier();
    if (hier == 0) return false;
    g_GridSymbol = -(hier + 13000);
    g_ZoneSymbol = -(hier + 12000);
    return true;
}

bool PlacementFrame(int32_t f[4])
{
    int32_t r[4] = {};
    if (B_FrameBranchLines(-100 - DB_CurPage(), 63, r) <= 0) return false;
    f[0] = std::min(r[0], r[2]), f[2] = std::max(r[0], r[2]);
    f[1] = std::min(r[1], r[3]), f[3] = std::max(r[1], r[3]);
    return true;
}
