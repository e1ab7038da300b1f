// The block file parser under a fuzzer: the check of one input against the
// parser's and the placement's promises. The libFuzzer target and the
// normal test run (which replays the seed corpus) share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace block_fuzz {

// Parses `bytes` as a block file and, when it is accepted, places it turned
// by `rotation` degrees at a drop point near the edge of the drawing area.
// Returns what breaks a promise: an accepted file whose ids link to
// nothing, whose values lie outside their ranges, or whose placement
// leaves the drawing area; a refusal without a reason or with a line
// number beyond the file. Empty when all holds.
std::string CheckBlockText(std::string_view bytes, double rotation);

// One fuzzer input: the first byte chooses the rotation (its low two bits
// times 90 degrees), the rest is the file.
std::string CheckInput(const uint8_t* data, size_t size);

}  // namespace block_fuzz
