// The whole sets of components and wires a cover around a point finds, as
// the kernel's box queries hand them over (in no particular order), and
// other sets of wires the kernel hands over in one call.
#pragma once

#include <cstdint>
#include <vector>

// The components C_CoverComponent would list at (x, y) within `tolerance`.
std::vector<int32_t> CoverCompSet(int32_t x, int32_t y, int32_t tolerance);
// The wires B_CoverBranch would list at (x, y) within `tolerance` (the page
// frame included).
std::vector<int32_t> CoverBranchSet(int32_t x, int32_t y, int32_t tolerance);
// The wires of the current level (all pages, frames passed by) that hold
// at least one text, in the order of a walk of the wire map.
std::vector<int32_t> TextBranchSet();
