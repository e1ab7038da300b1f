#include "editor/objects/view_values.h"

int32_t g_TConnectFlags = 0;
