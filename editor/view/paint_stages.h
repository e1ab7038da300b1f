// The stages of the canvas paint that depend on the running command: which
// blink the paint draws again after the page.
#pragma once

#include <cstdint>

enum class PaintBlink {
    None,
    Gate,          // BlinkGate
    CompFrame,     // BlinkCompFrame
    SplitBranch,   // BlinkBranch, then DrawBranchHighlight(True)
    Net,           // BlinkNet(g_CurBranch)
    Node,          // BlinkNode
    Entry,         // BlinkEntry
};

// The blink of command `command`; `cmdStep` is the vector command's step.
PaintBlink PaintBlinkFor(int32_t command, int32_t cmdStep);
