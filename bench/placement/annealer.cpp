// The benchmark's simulated annealers (see annealer.h).
#include "bench/placement/annealer.h"

#include "platform/placement/plc_sites.h"
#include "platform/placement/plc_wiring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace plc_bench {

namespace {

constexpr int64_t kGiveUp = 100;         // proposals a temperature may draw, x its moves
constexpr double kPenaltyGrowth = 1.1;   // the overlap weight's growth each temperature
constexpr int kClearRounds = 60;         // temperatures at most that raise the weight until no cell is shared
constexpr double kMoveWeight = 0.5;      // wire length worth a unit of legalising movement

// The parts that move.
std::vector<int> Movable(const plc::Model& m)
{
    std::vector<int> out;
    for (int c = 0; c < static_cast<int>(m.comps.size()); ++c)
        if (!m.comps[c].locked) out.push_back(c);
    return out;
}

// What the two annealers share: the random numbers, the schedule's rules
// and the bookkeeping of the moves.
class Schedule {
public:
    explicit Schedule(uint64_t seed) : rng_(seed) {}

protected:
    int Below(int k) { return k <= 0 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(k)); }
    double Unit() { return static_cast<double>(rng_() >> 11) / 9007199254740992.0; }

    static double Cooling(double rate) { return rate > 0.96 ? 0.5 : rate > 0.8 ? 0.9 : rate > 0.15 ? 0.95 : 0.8; }
    static int Widest(const plc::CellMap& cells)
    {
        int widest = 1;
        for (int set = 0; set < plc::kLineSets; ++set) widest = std::max({widest, cells.Cols(set), cells.Rows(set)});
        return widest;
    }
    static int64_t PerTemperature(double inner, int n)
    {
        return std::max<int64_t>(1, std::llround(inner * std::pow(static_cast<double>(n), 4.0 / 3.0)));
    }
    // Twenty times the spread of a sample of cost changes.
    static double StartTemperature(const std::vector<double>& deltas)
    {
        if (deltas.size() < 2) return 0;
        double sum = 0, sum2 = 0;
        for (double d : deltas) sum += d, sum2 += d * d;
        const double n = static_cast<double>(deltas.size());
        return 20 * std::sqrt(std::max(0.0, sum2 / n - (sum / n) * (sum / n)));
    }

    // One temperature: `want` priced moves (fewer when the proposals run
    // out). `propose(window, delta)` prices a random move, false when it
    // cannot be made; `take()` makes the last one priced. Returns the
    // acceptance rate.
    template <typename Propose, typename Take>
    double Temperature(int64_t want, double temperature, double window, AnnealStats& stats, Propose propose, Take take)
    {
        int64_t priced = 0, taken = 0, drawn = 0;
        while (priced < want) {
            if (drawn >= kGiveUp * want) {
                ++stats.gaveUp;
                break;
            }
            ++drawn;
            double delta = 0;
            if (!propose(window, delta)) continue;
            ++priced;
            if (delta <= 0 || (temperature > 0 && Unit() < std::exp(-delta / temperature))) {
                take();
                ++taken;
            }
        }
        ++stats.temperatures;
        stats.moves += priced, stats.proposals += drawn, stats.taken += taken;
        return priced > 0 ? static_cast<double>(taken) / static_cast<double>(priced) : 0;
    }

    std::mt19937_64 rng_;
};

// Legal moves and swaps only.
class LegalAnnealer : Schedule {
public:
    // The parts at `start`, a legal placement.
    LegalAnnealer(const plc::Model& m, uint64_t seed, const std::vector<plc::Site>& start)
        : Schedule(seed), m_(m), cells_(m), sites_(start), wiring_(m, sites_), movable_(Movable(m))
    {
        for (int c : movable_) cells_.Occupy(c, sites_[c], true);
        wiring_.Reset();
    }

