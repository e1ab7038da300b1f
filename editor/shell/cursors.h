// The canvas cursors: two kernel cursors taken at start-up (the cross-hair
// and the move cursor) and the procedures that give a window one of them
// as its own cursor.
#pragma once

#include <array>
#include <cstdint>

class QWidget;

// Element 0 from kernel cursor kind 1 (the cross-hair), element 1 from kind
// 2 (the move cursor); 0 when not taken.
extern std::array<int32_t, 2> g_Cursors;

// Gives `window` the kernel cursor `cursor` (a handle of g_Cursors) as its
// cursor; any other handle (0, one already freed) gives the default arrow.
void SetClassCursor(QWidget* window, int32_t cursor);

// The control's cursor: g_Cursors element 0 when `flag` is nonzero, else
// element 1.
void SetFormCursor(QWidget* control, int32_t flag);

// Frees both kernel cursors; every window that shows one of them first
// gets the default arrow back, so no window is left with a freed cursor.
void FreeCursors();
