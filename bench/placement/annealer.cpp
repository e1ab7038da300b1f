// The benchmark's simulated annealer (see annealer.h).
#include "bench/placement/annealer.h"

#include "platform/placement/plc_sites.h"
#include "platform/placement/plc_wiring.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace plc_bench {

namespace {

class Annealer {
public:
    Annealer(const plc::Model& m, uint64_t seed) : m_(m), rng_(seed), cells_(m), sites_(m.comps.size()), wiring_(m, sites_)
    {
        for (int c = 0; c < static_cast<int>(m.comps.size()); ++c)
            if (!m.comps[c].locked) movable_.push_back(c);
    }

    // A random legal start; when one leaves a part without a free site
    // (the blocks taken at random leave no hole large enough), another,
    // up to kStarts.
    bool Start()
    {
        for (int attempt = 0; attempt < kStarts; ++attempt)
            if (StartOnce()) return true;
        return false;
    }

    void Run(double inner, AnnealStats& stats)
    {
        if (movable_.empty() || m_.nets.empty()) return;
        const int n = static_cast<int>(movable_.size());
        int widest = 1;
        for (int set = 0; set < plc::kLineSets; ++set) widest = std::max({widest, cells_.Cols(set), cells_.Rows(set)});
        double window = widest;
        // The starting temperature: twenty times the spread of the cost
        // changes of n random moves, all taken.
        double sum = 0, sum2 = 0;
        int seen = 0;
        for (int t = 0; t < n; ++t) {
            int64_t delta = 0;
            if (!Try(window, delta)) continue;
            Take();
            sum += static_cast<double>(delta), sum2 += static_cast<double>(delta) * static_cast<double>(delta);
            ++seen;
        }
        double temperature = 0;
        if (seen > 1) temperature = 20 * std::sqrt(std::max(0.0, sum2 / seen - (sum / seen) * (sum / seen)));
        const int64_t perTemperature = std::max<int64_t>(1, std::llround(inner * std::pow(static_cast<double>(n), 4.0 / 3.0)));
        auto done = [&] {
            return temperature < 0.005 * static_cast<double>(wiring_.Total()) / static_cast<double>(m_.nets.size());
        };
        while (true) {
            const bool last = done();
            if (last) temperature = 0;
            int64_t tried = 0, taken = 0;
            for (int64_t move = 0; move < perTemperature; ++move) {
                int64_t delta = 0;
                ++stats.moves;
                if (!Try(window, delta)) continue;
                ++tried;
                if (delta <= 0 || (temperature > 0 && Unit() < std::exp(-static_cast<double>(delta) / temperature))) {
                    Take();
                    ++taken;
                }
            }
            ++stats.temperatures;
            if (last) break;
            const double rate = tried > 0 ? static_cast<double>(taken) / static_cast<double>(tried) : 0;
            temperature *= rate > 0.96 ? 0.5 : rate > 0.8 ? 0.9 : rate > 0.15 ? 0.95 : 0.8;
            window = std::clamp(window * (1 - 0.44 + rate), 1.0, static_cast<double>(widest));
        }
    }

    const std::vector<plc::Site>& Sites() const { return sites_; }

private:
    int Below(int k) { return k <= 0 ? 0 : static_cast<int>(rng_() % static_cast<uint64_t>(k)); }
    double Unit() { return static_cast<double>(rng_() >> 11) / 9007199254740992.0; }

    // Proposes a move within the window; false when it is not legal. The
    // move is kept in the proposal until Take.
    bool Try(double window, int64_t& delta)
    {
        const int c = movable_[static_cast<size_t>(Below(static_cast<int>(movable_.size())))];
        const plc::Comp& comp = m_.comps[c];
        const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
        const plc::Site& old = sites_[c];
        const int span = std::max(1, static_cast<int>(window));
        const int i = std::clamp(old.i + Below(2 * span + 1) - span, 0, nc - 1);
        const int k = std::clamp(old.k + Below(2 * span + 1) - span, 0, nr - 1);
        const int a = Below(2) == 0 ? old.angle : Below(plc::kAngles);
        plc::Site s, so;
        if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s)) return false;
        if (s.i == old.i && s.k == old.k && s.angle == old.angle) return false;
        const int o = cells_.Holder(c, s);
        if (o == -1) {
            if (!cells_.SingleSet() && !cells_.Free(c, s)) return false;
            delta = wiring_.Delta(c, s);
        } else {
            if (o < 0) return false;
            if (!cells_.Legal(o, sites_[o].angle, old.i, old.k, so) || !plc::CellMap::Disjoint(s, so)) return false;
            if (!cells_.Free(o, so, c) || (!cells_.SingleSet() && !cells_.Free(c, s, o))) return false;
            delta = wiring_.Delta(c, s, o, so);
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

    // The largest blocks first, each at a random free site (the cells in
    // order from a random one when chance finds none). False, with every
    // cell given back, when some part finds none.
    bool StartOnce()
    {
        std::vector<std::pair<double, int>> bySize;
        for (int c : movable_) {
            const plc::Rect& b = m_.comps[c].shapes[0].box;
            const plc::Rect& r = m_.comps[c].room[0];
            bySize.push_back({-static_cast<double>(b.x2 - b.x1 + r.x1 + r.x2) * static_cast<double>(b.y2 - b.y1 + r.y1 + r.y2), c});
        }
        std::sort(bySize.begin(), bySize.end());
        for (auto [size, c] : bySize) {
            (void)size;
            const plc::Comp& comp = m_.comps[c];
            const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
            if (nc == 0 || nr == 0) return GiveBack();
            bool done = false;
            plc::Site s;
            for (int t = 0; t < 200 && !done; ++t) {
                const int a = Below(plc::kAngles);
                done = comp.allowed[a] && cells_.Legal(c, a, Below(nc), Below(nr), s) && cells_.Free(c, s);
            }
            const int from = Below(nc * nr);
            for (int t = 0; t < nc * nr && !done; ++t) {
                const int cell = (from + t) % (nc * nr);
                for (int a = 0; a < plc::kAngles && !done; ++a)
                    done = comp.allowed[a] && cells_.Legal(c, a, cell % nc, cell / nc, s) && cells_.Free(c, s);
            }
            if (!done) return GiveBack();
            sites_[c] = s;
            cells_.Occupy(c, s, true);
        }
        wiring_.Reset();
        return true;
    }

    // Gives back the cells of every placed part; false.
    bool GiveBack()
    {
        for (int c : movable_)
            if (cells_.Placed(c)) cells_.Occupy(c, sites_[c], false);
        return false;
    }

    static constexpr int kStarts = 20;

    const plc::Model& m_;
    std::mt19937_64 rng_;
    plc::CellMap cells_;
    std::vector<plc::Site> sites_;
    plc::Wiring wiring_;
    std::vector<int> movable_;
    int c_ = -1, o_ = -1;  // the proposed move
    plc::Site s_, so_;
};

}  // namespace

bool Anneal(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites, AnnealStats* stats)
{
    Annealer a(model, seed);
    if (!a.Start()) return false;
    AnnealStats local;
    a.Run(inner, stats ? *stats : local);
    sites = a.Sites();
    return true;
}

}  // namespace plc_bench
