// PLS_GLOB: the program-wide placement settings shared by the placement run,
// the parameter dialogs and the pattern and zone modes.
#pragma once

#include "platform/placement/nvosplc32_functions.h"

#include <array>
#include <cstdint>
#include <string>

// The step list of the indexed settings: index 0..10 -> step in mils.
constexpr std::array<int32_t, 11> kPlcStepMils = {500, 240, 200, 150, 120, 100, 80, 50, 40, 20, 10};
// The list texts of the steps (each shown followed by the inch mark).
extern const std::array<const char*, 11> kPlcStepTexts;
constexpr int32_t kPlcDefaultStepIdx = 5;

extern int32_t g_PlcClearXIdx;
extern int32_t g_PlcClearYIdx;
extern int32_t g_PlcAlignIdx;
extern int32_t g_PlcBoardEdgeIdx;
extern std::array<int32_t, 5> g_CompSideGrids;    // 1..4: 0 "Rotate", 1 "No rotate"
extern std::array<int32_t, 5> g_SolderSideGrids;  // 1..4
// Prefix tables, [pattern or orientation][slot], both from 1.
using PlcPrefixTable4 = std::array<std::array<std::string, 33>, 5>;
using PlcPrefixTable7 = std::array<std::array<std::string, 33>, 8>;
extern PlcPrefixTable4 g_PatternPrefixes;
extern PlcPrefixTable4 g_PatternPrefixes2;
extern PlcPrefixTable7 g_OrientPrefixes;
extern int32_t g_PatClearanceX, g_PatClearanceY, g_PatAlignment, g_PatAsSetup, g_PatColumns, g_PatRows;
extern int32_t g_GPrefReload, g_GPrefRow, g_GPrefCol, g_OPrefReload, g_OPrefRow, g_OPrefCol;
extern int32_t g_GridSymbol, g_ZoneSymbol;
extern PlcParamRec g_PlcParams;

// Sets the step indexes and rotate choices to their defaults.
void ResetPlacementDefaults();

// The record field of a step index: the step in mils x 2 x 2540. An index
// outside 0..10 is taken as the default index 5.
int32_t PlcStepField(int32_t index);

// Fills g_PlcParams from the settings for page `page`: field 11 first, then
// the symbols and rotate choices, then the four lengths.
void FillPlacementParams(int32_t page);
