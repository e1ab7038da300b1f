#include "editor/objects/view_values.h"

int32_t g_DrawMode = 0;
int32_t g_TConnectFlags = 0;
int32_t g_ColorMode = 32;
