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
// and drawn (the sanitizers' part) before and after the editor's start-up
// repairs, saved, or loaded again from what was saved, or whose frames are
// then not whole. Empty when all holds.
std::string CheckInput(const uint8_t* data, size_t size);

// The edits of a fuzzer input (as CheckInput reads them) applied to the
// image file at `path`, its checksum left as it is. False when the file
// could not be opened.
bool EditImage(const std::string& path, const uint8_t* data, size_t size);

// The editor's start-up repairs on the open design, as the start-up makes
// them and as showing each page of the current level makes them: broken
// wires removed, every page's frame made whole and the shown page's
// rebuilt, the special symbols of each page made.
void RunStartUpRepairs();

// What is wrong with the frames of the open design, one line per fault
// (level, page, what): a frame with records that lies on another page,
// does not close on its first corner, names a corner twice, names a corner
// that is no junction of its page or one that another page's frame names.
// Empty when every frame is whole.
std::string FrameProblems();

}  // namespace design_fuzz
