// The function list of libNVOSPLC32, the automatic placement engine.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define NVOSPLC32_LIBRARY "libNVOSPLC32.so"

// The engine's functions join this list with the placement front end.
#define NVOSPLC32_FUNCTIONS(X)

namespace nvosplc32_proto {
NVOSPLC32_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
