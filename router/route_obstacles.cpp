// Obstacle tests: every question whether a place is free collects the
// bodies and wire segments that the field grid lists in the cells a
// rectangle covers and compares rectangles; nothing is rasterised.
#include "router/route.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_map>

namespace corvex {

TestedList g_TestedComps, g_TestedWires;

int32_t ObstacleList::Add(const Obstacle& o)
{
    if (static_cast<int32_t>(rows.size()) + 1 >= g_Tuning.obstacleCapacity) return Fail(1920, 3);
    rows.push_back(o);
    return 1;
}

int32_t TestedList::Add(int32_t id)
{
    if (id < 0 ? std::find(ids.begin(), ids.end(), id) != ids.end() : marks.Has(id)) return 0;
    if (static_cast<int32_t>(ids.size()) + 1 >= capacity) {
        Fail(1910, 2);
        return -1;
    }
    if (id >= 0) marks.Mark(id);
    ids.push_back(id);
    return 1;
}

namespace {

// Placed outlines by component, each kept with what it was placed from, so
// that a changed component or symbol is placed again.
struct PlacedBody {
    ScrCompRec comp;
    int32_t body[4];
    Seg box;
    bool valid;
};
std::vector<PlacedBody> g_PlacedBodies;

Seg PlacedOutline(int32_t comp)
{
    const ScrCompRec& c = g_Comps[comp];
    const ScrSymbRec& s = g_Symbs[c.symb];
    const int32_t body[4] = {s.bodyMinX, s.bodyMinY, s.bodyMaxX, s.bodyMaxY};
    const size_t at = static_cast<size_t>(comp);
    if (at >= g_PlacedBodies.size()) g_PlacedBodies.resize(at + 1, PlacedBody{});
    PlacedBody& p = g_PlacedBodies[at];
    if (!p.valid || p.comp.x != c.x || p.comp.y != c.y || p.comp.angle != c.angle || p.comp.attr != c.attr ||
        p.comp.symb != c.symb || !std::equal(body, body + 4, p.body)) {
        p.comp = c;
        std::copy(body, body + 4, p.body);
        PlaceCompOutline(comp, p.box);
        p.valid = true;
    }
    return p.box;
}

}  // namespace

Seg CompBody(int32_t comp, int32_t margin)
{
    Seg box = PlacedOutline(comp);
    box.x1 -= margin, box.y1 -= margin, box.x2 += margin, box.y2 += margin;
    if (box.x1 > box.x2) box.x1 = box.x2 = (box.x1 + box.x2) / 2;
    if (box.y1 > box.y2) box.y1 = box.y2 = (box.y1 + box.y2) / 2;
    return box;
}

bool IsExempt(int32_t comp) { return comp && (comp == g_ExemptComp[0] || comp == g_ExemptComp[1]); }

bool IsOwnWire(int32_t branch)
{
    const ScrBranchRec& b = g_Branches[branch];
    if (b.flags == kBranchFrame || (b.flags & (kBranchKept | kBranchBus))) return false;
    return g_RouteNet && b.net == g_RouteNet;
}

namespace {

bool Overlap(const Seg& a, const Seg& b) { return a.x1 <= b.x2 && b.x1 <= a.x2 && a.y1 <= b.y2 && b.y1 <= a.y2; }

// Walks the links of a pool from a head.
template <class F>
int32_t ForEachLink(const LinkPool& pool, int32_t head, F&& f)
{
    for (int32_t l = head; l; l = pool.rows[l].next)
        if (!f(pool.rows[l].value)) return 0;
    return 1;
}

// The segments of the wires, normalised, kept per wire while a pair is
// searched (WireSegScope): the probes and segment tests of one search look
// at the same wires hundreds of times, and walking a wire's points is a
// chain of dependent reads. No wire changes during a search.
struct WireSeg {
    int32_t point;  // the segment's first point
    Seg s;
};
struct WireSegCache {
    int depth = 0;
    uint32_t epoch = 0;
    std::vector<uint32_t> stamp;
    std::vector<std::vector<WireSeg>> segs;
    std::vector<Seg> extent;  // the box around each kept wire
} g_WireSegs;

// Reads wire b's segments into the cache unless they are there.
std::vector<WireSeg>& CachedWireSegs(int32_t b)
{
    WireSegCache& c = g_WireSegs;
    const size_t at = static_cast<size_t>(b);
    if (at >= c.stamp.size()) c.stamp.resize(at + 1, 0), c.segs.resize(at + 1), c.extent.resize(at + 1);
    std::vector<WireSeg>& list = c.segs[at];
    if (c.stamp[at] != c.epoch) {
        c.stamp[at] = c.epoch;
        list.clear();
        Seg box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
            Seg s = SegOf(p, g_BPoints[p].next);
            NormaliseSeg(s);
            list.push_back(WireSeg{p, s});
            box = Seg{std::min(box.x1, s.x1), std::min(box.y1, s.y1), std::max(box.x2, s.x2), std::max(box.y2, s.y2)};
        }
        c.extent[at] = box;
    }
    return list;
}

// The box around wire b's segments, from the cache during a search; false
// outside one (the box is then not known).
bool WireExtent(int32_t b, Seg& box)
{
    if (!g_WireSegs.depth || b < 0) return false;
    CachedWireSegs(b);
    box = g_WireSegs.extent[static_cast<size_t>(b)];
    return true;
}

// Whether wire b may lie within `reach` of the line at lateral coordinate
// `at` (horizontal lines when `lineH`).
bool WireNearLine(int32_t b, bool lineH, int32_t at, int32_t reach)
{
    Seg e{};
    if (!WireExtent(b, e)) return true;
    const int64_t lo = lineH ? e.y1 : e.x1, hi = lineH ? e.y2 : e.x2;
    return lo - reach <= at && at <= hi + reach;
}

// Calls f(point, segment) for every segment of wire `b`, normalised.
template <class F>
void ForEachWireSeg(int32_t b, F&& f)
{
    if (!g_WireSegs.depth || b < 0) {
        for (int32_t p = g_Branches[b].firstPoint; p && g_BPoints[p].next; p = g_BPoints[p].next) {
            Seg s = SegOf(p, g_BPoints[p].next);
            NormaliseSeg(s);
            if (!f(p, s)) return;
        }
        return;
    }
    for (const WireSeg& w : CachedWireSegs(b))
        if (!f(w.point, w.s)) return;
}

}  // namespace

