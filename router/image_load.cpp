// Loading the page image: the page table, the components with their texts,
// and the symbols with their entries, drawing items and body boxes. The nets
// and the page frames follow in image_nets.cpp.
#include "router/corvex.h"
#include "router/image.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>

namespace corvex {

namespace {

constexpr int32_t kBodyStart = 40640000;

void Grow(Box& box, int32_t x, int32_t y)
{
    box.minX = std::min(box.minX, x);
    box.minY = std::min(box.minY, y);
    box.maxX = std::max(box.maxX, x);
    box.maxY = std::max(box.maxY, y);
}

// The item's width: the kernel width when its style is 0, else the default.
int32_t ItemWidth(const ItemRec& r, int32_t fallback, bool filledCountsAsPlain)
{
    const int32_t style = (filledCountsAsPlain && r.Style == 16) ? 0 : r.Style;
    return style == 0 ? r.Width : fallback;
}

int32_t StoredStyle(const ItemRec& r, bool filledCountsAsPlain)
{
    return (filledCountsAsPlain && r.Style == 16) ? 0 : r.Style;
}

// Reads one symbol item into the item table and grows the body box.
// 1 stored or skipped; 0 on a failure (recorded).
int32_t LoadSymbolItem(const ItemRec& r, Box& body, int32_t& stored)
{
    ScrItemRec it{};
    int32_t* g = it.g;
    const int32_t code = static_cast<int32_t>(r.Layer) - 32;
    switch (r.Kind) {
    case 5: {  // arc
        const int32_t start = KernelAngleToDegrees(r.P2);
        const int32_t end = start + r.P3 / 1000;
        it.kind = 1;
        g[0] = r.X, g[1] = r.Y, g[2] = r.P1, g[3] = start, g[4] = end;
        g[5] = ItemWidth(r, 1, true), g[6] = StoredStyle(r, true), g[7] = code;
        ArcExtent(body, r.X, r.Y, r.P1, start, end);
        break;
    }
    case 4:  // circle
        it.kind = 2;
        g[0] = r.X, g[1] = r.Y, g[2] = r.P1, g[3] = ItemWidth(r, 0, false), g[4] = r.Style, g[5] = code;
        Grow(body, r.X - r.P1, r.Y - r.P1);
        Grow(body, r.X + r.P1, r.Y + r.P1);
        break;
    case 1:  // line
        it.kind = 3;
        g[0] = r.X, g[1] = r.Y, g[2] = r.X + r.P1, g[3] = r.Y + r.P2;
        g[4] = ItemWidth(r, 0, true), g[5] = StoredStyle(r, true), g[6] = code;
        Grow(body, g[0], g[1]);
        Grow(body, g[2], g[3]);
        break;
    case 3: {  // box
        it.kind = 4;
        g[0] = std::min(r.X, r.X + r.P1), g[1] = std::min(r.Y, r.Y + r.P2);
        g[2] = std::max(r.X, r.X + r.P1), g[3] = std::max(r.Y, r.Y + r.P2);
        g[4] = KernelAngleToDegrees(r.Angle), g[5] = ItemWidth(r, 1, false), g[6] = r.Style, g[7] = code;
        BoxExtent(body, r.X, r.Y, r.X + r.P1, r.Y + r.P2, g[4]);
        break;
    }
    case 6: {  // text
        if (r.Flags & (2 | 4)) return 1;
        const int32_t ref = g_ItemTextPool.Add(r.Text);
        if (!ref) return Fail(1200, 5);
        it.kind = 5;
        g[0] = r.X, g[1] = r.Y, g[2] = KernelAngleToDegrees(r.Angle), g[3] = r.P1, g[4] = r.P2, g[5] = ref,
        g[6] = code;
        break;
    }
    case 2:  // three-point figure
        it.kind = 6;
        g[0] = r.X, g[1] = r.Y, g[2] = r.X + r.P1, g[3] = r.Y + r.P2, g[4] = r.X + r.P3, g[5] = r.Y + r.P4;
        g[6] = ItemWidth(r, 1, false), g[7] = r.Style, g[8] = r.Layer;
        Grow(body, g[0], g[1]);
        Grow(body, g[2], g[3]);
        Grow(body, g[4], g[5]);
        break;
    default: return 1;
    }
    if (g_Items.Full()) return Fail(1200, 4);
    const int32_t index = g_Items.Append(it);
    g_Items[index].next = index + 1;
    ++stored;
    return 1;
}

// The component's texts: kernel items of kind 6 whose flags are not 0.
int32_t LoadCompTexts(int32_t compId, int32_t compIndex)
{
    int32_t last = 0;
    for (int32_t n = 1;; ++n) {
        const int32_t item = C_CompText(compId, n);
        if (!item) break;
        ItemRec r{};
        if (!I_ReadItem(item, &r)) return Fail(1100, 2);
        if (r.Kind != 6 || r.Flags == 0) continue;
        if (g_CompTexts.Full()) return Fail(1100, 6);
        const int32_t ref = g_CompTextPool.Add(r.Text);
        if (!ref) return Fail(1100, 9);
        const int32_t index = g_CompTexts.Append(ScrCompTextRec{r.X, r.Y, KernelAngleToDegrees(r.Angle), r.P1, r.P2,
                                                                ref, 0, static_cast<int32_t>(r.Layer) - 32});
        if (last)
            g_CompTexts[last].next = index;
        else
            g_Comps[compIndex].firstText = index;
        last = index;
    }
    return 1;
}

}  // namespace

void ArcExtent(Box& box, int32_t cx, int32_t cy, int32_t r, int32_t start, int32_t end)
{
    auto at = [&](int32_t deg) {
        int32_t x = r, y = 0;
        RotatePoint(x, y, deg, 0);
        Grow(box, cx + x, cy + y);
    };
    const int32_t lo = std::min(start, end), hi = std::max(start, end);
    at(lo);
    at(hi);
    // The axis points of the circle that the sweep passes.
    if (hi - lo >= 360) {
        Grow(box, cx - r, cy - r);
        Grow(box, cx + r, cy + r);
        return;
    }
    for (int32_t axis = (lo / 90) * 90 - 360; axis <= hi; axis += 90)
        if (axis > lo && axis < hi) at(axis);
}

void RotateBox(int32_t corners[8], int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t angle)
{
    // The box turns about its corner (x1, y1), as the kernel draws it.
    const int32_t dx[4] = {0, x2 - x1, x2 - x1, 0}, dy[4] = {0, 0, y2 - y1, y2 - y1};
    for (int i = 0; i < 4; ++i) {
        int32_t x = dx[i], y = dy[i];
        RotatePoint(x, y, angle, 0);
        corners[2 * i] = x1 + x;
        corners[2 * i + 1] = y1 + y;
    }
}

void BoxExtent(Box& box, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t angle)
{
    int32_t c[8];
    RotateBox(c, x1, y1, x2, y2, angle);
    for (int i = 0; i < 4; ++i) Grow(box, c[2 * i], c[2 * i + 1]);
}

int32_t LoadSymbol(int32_t symbId)
{
    if (symbId < 1 || symbId >= kMaxSymbId) return Fail(1200, 1);
    if (g_SymbMap.Find(symbId)) return 1;
    if (g_Symbs.Full()) return Fail(1200, 6);
    ScrSymbRec s{};
    Box body{kBodyStart, kBodyStart, -kBodyStart, -kBodyStart};
    s.firstEntry = g_Entries.Count() + 1;
    // The entries in the symbol's own frame (angle 0, not mirrored), read
    // from the symbol: the component on the page is never turned for this.
    for (int32_t n = 1;; ++n) {
        SymbEntryRec e{};
        if (S_ReadEntry(symbId, n, &e) != 1) break;
        if (g_Entries.Full()) return Fail(1200, 3);
        g_Entries.Append(ScrEntryRec{e.X, e.Y});
        Grow(body, e.X, e.Y);
        ++s.entryCount;
    }
    if (s.entryCount == 0) return Fail(1200, 2);
    const int32_t array = S_SymbolItemArray(symbId);
    const int32_t count = array ? OA_GetCount(array) : 0;
    s.firstItem = g_Items.Count() + 1;
    for (int32_t i = 1; i <= count; ++i) {
        ItemRec r{};
        const int32_t item = OA_Object(array, i);
        if (!item || !I_ReadItem(item, &r)) return Fail(1200, 7);
        if (!LoadSymbolItem(r, body, s.itemCount)) return 0;
    }
    if (s.itemCount) g_Items[g_Items.Count()].next = 0;
    s.bodyMinX = body.minX, s.bodyMinY = body.minY, s.bodyMaxX = body.maxX, s.bodyMaxY = body.maxY;
    const int32_t index = g_Symbs.Append(s);
    g_SymbMap.map[symbId] = index;
    return 1;
}

int32_t SCR_LoadPagesImpl()
{
    AllocPages();
    const int32_t map = DB_PageMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        if (id >= kMaxPageId) return Fail(1500, 5);
        PageRec page{};
        DB_ReadPage(id, &page);
        if (g_Pages.Full()) return Fail(1500, 4);
        ScrPageRec r{};
        r.pageId = id;
        g_Pages.Append(r);
    }
    return TrimPages();
}

