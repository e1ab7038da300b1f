// Walks of the hierarchy tree: from a start level, depth first, through
// every component whose attribute names a child level. The structure report
// lists the tree; the assignment dialog asks whether a new child level
// would make a level contain itself. Each walk clears mark 512 on every
// level it enters and makes the level current at its start current again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line of the tree.
struct HierTreeEntry {
    int32_t Level = 0;            // depth, 1 = the start level
    int32_t HierId = 0;           // level that holds the component
    std::string HierName;
    int32_t CompId = 0;           // 0 on the first entry
    std::string CompName;         // "--->" on the first entry
    int32_t SubHierId = 0;        // the component's child level; 0 for a leaf
    std::string SubHierName;
    int16_t Recursive = 0;        // -1 when the child already lies on the path
};

// The tree from level `start` in depth-first order; `recursionFound` -1
// when a component's child lies on its own path (the walk does not descend
// there). Leaves (components without a child) are listed when
// `includeLeaves` is set.
void BuildHierTree(bool includeLeaves, int32_t start, int32_t& recursionFound, std::vector<HierTreeEntry>& tree);

// -1 when giving component `comp` of level `hier` the child level `newSub`
// would make a level contain itself, seen from level `start`; else 0.
int16_t CheckHierRecursion(int32_t start, int32_t hier, int32_t comp, int32_t newSub);
