// The placement itself, on the legal sites of plc_sites.h.
//
// 1. Room: every component keeps room for wires beside its outline, sized by
//    the nets its pins join on each side (SetRoom). The scale is the largest
//    of a few steps whose blocks (in whole cells) fill no more than four
//    fifths of the free page, so that the room takes up what the page can
//    spare: a roomy page gives wide channels, a tight one narrow ones; when
//    some component finds no site, the next smaller step is tried, down to
//    none.
// 2. Global placement (plc_global.h) over a region of the frame's shape,
//    centred in it, large enough for the blocks at a fair density: every
//    component starts at the quarter turn whose block takes least room.
// 3. Legalisation: the largest blocks first, each component to the free
//    site near its global place that costs least wire length and movement.
// 4. Refinement in passes: each component in turn takes the best site, or
//    swaps with the component holding it, around the point where its nets
//    want it (the median of their spans), when that shortens the
//    half-perimeter wire length; the passes stop when one gains too little.
// 5. Settling: a short anneal at low temperature (small moves and swaps,
//    turns included, a fixed-seed random sequence) leaves the local optimum
//    the passes stop in; then passes again, and the passes' placement
//    stands when that ends longer.
// 6. Gathering: parts the wire length does not hold where they stand (a
//    decoupling capacitor on the two supply nets costs the same anywhere
//    inside their span) are brought towards the frame's middle wherever
//    that costs no wire length, so no part stands off on its own with a
//    hole behind it; then the whole placement moves by whole cells towards
//    the frame's middle when every part stays legal and the wires no
//    longer (the half-perimeter length does not change with a move of
//    everything; only nets reaching locked parts could).
//
// Everything is deterministic: fixed orders, and the settling's random
// sequence starts from the same seed every run.
#include "platform/placement/plc_global.h"
#include "platform/placement/plc_model.h"
#include "platform/placement/plc_sites.h"
#include "platform/placement/plc_wiring.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace plc {

