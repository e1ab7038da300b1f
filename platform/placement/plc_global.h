// The engine's global placement: where every movable component should go
// before the cells are taken into account.
#pragma once

#include "platform/placement/plc_model.h"

#include <vector>

namespace plc {

struct GlobalInput {
    std::vector<int> angle;      // quarter turn of every movable component: the start, then the one chosen
    std::vector<std::array<Rect, kAngles>> foot;  // footprints relative to the origin by quarter turn
    std::vector<double> area;    // the area each movable component takes on the page
    Rect region;                 // where the movable components are spread
    double anchor = 0.3;         // the pull towards the spread places, per round
    std::vector<Rect> blocked;   // parts of the page no component can take
};

// Centres of the footprints of the movable components (locked ones keep
// theirs): short wires by quadratic placement with bound-to-bound net
// weights, spread evenly over the region by recursive bisection (each cut
// across the longer side, the components ordered along it and shared out by
// area), the two alternated with growing pulls towards the spread places;
// between the rounds each component takes the allowed quarter turn that
// brings its pins nearest the other pins of their nets. Returns the spread
// places, and the quarter turns in `in.angle`. Deterministic.
void PlaceGlobal(const Model& m, GlobalInput& in, std::vector<double>& cx, std::vector<double>& cy);

}  // namespace plc
