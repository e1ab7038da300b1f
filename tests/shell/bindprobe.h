// A small library for the binding tests: one function it exports, one its
// list names but it lacks, and a list for a library that does not exist.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define BINDPROBE_LIBRARY "libbindprobe.so"
#define BINDPROBE_FUNCTIONS(X)                                            \
    X(int32_t, Probe_Add, (int32_t a, int32_t b), (a, b))                 \
    X(int32_t, Probe_Missing, (int32_t a), (a))

#define NOSUCHLIB_LIBRARY "libNoSuchLibrary.so"
#define NOSUCHLIB_FUNCTIONS(X) X(int32_t, NoSuch_Function, (int32_t a), (a))

namespace bindprobe_proto {
BINDPROBE_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
namespace nosuchlib_proto {
NOSUCHLIB_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
