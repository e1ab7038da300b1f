// The field grid: square cells over the page format, each listing the
// branches whose segments and the components whose outlines touch it, so
// that the router's obstacle questions look at a few cells only.
#include "router/corvex.h"
#include "router/image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvex {

FieldGrid g_FieldGrid;
std::vector<ScrFieldCell> g_Cells;
bool g_CellsPresent = false;
LinkPool g_WireLinks;
LinkPool g_CompLinks;

namespace {

// Cells are half an inch; a format that would need more than kMaxCells of
// them gets cells larger by steps of kCellGrowth until it fits.
constexpr int32_t kCellSize = 1270000, kCellGrowth = 127000, kNoFrameExtent = 81280000, kMaxCells = 10000,
                  kLinkStep = 4000, kMaxLinks = 64000;

int64_t CellCount(int64_t w, int64_t h, int64_t cell) { return (w / cell + 1) * (h / cell + 1); }

void AllocLinks(LinkPool& pool)
{
    pool.rows.assign(kLinkStep, ScrLinkRec{});
    for (int32_t i = 1; i < kLinkStep; ++i) pool.rows[i].next = i + 1 < kLinkStep ? i + 1 : 0;
    pool.capacity = kLinkStep;
    pool.freeHead = 1;
    pool.used = 0;
    pool.present = true;
    CountMemory(8LL * kLinkStep);
}

// Grows a pool by 4000 records; 0 when that would pass 64000.
int32_t GrowLinks(LinkPool& pool)
{
    const int32_t old = pool.capacity;
    if (old + kLinkStep > kMaxLinks) return 0;
    pool.rows.resize(static_cast<size_t>(old) + kLinkStep, ScrLinkRec{});
    for (int32_t i = old; i < old + kLinkStep; ++i) pool.rows[i].next = i + 1 < old + kLinkStep ? i + 1 : 0;
    pool.capacity = old + kLinkStep;
    // Record `old` joins the free list too (record 0 is the header).
    pool.freeHead = old;
    CountMemory(8LL * kLinkStep);
    return 1;
}

int32_t TakeLink(LinkPool& pool, bool recordFailure)
{
    if (!pool.present) return 0;
    if (pool.freeHead == 0 && !GrowLinks(pool)) {
        // The component pool fails with its own cause, so a failure of the
        // whole load never goes without one.
        return recordFailure ? Fail(2300, 1) : Fail(2310, 1);
    }
    const int32_t link = pool.freeHead;
    pool.freeHead = pool.rows[link].next;
    pool.rows[link].next = 0;
    ++pool.used;
    return link;
}

int32_t CellAdd(LinkPool& pool, int32_t& head, int32_t value, bool wire)
{
    for (int32_t l = head; l; l = pool.rows[l].next)
        if (pool.rows[l].value == value) return 1;
    const int32_t link = TakeLink(pool, wire);
    if (!link) return 0;
    pool.rows[link].value = value;
    pool.rows[link].next = head;
    head = link;
    return 1;
}

}  // namespace

void SetFieldGeometry()
{
    FieldGrid& g = g_FieldGrid;
    if (g_StepSize == 0) g_StepSize = 50800;
    const Box& f = g_FormatBox;
    g.originX = f.minX, g.originY = f.minY, g.rightBound = f.maxX, g.topBound = f.maxY;
    int64_t w = std::llabs(static_cast<int64_t>(f.maxX) - f.minX), h = std::llabs(static_cast<int64_t>(f.maxY) - f.minY);
    if (f.minX == 0 && f.maxX == 0) w = kNoFrameExtent;
    if (f.minY == 0 && f.maxY == 0) h = kNoFrameExtent;
    // Half an inch where the format fits in kMaxCells cells; a larger format
    // starts from the size that its area alone asks for and grows from there.
    int64_t cell = kCellSize;
    if (CellCount(w, h, cell) > kMaxCells) {
        const int64_t least = static_cast<int64_t>(std::sqrt(static_cast<double>(w) * static_cast<double>(h) / kMaxCells));
        if (least > cell) cell += (least - cell) / kCellGrowth * kCellGrowth;
        while (CellCount(w, h, cell) > kMaxCells) cell += kCellGrowth;
    }
    g.cellSize = static_cast<int32_t>(cell);
    const int64_t columns = w / g.cellSize + 1, rows = h / g.cellSize + 1;
    g.columns = static_cast<int32_t>(std::min<int64_t>(columns, 1 << 30));
    g.rows = static_cast<int32_t>(std::min<int64_t>(rows, 1 << 30));
    g.cellCount = columns * rows > kMaxCells ? kMaxCells + 1 : static_cast<int32_t>(columns * rows);
}

int32_t AllocFieldTables()
{
    FreeFieldTables();
    AllocLinks(g_WireLinks);
    if (g_FieldGrid.cellCount > kMaxCells) return Fail(2400, 4);
    g_Cells.assign(static_cast<size_t>(g_FieldGrid.cellCount), ScrFieldCell{});
    g_CellsPresent = true;
    CountMemory(12LL * g_FieldGrid.cellCount);
    AllocLinks(g_CompLinks);
    return 1;
}

void FreeFieldTables()
{
    g_WireLinks = LinkPool{};
    g_CompLinks = LinkPool{};
    g_Cells.clear();
    g_Cells.shrink_to_fit();
    g_CellsPresent = false;
}

int32_t GrowWireLinks() { return GrowLinks(g_WireLinks); }