    void Run(double inner, AnnealStats& stats)
    {
        if (movable_.empty() || m_.nets.empty()) return;
        const int n = static_cast<int>(movable_.size());
        const int widest = Widest(cells_);
        double window = widest;
        // The starting temperature from n random moves, all taken.
        std::vector<double> deltas;
        for (int64_t drawn = 0; static_cast<int>(deltas.size()) < n && drawn < kGiveUp * n; ++drawn) {
            double delta = 0;
            if (!Propose(window, delta)) continue;
            Take();
            deltas.push_back(delta);
        }
        double temperature = StartTemperature(deltas);
        const int64_t want = PerTemperature(inner, n);
        auto propose = [this](double w, double& d) { return Propose(w, d); };
        auto take = [this] { Take(); };
        while (temperature >= 0.005 * static_cast<double>(wiring_.Total()) / static_cast<double>(m_.nets.size())) {
            const double rate = Temperature(want, temperature, window, stats, propose, take);
            temperature *= Cooling(rate);
            window = std::clamp(window * (1 - 0.44 + rate), 1.0, static_cast<double>(widest));
        }
        Temperature(want, 0, window, stats, propose, take);
    }

    // One pass at temperature zero with moves in `window`.
    void Quench(double inner, double window, AnnealStats& stats)
    {
        if (movable_.empty() || m_.nets.empty()) return;
        Temperature(PerTemperature(inner, static_cast<int>(movable_.size())), 0, window, stats,
                    [this](double w, double& d) { return Propose(w, d); }, [this] { Take(); });
    }

    const std::vector<plc::Site>& Sites() const { return sites_; }

private:
    // A random quarter turn: half the time the one a part has.
    int Turn(int now)
    {
        if (Below(2) == 0) return now;
        return Below(plc::kAngles);
    }

    // Prices a random move within the window; false when it is not legal.
    // The move is kept until Take.
    bool Propose(double window, double& delta)
    {
        const int c = movable_[static_cast<size_t>(Below(static_cast<int>(movable_.size())))];
        const plc::Comp& comp = m_.comps[c];
        const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
        const plc::Site old = sites_[c];
        const int span = std::max(1, static_cast<int>(window));
        const int i = std::clamp(old.i + Below(2 * span + 1) - span, 0, nc - 1);
        const int k = std::clamp(old.k + Below(2 * span + 1) - span, 0, nr - 1);
        const int a = Turn(old.angle);
        plc::Site s, so;
        if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s)) return false;
        if (s.i == old.i && s.k == old.k && s.angle == old.angle) return false;
        const int o = cells_.Holder(c, s);
        if (o == -1) {
            if (!cells_.SingleSet() && !cells_.Free(c, s)) return false;
            delta = static_cast<double>(wiring_.Delta(c, s));
        } else {
            // A swap: the holder takes c's corner, at its angle or a new one.
            if (o < 0) return false;
            const int ao = Turn(sites_[o].angle);
            if (!m_.comps[o].allowed[ao] || !cells_.Legal(o, ao, old.i, old.k, so) || !plc::CellMap::Disjoint(s, so))
                return false;
            if (!cells_.Free(o, so, c) || (!cells_.SingleSet() && !cells_.Free(c, s, o))) return false;
            delta = static_cast<double>(wiring_.Delta(c, s, o, so));
        }
        c_ = c, s_ = s, o_ = o, so_ = so;
        return true;
    }

    void Take()
    {
        const plc::Site oldC = sites_[c_];
        const plc::Site oldO = o_ >= 0 ? sites_[o_] : plc::Site{};
        cells_.Occupy(c_, oldC, false);
        if (o_ >= 0) cells_.Occupy(o_, oldO, false);
        sites_[c_] = s_;
        cells_.Occupy(c_, s_, true);
        if (o_ >= 0) {
            sites_[o_] = so_;
            cells_.Occupy(o_, so_, true);
        }
        wiring_.Moved(c_, oldC, o_, oldO);
    }

    const plc::Model& m_;
    plc::CellMap cells_;
    std::vector<plc::Site> sites_;
    plc::Wiring wiring_;
    std::vector<int> movable_;
    int c_ = -1, o_ = -1;  // the move priced last
    plc::Site s_, so_;
};

// Overlap allowed under a growing penalty, then legalised.
class OverlapAnnealer : Schedule {
public:
    OverlapAnnealer(const plc::Model& m, uint64_t seed, const std::vector<plc::Site>& start)
        : Schedule(seed), m_(m), cells_(m), sites_(start), wiring_(m, sites_), movable_(Movable(m))
    {
        for (int set = 0; set < plc::kLineSets; ++set)
            count_[set].assign(static_cast<size_t>(cells_.Cols(set)) * cells_.Rows(set), 0);
        for (int c : movable_) Count(c, sites_[c], 1);
        wiring_.Reset();
    }

