// The display switches of the menus that no other module owns.
#pragma once

#include <cstdint>

extern int32_t g_CurStyle;      // index of the checked line style (M_DrawStyle)
// The colour of new items: an index of M_Scolor (0 to 31) or of M_Ccolor
// (32 and above); 32 after a settings load.
extern int32_t g_ColorMode;
// The T-connect options, one bit per item of M_TcModeSLN; bit 1: "T-connect
// Same &Net Only".
extern int32_t g_TConnectFlags;
extern bool g_InstNameFlag;     // instant net name for new nets
extern bool g_NextNodeGuide;    // guide line to the next unconnected node
