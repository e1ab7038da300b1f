// The step engine's table: for each command id with a step, the procedure
// that runs one step of it. A step returns true when the command goes on
// (the same id or the follow-up id it wrote into g_CurCommand) and false
// when the command is over and the common end follows.
#pragma once

#include <cstdint>
#include <vector>

class SCHMAIN;

using CommandStep = bool (*)(SCHMAIN& m, int32_t& x, int32_t& y, int32_t id);

// The step of command `id`; null for ids without one.
CommandStep FindCommandStep(int32_t id);
// Every id with a step, ascending.
std::vector<int32_t> CommandStepIds();

// The steps of the block, bitmap, text, item and box commands
// (block_steps.cpp), by id; null when the id is not theirs.
CommandStep FindBlockStep(int32_t id);
// The steps of the placement pattern and keep-off zone edits (placement_steps.cpp).
CommandStep FindPlacementStep(int32_t id);
// The step of the text block (text_steps.cpp).
CommandStep FindTextStep(int32_t id);
// The net split and next-node steps (net_steps.cpp).
CommandStep FindNetStep(int32_t id);
// The steps of the wire and bus commands (wire_steps.cpp).
CommandStep FindWireStep(int32_t id);
// The steps of the packaging and added-text component commands
// (component_steps.cpp).
CommandStep FindComponentStep(int32_t id);

// Shared parts of the steps.
// Box centring: base point at the snapped box centre and the box corner
// kept; with `full` also the diagonal and the selection rectangle published
// (the item commands go without them).
void CentreBox(SCHMAIN& m, bool full);
// The command's box (m_BoxOrgX/Y, m_BoxW/H) becomes the selection
// rectangle the item and block selections read.
void PublishSelRect(SCHMAIN& m);
// Presses function button n (its click handler runs even when it was
// pressed already).
void PressFunction(SCHMAIN& m, int n);
bool OptionPressed(SCHMAIN& m, int n);
// RefreshCanvas, then the viewport.
void RefreshAll(SCHMAIN& m);
