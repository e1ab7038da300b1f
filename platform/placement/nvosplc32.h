// Exported interface of libNVOSPLC32.
#pragma once

#include "platform/placement/nvosplc32_functions.h"

NVOSPLC32_FUNCTIONS(PLATFORM_DECLARE_EXPORT)
