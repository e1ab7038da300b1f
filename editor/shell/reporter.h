// The message reporter: a numbered message table turned into a modal
// message box with a localised text and the detail (usually an object's
// name).
#pragma once

#include <cstdint>
#include <string>

// Shows the message of `code` with `detail`; the caller's detail variable
// receives the text as displayed.
void ReportMsg(int32_t code, std::string& detail);
// The same for callers without a detail.
void ReportMsg(int32_t code);
