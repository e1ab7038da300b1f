// Pictures of symbols and pages for looking at them, read back through the
// kernel's calls: black drawing on white. Symbol pictures also show the
// entries (red rings), the places of pin-number texts (blue dots) and the
// pads (grey, white holes); page pictures show the frame, the components
// with their texts, the wires with their junction dots and texts, and the
// page notes.
#pragma once

#include <QImage>

#include <cstdint>

namespace palvane_test {

// The picture of symbol `symbol` at `pixelsPerMil`; a null image when it
// cannot be read.
QImage SymbolPicture(int32_t symbol, double pixelsPerMil = 0.5);

// The picture of page `page` of the current level, framed by the page
// frame (`wholePage`, when the page has one) or by what the page holds.
QImage PagePicture(int32_t page, double pixelsPerMil = 0.1, bool wholePage = true);

}  // namespace palvane_test