int32_t LoadComponents()
{
    const int32_t map = DB_SchCompMap();
    int32_t cursor = OM_GetFirst(map);
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        if (id >= kMaxCompId) return Fail(1100, 8);
        CompRec c{};
        if (C_ReadComponent(id, &c) != 1) return Fail(1100, 1);
        if (g_CompMap.Find(id)) return Fail(1100, 7);
        if (g_Comps.Full()) return Fail(1100, 4);
        ScrCompRec r{};
        r.kernelId = id;
        r.x = c.X;
        r.y = c.Y;
        r.angle = KernelAngleToDegrees(c.Angle);
        r.attr = (c.Flags & 2) ? 1 : 0;
        r.page = c.Page;
        const int32_t index = g_Comps.Append(r);
        if (!LoadSymbol(c.Symb)) return 0;
        g_Comps[index].symb = g_SymbMap.Find(c.Symb);
        g_CompMap.map[id] = index;
        if (!LoadCompTexts(id, index)) return 0;
    }
    if (g_Comps.Count() == 0) return Fail(1100, 3);
    return 1;
}

}  // namespace corvex

using namespace corvex;

int32_t SCR_LoadComponentsAndSymbols() noexcept
{
    return Guarded(1100, 0, []() -> int32_t {
        g_MemoryUsed = 0;
        g_ScrCurPage = DB_CurPage();
        g_FormatBoxSet = false;
        g_FormatBox = Box{0, 0, 0, 0};
        // The editor frees the image first; a load over a loaded image starts
        // from empty tables all the same.
        FreeAllMemory();
        g_MemoryUsed = 0;
        if (!SCR_LoadPagesImpl()) return 0;
        if (!AllocateFullMemoryForComponents()) return 0;
        if (!LoadComponents()) return 0;
        return g_ImageComplete = TrimImageTables() && AllocNets() && AllocNodes() && LoadBuses() && LoadNets() &&
                       (FreeCompMap(), TrimNets()) && TrimNodes() && AllocBranches() && AllocBPoints()
                   && LoadPageFrames();
    });
}
