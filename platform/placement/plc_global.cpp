// Global placement (see plc_global.h).
//
// The wire length model is the bound-to-bound one: along each axis a net of
// p pins joins its two outer pins to each other and to every inner pin, each
// connection weighted 2 / ((p - 1) x its length), so that the quadratic sum
// equals the net's span at the placement the weights were taken from. Each
// axis is a sparse symmetric system, solved by conjugate gradients with a
// diagonal preconditioner. The spread places act as anchors of the next
// solve, with weights that grow each round, until the solution stays near
// them. Nets all on one component, or all on locked ones, pull nothing and
// are left out.
#include "platform/placement/plc_global.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace plc {

namespace {

constexpr int kRounds = 10;           // solve and spread rounds
constexpr int kFirstSolves = 4;       // weight updates of the first solve
constexpr double kMinLength = 254000; // shortest connection length weighed (0.1 inch)
constexpr size_t kWideNet = 16;       // nets of more pins do not turn components

struct PinRef {
    int var = -1;       // variable (movable component), -1 fixed
    double ox = 0, oy = 0;  // offset from the variable's centre, or the place of a fixed pin
    int pin = 0;        // the pin of the component
};

struct Link {
    int a, b;
    double w;
};

class Quadratic {
public:
    Quadratic(const Model& m, GlobalInput& in) : m_(m), in_(in)
    {
        var_.assign(m.comps.size(), -1);
        for (int c = 0; c < static_cast<int>(m.comps.size()); ++c)
            if (!m.comps[c].locked) var_[c] = n_++, comp_.push_back(c);
        for (const Net& net : m.nets) {
            std::vector<PinRef> pins;
            for (auto [c, p] : net) {
                const Comp& comp = m.comps[c];
                PinRef r;
                if (comp.locked) {
                    r.ox = static_cast<double>(comp.x + comp.current.pins[p].x);
                    r.oy = static_cast<double>(comp.y + comp.current.pins[p].y);
                } else {
                    r.var = var_[c];
                    r.pin = p;
                    Offset(r, in.angle[c]);
                }
                pins.push_back(r);
            }
            // A net all on one component, or all fixed, pulls nothing.
            bool moves = false, apart = false;
            for (const PinRef& r : pins) moves = moves || r.var >= 0, apart = apart || r.var != pins[0].var;
            if (moves && apart) nets_.push_back(std::move(pins));
        }
        refs_.resize(n_);
        for (int k = 0; k < static_cast<int>(nets_.size()); ++k)
            for (int r = 0; r < static_cast<int>(nets_[k].size()); ++r)
                if (nets_[k][r].var >= 0) refs_[nets_[k][r].var].push_back({k, r});
        const Rect& g = in.region;
        midX_ = (g.x1 + g.x2) / 2.0, midY_ = (g.y1 + g.y2) / 2.0;
        x_.assign(n_, midX_), y_.assign(n_, midY_);
        // A small spiral about the middle, so that the first weights see
        // the components apart.
        const double r0 = std::max(kMinLength, std::min(g.x2 - g.x1, g.y2 - g.y1) / 50.0);
        for (int v = 0; v < n_; ++v) {
            const double t = v * 2.399963229728653, r = r0 * std::sqrt(v + 1.0) / std::sqrt(n_ + 1.0);
            x_[v] += r * std::cos(t), y_[v] += r * std::sin(t);
        }
        tx_.assign(n_, midX_), ty_.assign(n_, midY_);
    }

    void Run(std::vector<double>& cx, std::vector<double>& cy)
    {
        if (n_ == 0) return;
        for (int round = 0; round < kRounds; ++round) {
            const double anchor = in_.anchor * round;
            for (int s = 0; s < (round == 0 ? kFirstSolves : 1); ++s) {
                SolveAxis(true, anchor);
                SolveAxis(false, anchor);
            }
            if (round + 2 < kRounds) Orient();
            Spread();
        }
        cx.assign(m_.comps.size(), 0), cy.assign(m_.comps.size(), 0);
        for (int v = 0; v < n_; ++v) cx[comp_[v]] = tx_[v], cy[comp_[v]] = ty_[v];
    }

private:
    // The offset of a pin from its component's footprint centre at quarter turn a.
    void Offset(PinRef& r, int a) const
    {
        const int comp = CompOfVar(r.var);
        const Rect& f = in_.foot[comp][a];
        const Pt& q = m_.comps[comp].shapes[a].pins[r.pin];
        r.ox = static_cast<double>(q.x) - (f.x1 + f.x2) / 2.0;
        r.oy = static_cast<double>(q.y) - (f.y1 + f.y2) / 2.0;
    }

    int CompOfVar(int v) const { return v < static_cast<int>(comp_.size()) ? comp_[v] : -1; }