namespace {

// The steps of the room scale, largest first; the last is no room at all.
constexpr double kScales[] = {2.0, 1.5, 1.0, 0.75, 0.5, 0.25, 0.0};
constexpr double kFill = 0.8;     // the blocks' share of the free page the room may grow to
constexpr double kDensity = 0.8;  // the blocks' share of the global placement region

// The typical width of the cells of a line set along one axis.
double TypicalCell(const std::vector<int64_t>& lines)
{
    if (lines.size() < 2) return static_cast<double>(kTrack);
    std::vector<int64_t> gaps;
    for (size_t i = 1; i < lines.size(); ++i) gaps.push_back(lines[i] - lines[i - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<long>(gaps.size() / 2), gaps.end());
    return static_cast<double>(std::max<int64_t>(gaps[gaps.size() / 2], 1));
}

// The area c's block takes at quarter turn a: whole cells of the typical
// size for the room on its left (below) and for the outline, clearance and
// room on its right (above).
double BlockArea(const Model& m, int c, int a)
{
    const Comp& comp = m.comps[c];
    const LineSet& ls = m.lines[comp.lineSet];
    const double cw = TypicalCell(ls.cols), ch = TypicalCell(ls.rows);
    const Rect& b = comp.shapes[a].box;
    const Rect& r = comp.room[a];
    const double w = std::ceil(r.x1 / cw - 1e-9) + std::ceil((b.x2 - b.x1 + m.clearX + r.x2) / cw - 1e-9);
    const double h = std::ceil(r.y1 / ch - 1e-9) + std::ceil((b.y2 - b.y1 + m.clearY + r.y2) / ch - 1e-9);
    return std::max(w, 1.0) * cw * std::max(h, 1.0) * ch;
}

// The quarter turn a component starts from: of those it may take, the one
// whose block takes least of the page, the first of equals. Not the one it
// has, so that placing a placed page again gives the same result.
int StartAngle(const Model& m, int c)
{
    const Comp& comp = m.comps[c];
    int best = -1;
    double least = 0;
    for (int a = 0; a < kAngles; ++a) {
        if (!comp.allowed[a]) continue;
        const double area = BlockArea(m, c, a);
        if (best < 0 || area < least * (1 - 1e-9)) best = a, least = area;
    }
    return best < 0 ? 0 : best;
}

double AreaOf(const Rect& r)
{
    return static_cast<double>(r.x2 - r.x1) * static_cast<double>(r.y2 - r.y1);
}

Rect Within(const Rect& r, const Rect& f)
{
    return {std::max(r.x1, f.x1), std::max(r.y1, f.y1), std::min(r.x2, f.x2), std::min(r.y2, f.y2)};
}

// Areas of the frame no component can take: zones and locked components
// with their room.
std::vector<Rect> Blocked(const Model& m)
{
    std::vector<Rect> out;
    for (const Rect& z : m.zones) {
        const Rect r = Within(z, m.frame);
        if (r.x1 < r.x2 && r.y1 < r.y2) out.push_back(r);
    }
    for (const Comp& comp : m.comps) {
        if (!comp.locked) continue;
        const Rect r = Within(Widened(Moved(comp.current.box, comp.x, comp.y), comp.currentRoom), m.frame);
        if (r.x1 < r.x2 && r.y1 < r.y2) out.push_back(r);
    }
    return out;
}

double FreeArea(const Model& m)
{
    double area = AreaOf(m.frame);
    for (const Rect& r : Blocked(m)) area -= AreaOf(r);
    return std::max(area, 0.0);
}

Pt Middle(const Rect& r)
{
    return {(r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2};
}

class Placer {
public:
    explicit Placer(const Model& m) : m_(m), cells_(m), sites_(m.comps.size()), wiring_(m, sites_) {}

    // False when some component found no free site; `failed` is then its
    // index.
    bool Run(std::vector<Site>& out, int& failed, bool refine = true, bool settle = true)
    {
        for (int c = 0; c < static_cast<int>(m_.comps.size()); ++c)
            if (!m_.comps[c].locked) movable_.push_back(c);
        Global();
        if (!Legalise(failed)) return false;
        if (refine && !m_.nets.empty()) {
            Passes();
            if (settle) {
                // An anneal may end longer than it began: then the
                // placement of the passes stands.
                const std::vector<Site> greedy = sites_;
                const int64_t before = wiring_.Total();
                Settle();
                Passes();
                if (wiring_.Total() > before) Restore(greedy);
            }
            Gather();
            Centre();
        }
        out = sites_;
        return true;
    }

private:
    const std::vector<Links>& links() const { return wiring_.links(); }

    // Global places: the origin of every movable component at its start
    // angle, in sites_ (not yet legal).
    void Global()
    {
        GlobalInput in;
        in.angle.assign(m_.comps.size(), 0);
        in.foot.assign(m_.comps.size(), {});
        in.area.assign(m_.comps.size(), 0);
        in.blocked = Blocked(m_);
        double total = 0;
        int64_t widest = 0;
        for (int c : movable_) {
            const int a = StartAngle(m_, c);
            in.angle[c] = a;
            for (int q = 0; q < kAngles; ++q) in.foot[c][q] = Widened(m_.comps[c].shapes[q].box, m_.comps[c].room[q]);
            in.area[c] = BlockArea(m_, c, a);
            total += in.area[c];
            const Rect& f = in.foot[c][a];
            widest = std::max(widest, std::min(f.x2 - f.x1, f.y2 - f.y1));
        }
        // The region: the frame's shape about its centre, its free area the
        // blocks' at the density wanted, never narrower than the widest
        // footprint.
        const Rect& f = m_.frame;
        const double freeArea = std::max(FreeArea(m_), 1.0);
        const double share = std::min(1.0, std::sqrt(total / kDensity / freeArea));
        const double fw = static_cast<double>(f.x2 - f.x1), fh = static_cast<double>(f.y2 - f.y1);
        const double w = std::min(fw, std::max(fw * share, static_cast<double>(widest)));
        const double h = std::min(fh, std::max(fh * share, static_cast<double>(widest)));
        const double mx = (f.x1 + f.x2) / 2.0, my = (f.y1 + f.y2) / 2.0;
        in.region = {std::llround(mx - w / 2), std::llround(my - h / 2), std::llround(mx + w / 2), std::llround(my + h / 2)};
        std::vector<double> cx, cy;
        PlaceGlobal(m_, in, cx, cy);
        for (int c : movable_) {
            Site& s = sites_[c];
            s.angle = in.angle[c];
            const Rect& foot = in.foot[c][s.angle];
            s.x = std::llround(cx[c] - (foot.x1 + foot.x2) / 2.0);
            s.y = std::llround(cy[c] - (foot.y1 + foot.y2) / 2.0);
        }
        wiring_.Reset();
    }

    bool Legalise(int& failed)
    {
        std::vector<double> area(m_.comps.size(), 0);
        for (int c : movable_) area[c] = BlockArea(m_, c, sites_[c].angle);
        order_ = movable_;
        std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return area[a] > area[b]; });
        for (int c : order_) {
            const Site wanted = sites_[c];
            Site s;
            if (!BestNear(c, wanted, s)) {
                failed = c;
                return false;
            }
            sites_[c] = s;
            cells_.Occupy(c, s, true);
            wiring_.Moved(c, wanted);
        }
        return true;
    }

    // The best free site of c in rings of cells around its wanted site: the
    // ring where the first legal site appears and the next one are
    // searched. Cost: c's wire length there and the distance moved.
    bool BestNear(int c, const Site& wanted, Site& best)
    {
        const Comp& comp = m_.comps[c];
        const int set = comp.lineSet;
        const int nc = cells_.Cols(set), nr = cells_.Rows(set);
        if (nc == 0 || nr == 0) return false;
        const Rect& b = comp.shapes[wanted.angle].box;
        const int ti = cells_.ColumnOf(set, wanted.x + b.x1), tk = cells_.RowOf(set, wanted.y + b.y1);
        const Pt aim = Middle(cells_.Reach(c, wanted));
        wiring_.OthersOf(c, others_);
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
                        if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s) || !cells_.Free(c, s)) continue;
                        const Pt at = Middle(cells_.Reach(c, s));
                        const double moved = static_cast<double>(std::llabs(at.x - aim.x) + std::llabs(at.y - aim.y));
                        const double cost = static_cast<double>(wiring_.LengthAt(c, s, others_)) + kMoveWeight * moved;
                        if (cost < bestCost) bestCost = cost, best = s;
                        if (foundRing < 0) foundRing = r;
                    }
                }
            }
        }
        return foundRing >= 0;
    }

    // Where c's nets want its origin at its present angle: for each pin, the
    // span of the other pins of its net shifted by the pin's offset; the
    // median of the ends of those spans costs least. False without nets.
    bool Wanted(int c, Pt& at)
    {
        const Links& l = links()[c];
        const std::vector<Pt>& pins = m_.comps[c].shapes[sites_[c].angle].pins;
        xs_.clear(), ys_.clear();
        for (size_t g = 0; g < l.nets.size(); ++g) {
            if (others_[g].count == 0) continue;
            for (int p = l.start[g]; p < l.start[g + 1]; ++p) {
                const Pt& o = pins[static_cast<size_t>(l.pins[p])];
                xs_.push_back(others_[g].x1 - o.x), xs_.push_back(others_[g].x2 - o.x);
                ys_.push_back(others_[g].y1 - o.y), ys_.push_back(others_[g].y2 - o.y);
            }
        }
        if (xs_.empty()) return false;
        auto median = [](std::vector<int64_t>& v) {
            std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        at = {median(xs_), median(ys_)};
        return true;
    }

    // The corner cell of c's block nearest where its nets want it.
    bool WantedCell(int c, int& ti, int& tk)
    {
        wiring_.OthersOf(c, others_);
        Pt want;
        if (!Wanted(c, want)) return false;
        const Comp& comp = m_.comps[c];
        const Rect& b = comp.shapes[sites_[c].angle].box;
        ti = cells_.ColumnOf(comp.lineSet, want.x + b.x1);
        tk = cells_.RowOf(comp.lineSet, want.y + b.y1);
        return true;
    }

    // The change of wire length when c goes to s, swapping with the one
    // component holding it when there is one (which keeps its angle and
    // takes c's corner); false when that cannot be.
    bool Price(int c, const Site& s, int64_t& delta, int& partner, Site& so)
    {
        const Site& old = sites_[c];
        partner = cells_.Holder(c, s);
        if (partner == -1) {
            if (!cells_.SingleSet() && !cells_.Free(c, s)) return false;
            delta = wiring_.LengthAt(c, s, others_) - wiring_.LengthOf(c);
            return true;
        }
        if (partner < 0) return false;
        if (!cells_.Legal(partner, sites_[partner].angle, old.i, old.k, so) || !CellMap::Disjoint(s, so)) return false;
        if (!cells_.Free(partner, so, c) || (!cells_.SingleSet() && !cells_.Free(c, s, partner))) return false;
        delta = wiring_.Delta(c, s, partner, so);
        return true;
    }

    // Moves c to the best site around where its nets want it, or swaps it
    // with the component there: the cells `window` each way around the
    // wanted cell and, when another component's block holds that cell (its
    // room, say, where c's nets meet its pins), around the nearest cells
    // just outside that block on each of its four sides. Returns the wire
    // length gained.
    int64_t Better(int c, int window)
    {
        const Comp& comp = m_.comps[c];
        const int set = comp.lineSet;
        const int nc = cells_.Cols(set), nr = cells_.Rows(set);
        int ti = 0, tk = 0;
        if (!WantedCell(c, ti, tk)) return 0;
        const Site old = sites_[c];
        int64_t bestDelta = 0;
        Site best, bestOther;
        int bestPartner = -1;
        bool found = false;
        auto consider = [&](int i, int k) {
            for (int a = 0; a < kAngles; ++a) {
                Site s, so;
                if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s)) continue;
                if (s.i == old.i && s.k == old.k && s.angle == old.angle) continue;
                int64_t delta = 0;
                int partner = -1;
                if (!Price(c, s, delta, partner, so)) continue;
                if (delta < bestDelta) bestDelta = delta, best = s, bestOther = so, bestPartner = partner, found = true;
            }
        };
        auto around = [&](int ci, int ck) {
            for (int k = std::max(ck - window, 0); k <= std::min(ck + window, nr - 1); ++k)
                for (int i = std::max(ci - window, 0); i <= std::min(ci + window, nc - 1); ++i) consider(i, k);
        };
        around(ti, tk);
        const int o = cells_.Owner(set, ti, tk);
        if (o >= 0 && o != c) {
            // c's block reaches from its corner cell left and down by its
            // room and right and up by its outline, clearance and room.
            const Site& b = cells_.At(o);
            const int left = old.i - old.bi, right = old.j - old.i, below = old.k - old.bk, above = old.l - old.k;
            around(std::max(b.bi - right, 0), tk);
            around(std::min(b.j + left, nc - 1), tk);
            around(ti, std::max(b.bk - above, 0));
            around(ti, std::min(b.l + below, nr - 1));
        }
        if (std::abs(old.i - ti) > window || std::abs(old.k - tk) > window) consider(old.i, old.k);
        if (!found) return 0;
        Apply(c, best, bestPartner, bestOther);
        return -bestDelta;
    }

    // Puts c at s and, when `partner` is a component, it at so.
    void Apply(int c, const Site& s, int partner, const Site& so)
    {
        const Site oldC = sites_[c];
        const Site oldP = partner >= 0 ? sites_[partner] : Site{};
        cells_.Occupy(c, oldC, false);
        if (partner >= 0) cells_.Occupy(partner, oldP, false);
        sites_[c] = s;
        cells_.Occupy(c, s, true);
        if (partner >= 0) {
            sites_[partner] = so;
            cells_.Occupy(partner, so, true);
        }
        wiring_.Moved(c, oldC, partner, oldP);
    }

    // Puts every movable component back at `to`.
    void Restore(const std::vector<Site>& to)
    {
        for (int c : movable_) cells_.Occupy(c, sites_[c], false);
        sites_ = to;
        for (int c : movable_) cells_.Occupy(c, sites_[c], true);
        wiring_.Reset();
    }

    // Passes of Better over every component until one gains less than a
    // small part of the wire length.
    void Passes()
    {
        for (int pass = 0; pass < kMaxPasses; ++pass) {
            int64_t gained = 0;
            for (int c : order_) gained += Better(c, kWindow);
            if (static_cast<double>(gained) <= kEnough * static_cast<double>(wiring_.Total())) break;
        }
    }

    // A short anneal at low temperature from the refined placement, to leave
    // the local optimum the greedy passes stop in: random moves of a part
    // to a cell within kSettleWindow (at its quarter turn or, half the time,
    // another allowed one) or swaps with the one part holding that cell (which
    // takes the mover's corner, at its turn or another), priced by the
    // change of wire length and taken by the Metropolis rule. The random
    // sequence has a fixed seed, so the result is the same on every run.
    // The temperature starts at kSettleHeat x the mean rise of the moves
    // that lengthen the wires, cools by kSettleCooling each round of
    // kSettleMoves x n^(4/3) moves, and the anneal ends after kSettleRounds
    // rounds or when a round takes almost nothing.
    void Settle()
    {
        const int n = static_cast<int>(movable_.size());
        if (n < 2) return;
        std::mt19937_64 rng(kSeed);
        auto below = [&rng](int k) { return k <= 0 ? 0 : static_cast<int>(rng() % static_cast<uint64_t>(k)); };
        auto unit = [&rng] { return static_cast<double>(rng() >> 11) / 9007199254740992.0; };
        int c = -1, o = -1;
        Site s, so;
        auto propose = [&](int64_t& delta) {
            c = movable_[static_cast<size_t>(below(n))];
            const Comp& comp = m_.comps[c];
            const Site old = sites_[c];
            // A step past the first or last cell draws that cell. That
            // proposes the first row and column more often from inside than
            // the cell beside them from there, so parts the wires do not
            // hold drift onto them; the gathering after the anneal brings
            // them back (drawing such a step again instead changes the
            // anneal's course, and on one benchmark board it ended longer).
            const int i = std::clamp(old.i + below(2 * kSettleWindow + 1) - kSettleWindow, 0, cells_.Cols(comp.lineSet) - 1);
            const int k = std::clamp(old.k + below(2 * kSettleWindow + 1) - kSettleWindow, 0, cells_.Rows(comp.lineSet) - 1);
            const int a = below(2) == 0 ? old.angle : below(kAngles);
            if (!comp.allowed[a] || !cells_.Legal(c, a, i, k, s)) return false;
            if (s.i == old.i && s.k == old.k && s.angle == old.angle) return false;
            o = cells_.Holder(c, s);
            if (o == -1) {
                if (!cells_.SingleSet() && !cells_.Free(c, s)) return false;
                delta = wiring_.Delta(c, s);
                return true;
            }
            if (o < 0) return false;
            const int ao = below(2) == 0 ? sites_[o].angle : below(kAngles);
            if (!m_.comps[o].allowed[ao] || !cells_.Legal(o, ao, old.i, old.k, so) || !CellMap::Disjoint(s, so)) return false;
            if (!cells_.Free(o, so, c) || (!cells_.SingleSet() && !cells_.Free(c, s, o))) return false;
            delta = wiring_.Delta(c, s, o, so);
            return true;
        };
        const int64_t moves = std::max<int64_t>(1, std::llround(kSettleMoves * std::pow(static_cast<double>(n), 4.0 / 3.0)));
        // The starting temperature from a sample of moves, none taken.
        double rise = 0;
        int rises = 0;
        for (int64_t t = 0; t < 20 * static_cast<int64_t>(n); ++t) {
            int64_t delta = 0;
            if (propose(delta) && delta > 0) rise += static_cast<double>(delta), ++rises;
        }
        if (rises == 0) return;
        double temperature = kSettleHeat * rise / rises;
        for (int round = 0; round < kSettleRounds; ++round) {
            int64_t priced = 0, taken = 0;
            for (int64_t t = 0; t < kSettleDraws * moves && priced < moves; ++t) {
                int64_t delta = 0;
                if (!propose(delta)) continue;
                ++priced;
                if (delta <= 0 || unit() < std::exp(-static_cast<double>(delta) / temperature)) {
                    Apply(c, s, o, so);
                    ++taken;
                }
            }
            if (taken * 100 < priced) break;
            temperature *= kSettleCooling;
        }
    }

    // How far c's outline at s lies from the frame's middle, each axis as a
    // share of the frame's size (squared).
    double FromMiddle(int c, const Site& s) const
    {
        const Rect b = cells_.Outline(c, s);
        const Rect& f = m_.frame;
        const double fw = std::max<double>(static_cast<double>(f.x2 - f.x1), 1.0);
        const double fh = std::max<double>(static_cast<double>(f.y2 - f.y1), 1.0);
        const double dx = static_cast<double>((b.x1 + b.x2) - (f.x1 + f.x2)) / 2.0 / fw;
        const double dy = static_cast<double>((b.y1 + b.y2) - (f.y1 + f.y2)) / 2.0 / fh;
        return dx * dx + dy * dy;
    }

    // Passes that move parts, farthest from the frame's middle first, to a
    // free site within kGatherWindow cells (at their turn) nearer the middle
    // where their wires are no longer, the shortest such site first. The
    // half-perimeter length holds a part only at the ends of its nets'
    // spans: inside them (a decoupling capacitor inside the span of both
    // supply nets) any site costs the same, and where two such parts stand
    // at the same end neither alone makes the span shorter by leaving; the
    // anneal lets them wander there and the passes do not bring them back.
    // The wire length never grows here.
    void Gather()
    {
        std::vector<int> order = movable_;
        std::vector<double> far(m_.comps.size(), 0);
        for (int pass = 0; pass < kGatherPasses; ++pass) {
            for (int c : order) far[c] = FromMiddle(c, sites_[c]);
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return far[a] > far[b]; });
            int moved = 0;
            for (int c : order) {
                const Comp& comp = m_.comps[c];
                const Site old = sites_[c];
                const double now = FromMiddle(c, old);
                const int nc = cells_.Cols(comp.lineSet), nr = cells_.Rows(comp.lineSet);
                wiring_.OthersOf(c, others_);
                const int64_t length = wiring_.LengthOf(c);
                bool found = false;
                int64_t bestDelta = 0;
                double bestFar = now;
                Site best;
                for (int k = std::max(old.k - kGatherWindow, 0); k <= std::min(old.k + kGatherWindow, nr - 1); ++k)
                    for (int i = std::max(old.i - kGatherWindow, 0); i <= std::min(old.i + kGatherWindow, nc - 1); ++i) {
                        Site s;
                        if ((i == old.i && k == old.k) || !cells_.Legal(c, old.angle, i, k, s)) continue;
                        const double there = FromMiddle(c, s);
                        if (there >= now * (1 - 1e-9)) continue;
                        if (cells_.Holder(c, s) != -1 || (!cells_.SingleSet() && !cells_.Free(c, s))) continue;
                        const int64_t delta = wiring_.LengthAt(c, s, others_) - length;
                        if (delta > 0) continue;
                        if (!found || delta < bestDelta || (delta == bestDelta && there < bestFar))
                            found = true, bestDelta = delta, bestFar = there, best = s;
                    }
                if (!found) continue;
                Apply(c, best, -1, Site{});
                ++moved;
            }
            if (moved == 0) break;
        }
    }

    // The placed outlines' extent: how far its middle lies from the frame's
    // along an axis (0: x, 1: y).
    double OffMiddle(const std::vector<Site>& at, int axis) const
    {
        int64_t lo = std::numeric_limits<int64_t>::max(), hi = std::numeric_limits<int64_t>::min();
        for (int c : movable_) {
            const Rect b = cells_.Outline(c, at[c]);
            lo = std::min(lo, axis == 0 ? b.x1 : b.y1), hi = std::max(hi, axis == 0 ? b.x2 : b.y2);
        }
        const Rect& f = m_.frame;
        return axis == 0 ? ((lo + hi) - (f.x1 + f.x2)) / 2.0 : ((lo + hi) - (f.y1 + f.y2)) / 2.0;
    }

    // Moves every movable part by the same whole cells towards the frame's
    // middle, as far as the placement's extent lies off it, when every part
    // stays legal and free, the extent comes nearer the middle and the wires
    // grow no longer; on each axis the move that brings it nearest. Evenly spaced
    // lines move every outline by the same distance (up to the alignment's
    // rounding), so the wire length among the movable parts stays as it
    // was; it is measured all the same, and nets reaching locked parts may
    // forbid the move.
    void Centre()
    {
        if (movable_.empty()) return;
        for (int axis = 0; axis < 2; ++axis) {
            const double off = OffMiddle(sites_, axis);
            const int set = m_.comps[movable_.front()].lineSet;
            const double cell = TypicalCell(axis == 0 ? m_.lines[set].cols : m_.lines[set].rows);
            // Every move of whole cells that brings the middle nearer, the
            // nearest first: where the alignment's rounding makes one move
            // uneven (and longer), a move of one cell more or less may not be.
            const int dir = off > 0 ? -1 : 1;
            std::vector<int> moves;
            for (int n = 1; n * cell < 2 * std::fabs(off) && n <= cells_.Cols(set) + cells_.Rows(set); ++n) moves.push_back(n);
            std::stable_sort(moves.begin(), moves.end(), [&](int a, int b) {
                return std::fabs(std::fabs(off) - a * cell) < std::fabs(std::fabs(off) - b * cell);
            });
            for (int n : moves)
                if (Shift(axis == 0 ? dir * n : 0, axis == 0 ? 0 : dir * n, axis, off)) break;
        }
    }

    // Moves every movable part by di columns and dk rows of its lines when
    // each stays legal and free, the extent's middle comes nearer the
    // frame's along `axis` (`off` from it now) and the wires grow no longer;
    // else leaves the placement as it was.
    bool Shift(int di, int dk, int axis, double off)
    {
        std::vector<Site> to = sites_;
        for (int c : movable_) {
            const Site& old = sites_[c];
            const int set = m_.comps[c].lineSet;
            const int i = old.i + di, k = old.k + dk;
            if (i < 0 || k < 0 || i >= cells_.Cols(set) || k >= cells_.Rows(set)) return false;
            if (!cells_.Legal(c, old.angle, i, k, to[c])) return false;
        }
        if (std::fabs(OffMiddle(to, axis)) >= std::fabs(off)) return false;
        const std::vector<Site> from = sites_;
        const int64_t before = wiring_.Total();
        for (int c : movable_) cells_.Occupy(c, sites_[c], false);
        bool free = true;
        for (size_t n = 0; n < movable_.size() && free; ++n) {
            const int c = movable_[n];
            free = cells_.Free(c, to[c]);
            if (free) cells_.Occupy(c, to[c], true);
        }
        if (free) {
            sites_ = to;
            wiring_.Reset();
            if (wiring_.Total() <= before) return true;
        }
        for (int c : movable_)
            if (cells_.Placed(c)) cells_.Occupy(c, cells_.At(c), false);
        sites_ = from;
        for (int c : movable_) cells_.Occupy(c, sites_[c], true);
        wiring_.Reset();
        return false;
    }

    static constexpr uint64_t kSeed = 0x5eed;
    static constexpr int kGatherWindow = 3;        // cells each way a gathering move may go
    static constexpr int kGatherPasses = 20;
    static constexpr int kSettleWindow = 3;        // cells each way a settling move may go
    static constexpr double kSettleMoves = 6.0;    // moves a round, x n^(4/3)
    static constexpr int kSettleDraws = 20;        // proposals a round may draw, x its moves
    static constexpr double kSettleHeat = 0.15;    // starting temperature, x the mean rise of a move
    static constexpr double kSettleCooling = 0.9;
    static constexpr int kSettleRounds = 25;

    static constexpr int kWindow = 1;           // cells each way around the wanted cell
    static constexpr int kMaxPasses = 30;
    static constexpr double kEnough = 0.002;    // a pass gaining less ends the passes
    static constexpr double kMoveWeight = 0.5;  // wire length worth a unit of legalising movement

    const Model& m_;
    CellMap cells_;
    std::vector<Site> sites_;
    Wiring wiring_;
    std::vector<int> movable_;
    std::vector<int> order_;        // legalisation order: largest blocks first
    std::vector<Span> others_;      // scratch: the other pins of the nets of one component
    std::vector<int64_t> xs_, ys_;  // scratch: Wanted
};

