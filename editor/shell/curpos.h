// Where the editor stands in the design: the current hierarchy level and
// its name, kept up to date when the level changes (the main window's
// caption procedure sets them from the kernel); and what the pointer picks:
// the pick distance the view keeps for the current zoom and the selection
// rectangle of the block commands, read by the object layer's hit tests.
#pragma once

#include <cstdint>
#include <string>

extern int32_t g_CurHier;
extern std::string g_CurHierName;

// The hit distance for picking objects on the canvas, database units.
extern int32_t g_PickTolerance;

// A rectangle by two corners (in any order), database units.
struct SelRectRec {
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 0;
    int32_t Y2 = 0;
};
// The selection rectangle of the block and selection commands.
extern SelRectRec g_SelRect;
