// Filled in with its family of kernel functions.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"
