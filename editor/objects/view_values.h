// Values that the view and the main window keep and the wire and net
// procedures of the object layer read, each defined by its owner: the
// view's draw mode, the display menus' switches, the page position and the
// pick tolerance.
#pragma once

#include "editor/shell/curpos.h"      // g_PickTolerance, g_SelRect
#include "editor/shell/pagedraw.h"    // g_FrameBranch and the display switches
#include "editor/shell/textnum.h"
#include "editor/view/display_menus.h"  // g_TConnectFlags, g_ColorMode
#include "editor/view/view_state.h"     // g_DrawMode
