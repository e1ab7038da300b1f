// The half-perimeter wire length of a placement, kept up to date as
// components move: every net's bounding box with the number of pins on each
// of its four edges, so that a move is priced and applied without measuring
// the net again unless it takes away the last pin of an edge. Shared by the
// engine and the benchmarks' annealer.
#pragma once

#include "platform/placement/plc_model.h"

#include <limits>
#include <vector>

namespace plc {

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
    int64_t Length() const { return count < 2 ? 0 : (x2 - x1) + (y2 - y1); }
};

// The nets of a component, each with the pins of the component on it; nets
// in ascending order.
struct Links {
    std::vector<int> nets;
    std::vector<int> start;  // pins of nets[g]: pins[start[g]] .. pins[start[g + 1] - 1]
    std::vector<int> pins;
    bool On(int net) const;
};

std::vector<Links> BuildLinks(const Model& m);

class Wiring {
public:
    // `sites` is read as it stands whenever a pin is asked for (locked
    // components stand where they were read).
    Wiring(const Model& m, const std::vector<Site>& sites);

    const std::vector<Links>& links() const { return links_; }

    Pt PinAt(int c, int pin) const;
    Pt PinAt(int c, int pin, const Site& s) const
    {
        const Pt& p = m_.comps[c].shapes[s.angle].pins[pin];
        return {s.x + p.x, s.y + p.y};
    }

    // Measures every net afresh.
    void Reset();
    int64_t Total() const { return total_; }
    int64_t Length(int n) const { return length_[n]; }
    // The length of c's nets together.
    int64_t LengthOf(int c) const;

    // The span of net n's pins other than those of component c.
    Span Others(int n, int c) const;

    // The spans of the other pins of c's nets, by the order of its links.
    void OthersOf(int c, std::vector<Span>& out) const;
    // c's wire length at s against spans from OthersOf.
    int64_t LengthAt(int c, const Site& s, const std::vector<Span>& others) const;

    // Change of the total when a goes to sa and, when b >= 0, b to sb.
    int64_t Delta(int a, const Site& sa, int b = -1, const Site& sb = Site{}) const;

    // After the caller moved a (and b when >= 0) from the sites given to
    // where `sites` now has them: brings the nets up to date.
    void Moved(int a, const Site& oldA, int b = -1, const Site& oldB = Site{});

private:
    struct Box {
        int64_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
        int nx1 = 0, ny1 = 0, nx2 = 0, ny2 = 0;  // pins on each edge
        int count = 0;
        int64_t Length() const { return count < 2 ? 0 : (x2 - x1) + (y2 - y1); }
        // Widens the box to a pin at (x, y), counting the pins on each edge.
        void Take(int64_t x, int64_t y)
        {
            if (x < x1) x1 = x, nx1 = 1;
            else if (x == x1) ++nx1;
            if (x > x2) x2 = x, nx2 = 1;
            else if (x == x2) ++nx2;
            if (y < y1) y1 = y, ny1 = 1;
            else if (y == y1) ++ny1;
            if (y > y2) y2 = y, ny2 = 1;
            else if (y == y2) ++ny2;
        }
    };

    void Measure(int n);
    void Remeasure(int n);
    // Takes out c's pins at `from` and puts in those at `to`; false when an
    // edge lost its last pin and the net must be measured again.
    bool Shift(int n, int c, int g, const Site& from, const Site& to);

    const Model& m_;
    const std::vector<Site>& sites_;
    std::vector<Links> links_;
    std::vector<Box> box_;
    std::vector<int64_t> length_;
    int64_t total_ = 0;
};

}  // namespace plc
