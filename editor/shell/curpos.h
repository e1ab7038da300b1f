// Where the editor stands in the design: the current hierarchy level and
// its name, kept up to date when the level changes (the main window's
// caption procedure sets them from the kernel).
#pragma once

#include <cstdint>
#include <string>

extern int32_t g_CurHier;
extern std::string g_CurHierName;
