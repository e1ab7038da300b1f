// The function list of libNVOLOCAL32, the message catalogue lookup.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define NVOLOCAL32_LIBRARY "libNVOLOCAL32.so"

// L32_Object_GetMessage: the text for a message id in the user's language,
// or null when the catalogue has none. The text stays owned by the library.
#define NVOLOCAL32_FUNCTIONS(X) X(const char*, L32_Object_GetMessage, (int32_t id), (id))

namespace nvolocal32_proto {
NVOLOCAL32_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
