#include "editor/objects/view_values.h"

int32_t g_DrawMode = 0;
int32_t g_ShowNodes = 0;
int32_t g_ShowRatsnest = 0;
int32_t g_NetGuidelines = 0;
int32_t g_TConnectFlags = 0;
int32_t g_FrameBranch = 0;
PointL g_CompAnchor;
