#include "editor/automation/placement_settings.h"

const std::array<const char*, 11> kPlcStepTexts = {".500", ".240", ".200", ".150", ".120", ".100",
                                                   ".080", ".050", ".040", ".020", ".010"};

int32_t g_PlcClearXIdx = kPlcDefaultStepIdx;
int32_t g_PlcClearYIdx = kPlcDefaultStepIdx;
int32_t g_PlcAlignIdx = kPlcDefaultStepIdx;
int32_t g_PlcBoardEdgeIdx = kPlcDefaultStepIdx;
std::array<int32_t, 5> g_CompSideGrids{};
std::array<int32_t, 5> g_SolderSideGrids{};
PlcPrefixTable4 g_PatternPrefixes;
PlcPrefixTable4 g_PatternPrefixes2;
PlcPrefixTable7 g_OrientPrefixes;
int32_t g_PatClearanceX = 25, g_PatClearanceY = 25, g_PatAlignment = 25, g_PatAsSetup = 0, g_PatColumns = 1,
        g_PatRows = 1;
int32_t g_GPrefReload = 0, g_GPrefRow = 0, g_GPrefCol = 0, g_OPrefReload = 0, g_OPrefRow = 0, g_OPrefCol = 0;
int32_t g_GridSymbol = 0, g_ZoneSymbol = 0;
PlcParamRec g_PlcParams{};

void ResetPlacementDefaults()
{
    g_CompSideGrids.fill(0);
    g_SolderSideGrids.fill(0);
    g_PlcAlignIdx = g_PlcBoardEdgeIdx = g_PlcClearXIdx = g_PlcClearYIdx = kPlcDefaultStepIdx;
}

int32_t PlcStepField(int32_t index)
{
    if (index < 0 || index > 10) index = kPlcDefaultStepIdx;
    return kPlcStepMils[static_cast<size_t>(index)] * 2 * 2540;
}

void FillPlacementParams(int32_t page)
{
    g_PlcParams.Page = page;
    g_PlcParams.GridSymb = g_GridSymbol;
    g_PlcParams.ZoneSymb = g_ZoneSymbol;
    for (int n = 0; n < 4; ++n) g_PlcParams.NoRotate[n] = g_CompSideGrids[static_cast<size_t>(n) + 1];
    g_PlcParams.ClearX = PlcStepField(g_PlcClearXIdx);
    g_PlcParams.ClearY = PlcStepField(g_PlcClearYIdx);
    g_PlcParams.BoardEdge = PlcStepField(g_PlcBoardEdgeIdx);
    g_PlcParams.Align = PlcStepField(g_PlcAlignIdx);
}
