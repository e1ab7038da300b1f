// Snapping a component to the cells of its placement pattern while it is
// placed or moved.
#pragma once

#include <cstdint>
#include <vector>

// The relocation cache: the component, angle and mirror bit the line tables
// were built for, the lines of its pattern and its outline offset.
extern int32_t g_RelocComp, g_RelocAngle, g_RelocMirror;
extern std::vector<int32_t> g_PatRowLines, g_PatColLines;  // ascending, at most 1000 each
extern int32_t g_RelocOffsetX, g_RelocOffsetY;
extern int32_t m_RelocPattern;  // the pattern used for the component being placed
// The pattern on display (the overlay's lines then have status 2).
extern bool m_PlcOverlayOn;
extern int32_t m_PlcCellShown;

// Builds the cache for the current component (g_CompId, g_Comp).
void LoadComponentPattern();

// Moves g_Comp to the cell corner under (x, y) of its pattern: per axis the
// largest line not above the point (the first when below all, the last when
// above all) plus the outline offset, rounded up to the alignment. An axis
// whose table is empty is left as it is.
void ApplyPatternRelocation(int32_t x, int32_t y);
