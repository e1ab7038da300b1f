// The first component of a gate exchange, kept between the two clicks.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>

extern int32_t g_NewCompId;
extern CompRec g_CompFirst;
