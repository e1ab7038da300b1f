// The box of the page that a print takes in: the extents of what the print
// shows (frame, notes, pictures), joined; and the box corners of the box
// command's screen copy.
#pragma once

#include <array>
#include <cstdint>

// Corners of the box command's copy, in pixels of the canvas' client area
// (X, Y); set by the box command.
extern std::array<int32_t, 2> g_BoxPixStart;
extern std::array<int32_t, 2> g_BoxPixEnd;

// A box grown from the extents found: the first one found is the box, each
// later one widens it. Nothing found: the box is empty, whatever its
// corners.
struct PrintArea {
    int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool found = false;

    // Joins the box (x1, y1, x2, y2 in any order).
    void Join(int32_t ax1, int32_t ay1, int32_t ax2, int32_t ay2);
    // Joins the extent of a symbol's items when it has any.
    void JoinSymbolItems(int32_t symbol);
    // Joins the pictures placed on the current page when there are any.
    void JoinPageBitmaps();
    bool Empty() const { return !found; }
    // Widens the box by `margin` on every side.
    void Widen(int32_t margin);
};

// Database units per inch, as the print-scale set-up takes them.
int32_t UnitsPerInch();

// Opens the printer's sheet (the document when none is open): false, with
// a message naming the printer, when the printer cannot begin.
bool BeginPrinterSheet();
