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
// Pattern #n has the row and column links 2n-1, 2n on the component side
// and 2n+7, 2n+8 on the solder side.
constexpr int32_t kFirstSolderLink = 9;
constexpr int32_t kLastPatternLink = 16;

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

// Adds the default lines of one link over the frame: row lines (odd links)
// every `step` from y1 to y2, column lines (even links) every `step` from
// x1 to x2. False (after message 5) when a line cannot be added.
bool MakeLinkLines(int32_t link, int32_t step, int32_t x1, int32_t y1, int32_t x2, int32_t y2)
{
    step = std::max(step, 1);
    const bool rows = link % 2 == 1;
    int32_t status = 0, item = 0;
    ItemRec r = BaseItem(1, link);
    const int32_t from = rows ? std::min(y1, y2) : std::min(x1, x2);
    const int32_t to = rows ? std::max(y1, y2) : std::max(x1, x2);
    for (int64_t v = from; v <= to; v += step) {
        if (rows)
            r.X = x1, r.Y = static_cast<int32_t>(v), r.P1 = x2 - x1, r.P2 = 0;
        else
            r.X = static_cast<int32_t>(v), r.Y = y1, r.P1 = 0, r.P2 = y2 - y1;
        if (MakeOwnerItem(status, 0, g_GridSymbol, r, "", item) == 0 || status != 0) {
            ReportPlacementError(5, " " + std::to_string(link));
            return false;
        }
    }
    return true;
}

// Whether the grid symbol holds a line of `link`.
bool HasLineOfLink(int32_t grid, int32_t link)
{
    const int32_t count = OA_GetCount(grid);
    for (int32_t k = 1; k <= count; ++k) {
        ItemRec r{};
        if (I_ReadItem(OA_Object(grid, k), &r) == 1 && r.Kind == 1 && r.Link == link) return true;
    }
    return false;
}

// The engine places a mirrored component on the solder-side lines of its
// pattern, and the editor offers no way to draw those: a grid symbol stored
// before they were made by the set-up gets the default lines of every
// solder-side link that has none, over the current frame. Links with lines
// keep them as they are.
bool CompleteSolderSidePatterns(const int32_t f[4])
{
    const int32_t grid = S_SymbolItemArray(g_GridSymbol);
    for (int32_t link = kFirstSolderLink; link <= kLastPatternLink; ++link) {
        if (HasLineOfLink(grid, link)) continue;
        if (!MakeLinkLines(link, link % 2 == 1 ? kRowStep : kColStep, f[0], f[1], f[2], f[3])) return false;
    }
    return true;
}

}  // namespace

bool MakePatternGridLines(int32_t rowLink, int32_t colLink, int32_t rowStep, int32_t colStep, int32_t x1,
                          int32_t y1, int32_t x2, int32_t y2)
{
    return MakeLinkLines(rowLink, rowStep, x1, y1, x2, y2) && MakeLinkLines(colLink, colStep, x1, y1, x2, y2);
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
                return;
            }
        } else {
            ItemRec p{};
            I_ReadItem(OA_Object(zones, proto), &p);
            // The sums in 64 bits: a stored extent is any 32-bit number.
            if (p.X != f[0] || p.Y != f[1] || int64_t{p.X} + p.P1 != f[2] || int64_t{p.Y} + p.P2 != f[3]) {
                // The page format changed: stretch every pattern line over the new frame.
                const int32_t count = OA_GetCount(grid);
                for (int32_t k = 1; k <= count; ++k) {
                    const int32_t item = OA_Object(grid, k);
                    ItemRec r{};
                    if (I_ReadItem(item, &r) != 1 || r.Kind != 1 || r.Link < 1 || r.Link > kLastPatternLink) continue;
                    if (r.Link % 2 == 1) r.X = f[0], r.P1 = f[2] - f[0];
                    else r.Y = f[1], r.P2 = f[3] - f[1];
                    I_ChangeItemXY(item, &r);
                }
                p.X = f[0], p.Y = f[1], p.P1 = f[2] - f[0], p.P2 = f[3] - f[1];
                I_ChangeItemXY(OA_Object(zones, proto), &p);
            }
        }
        if (!CompleteSolderSidePatterns(f)) w.ShutDown();
        return;
    }
    if (S_CreateSymbol(g_GridSymbol, "GridSymbol") != g_GridSymbol) {
        ReportPlacementError(1504, "");
        w.ShutDown();
        return;
    }
    // The four default patterns of each side, the same lines on both.
    for (int32_t link = 1; link < kLastPatternLink; link += 2)
        if (!MakePatternGridLines(link, link + 1, kRowStep, kColStep, f[0], f[1], f[2], f[3])) {
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
