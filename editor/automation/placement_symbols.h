// The two placement symbols of the current hierarchy level: "GridSymbol"
// (the lines of four placement patterns per side and the prefix texts) and
// "ZoneSymbol" (the keep-off zones and a copy of the page frame as it was
// when the patterns were last fitted).
#pragma once

#include <cstdint>

class SCHMAIN;

// Finds or makes both symbols, gives every item status 1, fits the pattern
// lines to a changed page frame and makes the four default patterns of
// each side in a new grid symbol; a stored grid symbol gets the default
// lines of every solder-side link that has none. Reports its failures and
// shuts the editor down.
void SetupPlacementSymbols(SCHMAIN& w);

// Adds the row lines (every `rowStep` from y1 to y2) and column lines (every
// `colStep` from x1 to x2) of one pattern to the grid symbol. A step below 1
// is taken as 1 unit. False (after message 5) when a line cannot be added.
bool MakePatternGridLines(int32_t rowLink, int32_t colLink, int32_t rowStep, int32_t colStep, int32_t x1,
                          int32_t y1, int32_t x2, int32_t y2);

// Start-up and "UP": sets the symbols up, reloads the prefix tables and
// resets the placement settings to their defaults.
void RefreshPlacementSymbols(SCHMAIN& w);

// Whether the placement overlay may draw (both symbols set up).
extern int32_t g_PlcGridReady, g_PlcZoneReady, g_PlcShownKind, g_PlcCurLink;
