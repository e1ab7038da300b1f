#include "editor/view/view_state.h"

#include "editor/shell/textnum.h"

#include <algorithm>

int32_t g_GridOn = 0;
int32_t g_PrintModeBits = 0;
int32_t g_ShowBitmaps = 0;
int32_t g_ItemPicked = 0;
int32_t g_LineWidth = 0;
int32_t g_DrawMode = 0;

int32_t ClampCoord(double value)
{
    return ToLong(std::clamp(value, -static_cast<double>(kCoordLimit), static_cast<double>(kCoordLimit)));
}