    // Anneals; returns the window at the end.
    double Run(double inner, AnnealStats& stats)
    {
        const int widest = Widest(cells_);
        double window = widest;
        if (movable_.empty() || m_.nets.empty()) return window;
        const int n = static_cast<int>(movable_.size());
        // The weight of a shared cell: a tenth of the mean wire length
        // change of a random move per cell of a mean block.
        double cells = 0;
        for (int c : movable_) cells += static_cast<double>((sites_[c].j - sites_[c].bi) * (sites_[c].l - sites_[c].bk));
        cells = std::max(1.0, cells / n);
        std::vector<double> deltas;
        double wires = 0;
        for (int64_t drawn = 0; static_cast<int>(deltas.size()) < n && drawn < kGiveUp * n; ++drawn) {
            double delta = 0;
            if (!Propose(window, delta)) continue;
            wires += std::fabs(static_cast<double>(wiresDelta_));
            Take();
            deltas.push_back(delta);
        }
        weight_ = deltas.empty() ? 1.0 : std::max(1.0, 0.1 * wires / static_cast<double>(deltas.size()) / cells);
        double temperature = StartTemperature(deltas);
        const int64_t want = PerTemperature(inner, n);
        auto propose = [this](double w, double& d) { return Propose(w, d); };
        auto take = [this] { Take(); };
        while (temperature >= 0.005 * static_cast<double>(wiring_.Total()) / static_cast<double>(m_.nets.size())) {
            const double rate = Temperature(want, temperature, window, stats, propose, take);
            temperature *= Cooling(rate);
            window = std::clamp(window * (1 - 0.44 + rate), 1.0, static_cast<double>(widest));
            weight_ *= kPenaltyGrowth;
        }
        for (int round = 0; round < kClearRounds && shared_ > 0; ++round) {
            Temperature(want, temperature, window, stats, propose, take);
            weight_ *= 2;
        }
        return window;
    }

    // Every part to a free legal site: its own when free, else the free
    // site near it that costs least wire length plus movement; the largest
    // blocks first. False when some part finds none.
    bool Legalise()
    {
        std::vector<std::pair<int64_t, int>> order;
        for (int c : movable_) {
            const plc::Site& s = sites_[c];
            order.push_back({-static_cast<int64_t>(s.j - s.bi) * (s.l - s.bk), c});
        }
        std::stable_sort(order.begin(), order.end());
        for (auto [size, c] : order) {
            (void)size;
            const plc::Site was = sites_[c];
            plc::Site s = was;
            if (!cells_.Free(c, s) && !Nearest(c, s)) return false;
            sites_[c] = s;
            cells_.Occupy(c, s, true);
            wiring_.Moved(c, was);
        }
        return true;
    }

