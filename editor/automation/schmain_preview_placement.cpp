// SCHMAIN's previews of the placement pattern and keep-off zone edits: the
// dragged cell line or zone (211 to 216) and the moved pattern's frame
// (217) follow the pointer inside the page frame, drawn in XOR; option 10
// takes the edit back.
#include "editor/shell/schmain.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_settings.h"
#include "editor/interaction/commands.h"
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>

void SCHMAIN::PreviewCellEdit(int& Shift, int32_t& x, int32_t& y)
{
    const int32_t id = g_CurCommand;
    const bool zone = id == 215 || id == 216;
    const int32_t symbol = zone ? g_ZoneSymbol : g_GridSymbol;
    const int32_t item = S_SymbolItem(symbol, g_SymbItemIdx);
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        // A new line or zone goes again; a moved one is put back.
        if (id == 213 || id == 214 || id == 215)
            OA_Delete(S_SymbolItemArray(symbol), g_SymbItemIdx);
        else
            WriteSymbItem(symbol, g_SymbItemIdx, g_SymbItemOld);
        return;
    }
    if (!SnapPreviewPoint(Shift, x, y)) return;
    int32_t f[4] = {};
    ItemRec r{};
    if (item != 0 && PlacementFrame(f) && I_ReadItem(item, &r) == 1) {
        const bool inX = f[0] < x && x < f[2], inY = f[1] < y && y < f[3];
        bool change = false;
        switch (id) {
        case 211:
        case 213:
            if ((change = inY)) r.Y = y;
            break;
        case 212:
        case 214:
            if ((change = inX)) r.X = x;
            break;
        case 215:
            if ((change = inX && inY)) r.P1 = x - r.X, r.P2 = y - r.Y;
            break;
        default: {
            // The whole moved zone stays within the frame; its edges may lie
            // on it.
            const int64_t x2 = int64_t{x} + r.P1, y2 = int64_t{y} + r.P2;
            change = std::min<int64_t>(x, x2) >= f[0] && std::max<int64_t>(x, x2) <= f[2] &&
                     std::min<int64_t>(y, y2) >= f[1] && std::max<int64_t>(y, y2) <= f[3];
            if (change) r.X = x, r.Y = y;
            break;
        }
        }
        if (change) I_ChangeItemXY(item, &r);
    }
    RecordOverlay(x, y, [&] {
        G_SetDrawMode(32);
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawItem(symbol, g_SymbItemIdx);
    });
}

void SCHMAIN::PreviewZoneEdit(int& Shift, int32_t& x, int32_t& y)
{
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    if (OptionOn(10)) {
        m_StepRequest = -1;
        ReleaseOption(10);
        // The move is taken back: the frame rectangle goes and the lines are
        // shown where they were.
        if (m_PatMoveIdx > 0) OA_Delete(grid, m_PatMoveIdx);
        m_PatMoveIdx = 0;
        for (int32_t k = OA_SearchMask(grid, 1, kPlcEdited); k > 0; k = OA_SearchMask(grid, k + 1, kPlcEdited))
            O_Mask(OA_Object(grid, k), kPlcShown, 7);
        return;
    }
    if (!SnapPreviewPoint(Shift, x, y)) return;
    int32_t f[4] = {};
    PlacementFrame(f);
    const int32_t w = f[2] - f[0], h = f[3] - f[1];
    const auto inRange = [](int64_t v) { return v >= -kCoordLimit && v <= kCoordLimit; };
    if (inRange(x) && inRange(int64_t{x} + w) && inRange(y) && inRange(int64_t{y} + h)) {
        m_PatMoveX = x;
        m_PatMoveY = y;
    }
    RecordOverlay(x, y, [&] {
        G_SetDrawMode(32);
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawItem(g_GridSymbol, m_PatMoveIdx);
        G_Rectangle(m_PatMoveX, m_PatMoveY, w, h, 0);
    });
}