    // Each component to the allowed quarter turn whose pins lie nearest the
    // middles of the other pins of their nets (nets of more than kWideNet
    // pins left out: they pull every way).
    void Orient()
    {
        std::vector<double> sx(nets_.size(), 0), sy(nets_.size(), 0);
        for (size_t k = 0; k < nets_.size(); ++k)
            for (const PinRef& r : nets_[k]) {
                sx[k] += r.var >= 0 ? x_[r.var] + r.ox : r.ox;
                sy[k] += r.var >= 0 ? y_[r.var] + r.oy : r.oy;
            }
        for (int v = 0; v < n_; ++v) {
            const int c = comp_[v];
            const Comp& comp = m_.comps[c];
            auto cost = [&](int a) {
                double total = 0;
                for (auto [k, r] : refs_[v]) {
                    const std::vector<PinRef>& net = nets_[k];
                    if (net.size() > kWideNet) continue;
                    // The middle of the pins of the net not on this component.
                    double ox = sx[k], oy = sy[k];
                    int others = static_cast<int>(net.size());
                    for (auto [k2, r2] : refs_[v])
                        if (k2 == k) ox -= x_[v] + net[r2].ox, oy -= y_[v] + net[r2].oy, --others;
                    if (others <= 0) continue;
                    const Rect& f = in_.foot[c][a];
                    const Pt& q = comp.shapes[a].pins[net[r].pin];
                    const double px = x_[v] + q.x - (f.x1 + f.x2) / 2.0, py = y_[v] + q.y - (f.y1 + f.y2) / 2.0;
                    total += std::fabs(px - ox / others) + std::fabs(py - oy / others);
                }
                return total;
            };
            int best = in_.angle[c];
            double bestCost = cost(best);
            for (int a = 0; a < kAngles; ++a) {
                if (!comp.allowed[a] || a == best) continue;
                const double here = cost(a);
                if (here < bestCost * (1 - 1e-9) - 1) best = a, bestCost = here;
            }
            if (best == in_.angle[c]) continue;
            in_.angle[c] = best;
            for (auto [k, r] : refs_[v]) Offset(nets_[k][r], best);
        }
    }

    // One axis: builds the bound-to-bound system at the present places (and
    // the anchors to the spread places) and solves it from them.
    void SolveAxis(bool xAxis, double anchor)
    {
        std::vector<double>& pos = xAxis ? x_ : y_;
        const std::vector<double>& target = xAxis ? tx_ : ty_;
        diag_.assign(n_, 0), rhs_.assign(n_, 0), links_.clear();
        auto at = [&](const PinRef& r) { return r.var >= 0 ? pos[r.var] + (xAxis ? r.ox : r.oy) : (xAxis ? r.ox : r.oy); };
        auto join = [&](const PinRef& a, const PinRef& b, double w0) {
            if (a.var == b.var) return;
            const double w = w0 / std::max(std::fabs(at(a) - at(b)), kMinLength);
            const double oa = a.var >= 0 ? (xAxis ? a.ox : a.oy) : 0, ob = b.var >= 0 ? (xAxis ? b.ox : b.oy) : 0;
            if (b.var < 0) {
                diag_[a.var] += w, rhs_[a.var] += w * (at(b) - oa);
            } else if (a.var < 0) {
                diag_[b.var] += w, rhs_[b.var] += w * (at(a) - ob);
            } else {
                diag_[a.var] += w, diag_[b.var] += w;
                links_.push_back({a.var, b.var, w});
                rhs_[a.var] -= w * (oa - ob), rhs_[b.var] += w * (oa - ob);
            }
        };
        for (const std::vector<PinRef>& net : nets_) {
            size_t lo = 0, hi = 0;
            for (size_t i = 1; i < net.size(); ++i) {
                if (at(net[i]) < at(net[lo])) lo = i;
                if (at(net[i]) > at(net[hi])) hi = i;
            }
            if (lo == hi) hi = lo == 0 ? 1 : 0;
            const double w0 = 2.0 / static_cast<double>(net.size() - 1);
            join(net[lo], net[hi], w0);
            for (size_t i = 0; i < net.size(); ++i) {
                if (i == lo || i == hi) continue;
                join(net[i], net[lo], w0);
                join(net[i], net[hi], w0);
            }
        }
        // A faint pull to the middle keeps components without fixed
        // neighbours determined; the anchors pull to the spread places.
        double mean = 0;
        for (double d : diag_) mean += d;
        mean = n_ > 0 && mean > 0 ? mean / n_ : 1e-6;
        const double mid = xAxis ? midX_ : midY_;
        for (int v = 0; v < n_; ++v) {
            const double faint = 1e-4 * mean;
            diag_[v] += faint, rhs_[v] += faint * mid;
            if (anchor > 0) {
                const double w = anchor / std::max(std::fabs(pos[v] - target[v]), kMinLength);
                diag_[v] += w, rhs_[v] += w * target[v];
            }
        }
        Conjugate(pos);
    }

    void Multiply(const std::vector<double>& v, std::vector<double>& out) const
    {
        for (int i = 0; i < n_; ++i) out[i] = diag_[i] * v[i];
        for (const Link& l : links_) out[l.a] -= l.w * v[l.b], out[l.b] -= l.w * v[l.a];
    }

