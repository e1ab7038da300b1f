// The function list of libCorvex, the wire router.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define CORVEX_LIBRARY "libCorvex.so"

// The router's page image, routing and drawing functions join this list
// with the router itself.
#define CORVEX_FUNCTIONS(X)

namespace corvex_proto {
CORVEX_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
