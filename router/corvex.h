// Exported interface of libCorvex.
#pragma once

#include "router/corvex_functions.h"

CORVEX_FUNCTIONS(PLATFORM_DECLARE_EXPORT)