WireSegScope::WireSegScope()
{
    WireSegCache& c = g_WireSegs;
    if (c.depth++ == 0 && ++c.epoch == 0) std::fill(c.stamp.begin(), c.stamp.end(), 0), c.epoch = 1;
}

WireSegScope::~WireSegScope() { --g_WireSegs.depth; }

int32_t MR_TestCellComps(int32_t cell, const Seg& rect, ObstacleList& list)
{
    return ForEachLink(g_CompLinks, g_Cells.at(cell).firstComp, [&](int32_t c) -> int32_t {
        // A component already listed is not placed and compared again.
        if (g_Comps[c].page != g_ScrCurPage || IsExempt(c) || g_TestedComps.Has(c)) return 1;
        const Seg body = CompBody(c, g_Clearance);
        if (!Overlap(body, rect)) return 1;
        const int32_t added = g_TestedComps.Add(c);
        if (added < 0) return 0;
        if (added == 0) return 1;
        return list.Add(Obstacle{kObstBody, c, 0, body.x1, body.y1, body.x2, body.y2});
    });
}

int32_t MR_TestCellWires(int32_t cell, const Seg& rect, ObstacleList& list)
{
    return ForEachLink(g_WireLinks, g_Cells.at(cell).firstWire, [&](int32_t b) -> int32_t {
        if (g_Branches[b].page != g_ScrCurPage || !g_Branches[b].inUse) return 1;
        const int32_t added = g_TestedWires.Add(b);
        if (added <= 0) return added < 0 ? 0 : 1;
        if (Seg e{}; WireExtent(b, e) && !Overlap(e, rect)) return 1;
        int32_t ok = 1;
        ForEachWireSeg(b, [&](int32_t p, const Seg& s) {
            if (Overlap(s, rect) && !list.Add(Obstacle{kObstWire, p, b, s.x1, s.y1, s.x2, s.y2})) ok = 0;
            return ok != 0;
        });
        return ok;
    });
}

