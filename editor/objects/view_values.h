// Values that the view and the main window keep and the wire and net
// procedures of the object layer read. Each is defined by its owner; the
// one whose owner (the display menus) does not exist yet is defined here
// until it does (docs/DESIGN.md, "Object layer").
#pragma once

#include "editor/shell/curpos.h"    // g_PickTolerance, g_SelRect
#include "editor/shell/pagedraw.h"  // g_FrameBranch and the display switches
#include "editor/shell/textnum.h"
#include "editor/view/view_state.h" // g_DrawMode, g_ColorMode

#include <cstdint>

// Bit 1: the menu option "T-connect Same &Net Only".
extern int32_t g_TConnectFlags;
