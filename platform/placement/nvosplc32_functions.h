// The function list of libNVOSPLC32, the automatic placement engine.
//
// The caller's order: PLCDLL_SetParameters, PLCDLL_DBaseOpen (reads the page,
// its components, patterns, prefixes, zones and notes), PLCDLL_PlaceLocked (takes
// the locked components as fixed obstacles), PLCDLL_PlaceFirstComponent
// (computes the whole placement; writes nothing), PLCDLL_PlaceNextComponent
// (writes every new position at once, all restored when one is refused),
// then PLCDLL_GetErrorCode (PLC_DONE after a complete run) and
// PLCDLL_DBaseClose. PLCDLL_GetErrorComponent names the component a failed
// run could not place (0 when the failure concerns no one component). Every function returns nonzero for success, 0 for a
// failure whose cause PLCDLL_GetErrorCode and PLCDLL_GetErrorFunction give.
#pragma once

#include "platform/export.h"

#include <cstdint>

#define NVOSPLC32_LIBRARY "libNVOSPLC32.so"

// The parameter record, eleven 32-bit fields without gaps. Fields 1, 2, 3 and
// 10 hold twice the length in database units (the caller passes the step in
// mils x 2 x 2540); the engine halves them.
typedef struct PlcParamRec {
    int32_t ClearX;      // 1  clearance between components in X (x2)
    int32_t ClearY;      // 2  clearance in Y (x2)
    int32_t BoardEdge;   // 3  free margin inside the page frame (x2)
    int32_t GridSymb;    // 4  grid symbol id: pattern lines and prefix texts
    int32_t ZoneSymb;    // 5  zone symbol id: keep-off zones
    int32_t NoRotate[4]; // 6-9 per pattern #1..#4: 0 may rotate, 1 keeps the angle
    int32_t Align;       // 10 component alignment (x2)
    int32_t Page;        // 11 page id
} PlcParamRec;

// Error codes (PLCDLL_GetErrorCode).
enum PlcErrorCode : int32_t {
    PLC_OK = 0,               // nothing has failed (yet)
    PLC_ERR_PARAMS = 1,       // a parameter record field is out of range
    PLC_ERR_NO_DATABASE = 2,  // no design open, or the page does not exist
    PLC_ERR_NOT_OPEN = 3,     // a placement call before PLCDLL_DBaseOpen
    PLC_ERR_READ = 4,         // the kernel refused a read of the design
    PLC_ERR_WRITE = 5,        // the kernel refused a write; every position restored
    PLC_ERR_SEQUENCE = 6,     // the calls came out of order
    PLC_ERR_NO_CELLS = 11,    // the cells cannot hold the components
    PLC_DONE = 20,            // placement completed
};

// Function numbers (PLCDLL_GetErrorFunction): where the last error arose.
enum PlcFunctionNumber : int32_t {
    PLC_FN_NONE = 0,
    PLC_FN_SET_PARAMETERS = 1,
    PLC_FN_DBASE_OPEN = 2,
    PLC_FN_PLACE_LOCKED = 3,
    PLC_FN_PLACE_FIRST = 4,
    PLC_FN_PLACE_NEXT = 5,
};

#define NVOSPLC32_FUNCTIONS(X)                                                        \
    X(int32_t, PLCDLL_SetParameters, (const PlcParamRec* params), (params))           \
    X(int32_t, PLCDLL_DBaseOpen, (), ())                                              \
    X(int32_t, PLCDLL_PlaceLocked, (), ())                                            \
    X(int32_t, PLCDLL_PlaceFirstComponent, (), ())                                    \
    X(int32_t, PLCDLL_PlaceNextComponent, (), ())                                     \
    X(int32_t, PLCDLL_GetErrorCode, (), ())                                           \
    X(int32_t, PLCDLL_GetErrorFunction, (), ())                                       \
    X(int32_t, PLCDLL_GetErrorComponent, (), ())                                      \
    X(int32_t, PLCDLL_DBaseClose, (), ())

namespace nvosplc32_proto {
NVOSPLC32_FUNCTIONS(PLATFORM_DECLARE_PROTO)
}
