// The two hierarchy reports of the Database menu, as texts for the report
// window: the stack of levels the user went down through, and the
// structure of the levels below the bottom of that stack.
#pragma once

#include <string>

// The hierarchy stack (g_HierStack, loaded by LoadHierStack): from the
// bottom record to the top, each level's name and the component gone
// through, then the current level. The current level is current again on
// every path out.
void ReportHierStack(std::string& text);

// The tree of levels from the bottom of the stack (the current level when
// the stack is empty), then the trees of the levels that tree does not
// reach.
void ReportHierStructure(std::string& text);
