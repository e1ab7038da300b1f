// Definitions of the late-bound thunks declared in platform_calls.h.
#include "editor/shell/platform_calls.h"

#define KERNEL_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(NVOKERNEL32_LIBRARY, nvokernel32_proto, ret, name, params, args)
#define LOCAL_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(NVOLOCAL32_LIBRARY, nvolocal32_proto, ret, name, params, args)
#define PLACEMENT_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(NVOSPLC32_LIBRARY, nvosplc32_proto, ret, name, params, args)
#define ROUTER_THUNK(ret, name, params, args) \
    BINDING_DEFINE_THUNK(CORVEX_LIBRARY, corvex_proto, ret, name, params, args)

NVOKERNEL32_FUNCTIONS(KERNEL_THUNK)
NVOLOCAL32_FUNCTIONS(LOCAL_THUNK)
NVOSPLC32_FUNCTIONS(PLACEMENT_THUNK)
CORVEX_FUNCTIONS(ROUTER_THUNK)
