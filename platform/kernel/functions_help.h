// Kernel functions: the help window of the suite's applications.
#pragma once

#include <cstdint>

// H_DispTopic: shows topic `topic` of the help book of `helpFile` (winsys
// help.h tells how the book is found) in the help window. `window` is the
// window the help is asked for; the help window stands on its own, so it
// is not used. Result: the topic shown (the topic, or the nearest one above
// it that has a text); 0 when the book has none or cannot be read (the help
// window then says so) or `helpFile` is null.
#define KERNEL_HELP_FUNCTIONS(X) \
    X(int32_t, H_DispTopic, (int32_t window, const char* helpFile, int32_t topic), (window, helpFile, topic))
