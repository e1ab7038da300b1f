// The placement itself. A legal site puts a component's origin where the
// editor's relocation puts it (the corner of a cell plus the outline offset,
// rounded to the alignment) and its outline plus clearances into a block of
// whole cells of its pattern: inside the page frame less the edge, clear of
// keep-off zones, locked components and the other components, one component
// per cell.
//
// The placement is built greedily in connection order (each component at the
// free site nearest its placed neighbours that costs least pin wire length),
// then refined in passes: each component in turn takes the best site, or
// swaps with the component holding the best site, in a window of cells
// around the point where its nets want it (the median of their spans), when
// that shortens the half-perimeter wire length. The passes stop when one
// gains too little. Everything is deterministic: fixed orders, no chance.
//
// What makes it fast: the sites of a footprint (line set and outlines at the
// four angles) are computed once and looked up; with one line set in use the
// cell owners alone decide whether a site is free; the length of every net
// is kept and only the nets of the components that move are measured again;
// a candidate site is priced against the spans of the other pins of its
// nets, measured once per component.
#include "platform/placement/plc_model.h"
#include "platform/placement/plc_rules.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace plc {

namespace {

// A small deterministic generator (xorshift64*), the same on every platform.
class Rng {
public:
    explicit Rng(uint64_t seed) : s_(seed ? seed : 1) {}
    uint64_t Next()
    {
        s_ ^= s_ >> 12;
        s_ ^= s_ << 25;
        s_ ^= s_ >> 27;
        return s_ * 2685821657736338717ULL;
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
    double Unit() { return static_cast<double>(Next() >> 11) / 9007199254740992.0; }

private:
    uint64_t s_;
};

bool Overlaps(const Rect& a, const Rect& b)
{
    return a.x1 < b.x2 && b.x1 < a.x2 && a.y1 < b.y2 && b.y1 < a.y2;
}

Rect Moved(const Rect& r, int64_t x, int64_t y)
{
    return {r.x1 + x, r.y1 + y, r.x2 + x, r.y2 + y};
}

// The span of some pins of a net.
struct Span {
    int64_t x1 = std::numeric_limits<int64_t>::max(), y1 = x1;
    int64_t x2 = std::numeric_limits<int64_t>::min(), y2 = x2;
    int count = 0;
    void Add(int64_t x, int64_t y)
    {
        x1 = std::min(x1, x), y1 = std::min(y1, y), x2 = std::max(x2, x), y2 = std::max(y2, y);
        ++count;
    }
    double Length() const { return count < 2 ? 0.0 : static_cast<double>(x2 - x1) + static_cast<double>(y2 - y1); }
};

// Entries of the site tables of all footprints together; beyond it sites are
// computed each time they are asked for.
constexpr size_t kTableBudget = size_t{1} << 22;

class Placer {
public:
    explicit Placer(const Model& m) : m_(m), sites_(m.comps.size()), placed_(m.comps.size(), false)
    {
        const Rect& f = m.frame;
        const int64_t span = std::max<int64_t>({f.x2 - f.x1, f.y2 - f.y1, 1});
        bucket_ = std::max<int64_t>(span / 64, 1);
        for (int s = 0; s < kLineSets; ++s) owner_[s].assign(static_cast<size_t>(Cols(s)) * Rows(s), -1);
        links_.resize(m.comps.size());
        for (int n = 0; n < static_cast<int>(m.nets.size()); ++n)
            for (auto [c, p] : m.nets[n]) {
                Links& l = links_[c];
                if (l.nets.empty() || l.nets.back() != n) l.nets.push_back(n), l.start.push_back(static_cast<int>(l.pins.size()));
                l.pins.push_back(p);
            }
        for (Links& l : links_) l.start.push_back(static_cast<int>(l.pins.size()));
        int set = -1;
        for (int c = 0; c < static_cast<int>(m.comps.size()); ++c) {
            const Comp& comp = m.comps[c];
            if (comp.locked) {
                locked_.push_back(Moved(comp.current.box, comp.x, comp.y));
                placed_[c] = true;
                continue;
            }
            singleSet_ = singleSet_ && (set < 0 || set == comp.lineSet);
            set = comp.lineSet;
        }
        BuildTables();
    }

    bool Run(std::vector<Site>& out)
    {
        if (!Initial()) return false;
        Refine();
        out = sites_;
        return true;
    }

