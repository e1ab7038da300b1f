// The function list of libCorvex, the wire router.
#pragma once

#include "platform/export.h"
#include "platform/kernel/functions_draw.h"

#include <cstdint>

#define CORVEX_LIBRARY "libCorvex.so"

// Results are 1 (or a value) for success and 0 for failure; after a failure
// SCR_ErrorFunc and SCR_ErrorCode tell the routine and the cause. Functions
// that write a text take the caller's buffer and its size in bytes; the text
// is cut to fit and always ends with a zero byte.
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
    X(int32_t, SCR_Memory, (), ())                                                       \
    /* routing */                                                                        \
    X(void, SCR_InitNodeForRoute, (), ())                                                \
    X(int32_t, SCR_RouteAllWiresInPage, (int32_t * state, char* msg, int32_t size), (state, msg, size)) \
    X(int32_t, SCR_RouteSingleNetInPage, (int32_t * state, char* msg, int32_t size, int32_t net),       \
      (state, msg, size, net))                                                           \
    X(int32_t, SCR_RouteOneComponentPairInPage, (int32_t * state, char* msg, int32_t size, int32_t comp), \
      (state, msg, size, comp))                                                          \
    X(int32_t, SCR_RouteOnePairInPage, (int32_t * state, char* msg, int32_t size, int32_t node),        \
      (state, msg, size, node))                                                          \
    X(int32_t, SCR_RouteBlokPairInPage,                                                  \
      (int32_t * state, char* msg, int32_t size, const int32_t* corner1, const int32_t* corner2),        \
      (state, msg, size, corner1, corner2))                                              \
    X(void, MR_FreeAllProjectBuffers, (), ())                                            \
    /* drawing the image */                                                              \
    X(int32_t, SCR_RedrawPage, (), ())                                                   \
    X(int32_t, SCR_DrawOneBranch, (int32_t branch, int32_t mode), (branch, mode))        \
    X(int32_t, SCR_DrawOneSegment, (int32_t point, int32_t mode), (point, mode))         \
    X(int32_t, SCR_DrawOneNet, (int32_t net, int32_t mode), (net, mode))                 \
    X(int32_t, SCR_DrawBranchesMarkedToDelete, (int32_t mode), (mode))                   \
    /* deletion */                                                                       \
    X(int32_t, SCR_DeleteAllWiresInThePage, (int32_t * state, char* msg, int32_t size), (state, msg, size)) \
    X(int32_t, SCR_DeleteOneNetInThePage, (int32_t * state, char* msg, int32_t size, int32_t net),      \
      (state, msg, size, net))                                                           \
    X(int32_t, SCR_DeleteOneBranchInThePage, (int32_t * state, char* msg, int32_t size, int32_t branch), \
      (state, msg, size, branch))                                                        \
    X(int32_t, SCR_DeleteOneSegmentInThePage, (int32_t * state, char* msg, int32_t size, int32_t point), \
      (state, msg, size, point))                                                         \
    X(int32_t, SCR_DeleteBranchesWithBlok, (int32_t * state, char* msg, int32_t size), (state, msg, size)) \
    /* queries */                                                                        \
    X(int32_t, SCR_QuestObstacle, (const int32_t* point, char* msg, int32_t size), (point, msg, size))  \
    X(int32_t, SCR_QuestCommand, (const int32_t* point, char* msg, int32_t code), (point, msg, code))   \
    X(int32_t, SCR_QuestBlok, (const int32_t* corner1, const int32_t* corner2, int32_t ignored, int32_t code), \
      (corner1, corner2, ignored, code))                                                 \
    /* drawing context, metafile and cursor */                                           \
    X(int32_t, PG_OpenDC, (int32_t device, const ViewDCRec* view), (device, view))       \
    X(int32_t, PG_CloseDC, (), ())                                                       \
    X(int32_t, PG_RealPosition, (int32_t * point), (point))                              \
    X(int32_t, PG_DevicePosition, (int32_t * point), (point))                            \
    X(int32_t, PG_OpenMF, (), ())                                                        \
    X(int32_t, PG_CloseMF, (), ())                                                       \
    X(int32_t, PG_PlayMF, (), ())                                                        \
    X(int32_t, PG_DeleteMF, (), ())                                                      \
    X(int32_t, PG_LineMF, (int32_t x1, int32_t y1, int32_t x2, int32_t y2), (x1, y1, x2, y2)) \
    X(int32_t, PG_DrawRectMF, (const int32_t* corner1, const int32_t* corner2), (corner1, corner2)) \
    X(int32_t, PG_LoadCursor, (int32_t n), (n))

namespace corvex_proto {
CORVEX_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