namespace {

template <class F>
int32_t TestRect(ObstacleList& list, Seg rect, bool keep, TestedList& tested, F&& test)
{
    NormaliseSeg(rect);
    if (!g_CellsPresent) return 1;
    if (!keep) tested.Clear();
    tested.capacity = g_Tuning.testedCapacity;
    return ForEachCellOfBox(rect, [&](int32_t cell) { return test(cell, rect, list); });
}

}  // namespace

int32_t MR_TestRectComps(ObstacleList& list, Seg rect, bool keep)
{
    return TestRect(list, rect, keep, g_TestedComps, MR_TestCellComps);
}

int32_t MR_TestRectWires(ObstacleList& list, Seg rect, bool keep)
{
    return TestRect(list, rect, keep, g_TestedWires, MR_TestCellWires);
}

namespace {

// The keep-out boxes of a foreign wire branch for a line in direction
// `dir` at lateral coordinate `at`: a segment along the line keeps the line
// a step away on each side and a step before its ends; a segment across
// it counts only with its ends (a crossing is allowed, a T is not).
template <class F>
void WireKeepOuts(int32_t branch, int32_t dir, int32_t at, F&& f)
{
    const int32_t reach = (g_StepSize > 0 ? g_StepSize : 50800) - 1;
    const bool lineH = dir == 0 || dir == 4;
    if (!WireNearLine(branch, lineH, at, reach)) return;
    ForEachWireSeg(branch, [&](int32_t, const Seg& s) {
        if (s.x1 == s.x2 && s.y1 == s.y2) return true;
        const bool segH = s.y1 == s.y2;
        if (segH == lineH) {
            const int32_t side = segH ? s.y1 : s.x1;
            if (std::llabs(int64_t(side) - at) <= reach) f(Seg{s.x1 - reach, s.y1 - reach, s.x2 + reach, s.y2 + reach});
            return true;
        }
        for (const auto& [ex, ey] : {std::pair{s.x1, s.y1}, std::pair{s.x2, s.y2}})
            if (std::llabs(int64_t(lineH ? ey : ex) - at) <= reach) f(Seg{ex - reach, ey - reach, ex + reach, ey + reach});
        return true;
    });
}

}  // namespace

