#include "editor/interaction/commands.h"

int32_t g_CurMode = MODE_NONE;
int32_t g_CurCommand = 0;
int32_t g_CmdRunning = 0;
