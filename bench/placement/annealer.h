// The benchmark's baseline: a conventional simulated annealer on the
// engine's legal sites (the same cells, clearances, zones, notes texts and
// drawings kept off as zones, locked parts and wiring room; plc::CellMap)
// and the same half-perimeter wire length (plc::Wiring).
//
// Start: a random legal placement, the largest blocks first; when one leaves
// a part without a free site, another, up to twenty. Moves: a random
// component to a random cell and quarter turn within a range window around
// it, or a swap with the one component holding that cell. Schedule, as the
// classic one for cell placement: the starting temperature twenty times the
// spread of the cost changes of random moves; inner × n^(4/3) moves per
// temperature; the cooling factor chosen by the acceptance rate (0.5 above
// 96 %, 0.9 above 80 %, 0.95 above 15 %, else 0.8); the window scaled by
// (0.56 + acceptance rate), so that about 44 % of moves are accepted,
// between one cell and the whole page; the end when the temperature falls
// below 0.005 of the mean net length; then one pass at temperature zero.
#pragma once

#include "platform/placement/plc_model.h"

#include <cstdint>
#include <vector>

namespace plc_bench {

struct AnnealStats {
    int temperatures = 0;
    int64_t moves = 0;
};

// False when no random legal start was found.
bool Anneal(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites, AnnealStats* stats = nullptr);

}  // namespace plc_bench