int32_t FreeWireLinks() { return g_WireLinks.present ? kMaxLinks - 1 - g_WireLinks.used : 0; }

int32_t CellsOfBoxes(const std::vector<Seg>& boxes)
{
    std::vector<int32_t> cells;
    for (const Seg& box : boxes)
        ForEachCellOfBox(box, [&](int32_t cell) {
            cells.push_back(cell);
            return 1;
        });
    std::sort(cells.begin(), cells.end());
    return static_cast<int32_t>(std::unique(cells.begin(), cells.end()) - cells.begin());
}

int32_t TrimCompLinks()
{
    LinkPool& pool = g_CompLinks;
    const int32_t keep = pool.freeHead ? pool.freeHead : pool.capacity;
    CountMemory(8LL * (keep - pool.capacity));
    pool.rows.resize(static_cast<size_t>(keep));
    pool.rows.shrink_to_fit();
    pool.capacity = keep;
    pool.freeHead = 0;
    return 1;
}

int32_t CellAddWire(int32_t cell, int32_t branch) { return CellAdd(g_WireLinks, g_Cells.at(cell).firstWire, branch, true); }
int32_t CellAddComp(int32_t cell, int32_t comp) { return CellAdd(g_CompLinks, g_Cells.at(cell).firstComp, comp, false); }

void CellRemoveWire(int32_t cell, int32_t branch)
{
    int32_t& head = g_Cells.at(cell).firstWire;
    for (int32_t prev = 0, l = head; l; prev = l, l = g_WireLinks.rows[l].next) {
        if (g_WireLinks.rows[l].value != branch) continue;
        (prev ? g_WireLinks.rows[prev].next : head) = g_WireLinks.rows[l].next;
        g_WireLinks.rows[l] = ScrLinkRec{0, g_WireLinks.freeHead};
        g_WireLinks.freeHead = l;
        --g_WireLinks.used;
        return;
    }
}

int32_t FieldAddSegment(int32_t branch, Seg& box)
{
    NormaliseSeg(box);
    return ForEachCellOfBox(box, [&](int32_t cell) { return CellAddWire(cell, branch); });
}

void FieldRemoveSegment(int32_t branch, Seg& box)
{
    NormaliseSeg(box);
    ForEachCellOfBox(box, [&](int32_t cell) {
        CellRemoveWire(cell, branch);
        return 1;
    });
}

int32_t FieldAddBranch(int32_t branch)
{
    if (branch <= 0 || !g_CellsPresent) return 1;
    for (int32_t p = g_Branches[branch].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
        Seg s = SegOf(p, g_BPoints[p].next);
        if (!FieldAddSegment(branch, s)) return 0;
    }
    return 1;
}

int32_t FieldRemoveBranch(int32_t branch)
{
    if (branch <= 0 || !g_CellsPresent) return 1;
    for (int32_t p = g_Branches[branch].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
        Seg s = SegOf(p, g_BPoints[p].next);
        FieldRemoveSegment(branch, s);
    }
    return 1;
}

int32_t FieldAddNet(int32_t net)
{
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        if (g_Branches[b].page == g_ScrCurPage && !FieldAddBranch(b)) return 0;
    return 1;
}

void FieldRemoveNet(int32_t net)
{
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        if (g_Branches[b].page == g_ScrCurPage) FieldRemoveBranch(b);
}

int32_t FieldAddAllBranches()
{
    for (int32_t n = 1; n <= g_Nets.Count(); ++n)
        for (int32_t b = g_Nets[n].firstBranch; b; b = g_Branches[b].next)
            if (!FieldAddBranch(b)) return 0;
    for (int32_t pg = 1; pg <= g_Pages.Count(); ++pg)
        if (!FieldAddBranch(g_Pages[pg].frameBranch)) return 0;
    return 1;
}

void PlaceCompOutline(int32_t comp, Seg& box)
{
    const ScrCompRec& c = g_Comps[comp];
    const ScrSymbRec& s = g_Symbs[c.symb];
    const int32_t xs[2] = {s.bodyMinX, s.bodyMaxX}, ys[2] = {s.bodyMinY, s.bodyMaxY};
    bool first = true;
    for (int32_t x0 : xs)
        for (int32_t y0 : ys) {
            int32_t x = x0, y = y0;
            RotatePoint(x, y, c.angle, c.attr & 1);
            x += c.x, y += c.y;
            if (first) box = Seg{x, y, x, y}, first = false;
            box = Seg{std::min(box.x1, x), std::min(box.y1, y), std::max(box.x2, x), std::max(box.y2, y)};
        }
}

int32_t FieldAddComp(int32_t comp, Seg box)
{
    NormaliseSeg(box);
    return ForEachCellOfBox(box, [&](int32_t cell) { return CellAddComp(cell, comp); });
}

}  // namespace corvex

using namespace corvex;

int32_t SCR_LoadFields() noexcept
{
    return Guarded(2400, 0, []() -> int32_t {
        SetFieldGeometry();
        if (!AllocFieldTables()) return 0;
        for (int32_t c = 1; c <= g_Comps.Count(); ++c) {
            Seg box{};
            PlaceCompOutline(c, box);
            if (!FieldAddComp(c, box)) return 0;
        }
        if (!TrimCompLinks()) return 0;
        return FieldAddAllBranches();
    });
}

int32_t SCR_SetScale(int32_t value) noexcept
{
    g_ScrScale = value == 2540 ? 2540000 : 100000;
    return g_ScrScale;
}
