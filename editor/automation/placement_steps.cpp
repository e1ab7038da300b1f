// The steps that end the placement pattern and keep-off zone edits: a
// dragged cell line or zone is shown at its new place (211 to 216), a moved
// pattern's lines are shifted by the move (217).
#include "editor/interaction/command_steps.h"

#include "editor/automation/placement_items.h"
#include "editor/automation/placement_settings.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

namespace {

// 211 to 216: the edited line or zone is shown at its place. A new one
// that the cancel took away again leaves nothing to show.
bool ShowEditedItem(SCHMAIN& m, int32_t&, int32_t&, int32_t id)
{
    const bool zone = id == 215 || id == 216;
    const int32_t symbol = zone ? g_ZoneSymbol : g_GridSymbol;
    const bool removed = m.m_StepRequest && (id == 213 || id == 214 || id == 215);
    if (!removed) {
        m.OpenCanvasDC();
        G_SetDrawMode(0);
        S_SetCompLocation(0, 0, 0, 0);
        S_DrawItem(symbol, g_SymbItemIdx);
        O_Mask(S_SymbolItem(symbol, g_SymbItemIdx), kPlcShown, 7);
        m.CloseCanvasDC();
    }
    if (!zone) m.UnlockPatternButtons();
    // The line or zone was drawn off where it started: the page is painted
    // again so that nothing of the page under it stays erased.
    m.RefreshCanvas();
    return false;
}

// 217: the frame rectangle goes; every line of the moved pattern is shifted
// by the move of the frame's corner, across its own direction. A line that
// the shift takes out of the frame is deleted.
bool MovePattern(SCHMAIN& m, int32_t&, int32_t&, int32_t)
{
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    int32_t f[4] = {};
    if (!m.m_StepRequest && m.m_PatMoveIdx > 0 && PlacementFrame(f)) {
        ItemRec box{};
        if (I_ReadItem(OA_Object(grid, m.m_PatMoveIdx), &box) == 1 && box.Kind == 3) OA_Delete(grid, m.m_PatMoveIdx);
        const int64_t dx = int64_t{m.m_PatMoveX} - f[0], dy = int64_t{m.m_PatMoveY} - f[1];
        for (int32_t k = OA_SearchMask(grid, 1, kPlcEdited); k > 0; k = OA_SearchMask(grid, k, kPlcEdited)) {
            const int32_t item = OA_Object(grid, k);
            ItemRec r{};
            if (I_ReadItem(item, &r) != 1) break;
            const bool row = r.Kind == 1 && r.P2 == 0 && r.P1 != 0;
            const bool column = r.Kind == 1 && r.P1 == 0 && r.P2 != 0;
            if (row || column) {
                const int64_t v = row ? r.Y + dy : r.X + dx;
                if (row ? (v < f[1] || v > f[3]) : (v < f[0] || v > f[2])) {
                    OA_Delete(grid, k);
                    continue;
                }
                (row ? r.Y : r.X) = static_cast<int32_t>(v);
                I_ChangeItemXY(item, &r);
            }
            O_Mask(item, kPlcShown, 7);
            ++k;
        }
    }
    m.m_PatMoveIdx = 0;
    m.UnlockPatternButtons();
    m.RefreshCanvas();
    return false;
}

}  // namespace

CommandStep FindPlacementStep(int32_t id)
{
    if (id >= 211 && id <= 216) return ShowEditedItem;
    if (id == 217) return MovePattern;
    return nullptr;
}
