// State of the wire and net procedures of the object layer: the wire being
// edited with its previous, current and next point, the branches drawn by
// the last masked-branch pass, the shared node list, and the nets, nodes
// and bus picked by the net commands. The command code of the interaction
// layer reads and writes them between the steps of a command.
#pragma once

#include "editor/shell/checked_array.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// ---- The wire being edited ---------------------------------------------------
extern int32_t g_CurBranch;            // id of the branch being edited
extern BranchRec g_CurBranchRec;       // that branch as last read
extern int32_t g_PrevBranchPos;        // index of the point before the current one, 0 = none
extern BranchPointRec g_PrevBranchPoint;
extern BranchPointRec g_PrevBranchPointSave;  // copies taken when the points were loaded
extern int32_t g_CurBranchPos;         // index (from 1) of the current point
extern BranchPointRec g_CurBranchPoint;  // also carries the target position into InsertJunctionInBranch
extern BranchPointRec g_CurBranchPointSave;
extern int32_t g_NextBranchPos;        // index of the point after the current one, 0 = none
extern BranchPointRec g_NextBranchPoint;
extern BranchPointRec g_NextBranchPointSave;
extern int32_t g_ReplacedNode;         // node the current point referred to before it became a junction
// The wire commands' saved neighbour positions and the dragged leg's anchor:
// g_SavedPrevPos / g_SavedNextPos the neighbours of a point inserted by the
// insert-point command (g_SavedPrevPos 0 or -1 before that), g_LegFromNext
// 1 when the wire preview anchors the leg at the next point, 0 at the
// previous one.
extern int32_t g_SavedPrevPos;
extern int32_t g_SavedNextPos;
extern int32_t g_LegFromNext;

// Branch ids (elements 1..n) of the last DrawMaskedBranches pass.
extern CheckedArray<int32_t> g_MaskedBranchIds;

// ---- The shared node list ------------------------------------------------------
// NodeRec entries from index 1 (element 0 holds a header where a filler puts
// one) and their node ids.
extern CheckedArray<NodeRec> g_NetNodes;
extern CheckedArray<int32_t> g_NetNodeIds;

// ---- Nets, nodes and the bus picked by the net commands -------------------------
extern int32_t g_CurNet;
extern std::string g_CurNetName;
extern NetRec g_CurNetRec;
extern int32_t g_CurNode;
extern NodeRec g_CurNodeRec;
extern int32_t g_OtherNet;
extern std::string g_OtherNetName;
extern NetRec g_OtherNetRec;
extern int32_t g_OtherNode;
extern NodeRec g_OtherNodeRec;
extern int32_t g_CurBus;
extern std::string g_CurBusName;

// A node described in words for prompts and the net text. The names are
// fixed 15-character texts, blank-padded and cut.
struct NodeInfoRec {
    int32_t Node = 0;
    int32_t Flags = 0;
    int32_t Net = 0;
    std::string NetName = std::string(15, ' ');
    int32_t Comp = 0;                                 // 0 when the component cannot be read
    std::string CompName = std::string(15, ' ');
    int32_t Entry = 0;                                // 0 when the entry cannot be read
    std::string EntryName = std::string(15, ' ');
    int32_t Group = 0;                                // gate number, set only with the entry
    int32_t LayComp = 0;                              // 0 = no layout side
    std::string LayCompName = std::string(15, ' ');
    int32_t LayEntry = 0;
    int32_t Bus = 0;                                  // 0 = the net is in no bus
    std::string BusName = std::string(15, ' ');
    int32_t BusIndex = 0;                             // the net's slot in the bus, as the kernel gives it
};
extern NodeInfoRec g_NodeInfo;
