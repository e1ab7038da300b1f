// The design loader under a fuzzer: images whose rows disagree with each
// other but whose content checksum is right, as another program or a
// faulty build could write them. The libFuzzer target and the normal test
// run (which replays the seed corpus) share the check.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace design_fuzz {

// The image of a small design with one object of every kind, saved once
// per process.
const std::string& SeedImage();

// One fuzzer input: a list of edits to the rows of the seed image (each
// edit picks a table, a row and a column by its bytes, and sets a number, a
// text, a blob or NULL, deletes the row or copies it), after which the
// checksum is computed again and the file goes to the loader over an open
// design. Returns what breaks a promise: a refusal without a text or one
// that changed the open design; an accepted design that cannot be walked
// and drawn (the sanitizers' part), saved, or loaded again from what was
// saved. Empty when all holds.
std::string CheckInput(const uint8_t* data, size_t size);

}  // namespace design_fuzz
