#include "editor/view/markers.h"

std::array<MarkerRec, 4> g_Markers{};
