// The display switches of the menus that no other module owns.
#pragma once

#include <cstdint>

extern int32_t g_CurStyle;      // index of the checked line style (M_DrawStyle)
extern int32_t g_MapListKind;   // the chosen database map list (M_Imap)
extern bool g_InstNameFlag;     // instant net name for new nets
extern bool g_NextNodeGuide;    // guide line to the next unconnected node
