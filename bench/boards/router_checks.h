// Checks over a routed page image, shared by the router's tests and the
// benchmarks: the image's links are sound, and the wires keep the rules the
// router promises (clear of bodies, no parallel run beside a foreign wire
// within a step, no foreign wire ending on another).
#pragma once

#include <cstdint>
#include <string>

namespace corvex_check {

struct WireStats {
    int64_t length = 0;   // total wire length of the nets' branches on the page
    int32_t bends = 0;    // inner points where the wire turns
    int32_t crossings = 0;
    int32_t violations = 0;
    int32_t branches = 0;
    int32_t pairs = 0, connected = 0;
};

// Measures the wires of every net on the current page; `detail` gets a
// line for each violation.
WireStats Measure(std::string* detail = nullptr);

// An empty text when the image's chains, points and field grid agree; else
// what is wrong.
std::string Consistency();

// A hash of the branches, points and groups of the image.
uint64_t ImageHash();

}  // namespace corvex_check
