// The automatic placement run: the menu command, the run that drives the
// placement engine over the current page, and the report of its errors.
#pragma once

#include <cstdint>

class SCHMAIN;

// Runs the placement engine over the current page: 0 completed, 1 failed
// or stopped. The engine is closed on every way out that passed the
// parameter step; the canvas drawing context is closed when it was opened.
// The run is one change of the design: a failed run leaves it as it was.
int32_t RunAutoPlacement(SCHMAIN& w);

// Shows the engine's last error: message 1001 for "the cells cannot hold
// the parts" (11), else 1000 with the function number and the code. A
// component the engine names as the one it could not place is kept for the
// menu command, which shows it on the message line ("Component: " and its
// name) after the page is drawn again.
void ReportPlacementDllError();
