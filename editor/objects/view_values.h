// Values that the view, the main window and the page redraw keep and the
// wire and net procedures of the object layer read. They are defined here
// until their owners define them (docs/DESIGN.md, "Object layer").
#pragma once

#include "editor/shell/curpos.h"
#include "editor/shell/textnum.h"

#include <cstdint>

// g_PickTolerance and g_SelRect: editor/shell/curpos.h.
// The view's current draw mode (the page redraw's mode bits).
extern int32_t g_DrawMode;
// Display switches of the view menus: node marks, ratsnest, net guidelines.
extern int32_t g_ShowNodes;
extern int32_t g_ShowRatsnest;
extern int32_t g_NetGuidelines;
// Bit 1: the menu option "T-connect Same &Net Only".
extern int32_t g_TConnectFlags;
// The current page's frame branch (-100 - page), 0 when none.
extern int32_t g_FrameBranch;
// The hook point of a drag, relative to the dragged object.
extern PointL g_CompAnchor;
