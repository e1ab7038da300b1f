// The menu profile under a fuzzer: the tool table read from a profile of
// any content. The libFuzzer target and the normal test run (which replays
// the seed corpus) share the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace menu_fuzz {

// Writes `size` bytes as the menu profile of the program folder and reads
// it into the tool table. Returns what breaks a promise: a profile refused
// without a message, or one accepted that leaves a selected function
// outside 0..10. Empty when all holds.
std::string CheckInput(const uint8_t* data, size_t size);

}  // namespace menu_fuzz
