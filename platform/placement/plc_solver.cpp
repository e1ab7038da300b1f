// The placement itself. A legal site puts a component's origin where the
// editor's relocation puts it (the corner of a cell plus the outline offset,
// rounded to the alignment) and its outline plus clearances into a block of
// whole cells of its pattern: inside the page frame less the edge, clear of
// keep-off zones, locked components and the other components, one component
// per cell. The placement is built greedily in connection order (each
// component at the free site nearest its placed neighbours that costs least
// pin wire length), then improved by moves and swaps under a low-temperature
// annealing schedule on the half-perimeter wire length. Everything is
// deterministic: a fixed seed and fixed orders.
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

class Placer {
public:
    Placer(const Model& m) : m_(m), sites_(m.comps.size()), placed_(m.comps.size(), false)
    {
        const Rect& f = m.frame;
        const int64_t span = std::max<int64_t>({f.x2 - f.x1, f.y2 - f.y1, 1});
        bucket_ = std::max<int64_t>(span / 64, 1);
        for (int s = 0; s < kLineSets; ++s) {
            const LineSet& ls = m.lines[s];
            const size_t nc = ls.cols.size() > 1 ? ls.cols.size() - 1 : 0;
            const size_t nr = ls.rows.size() > 1 ? ls.rows.size() - 1 : 0;
            owner_[s].assign(nc * nr, -1);
        }
        compNets_.resize(m.comps.size());
        for (int n = 0; n < static_cast<int>(m.nets.size()); ++n)
            for (auto [c, p] : m.nets[n]) {
                (void)p;
                if (compNets_[c].empty() || compNets_[c].back() != n) compNets_[c].push_back(n);
            }
        for (int c = 0; c < static_cast<int>(m.comps.size()); ++c)
            if (m.comps[c].locked) {
                locked_.push_back(Moved(m.comps[c].current.box, m.comps[c].x, m.comps[c].y));
                placed_[c] = true;
            }
    }

    bool Run(std::vector<Site>& out)
    {
        if (!Initial()) return false;
        Improve();
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
    int Cols(int set) const { return m_.lines[set].cols.size() > 1 ? static_cast<int>(m_.lines[set].cols.size()) - 1 : 0; }
    int Rows(int set) const { return m_.lines[set].rows.size() > 1 ? static_cast<int>(m_.lines[set].rows.size()) - 1 : 0; }

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
        int64_t x1 = std::numeric_limits<int64_t>::max(), y1 = x1, x2 = std::numeric_limits<int64_t>::min(), y2 = x2;
        int count = 0;
        for (auto [c, pin] : m_.nets[n]) {
            if (!placed_[c]) continue;
            const Pt p = PinAt(c, pin);
            x1 = std::min(x1, p.x), y1 = std::min(y1, p.y), x2 = std::max(x2, p.x), y2 = std::max(y2, p.y);
            ++count;
        }
        return count < 2 ? 0.0 : static_cast<double>(x2 - x1) + static_cast<double>(y2 - y1);
    }

