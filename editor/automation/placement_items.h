// Item operations of the placement settings module on the items of the two
// placement symbols (and on the layout texts): reading one into the current
// symbol item, drawing one off, and the symbol ids of the current level.
#pragma once

#include <cstdint>
#include <string>

// Reads item `index` of `symbol` into g_SymbItem and its copy g_SymbItemOld
// (a text also into g_SymbText and g_SymbTextOld, its string into `text`):
// status 0. With symbol 0 it reads layout text `index`; a layout item that
// is not a text, or no item at all, gives status 1.
void ReadPlacementItem(int32_t& status, int32_t symbol, int32_t index, std::string& text);

// Draws item `index` of `symbol` off (draw mode 2, which stays set), gives
// it status 4 and, with `deleteIt`, deletes it from the symbol's items. With
// symbol 0: layout text `index` is drawn off, its drawn bit cleared and,
// with `deleteIt`, it is deleted from the layout texts.
void DrawLayoutTexts(bool deleteIt, int32_t symbol, int32_t index);

// g_GridSymbol and g_ZoneSymbol recomputed from the current hierarchy level,
// so that a level change since the set-up never reaches the old level's
// symbols. False (ids unchanged) when there is no current level.
bool SyncPlacementSymbolIds();

// The page frame of the current page, x1, y1 (lower left), x2, y2; the
// corners in ascending order. False when the page has no frame.
bool PlacementFrame(int32_t f[4]);

// Link and status of the pattern lines and zones while they are edited.
constexpr int32_t kPlcStored = 1;  // stored, not shown
constexpr int32_t kPlcShown = 2;   // shown on the canvas
constexpr int32_t kPlcEdited = 4;  // being dragged or moved
