// The pieces a net's pins form through the wires of the open design, as the
// kernel holds them (what a fresh load of a saved design sees): a pin
// joins a wire only through a point record naming its node, and wires join
// through a junction or node both name. A junction of another id at the
// same place joins nothing, nor does a wire passing over a pin.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <utility>

namespace palvane_test {

// A net's pins on one page and the pieces they form.
struct NetPieces {
    int32_t pins = 0, pieces = 0;
    bool operator==(const NetPieces&) const = default;
};
inline void PrintTo(const NetPieces& p, std::ostream* os) { *os << p.pins << " pins in " << p.pieces << " pieces"; }

// By net name and page id, every net of the current level with pins on a
// page's components (pins of a net sharing no wire are pieces of their own).
using NetPiecesMap = std::map<std::pair<std::string, int32_t>, NetPieces>;
NetPiecesMap KernelNetPieces();

// Joins made and needed over the nets of the map: pins less pieces, pins
// less one.
std::pair<int64_t, int64_t> Joins(const NetPiecesMap& pieces);

// The net wires (not bus wires, not frames) of the current level on a page.
int32_t WiresOnPage(int32_t page);

}  // namespace palvane_test
