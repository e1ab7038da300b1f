#include "editor/objects/wire_state.h"

int32_t g_CurBranch = 0;
BranchRec g_CurBranchRec{};
int32_t g_PrevBranchPos = 0;
BranchPointRec g_PrevBranchPoint{};
BranchPointRec g_PrevBranchPointSave{};
int32_t g_CurBranchPos = 0;
BranchPointRec g_CurBranchPoint{};
BranchPointRec g_CurBranchPointSave{};
int32_t g_NextBranchPos = 0;
BranchPointRec g_NextBranchPoint{};
BranchPointRec g_NextBranchPointSave{};
int32_t g_ReplacedNode = 0;
int32_t g_SavedPrevPos = 0;
int32_t g_SavedNextPos = 0;
int32_t g_LegFromNext = 0;

CheckedArray<int32_t> g_MaskedBranchIds(0, 0);

CheckedArray<NodeRec> g_NetNodes(0, 0);
CheckedArray<int32_t> g_NetNodeIds(0, 0);

int32_t g_CurNet = 0;
std::string g_CurNetName;
NetRec g_CurNetRec{};
int32_t g_CurNode = 0;
NodeRec g_CurNodeRec{};
int32_t g_OtherNet = 0;
std::string g_OtherNetName;
NetRec g_OtherNetRec{};
int32_t g_OtherNode = 0;
NodeRec g_OtherNodeRec{};
int32_t g_CurBus = 0;
std::string g_CurBusName;

NodeInfoRec g_NodeInfo;