int32_t ProbeForward(int32_t x, int32_t y, int32_t dir, int32_t& stopX, int32_t& stopY, Seg& hitBody, int32_t* hitKind)
{
    const FieldGrid& g = g_FieldGrid;
    if (!g_CellsPresent || g.cellSize <= 0) return 0;
    auto cellOf = [&](int64_t v, int64_t origin) { return (v - origin) / g.cellSize - ((v - origin) < 0 ? 1 : 0); };
    int64_t col = cellOf(x, g.originX), row = cellOf(y, g.originY);
    const int64_t dc = dir == 0 ? 1 : dir == 4 ? -1 : 0, dr = dir == 2 ? 1 : dir == 6 ? -1 : 0;
    // A point outside the grid starts at the grid's edge on its line.
    if (dc == 0 && (col < 0 || col >= g.columns)) return 0;
    if (dr == 0 && (row < 0 || row >= g.rows)) return 0;
    if (col < 0) col = dc > 0 ? 0 : -1;
    if (col >= g.columns) col = dc < 0 ? g.columns - 1 : g.columns;
    if (row < 0) row = dr > 0 ? 0 : -1;
    if (row >= g.rows) row = dr < 0 ? g.rows - 1 : g.rows;
    int64_t best = g_Tuning.probeReach;
    int32_t found = 0;
    // The distance from the point to a box ahead on its line, -1 for none.
    auto ahead = [&](const Seg& b) -> int64_t {
        switch (dir) {
        case 0: return y >= b.y1 && y <= b.y2 && b.x1 > x ? int64_t(b.x1) - x : -1;
        case 4: return y >= b.y1 && y <= b.y2 && b.x2 < x ? int64_t(x) - b.x2 : -1;
        case 2: return x >= b.x1 && x <= b.x2 && b.y1 > y ? int64_t(b.y1) - y : -1;
        default: return x >= b.x1 && x <= b.x2 && b.y2 < y ? int64_t(y) - b.y2 : -1;
        }
    };
    auto inside = [&](const Seg& b) { return x >= b.x1 && x <= b.x2 && y >= b.y1 && y <= b.y2; };
    // A box that holds the point stops its line at once.
    auto take = [&](const Seg& b, int32_t kind) {
        const int64_t dist = inside(b) ? 0 : ahead(b);
        if (dist >= 0 && (dist < best || !found)) best = dist, found = kind, hitBody = b;
    };
    const int32_t nearKeep = (g_StepSize > 0 ? g_StepSize : 50800) / 2 - 1;
    const int32_t at = (dir == 0 || dir == 4) ? y : x;
    // An object listed in several cells along the line is looked at once.
    static IdMarks seenComps, seenWires;
    seenComps.Clear();
    seenWires.Clear();
    // The cell after the first hit is looked at too: a keep-out box reaches
    // past the cell that lists its object.
    for (int extra = 0; col >= 0 && col < g.columns && row >= 0 && row < g.rows && extra < 2;
         col += dc, row += dr) {
        const ScrFieldCell& cell = g_Cells[static_cast<size_t>(row * g.columns + col)];
        ForEachLink(g_CompLinks, cell.firstComp, [&](int32_t c) {
            if ((c >= 0 && !seenComps.Mark(c)) || g_Comps[c].page != g_ScrCurPage) return 1;
            Seg b = CompBody(c, g_Clearance);
            // Inside the pair's margin: only the half step counts; the body
            // of a free pin of the pair does not hold the pin's lines.
            if (inside(b) && g_Clearance > nearKeep) b = CompBody(c, nearKeep);
            if (inside(b) && IsExempt(c)) return 1;
            take(b, kObstBody);
            return 1;
        });
        ForEachLink(g_WireLinks, cell.firstWire, [&](int32_t b) {
            if (b >= 0 && !seenWires.Mark(b)) return 1;
            const ScrBranchRec& r = g_Branches[b];
            if (r.page != g_ScrCurPage || !r.inUse || IsOwnWire(b)) return 1;
            WireKeepOuts(b, dir, at, [&](const Seg& k) { take(k, kObstWire); });
            return 1;
        });
        if (found) ++extra;
    }
    if (!found) return 0;
    const int32_t d = static_cast<int32_t>(std::max<int64_t>(best - 1, 0));
    stopX = x + (dir == 0 ? d : dir == 4 ? -d : 0);
    stopY = y + (dir == 2 ? d : dir == 6 ? -d : 0);
    if (hitKind) *hitKind = found;
    return 1;
}

namespace {

// Clusters collected in this image, by the box they grew from, the
// clearance and the page. Components stay where the load put them until
// the image is freed, so a cluster is known for good, unless the pair's own
// pin bodies (which clusters leave out) touch it: only clusters that no
// left-out body touched are kept, and one is taken again only while the
// asking pair's pin bodies stay clear of it.
struct ClusterKey {
    int32_t x1, y1, x2, y2, clearance, page;
    bool operator==(const ClusterKey&) const = default;
};
struct ClusterHash {
    size_t operator()(const ClusterKey& k) const
    {
        uint64_t h = uint32_t(k.x1);
        for (const int32_t v : {k.y1, k.x2, k.y2, k.clearance, k.page}) h = h * 0x9E3779B97F4A7C15ull + uint32_t(v);
        return size_t(h ^ (h >> 29));
    }
};
std::unordered_map<ClusterKey, Seg, ClusterHash> g_KnownClusters;

bool TouchesExempt(const Seg& r)
{
    for (const int32_t c : g_ExemptComp)
        if (c && g_Comps[c].page == g_ScrCurPage && Overlap(CompBody(c, g_Clearance), r)) return true;
    return false;
}

// The cluster grown pass by pass: every body that touches the rectangle
// widens it, until a pass adds nothing.
int32_t GrowCluster(Seg& cluster)
{
    g_TestedComps.Clear();
    ObstacleList list;
    for (int pass = 0; pass < 50; ++pass) {
        list.Clear();
        if (!MR_TestRectComps(list, cluster, true)) return 0;
        bool grown = false;
        for (const Obstacle& o : list.rows) {
            const Seg before = cluster;
            cluster = Seg{std::min(cluster.x1, o.x1), std::min(cluster.y1, o.y1), std::max(cluster.x2, o.x2),
                          std::max(cluster.y2, o.y2)};
            grown = grown || before.x1 != cluster.x1 || before.y1 != cluster.y1 || before.x2 != cluster.x2 ||
                    before.y2 != cluster.y2;
        }
        if (list.rows.empty() || !grown) return 1;
    }
    return Fail(1920, 6);
}

}  // namespace

