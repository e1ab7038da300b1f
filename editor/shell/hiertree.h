// The least of the schematic hierarchy that the main window's structure
// report needs until the object layer's hierarchy procedures exist: a
// component's child level from its hierarchy attribute text, and the tree
// of levels below a level. The object layer's BuildHierTree and
// GetCompSubHier replace them when they come.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One line of the tree: the level holding the component, the component,
// and its child level (0 for a leaf). The first line is the start level
// itself (component "--->").
struct HierReportEntry {
    int32_t Level = 0;  // depth, 1 = the start level
    int32_t HierId = 0;
    std::string HierName;
    int32_t CompId = 0;
    std::string CompName;
    int32_t SubHierId = 0;
    std::string SubHierName;
    int32_t Recursive = 0;  // -1: the child level already lies on the path
};

// The child level a component of the current level names in its hierarchy
// attribute ("X,LEVEL,hierarchy", a text with mask 32 and link 0; the
// component's own first, else its symbol's); 0 when none names an
// existing level.
int32_t CompChildLevel(int32_t component, std::string& childName);

// The tree below `start`, depth first, with leaves when `includeLeaves`.
// Every level entered loses mark 512 on its object. A child level already
// on the path is marked recursive and not entered. The current level is
// current again when it returns.
void BuildHierReportTree(bool includeLeaves, int32_t start, bool& recursion, std::vector<HierReportEntry>& tree);