    double CompCost(int c) const
    {
        double total = 0;
        for (int n : compNets_[c]) total += NetLength(n);
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

    // Whether site s of c is free of the other placed components, ignoring
    // those in `skip`.
    bool Free(int c, const Site& s, int skipA = -1, int skipB = -1) const
    {
        const int set = m_.comps[c].lineSet;
        const int nc = Cols(set);
        for (int r = s.k; r < s.l; ++r)
            for (int q = s.i; q < s.j; ++q) {
                const int o = owner_[set][static_cast<size_t>(r) * nc + q];
                if (o >= 0 && o != c && o != skipA && o != skipB) return false;
            }
        const Rect box = BoxOf(c, s);
        const Rect wide{box.x1 - m_.clearX, box.y1 - m_.clearY, box.x2 + m_.clearX, box.y2 + m_.clearY};
        for (int64_t bx = Floor(wide.x1); bx <= Floor(wide.x2 - 1); ++bx)
            for (int64_t by = Floor(wide.y1); by <= Floor(wide.y2 - 1); ++by) {
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
        const Rect box = BoxOf(c, s);
        for (int64_t bx = Floor(box.x1); bx <= Floor(box.x2 - 1 < box.x1 ? box.x1 : box.x2 - 1); ++bx)
            for (int64_t by = Floor(box.y1); by <= Floor(box.y2 - 1 < box.y1 ? box.y1 : box.y2 - 1); ++by) {
                auto& v = buckets_[Key(bx, by)];
                if (on) v.push_back(c);
                else v.erase(std::remove(v.begin(), v.end(), c), v.end());
            }
        placed_[c] = on;
    }

    // Where c would like to be: the mean of the placed pins it connects to,
    // or the frame's centre.
    Pt Target(int c) const
    {
        double sx = 0, sy = 0;
        int count = 0;
        for (int n : compNets_[c])
            for (auto [o, pin] : m_.nets[n]) {
                if (o == c || !placed_[o]) continue;
                const Pt p = PinAt(o, pin);
                sx += p.x, sy += p.y, ++count;
            }
        if (count == 0) return {(m_.frame.x1 + m_.frame.x2) / 2, (m_.frame.y1 + m_.frame.y2) / 2};
        return {std::llround(sx / count), std::llround(sy / count)};
    }

    // The best free site of c in rings of cells around the cell holding
    // `target`: the ring where the first legal site appears and the next one
    // are searched. Cost: c's wire length there, ties by distance.
    bool BestNear(int c, Pt target, int maxRing, Site& best)
    {
        const Comp& comp = m_.comps[c];
        const LineSet& ls = m_.lines[comp.lineSet];
        const int nc = Cols(comp.lineSet), nr = Rows(comp.lineSet);
        if (nc == 0 || nr == 0) return false;
        const int ti = std::clamp(static_cast<int>(std::upper_bound(ls.cols.begin(), ls.cols.end(), target.x) - ls.cols.begin()) - 1, 0, nc - 1);
        const int tk = std::clamp(static_cast<int>(std::upper_bound(ls.rows.begin(), ls.rows.end(), target.y) - ls.rows.begin()) - 1, 0, nr - 1);
        const Site saved = sites_[c];
        const bool wasPlaced = placed_[c];
        double bestCost = std::numeric_limits<double>::infinity();
        int foundRing = -1;
        const int rings = std::min(maxRing, std::max(nc, nr));
        for (int r = 0; r <= rings; ++r) {
            if (foundRing >= 0 && r > foundRing + 1) break;
            for (int k = tk - r; k <= tk + r; ++k) {
                if (k < 0 || k >= nr) continue;
                const int step = (k == tk - r || k == tk + r) ? 1 : 2 * r;
                for (int i = ti - r; i <= ti + r; i += std::max(step, 1)) {
                    if (i < 0 || i >= nc) continue;
                    for (int a = 0; a < kAngles; ++a) {
                        if (!comp.allowed[a]) continue;
                        Site s;
                        if (!Shape(c, a, i, k, s) || !Free(c, s)) continue;
                        sites_[c] = s;
                        placed_[c] = true;
                        const double dx = static_cast<double>(s.x - target.x), dy = static_cast<double>(s.y - target.y);
                        const double cost = CompCost(c) + 1e-3 * std::sqrt(dx * dx + dy * dy);
                        if (cost < bestCost) bestCost = cost, best = s;
                        if (foundRing < 0) foundRing = r;
                    }
                }
            }
        }
        sites_[c] = saved;
        placed_[c] = wasPlaced;
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
            if (Shape(c, a, rng.Below(nc), rng.Below(nr), s) && Free(c, s)) {
                out = s;
                return true;
            }
        }
        if (tries > 0) return false;
        for (int k = 0; k < nr; ++k)
            for (int i = 0; i < nc; ++i)
                for (int a = 0; a < kAngles; ++a) {
                    Site s;
                    if (comp.allowed[a] && Shape(c, a, i, k, s) && Free(c, s)) {
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
        std::vector<int> order, degree(n, 0);
        std::vector<bool> seen(n, false);
        for (int c = 0; c < n; ++c) degree[c] = static_cast<int>(compNets_[c].size());
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
                if (!m_.comps[c].locked) order.push_back(c);
                for (int net : compNets_[c])
                    for (auto [o, pin] : m_.nets[net]) {
                        (void)pin;
                        if (!seen[o]) seen[o] = true, queue.push_back(o);
                    }
            }
        };
        expand();
        for (int c : byDegree)
            if (!seen[c]) seen[c] = true, queue.push_back(c), expand();

        for (int c : order) {
            Site s;
            if (!BestNear(c, Target(c), std::numeric_limits<int>::max(), s)) return false;
            sites_[c] = s;
            Occupy(c, true);
        }
        return true;
    }

    void Improve()
    {
        std::vector<int> movable;
        for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c)
            if (!m_.comps[c].locked) movable.push_back(c);
        if (movable.size() < 1 || m_.nets.empty()) return;
        Rng rng(0x9E3779B97F4A7C15ULL);
        double avg = 0;
        for (int n = 0; n < static_cast<int>(m_.nets.size()); ++n) avg += NetLength(n);
        avg /= static_cast<double>(m_.nets.size());
        double t = 0.05 * avg;
        const int rounds = 12;
        const int perRound = static_cast<int>(movable.size()) * 6;
        for (int round = 0; round < rounds; ++round, t *= 0.6) {
            for (int it = 0; it < perRound; ++it) {
                const int c = movable[rng.Below(static_cast<int>(movable.size()))];
                if (rng.Below(2) == 0) TryMove(c, t, rng);
                else TrySwap(c, movable[rng.Below(static_cast<int>(movable.size()))], t, rng);
            }
        }
    }

