// The editor's copies of the kernel's system tables (colours, text sizes,
// grid, snap, angle, pick and zoom steps, line widths, pad-stack
// parameters), taken at every settings load so that drawing, lists and
// dialogs read them without calling the kernel; the text-size list of a
// window; and the seven standard pad stacks of the page database.
#pragma once

#include "editor/shell/checked_array.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

class Form;

// Colour of a drawing category: its palette index and the palette's colour.
struct CatColorRec {
    int32_t PaletteIndex = 0;  // 0..255
    int32_t Color = 0;         // 0x00BBGGRR
};

// Index 0..95; 0..63 are filled; entry 31 is the canvas background.
extern CheckedArray<CatColorRec> g_CatColorTable;
// Index 0..32; the kernel's 32 entries go to 0..31.
extern CheckedArray<TextSizeRec> g_TextSizes;
// 0..27: 14 = selected index, 15..27 = steps 1..13; 0..13 belong to the
// grid and snap lists of the view.
extern CheckedArray<int32_t> g_GridTable;
extern CheckedArray<int32_t> g_SnapTable;
// 0..6: 0 = selected index, 1..6 = angle steps in 1/1000 degree.
extern CheckedArray<int32_t> g_AngleTable;
// 0..4: 0 = selected index, 1..4 = pick tolerances.
extern CheckedArray<int32_t> g_PickTable;
// 0..2: 0 = the pad gap of the standard pad stacks.
extern CheckedArray<int32_t> g_PadStackParams;
// 0..15: line-width presets.
extern CheckedArray<int32_t> g_LineWidths;
// 0..31: 0 = selected index, 1..31 = view sizes.
extern CheckedArray<int32_t> g_ZoomTable;

// Values derived from the selected indexes. A selected index outside its
// table leaves the value as it was.
extern int32_t g_GridStep;
extern int32_t g_SnapStep;
extern int32_t g_AngleStep;
extern int32_t g_PickStep;
extern int32_t g_DefaultViewSize;  // 25400 when the chosen view size is 0
extern int32_t g_HighlightColor;   // 191: highlight and placement symbols

// Definition of a standard pad stack (0..61): 0 and 31 the hole, 1..30 the
// pad shape per layer (1 square, else round), 32..61 the pad size per layer.
extern CheckedArray<int32_t> g_PadStackDef;
// 0..7: element k holds k when the pad stack with key k exists.
extern CheckedArray<int32_t> g_StdPadStacks;

// Copies all the tables above and derives the single values.
void LoadSystemTables();

// Refills the combo box "F_Tsize" of `form` with text-size entries 1..15 in
// the display unit and selects entry g_TextSizeIdx (nothing when that entry
// is not listed). Error 5 when the form has no such combo box.
void FillTextSizeList(Form& form);

// Makes sure the page database holds the seven standard pad stacks (all are
// made anew when fewer than seven pad stacks exist) and records them in
// g_StdPadStacks.
void LoadPadStacks();
