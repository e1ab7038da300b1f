// The drawings of the tool-button pictures: named glyphs drawn into one
// 24 x 24 cell. A picture is one main glyph, optionally followed by badges,
// small signs drawn over the lower right corner (a plus for "new", a cross
// for "delete", arrows for "move" ...). A glyph or badge name may carry an
// argument after a colon ("marker:1", "text:10k", "letter:L").
#pragma once

#include <string>

class QPainter;

namespace toolpics {

constexpr int kCell = 24;

// Draws `glyph` (a main glyph when `badge` is false) into the cell at the
// painter's origin. False when no glyph of that name exists.
bool DrawGlyph(QPainter& painter, const std::string& glyph, bool badge);

}  // namespace toolpics