void ForgetClusters() { g_KnownClusters.clear(); }

int32_t CollectCluster(Seg& cluster)
{
    const ClusterKey key{cluster.x1, cluster.y1, cluster.x2, cluster.y2, g_Clearance, g_ScrCurPage};
    if (const auto it = g_KnownClusters.find(key); it != g_KnownClusters.end() && !TouchesExempt(it->second)) {
        cluster = it->second;
        return 1;
    }
    const int32_t found = GrowCluster(cluster);
    if (found && !TouchesExempt(cluster)) g_KnownClusters.insert_or_assign(key, cluster);
    return found;
}

bool SegmentFreeIn(const ObstacleList& list, int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t exemptA,
                   int32_t exemptB, int32_t* crossings)
{
    if (x1 == x2 && y1 == y2) return true;
    const int64_t step = g_StepSize > 0 ? g_StepSize : 50800, half = step / 2;
    const bool horizontal = y1 == y2;
    // Work in a frame where the segment runs along x at height `line`.
    const int64_t lo = horizontal ? std::min(x1, x2) : std::min(y1, y2);
    const int64_t hi = horizontal ? std::max(x1, x2) : std::max(y1, y2);
    const int64_t line = horizontal ? y1 : x1;
    for (const Obstacle& o : list.rows) {
        const int64_t olo = horizontal ? o.x1 : o.y1, ohi = horizontal ? o.x2 : o.y2;
        const int64_t clo = horizontal ? o.y1 : o.x1, chi = horizontal ? o.y2 : o.x2;
        if (o.kind & kObstBody) {
            if (o.object == exemptA || o.object == exemptB || IsExempt(o.object)) continue;
            if (olo - half < hi && lo < ohi + half && clo - half < line && line < chi + half) return false;
            continue;
        }
        if (IsOwnWire(o.branch)) continue;
        const bool parallel = clo == chi && !(olo == ohi);
        if (parallel) {
            const int64_t gap = std::llabs(clo - line);
            if (gap == 0 && olo < hi + step && lo < ohi + step) return false;
            if (gap > 0 && gap < step && olo < hi && lo < ohi) return false;
            continue;
        }
        if (olo != ohi) continue;  // a point
        // Perpendicular: the other runs across at `olo` from clo to chi.
        if (olo < lo || olo > hi || line < clo || line > chi) continue;
        const bool ourEnd = olo == lo || olo == hi, theirEnd = line == clo || line == chi;
        if (ourEnd || theirEnd) return false;  // a T would read as a connection
        if (crossings) ++*crossings;
    }
    return true;
}

bool SegmentFree(int32_t x1, int32_t y1, int32_t x2, int32_t y2, int32_t exemptA, int32_t exemptB, int32_t* crossings)
{
    const int32_t step = g_StepSize > 0 ? g_StepSize : 50800;
    Seg box{std::min(x1, x2) - step, std::min(y1, y2) - step, std::max(x1, x2) + step, std::max(y1, y2) + step};
    // One list kept for every question (none calls another): a path's
    // segments are tested by the thousand, and a list of their own grew
    // and was freed each time.
    static ObstacleList list;
    list.Clear();
    // The clearance is measured from the true body: the search's narrowing
    // by one unit would let a wire pass one unit closer than half a step.
    const int32_t saved = g_Clearance;
    g_Clearance = 0;
    const bool bodiesRead = MR_TestRectComps(list, box, false);
    g_Clearance = saved;
    // Bodies first: most segments that are refused meet one, and the wires
    // around them are then not collected.
    if (!bodiesRead || !SegmentFreeIn(list, x1, y1, x2, y2, exemptA, exemptB)) return false;
    list.Clear();
    return MR_TestRectWires(list, box, false) && SegmentFreeIn(list, x1, y1, x2, y2, exemptA, exemptB, crossings);
}

}  // namespace corvex
