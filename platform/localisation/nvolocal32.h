// Exported interface of libNVOLOCAL32.
#pragma once

#include "platform/localisation/nvolocal32_functions.h"

NVOLOCAL32_FUNCTIONS(PLATFORM_DECLARE_EXPORT)
