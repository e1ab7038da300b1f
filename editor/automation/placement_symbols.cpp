#include "editor/automation/placement_symbols.h"

#include "editor/automation/placement_messages.h"
#include "editor/automation/placement_prefixes.h"
#include "editor/automation/placement_relocation.h"
#include "editor/automation/placement_settings.h"
#include "editor/objects/owner_items.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/schmain.h"

#include <algorithm>

int32_t g_PlcGridReady = 0, g_PlcZoneReady = 0, g_PlcShownKind = 0, g_PlcCurLink = 1;

namespace {

constexpr int32_t kHighlight = 191;
constexpr int32_t kRowStep = 2032000;  // 0.8 inch
constexpr int32_t kColStep = 1016000;  // 0.4 inch

ItemRec BaseItem(int32_t kind, int32_t link)
{
    ItemRec r{};
    r.Kind = kind;
    r.Flags = 1;
    r.Link = link;
    r.Layer = kHighlight;
    r.Width = 1;
    return r;
}

bool AddFramePrototype(const int32_t f[4])
{
    ItemRec r = BaseItem(3, 3);
    r.X = f[0], r.Y = f[1], r.P1 = f[2] - f[0], r.P2 = f[3] - f[1];
    int32_t status = 0, item = 0;
    MakeOwnerItem(status, 0, g_ZoneSymbol, r, "", item);
    return status == 0 && item > 0;
}

}  // namespace

bool MakePatternGridLines(int32_t rowLink, int32_t colLink, int32_t rowStep, int32_t colStep, int32_t x1,
                          int32_t y1, int32_t x2, int32_t y2)
{
    rowStep = std::max(rowStep, 1);
    colStep = std::max(colStep, 1);
    int32_t status = 0, item = 0;
    ItemRec r = BaseItem(1, rowLink);
    for (int64_t y = std::min(y1, y2); y <= std::max(y1, y2); y += rowStep) {
        r.X = x1, r.Y = static_cast<int32_t>(y), r.P1 = x2 - x1, r.P2 = 0;
        if (MakeOwnerItem(status, 0, g_GridSymbol, r, "", item) == 0 || status != 0) {
            ReportPlacementError(5, " " + std::to_string(rowLink));
            return false;
        }
    }
    r = BaseItem(1, colLink);
    for (int64_t x = std::min(x1, x2); x <= std::max(x1, x2); x += colStep) {
        r.X = static_cast<int32_t>(x), r.Y = y1, r.P1 = 0, r.P2 = y2 - y1;
        if (MakeOwnerItem(status, 0, g_GridSymbol, r, "", item) == 0 || status != 0) {
            ReportPlacementError(5, " " + std::to_string(colLink));
            return false;
        }
    }
    return true;
}

void SetupPlacementSymbols(SCHMAIN& w)
{
    g_PatColumns = g_PatRows = 1;
    g_PatAsSetup = 0;
    g_PatClearanceX = g_PatClearanceY = g_PatAlignment = 25;
    const int32_t hier = DB_CurHier();
    if (hier == 0) {
        ReportPlacementError(2, "");
        w.ShutDown();
        return;
    }
    g_GridSymbol = -(hier + 13000);
    g_ZoneSymbol = -(hier + 12000);
    int32_t f[4] = {};
    B_FrameBranchLines(-100 - DB_CurPage(), 63, f);

    SymbRec rec{};
    if (S_ReadSymbol(g_ZoneSymbol, &rec) == 1) {
        OA_MaskAll(S_SymbolItemArray(g_ZoneSymbol), 1, 3);
    } else {
        if (S_CreateSymbol(g_ZoneSymbol, "ZoneSymbol") != g_ZoneSymbol) {
            ReportPlacementError(1503, "");
            w.ShutDown();
            return;
        }
        if (!AddFramePrototype(f)) {
            ReportPlacementError(1511, "Fir");
            w.ShutDown();
            return;
        }
    }

    if (S_ReadSymbol(g_GridSymbol, &rec) == 1) {
        const int32_t grid = S_SymbolItemArray(g_GridSymbol);
        OA_MaskAll(grid, 1, 7);
        const int32_t zones = S_SymbolItemArray(g_ZoneSymbol);
        const int32_t proto = IA_SearchMaskLink(zones, 1, 1, 3);
        if (proto == 0) {
            if (!AddFramePrototype(f)) {
                ReportPlacementError(1511, "Sec");
                w.ShutDown();
            }
            return;
        }
        ItemRec p{};
        I_ReadItem(OA_Object(zones, proto), &p);
        // The sums in 64 bits: a stored extent is any 32-bit number.
        if (p.X == f[0] && p.Y == f[1] && int64_t{p.X} + p.P1 == f[2] && int64_t{p.Y} + p.P2 == f[3]) return;
        // The page format changed: stretch every pattern line over the new frame.
        const int32_t count = OA_GetCount(grid);
        for (int32_t k = 1; k <= count; ++k) {
            const int32_t item = OA_Object(grid, k);
            ItemRec r{};
            if (I_ReadItem(item, &r) != 1 || r.Kind != 1 || r.Link < 1 || r.Link > 16) continue;
            if (r.Link % 2 == 1) r.X = f[0], r.P1 = f[2] - f[0];
            else r.Y = f[1], r.P2 = f[3] - f[1];
            I_ChangeItemXY(item, &r);
        }
        p.X = f[0], p.Y = f[1], p.P1 = f[2] - f[0], p.P2 = f[3] - f[1];
        I_ChangeItemXY(OA_Object(zones, proto), &p);
        return;
    }
    if (S_CreateSymbol(g_GridSymbol, "GridSymbol") != g_GridSymbol) {
        ReportPlacementError(1504, "");
        w.ShutDown();
        return;
    }
    for (int32_t n = 0; n < 4; ++n)
        if (!MakePatternGridLines(2 * n + 1, 2 * n + 2, kRowStep, kColStep, f[0], f[1], f[2], f[3])) {
            w.ShutDown();
            return;
        }
}

void RefreshPlacementSymbols(SCHMAIN& w)
{
    SetupPlacementSymbols(w);
    g_PlcShownKind = 0;
    LoadPlacementPrefixes();
    ResetPlacementDefaults();
    g_PlcGridReady = g_PlcZoneReady = -1;
    w.m_PlcCellMenu = 99;
    w.m_PlcCellShown = m_PlcCellShown = 99;
    w.m_PlcOverlayOn = m_PlcOverlayOn = false;
}
