// The function list of libNVOKernel32, the design database.
//
// The single source of the library's exported prototypes (nvokernel32.h)
// and of the editor's call thunks. Strings are zero-terminated single-byte
// (Latin-1) texts; a returned string is owned by the kernel and stays valid
// until the object it belongs to changes.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define NVOKERNEL32_LIBRARY "libNVOKernel32.so"

#define NVOKERNEL32_FUNCTIONS(X)                                                                  \
    /* Environment strings */                                                                     \
    X(const char*, E_GetString, (const char* name), (name))                                       \
    X(int32_t, E_SetString, (const char* name, const char* value), (name, value))                 \
    /* Whole database */                                                                          \
    X(int32_t, DB_CreateDataBase, (const char* name, const char* hierName, const char* pageName), \
      (name, hierName, pageName))                                                                 \
    X(void, DB_DiscardDataBase, (), ())

namespace nvokernel32_proto {
NVOKERNEL32_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
