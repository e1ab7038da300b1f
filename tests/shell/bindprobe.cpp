#include "tests/shell/bindprobe.h"

BINDPROBE_FUNCTIONS(PLATFORM_DECLARE_EXPORT)

int32_t Probe_Add(int32_t a, int32_t b) noexcept
{
    return a + b;
}
// Probe_Missing is left out on purpose.