    const std::vector<plc::Site>& Sites() const { return sites_; }

private:
    // The free legal site near c's site that costs least: the ring of cells
    // where the first appears and the next one are searched.
    bool Nearest(int c, plc::Site& best)
    {
        const plc::Comp& comp = m_.comps[c];
        const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
        const plc::Site want = sites_[c];
        const plc::Rect aim = cells_.Reach(c, want);
        std::vector<plc::Span> others;
        wiring_.OthersOf(c, others);
        double bestCost = std::numeric_limits<double>::infinity();
        int found = -1;
        for (int r = 0; r <= std::max(nc, nr); ++r) {
            if (found >= 0 && r > found + 1) break;
            for (int k = want.k - r; k <= want.k + r; ++k) {
                if (k < 0 || k >= nr) continue;
                const int step = (k == want.k - r || k == want.k + r) ? 1 : std::max(2 * r, 1);
                for (int i = want.i - r; i <= want.i + r; i += step) {
                    if (i < 0 || i >= nc) continue;
                    for (int a = 0; a < plc::kAngles; ++a) {
                        plc::Site s;
                        if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s) || !cells_.Free(c, s)) continue;
                        const plc::Rect at = cells_.Reach(c, s);
                        const double moved = std::fabs(static_cast<double>((at.x1 + at.x2) - (aim.x1 + aim.x2)) / 2) +
                                             std::fabs(static_cast<double>((at.y1 + at.y2) - (aim.y1 + aim.y2)) / 2);
                        const double cost = static_cast<double>(wiring_.LengthAt(c, s, others)) + kMoveWeight * moved;
                        if (cost < bestCost) bestCost = cost, best = s;
                        if (found < 0) found = r;
                    }
                }
            }
        }
        return found >= 0;
    }

    int& Cell(int set, int q, int r) { return count_[set][static_cast<size_t>(r) * cells_.Cols(set) + q]; }

    // Adds `by` holders to the cells of c's block at s, keeping the count
    // of extra holders.
    void Count(int c, const plc::Site& s, int by)
    {
        const int set = m_.comps[c].lineSet;
        for (int r = s.bk; r < s.l; ++r)
            for (int q = s.bi; q < s.j; ++q) {
                int& n = Cell(set, q, r);
                shared_ -= std::max(0, n - 1);
                n += by;
                shared_ += std::max(0, n - 1);
            }
    }

    // The change of the extra holders when c's block goes from `from` to `to`.
    int64_t SharedDelta(int c, const plc::Site& from, const plc::Site& to)
    {
        const int set = m_.comps[c].lineSet;
        int64_t d = 0;
        for (int r = from.bk; r < from.l; ++r)
            for (int q = from.bi; q < from.j; ++q) d -= Cell(set, q, r) >= 2;
        for (int r = to.bk; r < to.l; ++r)
            for (int q = to.bi; q < to.j; ++q) {
                const bool mine = q >= from.bi && q < from.j && r >= from.bk && r < from.l;
                d += Cell(set, q, r) - (mine ? 1 : 0) >= 1;
            }
        return d;
    }

    // Prices a random move (a part to a random site of the window, legal on
    // an empty page, at its angle or half the time a random turn).
    bool Propose(double window, double& delta)
    {
        const int c = movable_[static_cast<size_t>(Below(static_cast<int>(movable_.size())))];
        const plc::Comp& comp = m_.comps[c];
        const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
        const plc::Site& old = sites_[c];
        const int span = std::max(1, static_cast<int>(window));
        const int i = std::clamp(old.i + Below(2 * span + 1) - span, 0, nc - 1);
        const int k = std::clamp(old.k + Below(2 * span + 1) - span, 0, nr - 1);
        const int a = Below(2) == 0 ? old.angle : Below(plc::kAngles);
        plc::Site s;
        if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s)) return false;
        if (s.i == old.i && s.k == old.k && s.angle == old.angle) return false;
        wiresDelta_ = wiring_.Delta(c, s);
        sharedDelta_ = SharedDelta(c, old, s);
        delta = static_cast<double>(wiresDelta_) + weight_ * static_cast<double>(sharedDelta_);
        c_ = c, s_ = s;
        return true;
    }

    void Take()
    {
        const plc::Site old = sites_[c_];
        Count(c_, old, -1);
        sites_[c_] = s_;
        Count(c_, s_, 1);
        wiring_.Moved(c_, old);
    }

    const plc::Model& m_;
    plc::CellMap cells_;  // legality only while annealing; the cells taken while legalising
    std::vector<plc::Site> sites_;
    plc::Wiring wiring_;
    std::vector<int> movable_;
    std::array<std::vector<int>, plc::kLineSets> count_;  // holders of every cell
    int64_t shared_ = 0;                                   // extra holders over all cells
    double weight_ = 1;
    int c_ = -1;  // the move priced last
    plc::Site s_;
    int64_t wiresDelta_ = 0, sharedDelta_ = 0;
};

}  // namespace

bool Anneal(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites, AnnealStats* stats)
{
    std::vector<plc::Site> start;
    if (!plc::Spread(model, start)) return false;
    LegalAnnealer a(model, seed, start);
    AnnealStats local;
    a.Run(inner, stats ? *stats : local);
    sites = a.Sites();
    return true;
}

bool AnnealOverlap(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites, AnnealStats* stats)
{
    std::vector<plc::Site> start;
    if (!plc::Spread(model, start)) return false;
    AnnealStats local;
    AnnealStats& st = stats ? *stats : local;
    OverlapAnnealer a(model, seed, start);
    const double window = a.Run(inner, st);
    if (!a.Legalise()) return false;
    LegalAnnealer q(model, seed + 1, a.Sites());
    q.Quench(inner, window, st);
    sites = q.Sites();
    return true;
}

}  // namespace plc_bench
