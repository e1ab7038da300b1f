// The settings file under a fuzzer: every value the editor reads from it
// at a settings load, from a file of any content. The libFuzzer target and
// the normal test run (which replays the seed corpus) share the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace settings_fuzz {

// Writes `size` bytes as the settings file and reads the directories, the
// page formats, the library lists, the packaging preferences and the
// shortcuts from it as a settings load does. Returns what breaks a promise:
// a library list holding an empty name (a list ends at its first empty
// entry). Empty when all holds; a crash or a sanitizer report is the
// fuzzer's own finding.
std::string CheckInput(const uint8_t* data, size_t size);

}  // namespace settings_fuzz