    void Conjugate(std::vector<double>& x)
    {
        std::vector<double> r(n_), z(n_), p(n_), q(n_);
        Multiply(x, q);
        double bb = 0;
        for (int i = 0; i < n_; ++i) r[i] = rhs_[i] - q[i], bb += rhs_[i] * rhs_[i];
        if (bb == 0) bb = 1;
        for (int i = 0; i < n_; ++i) z[i] = r[i] / diag_[i];
        p = z;
        double rz = std::inner_product(r.begin(), r.end(), z.begin(), 0.0);
        for (int it = 0; it < 4 * n_ + 50 && it < 400; ++it) {
            double rr = std::inner_product(r.begin(), r.end(), r.begin(), 0.0);
            if (rr <= 1e-12 * bb) break;
            Multiply(p, q);
            const double pq = std::inner_product(p.begin(), p.end(), q.begin(), 0.0);
            if (pq <= 0) break;
            const double alpha = rz / pq;
            for (int i = 0; i < n_; ++i) x[i] += alpha * p[i], r[i] -= alpha * q[i];
            for (int i = 0; i < n_; ++i) z[i] = r[i] / diag_[i];
            const double next = std::inner_product(r.begin(), r.end(), z.begin(), 0.0);
            const double beta = next / rz;
            rz = next;
            for (int i = 0; i < n_; ++i) p[i] = z[i] + beta * p[i];
        }
    }

    struct Box {
        double x1, y1, x2, y2;
    };

    // The free area of a part of the page.
    double Capacity(const Box& b) const
    {
        double area = (b.x2 - b.x1) * (b.y2 - b.y1);
        const double whole = area;
        for (const Rect& o : in_.blocked) {
            const double w = std::min(b.x2, static_cast<double>(o.x2)) - std::max(b.x1, static_cast<double>(o.x1));
            const double h = std::min(b.y2, static_cast<double>(o.y2)) - std::max(b.y1, static_cast<double>(o.y1));
            if (w > 0 && h > 0) area -= w * h;
        }
        return std::max(area, 0.01 * whole);
    }

    // The spread places: the region cut across its longer side, the
    // components ordered along it and shared out by area, the cut placed so
    // that both parts have the same free area for what they hold.
    void Spread()
    {
        std::vector<int> order(n_);
        std::iota(order.begin(), order.end(), 0);
        const Rect& g = in_.region;
        Split({static_cast<double>(g.x1), static_cast<double>(g.y1), static_cast<double>(g.x2), static_cast<double>(g.y2)},
              order.begin(), order.end());
    }

    void Split(const Box& b, std::vector<int>::iterator first, std::vector<int>::iterator last)
    {
        const long count = last - first;
        if (count <= 0) return;
        if (count == 1) {
            tx_[*first] = (b.x1 + b.x2) / 2, ty_[*first] = (b.y1 + b.y2) / 2;
            return;
        }
        const bool across = b.x2 - b.x1 >= b.y2 - b.y1;  // cut at an X
        const std::vector<double>& pos = across ? x_ : y_;
        std::sort(first, last, [&](int p, int q) { return pos[p] < pos[q] || (pos[p] == pos[q] && p < q); });
        double total = 0;
        for (auto it = first; it != last; ++it) total += Area(*it);
        double before = 0;
        auto cut = first;
        while (cut + 1 != last && (cut == first || before + Area(*cut) / 2 < total / 2)) before += Area(*cut), ++cut;
        const double share = total > 0 ? before / total : 0.5;
        double lo = across ? b.x1 : b.y1, hi = across ? b.x2 : b.y2;
        const double want = share * Capacity(b);
        for (int step = 0; step < 30; ++step) {
            const double t = (lo + hi) / 2;
            const Box part = across ? Box{b.x1, b.y1, t, b.y2} : Box{b.x1, b.y1, b.x2, t};
            (Capacity(part) < want ? lo : hi) = t;
        }
        const double t = (lo + hi) / 2;
        Split(across ? Box{b.x1, b.y1, t, b.y2} : Box{b.x1, b.y1, b.x2, t}, first, cut);
        Split(across ? Box{t, b.y1, b.x2, b.y2} : Box{b.x1, t, b.x2, b.y2}, cut, last);
    }

    double Area(int v) const { return std::max(in_.area[comp_[v]], 1.0); }

    const Model& m_;
    GlobalInput& in_;
    int n_ = 0;
    std::vector<int> var_, comp_;
    std::vector<std::vector<PinRef>> nets_;
    std::vector<std::vector<std::pair<int, int>>> refs_;  // (net, place in the net) of every pin of every variable
    std::vector<double> x_, y_, tx_, ty_;
    std::vector<double> diag_, rhs_;
    std::vector<Link> links_;
    double midX_ = 0, midY_ = 0;
};

}  // namespace

void PlaceGlobal(const Model& m, GlobalInput& in, std::vector<double>& cx, std::vector<double>& cy)
{
    Quadratic q(m, in);
    q.Run(cx, cy);
}

}  // namespace plc
