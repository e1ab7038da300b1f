// Test-only additions to the kernel: fault injection for the tests of
// callers that must leave the design unchanged when a kernel call fails.
// Not part of the function list the editor binds to.
#pragma once

#include "platform/export.h"

#include <cstdint>

// Makes the n-th following J_CreateJunction call fail (result 0, nothing
// created); n = 0 switches the injection off. Counts every call, successful
// or not, from this call on.
PLATFORM_EXPORT void KT_FailJunctionCreation(int32_t n) noexcept;

namespace kernel_testing {
// True when this J_CreateJunction call is the one to fail.
bool JunctionCreationFails();
}  // namespace kernel_testing
