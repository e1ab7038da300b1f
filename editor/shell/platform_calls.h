// The editor's view of the platform libraries: one late-bound thunk for
// every function of the kernel, the router, the placement engine and the
// localisation library, under the libraries' own names.
#pragma once

#include "editor/shell/binding.h"
#include "platform/kernel/nvokernel32_functions.h"
#include "platform/localisation/nvolocal32_functions.h"
#include "platform/placement/nvosplc32_functions.h"
#include "router/corvex_functions.h"

NVOKERNEL32_FUNCTIONS(BINDING_DECLARE_THUNK)
NVOLOCAL32_FUNCTIONS(BINDING_DECLARE_THUNK)
NVOSPLC32_FUNCTIONS(BINDING_DECLARE_THUNK)
CORVEX_FUNCTIONS(BINDING_DECLARE_THUNK)
