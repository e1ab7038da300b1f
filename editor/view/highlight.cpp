#include "editor/view/highlight.h"

#include "editor/objects/comp_state.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/pagedraw.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

HighlightSource g_HighlightSource;

namespace {

constexpr int32_t kOverlayMode = 0x20;
// Symbol texts that stand for the component's own texts.
constexpr int32_t kTemplateBits = 2 | 4 | 8 | 16 | 32;
constexpr int32_t kTextKind = 6;
// A selector no item carries: S_DrawSymbol then draws the entry names only.
constexpr int32_t kNoItems = 0;

}  // namespace

HighlightSource& HighlightSourceNow()
{
    // The object layer's current wire, component and net.
    HighlightSource& source = g_HighlightSource;
    source.branchNet = g_CurBranchRec.Net;
    source.compId = g_CompId;
    source.compOld = g_CompOld;
    source.compOld.Symb = g_Comp.Symb;
    source.compTextIdx = g_CompTextIdx;
    source.maskedBranchIds.clear();
    for (long i = 1; i <= g_MaskedBranchIds.UBound(); ++i) source.maskedBranchIds.push_back(g_MaskedBranchIds(i));
    source.curNet = g_CurNet;
    source.showRatsnest = g_ShowRatsnest;
    return source;
}

void DrawCompAsShown(int32_t comp, const CompRec& place, int32_t skipText)
{
    S_SetCompLocation(place.X, place.Y, place.Angle, place.Flags & 2);
    const int32_t symbol = place.Symb;
    const int32_t items = OA_GetCount(S_SymbolItemArray(symbol));
    for (int32_t i = 1; i <= items; ++i) {
        ItemRec item{};
        if (I_ReadItem(S_SymbolItem(symbol, i), &item) == 0) continue;
        if (item.Kind == kTextKind && (item.Flags & kTemplateBits) != 0) continue;
        S_DrawItem(symbol, i);
    }
    S_DrawSymbol(symbol, kNoItems, 1);
    const int32_t texts = OA_GetCount(C_CompTextArray(comp));
    for (int32_t i = 1; i <= texts; ++i)
        if (i != skipText) C_DrawCompText(comp, i);
}

void RecordHighlight(int32_t kind, const HighlightSource& source)
{
    switch (kind) {
    case 1:
        G_SetDrawMode(kOverlayMode);
        N_DrawNetRatsnest(source.branchNet, 1, source.showRatsnest);
        break;
    case 2:
        G_SetDrawMode(kOverlayMode);
        DrawCompAsShown(source.compId, source.compOld, source.compTextIdx);
        break;
    case 3:
        for (int32_t id : source.maskedBranchIds) {
            BranchRec branch{};
            if (B_ReadBranch(id, &branch) != 0 && branch.Page == DB_CurPage()) B_DrawAllRecords(id, 0x80);
        }
        G_SetDrawMode(kOverlayMode);
        N_DrawNetRatsnest(source.curNet, 1, source.showRatsnest);
        break;
    default:
        break;
    }
}

void SCHMAIN::RecordHighlight(int32_t kind)
{
    ::RecordHighlight(kind, HighlightSourceNow());
}
