// Values that the view and the main window keep and the
// wire and net procedures of the object layer read. They are defined here
// until their owners define them (docs/DESIGN.md, "Object layer").
#pragma once

#include "editor/shell/curpos.h"
#include "editor/shell/pagedraw.h"  // g_FrameBranch and the display switches
#include "editor/shell/textnum.h"

#include <cstdint>

// g_PickTolerance and g_SelRect: editor/shell/curpos.h.
// The view's current draw mode (the page redraw's mode bits).
extern int32_t g_DrawMode;
// Bit 1: the menu option "T-connect Same &Net Only".
extern int32_t g_TConnectFlags;
// The colour scheme (32 after a settings load); new hierarchy texts take it
// as their layer.
extern int32_t g_ColorMode;