    double Hpwl() const
    {
        double total = 0;
        for (int n = 0; n < static_cast<int>(m_.nets.size()); ++n) total += NetLength(n);
        return total;
    }

    // Baselines for the benchmarks: every component at a random legal site,
    // then (for the plain annealer) random moves anywhere under a classic
    // schedule from a high temperature.
    bool RandomPlacement(uint64_t seed, std::vector<Site>& out)
    {
        Rng rng(seed);
        for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c) {
            if (m_.comps[c].locked) continue;
            if (!RandomSite(c, rng, sites_[c])) return false;
            Occupy(c, true);
        }
        out = sites_;
        return true;
    }

    void PlainAnneal(uint64_t seed, int movesPerComp, std::vector<Site>& out)
    {
        Rng rng(seed ^ 0x5DEECE66DULL);
        std::vector<int> movable;
        for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c)
            if (!m_.comps[c].locked) movable.push_back(c);
        if (movable.empty()) return;
        double avg = 0;
        for (int n = 0; n < static_cast<int>(m_.nets.size()); ++n) avg += NetLength(n);
        double t = m_.nets.empty() ? 0 : avg / static_cast<double>(m_.nets.size());
        const int total = movesPerComp * static_cast<int>(movable.size());
        const int steps = 50;
        for (int step = 0; step < steps; ++step, t *= 0.88) {
            for (int it = 0; it < total / steps; ++it) {
                const int c = movable[rng.Below(static_cast<int>(movable.size()))];
                Site s;
                if (!RandomSite(c, rng, s, 8)) continue;
                const double before = CompCost(c);
                const Site old = sites_[c];
                Occupy(c, false);
                sites_[c] = s;
                placed_[c] = true;
                if (!Accept(CompCost(c) - before, t, rng)) sites_[c] = old;
                Occupy(c, true);
            }
        }
        out = sites_;
    }

    void SetSites(const std::vector<Site>& s)
    {
        sites_ = s;
        for (size_t c = 0; c < placed_.size(); ++c) placed_[c] = true;
    }

private:
    // The nets of a component, each with the pins of the component on it.
    struct Links {
        std::vector<int> nets;
        std::vector<int> start;  // pins of nets[g]: pins[start[g]] .. pins[start[g + 1] - 1]
        std::vector<int> pins;
    };

    // The sites of one footprint by angle and first cell; filled as they are
    // asked for: 0 not yet known, 1 legal, -1 not.
    struct SiteTable {
        int set = 0;
        std::array<Rect, kAngles> boxes;
        std::vector<int8_t> known;
        std::vector<Site> sites;
    };

    int Cols(int set) const { return m_.lines[set].cols.size() > 1 ? static_cast<int>(m_.lines[set].cols.size()) - 1 : 0; }
    int Rows(int set) const { return m_.lines[set].rows.size() > 1 ? static_cast<int>(m_.lines[set].rows.size()) - 1 : 0; }

