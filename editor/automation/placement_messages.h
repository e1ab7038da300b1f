// The numbered placement messages of the pattern, cell and zone code and the
// prefix dialogs.
#pragma once

#include <cstdint>
#include <string>

// The text and icon style of placement message `code` with `detail`.
struct PlacementMessage {
    std::string text;
    std::string caption;
    int style = 0;
};
PlacementMessage ComposePlacementError(int32_t code, const std::string& detail);

// Shows placement message `code` with `detail` in a message box with an OK
// button.
void ReportPlacementError(int32_t code, const std::string& detail);
