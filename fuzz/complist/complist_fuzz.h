// The component list scanner under a fuzzer: a fixed stand-in for the
// kernel lookups, and the check of one input against the scanner's
// promises. The libFuzzer target and the normal test run (which replays the
// seed corpus) share it.
#pragma once

#include "editor/dialogs/complist_scan.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace complist_fuzz {

// The design the lookups answer from: part "7400" with groups 1 to 4, part
// "NOSYM" whose groups name a missing symbol, symbol "GND", components "U1"
// (id 1, at 1000, 2000), "R1" (id 2, at -5000, 0) and the 20-character
// "ABCDEFGHIJKLMNOPQRST" (id 9, at 0, 0).
class FakeLookups : public CompListLookups {
public:
    bool FreeCompName(const std::vector<std::string>& handed, std::string& name) override;
    int LookupPart(const std::string& name, std::optional<int32_t> group, int32_t& device) override;
    int LookupSymbol(const std::string& name, int32_t& symbol) override;
    bool FindComp(const std::string& name, int32_t& id, int32_t& x, int32_t& y) override;
    int32_t AdjustAngle(int32_t angle) override;

    int freeNameCalls = 0;
    bool noFreeName = false;
};

// Parses `typed` as a create list (`create`) or relocation list with the
// fake lookups and returns what breaks a promise of the scanner: accepted
// entries within ±220,000,000 with a normalised angle, or exactly one error
// whose selection lies inside the text. Empty when all holds.
std::string CheckListText(const std::string& typed, bool create);

// One fuzzer input: the first byte's low bit chooses the list, the rest is
// the text.
std::string CheckInput(const uint8_t* data, size_t size);

}  // namespace complist_fuzz
