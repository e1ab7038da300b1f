// The items of one symbol, as the editing of symbols, design notes and page
// notes (whose drawings are symbols' item arrays) uses them: the current
// item buffers, reading an item into them, writing one back, finding items
// under a point and relinking or deleting items by link.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// The current symbol item, shared by the item commands and their previews.
// The read procedures fill the records; the callers keep the rest.
extern int32_t g_CurSymb;            // the symbol whose items are edited
extern ItemRec g_SymbItem;           // the current item (any kind)
extern ItemRec g_SymbItemOld;        // its copy, taken when read
extern ItemRec g_SymbText;           // the current text item
extern ItemRec g_SymbTextOld;        // its copy
extern int32_t g_SymbItemIdx;        // its index in the owner's array
extern int32_t g_SymbItemType;       // its kind as last read (1..6)
extern std::string g_SymbItemText;   // the text of a text item
extern std::string g_SymbItemTextOld;

// Reads item `index` of the symbol, relative to the symbol, into g_SymbItem
// (copied to g_SymbItemOld); a text (Kind 6) also into g_SymbText (copied to
// g_SymbTextOld) with its string in `text`. Status 0 when read; status 1 and
// the buffers unchanged when there is no such item. `kind` receives the
// item's Kind (1..6) when read, 0 when not.
void ReadSymbItem(int32_t& status, int32_t symbol, int32_t index, std::string& text, int32_t& kind);
// The same at the item's place on the page (through the placement frame
// set for the symbol).
void ReadSymbItemAbs(int32_t& status, int32_t symbol, int32_t index, std::string& text);

// Writes the record's link, gap, shape and position, and attributes back to
// a non-text item of the symbol and clears its drawn mark. A missing item
// or a position beyond the kernel's range changes nothing.
void WriteSymbItem(int32_t symbol, int32_t index, const ItemRec& record);

// The first item of the symbol (at its placement frame) within
// g_PickTolerance of (x, y): status 0 and its index, else status 1.
void CoverSymbItem(int32_t& status, int32_t symbol, int32_t x, int32_t y, int32_t& index);
// The first such item of Kind `kind`, in index order.
void CoverSymbItemOfType(int32_t& status, int32_t symbol, int32_t kind, int32_t x, int32_t y, int32_t& index);

// Gives every item of the symbol whose status has a bit of `mask` and whose
// link is `link` the link `newLink`.
void RelinkSymbItems(int32_t symbol, int32_t mask, int32_t link, int32_t newLink);
// Deletes every item of the symbol whose status has a bit of `mask` and
// whose link is `link`.
void DeleteSymbItemsByLink(int32_t symbol, int32_t mask, int32_t link);
