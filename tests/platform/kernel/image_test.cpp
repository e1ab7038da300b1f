#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"
