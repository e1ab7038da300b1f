// The view's global settings: the grid switch, the pick tolerance of the
// current zoom, the draw-mode bits of the screen and of printing, the line
// width of new items and the display switches the page paint reads.
#pragma once

#include <cstdint>

#include "editor/shell/curpos.h"  // g_PickTolerance, kept up to date by the zoom
#include "platform/kernel/nvokernel32_functions.h"

// View sizes (database units per pixel) a redraw keeps the canvas within.
constexpr int32_t kMinViewSize = 100;
constexpr int32_t kMaxViewSize = 2540000;
// One step of a scroll bar, in database units (32000 steps reach the limit).
constexpr int32_t kScrollUnit = 6875;

extern int32_t g_GridOn;          // nonzero while the grid is shown
extern int32_t g_PrintModeBits;   // draw-mode bits of printing; 0 on the screen
extern int32_t g_ShowBitmaps;     // the page's bitmaps are drawn
extern int32_t g_ItemPicked;      // a symbol item is picked in item mode
extern int32_t g_LineWidth;       // line width of new graphic items, database units
// The normal draw mode of the screen; marking adds 8 (XOR), the wide
// underlay of a wire adds 2.
extern int32_t g_DrawMode;

// Clamps a value into -kCoordLimit .. kCoordLimit.
int32_t ClampCoord(double value);
