// What a highlight shows: the net of the current wire, the current
// component, or the masked branches of the current net, recorded into the
// open drawing context (or its recording).
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <vector>

// The objects a highlight of each kind draws. The object layer keeps them
// in its globals for the running edit; HighlightSourceNow gathers them.
struct HighlightSource {
    int32_t branchNet = 0;  // kind 1: the net of the current wire branch
    int32_t compId = 0;     // kind 2: the component
    CompRec compOld{};      // kind 2: its place before the running edit (X, Y, Angle, Flags, Symb)
    int32_t compTextIdx = 0;  // kind 2: the text being edited, left out (0 = none)
    std::vector<int32_t> maskedBranchIds;  // kind 3
    int32_t curNet = 0;                    // kind 3: the net whose ratsnest is drawn
    int32_t showRatsnest = 0;
};

// The source the main window's highlight reads: HighlightSourceNow fills it
// from the object layer's current wire (g_CurBranchRec), component
// (g_CompId, g_CompOld placed with g_Comp's symbol, g_CompTextIdx left out),
// masked branches (g_MaskedBranchIds) and net (g_CurNet).
extern HighlightSource g_HighlightSource;
HighlightSource& HighlightSourceNow();

// Draws the highlight of `kind` (1, 2 or 3; others draw nothing) from
// `source` at the kernel's current context or recording.
void RecordHighlight(int32_t kind, const HighlightSource& source);

// Draws a component exactly as the page shows it (its symbol's items
// without the text templates, its entry names, its texts except index
// `skipText`), placed at `place`.
void DrawCompAsShown(int32_t comp, const CompRec& place, int32_t skipText);
