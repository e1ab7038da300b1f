// Test-only fault injection (testing.h).
#include "platform/kernel/testing.h"

namespace {
int32_t g_JunctionCallsLeft = 0;
}

void KT_FailJunctionCreation(int32_t n) noexcept
{
    g_JunctionCallsLeft = n > 0 ? n : 0;
}

namespace kernel_testing {
bool JunctionCreationFails()
{
    if (g_JunctionCallsLeft == 0) return false;
    return --g_JunctionCallsLeft == 0;
}
}  // namespace kernel_testing
