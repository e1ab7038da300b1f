// The current edit mode and the current command.
#pragma once

#include <cstdint>

// Edit modes.
constexpr int32_t MODE_NONE = 0;
constexpr int32_t MODE_COMPONENTS = 1;
constexpr int32_t MODE_ROUTING = 11;

extern int32_t g_CurMode;     // 0..11; components after start-up
extern int32_t g_CurCommand;  // current command id, 0 when idle
extern int32_t g_CmdRunning;  // nonzero while a command's step loop runs
