// The printer settings the user chose in the printer setup, applied to the
// printer before every print.
#pragma once

#include <cstdint>

// Orientation to print with (1 portrait, 2 landscape); 0 until a setup
// chose one: the printer keeps its own.
extern int32_t g_PrintOrientation;
// Number of copies; 1 until a setup chose another.
extern int32_t g_PrintCopies;

// Gives the printer g_PrintCopies and g_PrintOrientation; a value the
// printer refuses, or one outside the 16-bit range, leaves its setting.
void ApplyPrintSettings();
// Gives the printer only the orientation, in the same way.
void ApplyPrintOrientation();
