// The benchmark's two baselines, simulated annealers on the engine's legal
// sites (the same cells, clearances, zones, notes texts and drawings kept
// off as zones, locked parts and wiring room; plc::CellMap) and the same
// half-perimeter wire length (plc::Wiring). Both start from the engine's
// legal spread (plc::Spread: its global placement legalised, before its
// refinement) and share the classic schedule for cell placement:
//
// - the starting temperature twenty times the spread of the cost changes of
//   n random moves (n the movable parts), all taken;
// - inner x n^(4/3) moves per temperature, counting the moves that were
//   priced (a proposal that cannot be made is drawn again and not counted;
//   a temperature gives up after kGiveUp x that many proposals);
// - the cooling factor chosen by the acceptance rate (0.5 above 96 %, 0.9
//   above 80 %, 0.95 above 15 %, else 0.8);
// - moves within a range window around the part, scaled each temperature
//   by (0.56 + acceptance rate), between one cell and the whole page;
// - the end when the temperature falls below 0.005 of the mean net length.
//
// Anneal (legal moves only): a move takes a random part to a random cell
// of the window, at its angle or (half the time) a random allowed quarter
// turn; when the one part holding that cell can take the mover's corner
// (at its angle or, half the time, a random allowed turn), the two swap.
// After the end, one pass at temperature zero.
//
// AnnealOverlap (overlap under a penalty): parts move to any site that is
// legal on an empty page (the frame, zones, notes and locked parts obeyed),
// blocks of cells may overlap; the cost is the wire length plus a weight x
// the cells held twice or more (counted once per extra holder); the weight
// starts at a tenth of the mean cost change per block cell and grows by
// kPenaltyGrowth each temperature. After the end it is raised until no cell
// is shared (temperatures at the last one), then the parts are legalised
// (the largest blocks first, each to the free legal site nearest its place
// that costs least wire length plus movement, as the engine's own rules
// require) and one pass at temperature zero of the legal moves follows.
// The wire length is measured after that.
#pragma once

#include "platform/placement/plc_model.h"

#include <cstdint>
#include <vector>

namespace plc_bench {

struct AnnealStats {
    int temperatures = 0;
    int64_t moves = 0;      // moves priced (the count the schedule keeps)
    int64_t proposals = 0;  // proposals drawn, those that could not be made included
    int64_t taken = 0;
    int gaveUp = 0;         // temperatures that ended at the proposal limit
};

// Both: false when the engine's spread could not be made (no free site for
// some part), AnnealOverlap also when legalising left a part without a free
// site; `sites` then untouched.
bool Anneal(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites, AnnealStats* stats = nullptr);
bool AnnealOverlap(const plc::Model& model, uint64_t seed, double inner, std::vector<plc::Site>& sites,
                   AnnealStats* stats = nullptr);

}  // namespace plc_bench