// The first step of kScales whose blocks fill no more than kFill of the
// free page.
size_t FirstScale(Model& model)
{
    const double freeArea = FreeArea(model);
    for (size_t s = 0; s + 1 < std::size(kScales); ++s) {
        SetRoom(model, kScales[s]);
        double total = 0;
        for (int c = 0; c < static_cast<int>(model.comps.size()); ++c)
            if (!model.comps[c].locked) total += BlockArea(model, c, StartAngle(model, c));
        if (total <= kFill * freeArea) return s;
    }
    return std::size(kScales) - 1;
}

}  // namespace

bool Solve(Model& model, std::vector<Site>& sites, int* failed, bool settle)
{
    if (failed) *failed = -1;
    int last = -1;
    for (size_t s = FirstScale(model); s < std::size(kScales); ++s) {
        SetRoom(model, kScales[s]);
        Placer placer(model);
        if (placer.Run(sites, last, true, settle)) return true;
    }
    // The component to name: the first with no site even on an empty page
    // without room (that is the one to change), else the one that found no
    // free site last; none when no component has a site at all (no cells).
    CellMap empty(model);
    int movable = 0, homeless = 0, first = -1;
    for (int c = 0; c < static_cast<int>(model.comps.size()); ++c) {
        if (model.comps[c].locked) continue;
        ++movable;
        if (empty.AnySite(c)) continue;
        ++homeless;
        if (first < 0) first = c;
    }
    if (failed) *failed = homeless == movable ? -1 : first >= 0 ? first : last;
    return false;
}

bool Spread(const Model& model, std::vector<Site>& sites)
{
    Placer placer(model);
    int failed = -1;
    return placer.Run(sites, failed, false);
}

double Hpwl(const Model& model, const std::vector<Site>& sites)
{
    Wiring wiring(model, sites);
    wiring.Reset();
    return static_cast<double>(wiring.Total());
}

}  // namespace plc