    bool Accept(double delta, double t, Rng& rng) const
    {
        if (delta <= 0) return true;
        if (t <= 0) return false;
        return rng.Unit() < std::exp(-delta / t);
    }

    void TryMove(int c, double t, Rng& rng)
    {
        Site s;
        if (!BestNear(c, Target(c), 2, s)) return;
        if (s.i == sites_[c].i && s.k == sites_[c].k && s.angle == sites_[c].angle) return;
        const double before = CompCost(c);
        const Site old = sites_[c];
        Occupy(c, false);
        sites_[c] = s;
        placed_[c] = true;
        const double delta = CompCost(c) - before;
        if (Accept(delta, t, rng)) {
            Occupy(c, true);
        } else {
            sites_[c] = old;
            Occupy(c, true);
        }
    }

    void TrySwap(int a, int b, double t, Rng& rng)
    {
        if (a == b || m_.comps[a].lineSet != m_.comps[b].lineSet) return;
        Site sa, sb;
        if (!Shape(a, sites_[a].angle, sites_[b].i, sites_[b].k, sa)) return;
        if (!Shape(b, sites_[b].angle, sites_[a].i, sites_[a].k, sb)) return;
        const double before = CompCost(a) + CompCost(b);
        const Site oa = sites_[a], ob = sites_[b];
        Occupy(a, false);
        Occupy(b, false);
        bool ok = Free(a, sa);
        if (ok) {
            sites_[a] = sa;
            Occupy(a, true);
            ok = Free(b, sb);
            Occupy(a, false);
            sites_[a] = oa;
        }
        if (ok) {
            sites_[a] = sa, sites_[b] = sb;
            placed_[a] = placed_[b] = true;
            const double delta = CompCost(a) + CompCost(b) - before;
            if (Accept(delta, t, rng)) {
                Occupy(a, true), Occupy(b, true);
                return;
            }
        }
        sites_[a] = oa, sites_[b] = ob;
        Occupy(a, true), Occupy(b, true);
    }

    const Model& m_;
    std::vector<Site> sites_;
    std::vector<bool> placed_;
    std::vector<std::vector<int>> compNets_;
    std::vector<Rect> locked_;
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
