// The directory of a library file, read back through the kernel's calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace palvane_test {

// The entry names of the open library `lib`, in the order the library
// lists them.
std::vector<std::string> EntryNames(int32_t lib);

}  // namespace palvane_test
