// Devices and symbols of the design: deleting those that no component uses,
// finding a symbol's entry by name, and drawing a symbol at a place.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// Deletes the device unless a schematic or layout component of any
// hierarchy level uses it; status 0 when it was deleted.
void DeleteUnusedDevice(int32_t& status, int32_t device);

// Deletes the symbol unless a component of any hierarchy level uses it:
// kind 0 asks the schematic components, kind 1 the layout components, any
// other kind both. `inUse` is 1 when the symbol was kept for a user, else 0.
void DeleteUnusedSymb(int32_t& inUse, int32_t kind, int32_t symbol);

// `number` = the number of the first entry of the symbol named exactly
// `name`, read into `entry`; 0 when none has that name.
void FindSymbEntryByName(int32_t& number, int32_t symbol, const std::string& name, SymbEntryRec& entry);

// Places the symbol at (x, y), turned by `angle` (1/1000 degree) and
// mirrored when `mirrored` is nonzero, and draws all its items and entries
// into the open drawing context in the current draw mode.
void DrawSymbAt(int32_t symbol, int32_t x, int32_t y, int32_t angle, int32_t mirrored);
