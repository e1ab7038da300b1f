// The prefix tables of the placement settings, stored in the grid symbol as
// text items: links 21..24 g_PatternPrefixes, 25..28 g_PatternPrefixes2,
// 31..37 g_OrientPrefixes, one item per non-empty entry in slot order.
#pragma once

#include <cstdint>

// Writes the three tables into the grid symbol. The new items are made
// first; only when all of them are in are the old ones deleted. On a failure
// the new items are removed again, the old ones are kept, placement message
// 12 (pattern tables) or 13 (orientation table) is shown and the result is
// false.
bool StorePlacementPrefixes();

// Reads the three tables back from the grid symbol; slots without an item
// become empty.
void LoadPlacementPrefixes();