    void BuildTables()
    {
        table_.assign(m_.comps.size(), -1);
        size_t used = 0;
        for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c) {
            const Comp& comp = m_.comps[c];
            if (comp.locked) continue;
            auto same = [&](const SiteTable& t) {
                if (t.set != comp.lineSet) return false;
                for (int a = 0; a < kAngles; ++a) {
                    const Rect& p = t.boxes[a];
                    const Rect& q = comp.shapes[a].box;
                    if (p.x1 != q.x1 || p.y1 != q.y1 || p.x2 != q.x2 || p.y2 != q.y2) return false;
                }
                return true;
            };
            auto it = std::find_if(tables_.begin(), tables_.end(), same);
            if (it != tables_.end()) {
                table_[c] = static_cast<int>(it - tables_.begin());
                continue;
            }
            const size_t size = static_cast<size_t>(Cols(comp.lineSet)) * Rows(comp.lineSet) * kAngles;
            if (used + size > kTableBudget) continue;
            used += size;
            SiteTable t;
            t.set = comp.lineSet;
            for (int a = 0; a < kAngles; ++a) t.boxes[a] = comp.shapes[a].box;
            t.known.assign(size, 0);
            t.sites.resize(size);
            table_[c] = static_cast<int>(tables_.size());
            tables_.push_back(std::move(t));
        }
    }

    Pt PinAt(int c, int pin) const
    {
        const Comp& comp = m_.comps[c];
        if (comp.locked) return {comp.x + comp.current.pins[pin].x, comp.y + comp.current.pins[pin].y};
        const Site& s = sites_[c];
        const Pt& p = comp.shapes[s.angle].pins[pin];
        return {s.x + p.x, s.y + p.y};
    }

    double NetLength(int n) const
    {
        Span span;
        for (auto [c, pin] : m_.nets[n]) {
            if (!placed_[c]) continue;
            const Pt p = PinAt(c, pin);
            span.Add(p.x, p.y);
        }
        return span.Length();
    }

    double CompCost(int c) const
    {
        double total = 0;
        for (int n : links_[c].nets) total += NetLength(n);
        return total;
    }

    Rect BoxOf(int c, const Site& s) const { return Moved(m_.comps[c].shapes[s.angle].box, s.x, s.y); }

    // The site of component c at angle a whose block starts at column line i
    // and row line k; false when it cannot stand there whatever else is placed.
    bool Shape(int c, int a, int i, int k, Site& s) const
    {
        const Comp& comp = m_.comps[c];
        const LineSet& ls = m_.lines[comp.lineSet];
        const Rect& b = comp.shapes[a].box;
        s.angle = a;
        s.i = i;
        s.k = k;
        s.x = plc_prefix::AlignRelocated(ls.cols[i] - b.x1, m_.align);
        s.y = plc_prefix::AlignRelocated(ls.rows[k] - b.y1, m_.align);
        const int64_t right = s.x + b.x2 + m_.clearX, top = s.y + b.y2 + m_.clearY;
        auto j = std::lower_bound(ls.cols.begin() + i + 1, ls.cols.end(), right);
        auto l = std::lower_bound(ls.rows.begin() + k + 1, ls.rows.end(), top);
        if (j == ls.cols.end() || l == ls.rows.end()) return false;
        s.j = static_cast<int>(j - ls.cols.begin());
        s.l = static_cast<int>(l - ls.rows.begin());
        const Rect box = BoxOf(c, s);
        const Rect& f = m_.frame;
        if (box.x1 < f.x1 || box.y1 < f.y1 || box.x2 > f.x2 || box.y2 > f.y2) return false;
        const Rect wide{box.x1 - m_.clearX, box.y1 - m_.clearY, box.x2 + m_.clearX, box.y2 + m_.clearY};
        for (const Rect& z : m_.zones)
            if (Overlaps(wide, z)) return false;
        for (const Rect& z : locked_)
            if (Overlaps(wide, z)) return false;
        return true;
    }

    // Shape through the footprint's table.
    bool Legal(int c, int a, int i, int k, Site& s)
    {
        if (table_[c] < 0) return Shape(c, a, i, k, s);
        SiteTable& t = tables_[table_[c]];
        const size_t at = (static_cast<size_t>(k) * Cols(t.set) + i) * kAngles + a;
        if (t.known[at] == 0) t.known[at] = Shape(c, a, i, k, t.sites[at]) ? 1 : -1;
        if (t.known[at] < 0) return false;
        s = t.sites[at];
        return true;
    }

    // Whether site s of c is free of the other placed components, ignoring
    // those in `skip`. With one line set in use, blocks of cells apart keep
    // outlines and clearances apart: the cell owners decide alone.
    bool Free(int c, const Site& s, int skipA = -1, int skipB = -1) const
    {
        const int set = m_.comps[c].lineSet;
        const int nc = Cols(set);
        for (int r = s.k; r < s.l; ++r)
            for (int q = s.i; q < s.j; ++q) {
                const int o = owner_[set][static_cast<size_t>(r) * nc + q];
                if (o >= 0 && o != c && o != skipA && o != skipB) return false;
            }
        if (singleSet_) return true;
        const Rect box = BoxOf(c, s);
        const Rect wide{box.x1 - m_.clearX, box.y1 - m_.clearY, box.x2 + m_.clearX, box.y2 + m_.clearY};
        // Every placed outline lies inside the frame, so the buckets beyond
        // it are empty: the scan keeps to the frame, however far a large
        // clearance reaches past it.
        const Rect& f = m_.frame;
        const int64_t x1 = Floor(std::max(wide.x1, f.x1)), x2 = Floor(std::min(wide.x2 - 1, f.x2));
        const int64_t y1 = Floor(std::max(wide.y1, f.y1)), y2 = Floor(std::min(wide.y2 - 1, f.y2));
        for (int64_t bx = x1; bx <= x2; ++bx)
            for (int64_t by = y1; by <= y2; ++by) {
                auto it = buckets_.find(Key(bx, by));
                if (it == buckets_.end()) continue;
                for (int o : it->second)
                    if (o != c && o != skipA && o != skipB && Overlaps(wide, BoxOf(o, sites_[o]))) return false;
            }
        return true;
    }

    int64_t Floor(int64_t v) const { return v >= 0 ? v / bucket_ : -((-v + bucket_ - 1) / bucket_); }
    static uint64_t Key(int64_t bx, int64_t by) { return (static_cast<uint64_t>(bx) << 32) ^ static_cast<uint32_t>(by); }

    void Occupy(int c, bool on)
    {
        const Site& s = sites_[c];
        const int set = m_.comps[c].lineSet;
        const int nc = Cols(set);
        for (int r = s.k; r < s.l; ++r)
            for (int q = s.i; q < s.j; ++q) owner_[set][static_cast<size_t>(r) * nc + q] = on ? c : -1;
        placed_[c] = on;
        if (singleSet_) return;
        const Rect box = BoxOf(c, s);
        for (int64_t bx = Floor(box.x1); bx <= Floor(box.x2 - 1 < box.x1 ? box.x1 : box.x2 - 1); ++bx)
            for (int64_t by = Floor(box.y1); by <= Floor(box.y2 - 1 < box.y1 ? box.y1 : box.y2 - 1); ++by) {
                auto& v = buckets_[Key(bx, by)];
                if (on) v.push_back(c);
                else v.erase(std::remove(v.begin(), v.end(), c), v.end());
            }
    }

    // The spans of the other placed pins of c's nets, into others_.
    void OtherSpans(int c)
    {
        const Links& l = links_[c];
        others_.assign(l.nets.size(), Span{});
        for (size_t g = 0; g < l.nets.size(); ++g)
            for (auto [o, pin] : m_.nets[l.nets[g]]) {
                if (o == c || !placed_[o]) continue;
                const Pt p = PinAt(o, pin);
                others_[g].Add(p.x, p.y);
            }
    }

    // c's wire length at site s against others_.
    double CostAt(int c, const Site& s) const
    {
        const Links& l = links_[c];
        const std::vector<Pt>& pins = m_.comps[c].shapes[s.angle].pins;
        double total = 0;
        for (size_t g = 0; g < l.nets.size(); ++g) {
            Span span = others_[g];
            for (int p = l.start[g]; p < l.start[g + 1]; ++p) span.Add(s.x + pins[l.pins[p]].x, s.y + pins[l.pins[p]].y);
            total += span.Length();
        }
        return total;
    }

    // Where c would like to be: the mean of the placed pins it connects to,
    // or the frame's centre.
    Pt Target(int c) const
    {
        double sx = 0, sy = 0;
        int count = 0;
        for (int n : links_[c].nets)
            for (auto [o, pin] : m_.nets[n]) {
                if (o == c || !placed_[o]) continue;
                const Pt p = PinAt(o, pin);
                sx += p.x, sy += p.y, ++count;
            }
        if (count == 0) return {(m_.frame.x1 + m_.frame.x2) / 2, (m_.frame.y1 + m_.frame.y2) / 2};
        return {std::llround(sx / count), std::llround(sy / count)};
    }

    // The cell of a line set holding a point.
    int CellOf(const std::vector<int64_t>& lines, int count, int64_t v) const
    {
        return std::clamp(static_cast<int>(std::upper_bound(lines.begin(), lines.end(), v) - lines.begin()) - 1, 0, count - 1);
    }

    // The best free site of c in rings of cells around the cell holding
    // `target`: the ring where the first legal site appears and the next one
    // are searched. Cost: c's wire length there, ties by distance.
    bool BestNear(int c, Pt target, Site& best)
    {
        const Comp& comp = m_.comps[c];
        const LineSet& ls = m_.lines[comp.lineSet];
        const int nc = Cols(comp.lineSet), nr = Rows(comp.lineSet);
        if (nc == 0 || nr == 0) return false;
        const int ti = CellOf(ls.cols, nc, target.x), tk = CellOf(ls.rows, nr, target.y);
        OtherSpans(c);
        double bestCost = std::numeric_limits<double>::infinity();
        int foundRing = -1;
        const int rings = std::max(nc, nr);
        for (int r = 0; r <= rings; ++r) {
            if (foundRing >= 0 && r > foundRing + 1) break;
            for (int k = tk - r; k <= tk + r; ++k) {
                if (k < 0 || k >= nr) continue;
                const int step = (k == tk - r || k == tk + r) ? 1 : 2 * r;
                for (int i = ti - r; i <= ti + r; i += std::max(step, 1)) {
                    if (i < 0 || i >= nc) continue;
                    for (int a = 0; a < kAngles; ++a) {
                        Site s;
                        if (!comp.allowed[a] || !Legal(c, a, i, k, s) || !Free(c, s)) continue;
                        const double dx = static_cast<double>(s.x - target.x), dy = static_cast<double>(s.y - target.y);
                        const double cost = CostAt(c, s) + 1e-3 * std::sqrt(dx * dx + dy * dy);
                        if (cost < bestCost) bestCost = cost, best = s;
                        if (foundRing < 0) foundRing = r;
                    }
                }
            }
        }
        return foundRing >= 0;
    }

    // A random free site of c, `tries` attempts (every cell when 0).
    bool RandomSite(int c, Rng& rng, Site& out, int tries = 0)
    {
        const Comp& comp = m_.comps[c];
        const int nc = Cols(comp.lineSet), nr = Rows(comp.lineSet);
        if (nc == 0 || nr == 0) return false;
        const int limit = tries > 0 ? tries : 4 * nc * nr;
        for (int t = 0; t < limit; ++t) {
            const int a = rng.Below(kAngles);
            if (!comp.allowed[a]) continue;
            Site s;
            if (Legal(c, a, rng.Below(nc), rng.Below(nr), s) && Free(c, s)) {
                out = s;
                return true;
            }
        }
        if (tries > 0) return false;
        for (int k = 0; k < nr; ++k)
            for (int i = 0; i < nc; ++i)
                for (int a = 0; a < kAngles; ++a) {
                    Site s;
                    if (comp.allowed[a] && Legal(c, a, i, k, s) && Free(c, s)) {
                        out = s;
                        return true;
                    }
                }
        return false;
    }

    bool Initial()
    {
        // Connection order: breadth first from the most connected component,
        // locked components' neighbours first.
        const int n = static_cast<int>(m_.comps.size());
        std::vector<int> degree(n, 0);
        std::vector<bool> seen(n, false);
        for (int c = 0; c < n; ++c) degree[c] = static_cast<int>(links_[c].nets.size());
        std::vector<int> starts;
        for (int c = 0; c < n; ++c)
            if (m_.comps[c].locked) seen[c] = true, starts.push_back(c);
        std::vector<int> byDegree;
        for (int c = 0; c < n; ++c)
            if (!m_.comps[c].locked) byDegree.push_back(c);
        std::stable_sort(byDegree.begin(), byDegree.end(), [&](int a, int b) { return degree[a] > degree[b]; });
        size_t head = 0;
        std::vector<int> queue = starts;
        auto expand = [&]() {
            while (head < queue.size()) {
                const int c = queue[head++];
                if (!m_.comps[c].locked) order_.push_back(c);
                for (int net : links_[c].nets)
                    for (auto [o, pin] : m_.nets[net]) {
                        (void)pin;
                        if (!seen[o]) seen[o] = true, queue.push_back(o);
                    }
            }
        };
        expand();
        for (int c : byDegree)
            if (!seen[c]) seen[c] = true, queue.push_back(c), expand();

        for (int c : order_) {
            Site s;
            if (!BestNear(c, Target(c), s)) return false;
            sites_[c] = s;
            Occupy(c, true);
        }
        return true;
    }

    // Where c's nets want its origin at its present angle: for each pin, the
    // span of the other pins of its net shifted by the pin's offset; the
    // median of the ends of those spans costs least. False without nets.
    bool Wanted(int c, Pt& at)
    {
        const Links& l = links_[c];
        const std::vector<Pt>& pins = m_.comps[c].shapes[sites_[c].angle].pins;
        xs_.clear(), ys_.clear();
        for (size_t g = 0; g < l.nets.size(); ++g) {
            if (others_[g].count == 0) continue;
            for (int p = l.start[g]; p < l.start[g + 1]; ++p) {
                const Pt& o = pins[l.pins[p]];
                xs_.push_back(others_[g].x1 - o.x), xs_.push_back(others_[g].x2 - o.x);
                ys_.push_back(others_[g].y1 - o.y), ys_.push_back(others_[g].y2 - o.y);
            }
        }
        if (xs_.empty()) return false;
        auto median = [](std::vector<int64_t>& v) {
            std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
            return v[v.size() / 2];
        };
        at = {median(xs_), median(ys_)};
        return true;
    }

    // Wire length of net n with a at sa and b at sb.
    double NetLengthWith(int n, int a, const Site& sa, int b, const Site& sb) const
    {
        Span span;
        for (auto [c, pin] : m_.nets[n]) {
            if (!placed_[c]) continue;
            if (c == a || c == b) {
                const Site& s = c == a ? sa : sb;
                const Pt& p = m_.comps[c].shapes[s.angle].pins[pin];
                span.Add(s.x + p.x, s.y + p.y);
            } else {
                const Pt p = PinAt(c, pin);
                span.Add(p.x, p.y);
            }
        }
        return span.Length();
    }

    // Change of wire length when a goes to sa and b to sb.
    double SwapDelta(int a, const Site& sa, int b, const Site& sb) const
    {
        double delta = 0;
        for (int n : links_[a].nets) delta += NetLengthWith(n, a, sa, b, sb) - length_[n];
        const std::vector<int>& na = links_[a].nets;
        for (int n : links_[b].nets)
            if (std::find(na.begin(), na.end(), n) == na.end()) delta += NetLengthWith(n, a, sa, b, sb) - length_[n];
        return delta;
    }

    // The one component other than c holding cells of site s of c: -1 when
    // none, -2 when more than one.
    int Holder(int c, const Site& s) const
    {
        const int set = m_.comps[c].lineSet;
        const int nc = Cols(set);
        int holder = -1;
        for (int r = s.k; r < s.l; ++r)
            for (int q = s.i; q < s.j; ++q) {
                const int o = owner_[set][static_cast<size_t>(r) * nc + q];
                if (o < 0 || o == c || o == holder) continue;
                if (holder >= 0) return -2;
                holder = o;
            }
        return holder;
    }

    static bool Disjoint(const Site& a, const Site& b)
    {
        return a.j <= b.i || b.j <= a.i || a.l <= b.k || b.l <= a.k;
    }

    // Moves c to the best site in `window` cells each way around where its
    // nets want it, or swaps it with the component there (which keeps its
    // angle); returns the wire length gained.
    double Better(int c, int window)
    {
        const Comp& comp = m_.comps[c];
        const LineSet& ls = m_.lines[comp.lineSet];
        const int nc = Cols(comp.lineSet), nr = Rows(comp.lineSet);
        OtherSpans(c);
        Pt want;
        if (!Wanted(c, want)) return 0;
        const Site old = sites_[c];
        const Rect& b = comp.shapes[old.angle].box;
        const int ti = CellOf(ls.cols, nc, want.x + b.x1), tk = CellOf(ls.rows, nr, want.y + b.y1);
        double current = 0;
        for (int n : links_[c].nets) current += length_[n];
        double bestDelta = -0.5;
        Site best, bestOther;
        int partner = -1;
        bool found = false;
        auto consider = [&](int i, int k) {
            for (int a = 0; a < kAngles; ++a) {
                Site s;
                if (!comp.allowed[a] || !Legal(c, a, i, k, s)) continue;
                if (s.i == old.i && s.k == old.k && s.angle == old.angle) continue;
                const int o = Holder(c, s);
                if (o == -1) {
                    if (!singleSet_ && !Free(c, s)) continue;
                    const double delta = CostAt(c, s) - current;
                    if (delta < bestDelta) bestDelta = delta, best = s, partner = -1, found = true;
                } else if (o >= 0) {
                    Site so;
                    if (!Legal(o, sites_[o].angle, old.i, old.k, so) || !Disjoint(s, so)) continue;
                    if (!Free(o, so, c) || (!singleSet_ && !Free(c, s, o))) continue;
                    const double delta = SwapDelta(c, s, o, so);
                    if (delta < bestDelta) bestDelta = delta, best = s, bestOther = so, partner = o, found = true;
                }
            }
        };
        for (int k = std::max(tk - window, 0); k <= std::min(tk + window, nr - 1); ++k)
            for (int i = std::max(ti - window, 0); i <= std::min(ti + window, nc - 1); ++i) consider(i, k);
        if (std::abs(old.i - ti) > window || std::abs(old.k - tk) > window) consider(old.i, old.k);
        if (!found) return 0;
        Apply(c, best, partner, bestOther);
        return -bestDelta;
    }

    // A kick: c to a random cell and angle in the window around where its
    // nets want it, or a swap with the component there, whatever it costs.
    // Returns the change of wire length.
    double Kick(int c, Rng& rng)
    {
        const Comp& comp = m_.comps[c];
        const LineSet& ls = m_.lines[comp.lineSet];
        const int nc = Cols(comp.lineSet), nr = Rows(comp.lineSet);
        OtherSpans(c);
        Pt want;
        if (!Wanted(c, want)) return 0;
        const Site old = sites_[c];
        const Rect& b = comp.shapes[old.angle].box;
        const int ti = CellOf(ls.cols, nc, want.x + b.x1), tk = CellOf(ls.rows, nr, want.y + b.y1);
        const int i = std::clamp(ti + rng.Below(2 * kWindow + 1) - kWindow, 0, nc - 1);
        const int k = std::clamp(tk + rng.Below(2 * kWindow + 1) - kWindow, 0, nr - 1);
        const int a = rng.Below(kAngles);
        Site s;
        if (!comp.allowed[a] || !Legal(c, a, i, k, s)) return 0;
        if (s.i == old.i && s.k == old.k && s.angle == old.angle) return 0;
        const int o = Holder(c, s);
        if (o == -1) {
            if (!singleSet_ && !Free(c, s)) return 0;
            double current = 0;
            for (int n : links_[c].nets) current += length_[n];
            const double delta = CostAt(c, s) - current;
            Apply(c, s, -1, s);
            return delta;
        }
        if (o < 0) return 0;
        Site so;
        if (!Legal(o, sites_[o].angle, old.i, old.k, so) || !Disjoint(s, so)) return 0;
        if (!Free(o, so, c) || (!singleSet_ && !Free(c, s, o))) return 0;
        const double delta = SwapDelta(c, s, o, so);
        Apply(c, s, o, so);
        return delta;
    }

    // Puts c at s and, when `partner` is a component, it at so.
    void Apply(int c, const Site& s, int partner, const Site& so)
    {
        journal_.push_back({c, sites_[c], partner, partner >= 0 ? sites_[partner] : Site{}});
        moved_ = c, partner_ = partner;
        Occupy(c, false);
        if (partner >= 0) Occupy(partner, false);
        sites_[c] = s;
        Occupy(c, true);
        if (partner >= 0) {
            sites_[partner] = so;
            Occupy(partner, true);
            for (int n : links_[partner].nets) length_[n] = NetLength(n);
        }
        for (int n : links_[c].nets) length_[n] = NetLength(n);
    }

    // Puts back every move of the journal, newest first.
    void Undo()
    {
        for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
            Occupy(it->c, false);
            if (it->partner >= 0) Occupy(it->partner, false);
            sites_[it->c] = it->old;
            Occupy(it->c, true);
            if (it->partner >= 0) {
                sites_[it->partner] = it->oldPartner;
                Occupy(it->partner, true);
                for (int n : links_[it->partner].nets) length_[n] = NetLength(n);
            }
            for (int n : links_[it->c].nets) length_[n] = NetLength(n);
        }
        journal_.clear();
    }

    // Queues c and the components on its nets for Better.
    void Touch(int c)
    {
        auto push = [&](int o) {
            if (o >= 0 && !m_.comps[o].locked && !queued_[o]) queued_[o] = true, work_.push_back(o);
        };
        push(c);
        for (int n : links_[c].nets)
            for (auto [o, pin] : m_.nets[n]) {
                (void)pin;
                push(o);
            }
    }

    // Better on the queued components until none gains; returns the gain.
    double Settle()
    {
        double gained = 0;
        for (size_t head = 0; head < work_.size(); ++head) {
            const int c = work_[head];
            queued_[c] = false;
            const double g = Better(c, kSettleWindow);
            if (g <= 0) continue;
            gained += g;
            Touch(moved_);
            if (partner_ >= 0) Touch(partner_);
        }
        work_.clear();
        return gained;
    }

    // Passes of Better over every component in connection order until a
    // pass gains less than a small part of the wire length; then kicks:
    // a component and its neighbours in connection moved at random near
    // where their nets want them, the neighbourhood settled again, the
    // whole kept only when the wire length shrank, else undone.
    void Refine()
    {
        if (m_.nets.empty()) return;
        length_.resize(m_.nets.size());
        double total = 0;
        for (int n = 0; n < static_cast<int>(m_.nets.size()); ++n) total += length_[n] = NetLength(n);
        for (int pass = 0; pass < kMaxPasses; ++pass) {
            double gained = 0;
            for (int c : order_) gained += Better(c, kWindow);
            total -= gained;
            if (gained <= kEnough * total) break;
        }
        queued_.assign(m_.comps.size(), false);
        Rng rng(0x9E3779B97F4A7C15ULL);
        const int count = static_cast<int>(order_.size());
        std::vector<int> group;
        for (int kick = 0; kick < kKicksPerComp * count; ++kick) {
            journal_.clear();
            group.assign(1, order_[rng.Below(count)]);
            for (size_t g = 0; g < group.size() && static_cast<int>(group.size()) < kKickSize; ++g)
                for (int n : links_[group[g]].nets)
                    for (auto [o, pin] : m_.nets[n]) {
                        (void)pin;
                        if (!m_.comps[o].locked && static_cast<int>(group.size()) < kKickSize &&
                            std::find(group.begin(), group.end(), o) == group.end())
                            group.push_back(o);
                    }
            double delta = 0;
            for (int c : group) {
                const size_t before = journal_.size();
                delta += Kick(c, rng);
                if (journal_.size() == before) continue;
                Touch(moved_);
                if (partner_ >= 0) Touch(partner_);
            }
            delta -= Settle();
            if (delta < -0.5) total += delta;
            else Undo();
        }
        journal_.clear();
    }

    bool Accept(double delta, double t, Rng& rng) const
    {
        if (delta <= 0) return true;
        if (t <= 0) return false;
        return rng.Unit() < std::exp(-delta / t);
    }

    static constexpr int kWindow = 2;        // cells each way around the wanted cell
    static constexpr int kMaxPasses = 30;
    static constexpr int kSettleWindow = 0;   // the same after a kick: the wanted cell only
    static constexpr int kKicksPerComp = 1;
    static constexpr int kKickSize = 4;       // components moved by one kick
    static constexpr double kEnough = 0.002;  // a pass gaining less ends the refinement

    const Model& m_;
    std::vector<Site> sites_;
    std::vector<bool> placed_;
    std::vector<Links> links_;
    std::vector<int> order_;        // connection order of the movable components
    std::vector<double> length_;    // wire length of every net while refining
    struct Move {
        int c;
        Site old;
        int partner;
        Site oldPartner;
    };
    std::vector<Move> journal_;     // moves of the present kick
    int moved_ = -1, partner_ = -1; // the components of the last move
    std::vector<int> work_;         // components queued for Better
    std::vector<bool> queued_;
    std::vector<Span> others_;      // scratch: OtherSpans
    std::vector<int64_t> xs_, ys_;  // scratch: Wanted
    std::vector<Rect> locked_;
    std::vector<SiteTable> tables_;
    std::vector<int> table_;        // footprint table of every component, -1 none
    bool singleSet_ = true;
    std::array<std::vector<int>, kLineSets> owner_;
    std::unordered_map<uint64_t, std::vector<int>> buckets_;
    int64_t bucket_ = 1;
};

}  // namespace

bool Solve(const Model& model, std::vector<Site>& sites)
{
    Placer placer(model);
    return placer.Run(sites);
}

bool SolveRandom(const Model& model, uint64_t seed, std::vector<Site>& sites)
{
    Placer placer(model);
    return placer.RandomPlacement(seed, sites);
}

bool SolveAnnealed(const Model& model, uint64_t seed, int movesPerComp, std::vector<Site>& sites)
{
    Placer placer(model);
    if (!placer.RandomPlacement(seed, sites)) return false;
    placer.PlainAnneal(seed, movesPerComp, sites);
    return true;
}

double Hpwl(const Model& model, const std::vector<Site>& sites)
{
    Placer placer(model);
    placer.SetSites(sites);
    return placer.Hpwl();
}

}  // namespace plc
