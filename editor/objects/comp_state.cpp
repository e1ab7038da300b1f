#include "editor/objects/comp_state.h"

std::string FixedText(const std::string& text, size_t length)
{
    std::string fixed = text.substr(0, length);
    fixed.resize(length, ' ');
    return fixed;
}

CompRec g_Comp{};
CompRec g_CompOld{};
ItemRec g_CompText{};
ItemRec g_CompTextOld{};
std::string g_CompTextStr;
std::string g_CompTextVal;
int32_t g_CompTextIdx = 0;
std::string g_CompName;
int32_t g_CompId = 0;
int32_t g_CompEntry = 0;
PointL g_CompAnchor;
PointL g_CompAnchorStart;
PointL g_CompFrameSize;
PointL g_ArrayExtent;

CompInfoRec g_CompInfo;

PackInfoRec g_PackInfo;
CheckedArray<CompInfoRec> g_PackGroups(1, 0);
LayCompRec g_LayComp{};
