// Half-perimeter wire length kept up to date (see plc_wiring.h).
#include "platform/placement/plc_wiring.h"

#include <algorithm>

namespace plc {

bool Links::On(int net) const
{
    return std::binary_search(nets.begin(), nets.end(), net);
}

std::vector<Links> BuildLinks(const Model& m)
{
    std::vector<Links> links(m.comps.size());
    for (int n = 0; n < static_cast<int>(m.nets.size()); ++n)
        for (auto [c, p] : m.nets[n]) {
            Links& l = links[c];
            if (l.nets.empty() || l.nets.back() != n) l.nets.push_back(n), l.start.push_back(static_cast<int>(l.pins.size()));
            l.pins.push_back(p);
        }
    // Pins of one component on one net that are not listed together in the
    // net come out as separate runs above; gather them.
    for (Links& l : links) {
        l.start.push_back(static_cast<int>(l.pins.size()));
        bool sorted = std::is_sorted(l.nets.begin(), l.nets.end()) &&
                      std::adjacent_find(l.nets.begin(), l.nets.end()) == l.nets.end();
        if (sorted) continue;
        std::vector<std::pair<int, int>> pairs;  // (net, pin)
        for (size_t g = 0; g + 1 < l.start.size(); ++g)
            for (int p = l.start[g]; p < l.start[g + 1]; ++p) pairs.push_back({l.nets[g], l.pins[p]});
        std::stable_sort(pairs.begin(), pairs.end(), [](auto a, auto b) { return a.first < b.first; });
        l = Links{};
        for (auto [n, p] : pairs) {
            if (l.nets.empty() || l.nets.back() != n) l.nets.push_back(n), l.start.push_back(static_cast<int>(l.pins.size()));
            l.pins.push_back(p);
        }
        l.start.push_back(static_cast<int>(l.pins.size()));
    }
    return links;
}

Wiring::Wiring(const Model& m, const std::vector<Site>& sites)
    : m_(m), sites_(sites), links_(BuildLinks(m)), box_(m.nets.size()), length_(m.nets.size(), 0)
{
}

Pt Wiring::PinAt(int c, int pin) const
{
    const Comp& comp = m_.comps[c];
    if (comp.locked) return {comp.x + comp.current.pins[pin].x, comp.y + comp.current.pins[pin].y};
    return PinAt(c, pin, sites_[c]);
}

void Wiring::Measure(int n)
{
    Box b;
    bool first = true;
    for (auto [c, pin] : m_.nets[n]) {
        const Pt p = PinAt(c, pin);
        if (first) {
            b = {p.x, p.y, p.x, p.y, 1, 1, 1, 1, 1};
            first = false;
            continue;
        }
        ++b.count;
        b.Take(p.x, p.y);
    }
    box_[n] = b;
    length_[n] = b.Length();
}

void Wiring::Remeasure(int n)
{
    total_ -= length_[n];
    Measure(n);
    total_ += length_[n];
}

void Wiring::Reset()
{
    total_ = 0;
    for (int n = 0; n < static_cast<int>(m_.nets.size()); ++n) {
        Measure(n);
        total_ += length_[n];
    }
}

int64_t Wiring::LengthOf(int c) const
{
    int64_t total = 0;
    for (int n : links_[c].nets) total += length_[n];
    return total;
}

Span Wiring::Others(int n, int c) const
{
    const Links& l = links_[c];
    const auto it = std::lower_bound(l.nets.begin(), l.nets.end(), n);
    const Box& b = box_[n];
    Span span;
    if (it == l.nets.end() || *it != n) {
        if (b.count > 0) span = {b.x1, b.y1, b.x2, b.y2, b.count};
        return span;
    }
    const size_t g = static_cast<size_t>(it - l.nets.begin());
    int on[4] = {0, 0, 0, 0};
    for (int p = l.start[g]; p < l.start[g + 1]; ++p) {
        const Pt q = PinAt(c, l.pins[p]);
        on[0] += q.x == b.x1, on[1] += q.y == b.y1, on[2] += q.x == b.x2, on[3] += q.y == b.y2;
    }
    const int own = l.start[g + 1] - l.start[g];
    if (on[0] < b.nx1 && on[1] < b.ny1 && on[2] < b.nx2 && on[3] < b.ny2) {
        span = {b.x1, b.y1, b.x2, b.y2, b.count - own};
        return span;
    }
    for (auto [o, pin] : m_.nets[n]) {
        if (o == c) continue;
        const Pt q = PinAt(o, pin);
        span.Add(q.x, q.y);
    }
    return span;
}

void Wiring::OthersOf(int c, std::vector<Span>& out) const
{
    const Links& l = links_[c];
    out.resize(l.nets.size());
    for (size_t g = 0; g < l.nets.size(); ++g) out[g] = Others(l.nets[g], c);
}

int64_t Wiring::LengthAt(int c, const Site& s, const std::vector<Span>& others) const
{
    const Links& l = links_[c];
    const std::vector<Pt>& pins = m_.comps[c].shapes[s.angle].pins;
    int64_t total = 0;
    for (size_t g = 0; g < l.nets.size(); ++g) {
        Span span = others[g];
        for (int p = l.start[g]; p < l.start[g + 1]; ++p) span.Add(s.x + pins[l.pins[p]].x, s.y + pins[l.pins[p]].y);
        total += span.Length();
    }
    return total;
}

int64_t Wiring::Delta(int a, const Site& sa, int b, const Site& sb) const
{
    int64_t delta = 0;
    auto single = [&](int c, const Site& s, int other) {
        const Links& l = links_[c];
        const std::vector<Pt>& pins = m_.comps[c].shapes[s.angle].pins;
        for (size_t g = 0; g < l.nets.size(); ++g) {
            const int n = l.nets[g];
            if (other >= 0 && links_[other].On(n)) {
                if (c != a) continue;  // measured once, from a's side
                Span span;
                for (auto [o, pin] : m_.nets[n]) {
                    const Pt q = o == a ? PinAt(a, pin, sa) : o == b ? PinAt(b, pin, sb) : PinAt(o, pin);
                    span.Add(q.x, q.y);
                }
                delta += span.Length() - length_[n];
                continue;
            }
            Span span = Others(n, c);
            for (int p = l.start[g]; p < l.start[g + 1]; ++p) span.Add(s.x + pins[l.pins[p]].x, s.y + pins[l.pins[p]].y);
            delta += span.Length() - length_[n];
        }
    };
    single(a, sa, b);
    if (b >= 0) single(b, sb, a);
    return delta;
}

bool Wiring::Shift(int n, int c, int g, const Site& from, const Site& to)
{
    Box& b = box_[n];
    const Links& l = links_[c];
    for (int p = l.start[g]; p < l.start[g + 1]; ++p) {
        const Pt q = PinAt(c, l.pins[p], from);
        if (q.x == b.x1 && --b.nx1 == 0) return false;
        if (q.x == b.x2 && --b.nx2 == 0) return false;
        if (q.y == b.y1 && --b.ny1 == 0) return false;
        if (q.y == b.y2 && --b.ny2 == 0) return false;
    }
    for (int p = l.start[g]; p < l.start[g + 1]; ++p) {
        const Pt q = PinAt(c, l.pins[p], to);
        b.Take(q.x, q.y);
    }
    const int64_t length = b.Length();
    total_ += length - length_[n];
    length_[n] = length;
    return true;
}

void Wiring::Moved(int a, const Site& oldA, int b, const Site& oldB)
{
    auto one = [&](int c, const Site& from, int other) {
        const Links& l = links_[c];
        for (size_t g = 0; g < l.nets.size(); ++g) {
            const int n = l.nets[g];
            if (other >= 0 && links_[other].On(n)) {
                if (c == a) Remeasure(n);
                continue;
            }
            if (!Shift(n, c, static_cast<int>(g), from, sites_[c])) Remeasure(n);
        }
    };
    one(a, oldA, b);
    if (b >= 0) one(b, oldB, a);
}

}  // namespace plc
