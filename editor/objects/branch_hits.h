// Hit tests on the wires of the current page: the junction, the wire, the
// wire text or the nearest point on a wire under the pointer. All go
// through the kernel's indexed cover calls with g_PickTolerance.
//
// status: 0 found, 1 nothing found.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>

// The first junction within twice the pick distance that belongs to no
// selected branch, with the first branch using it and that record's index.
// With the "same net only" option (g_TConnectFlags bit 1) and a net filter
// of 0 or more, a net branch of another net gives status 1.
void CoverJunctionAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& branch, BranchRec& rec, int32_t& index,
                          int32_t netFilter);
// The branch at the point: mode 0 passes over the page frame and the
// excluded id, mode 1 takes only the page frame (not when excluded), other
// modes the first branch. `cover` = the record ending the segment hit,
// `distance` its distance. A hit leaves the status as the caller set it.
void CoverBranchAtPoint(int32_t& status, int32_t mode, int32_t excluded, int32_t x, int32_t y, int32_t& distance,
                        int32_t& branch, int32_t& cover, BranchRec& rec);
// The wire text at the point, read into g_SymbText and g_SymbItemText (and
// their Old copies); `item` its index in the branch's texts.
void CoverBranchText(int32_t& status, int32_t x, int32_t y, int32_t& branch, BranchRec& rec, int32_t& item);
// Moves (x, y) onto the nearest point of the first unselected branch at the
// point: snapped to g_SnapStep (halves away from zero), then the foot of the
// perpendicular on the segment hit. With the "same net only" option a
// branch of a net other than `netFilter` (0 or more) is passed over.
void SnapToBranch(int32_t& status, int32_t& x, int32_t& y, int32_t& branch, BranchRec& rec, int32_t& cover,
                  int32_t netFilter);
