// The suite's applications as the editor sees them: the list of application
// identifiers from the kernel environment, and whether a form is shown.
#pragma once

#include "editor/shell/checked_array.h"

#include <cstdint>
#include <string>

class Form;

extern CheckedArray<std::string> g_AppList;  // from index 1
extern int32_t g_AppCount;
extern int32_t g_AppSelf;   // index of "PALVANE" in g_AppList, 0 when absent
extern int32_t g_AppMsgId;  // identifier of the suite-wide window message

// Reads the list of the suite's applications from "AllAps".
void InitAppLink();

// True when `form` is loaded and visible.
bool IsFormShown(const Form& form);
