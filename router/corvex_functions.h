// The function list of libCorvex, the wire router.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define CORVEX_LIBRARY "libCorvex.so"

// Results are 1 (or a value) for success and 0 for failure; after a failure
// SCR_ErrorFunc and SCR_ErrorCode tell the routine and the cause. The
// routing, deletion and drawing functions join this list with the router.
#define CORVEX_FUNCTIONS(X)                                                              \
    /* the page image: loading, field grid, preload, write-back */                       \
    X(void, SCR_DBaseFree, (), ())                                                       \
    X(int32_t, SCR_LoadComponentsAndSymbols, (), ())                                     \
    X(int32_t, SCR_LoadFields, (), ())                                                   \
    X(int32_t, LD_PreLoadBranchesAndBPoints, (), ())                                     \
    X(int32_t, LD_SaveShemaToNorvo, (), ())                                              \
    /* settings */                                                                       \
    X(int32_t, SCR_SetScale, (int32_t value), (value))                                   \
    X(int32_t, SCR_SetStepIndex, (int32_t index), (index))                               \
    X(int32_t, SCR_GetStepIndex, (), ())                                                 \
    X(int32_t, SCR_SetPreloadBits, (int32_t bits), (bits))                               \
    X(int32_t, SCR_GetPreloadBits, (int32_t * bits), (bits))                             \
    X(int32_t, SCR_LoadViewStatus, (int32_t bits), (bits))                               \
    X(int32_t, SCR_SetCatColors, (const int32_t* colors), (colors))                      \
    X(int32_t, SCR_GetCatColors, (int32_t * colors), (colors))                           \
    X(int32_t, SCR_ChangePage, (int32_t page), (page))                                   \
    /* counters and the failure state */                                                 \
    X(int32_t, SCR_nComp, (), ())                                                        \
    X(int32_t, SCR_nSymb, (), ())                                                        \
    X(int32_t, SCR_nEntry, (), ())                                                       \
    X(int32_t, SCR_nItem, (), ())                                                        \
    X(int32_t, SCR_nNet, (), ())                                                         \
    X(int32_t, SCR_nNode, (), ())                                                        \
    X(int32_t, SCR_ErrorCode, (), ())                                                    \
    X(int32_t, SCR_ErrorFunc, (), ())                                                    \
    X(int32_t, SCR_Memory, (), ())

namespace corvex_proto {
CORVEX_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
