// Schematic components: found by name, read into the current component,
// their entries checked, created (with the supply net of a power symbol),
// deleted with their wires and nodes, drawn and erased with the wires at
// their pins, placed, and the copies of an array fitted into the drawing
// area. The exchange test of two layout components belongs here too.
//
// Status arguments: 0 = found or done, 1 = not found or failed. CreateComp
// only sets 1 (its callers set 0 first); the others set it themselves.
#pragma once

#include "editor/objects/comp_state.h"
#include "platform/kernel/nvokernel32_functions.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>
#include <vector>

// The largest extent an array of copies may reach.
constexpr int32_t kMaxArrayExtent = kCoordLimit;

// The component named exactly `name`: side 1 the layout components, any
// other side the schematic components.
void FindCompByName(int32_t& status, int32_t side, int32_t& id, const std::string& name);
// Reads the component into g_Comp (copied to g_CompOld) and gives its name.
// A failed read changes no module state.
void ReadComp(int32_t& status, int32_t id, std::string& name);
// Status 0 when the component and its symbol can be read and `entry` is one
// of the symbol's entries.
void CheckCompEntry(int32_t& status, int32_t id, int32_t entry);

// Fits an array of copies of the component (count X by count Y, `gap`
// between the frames) into the drawing area: a count is cut down so that
// the copies kept stay within 220,000,000. `extent` is what the copies kept
// cover, `frameSize` the component's frame. Status 1 when the component has
// no frame.
void FitCompArray(int32_t& status, int32_t id, int32_t& countX, int32_t& countY, int32_t gapX, int32_t gapY,
                  PointL& extent, PointL& frameSize);

// Creates the component the record describes (its Name and SymbName up to
// their first blank) and gives the record its id. A blank name creates
// nothing (status 1). With `supplyNet` nonzero, a power symbol (no device,
// a symbol name "SPL" and more) joins entry 1 to the net named like the
// symbol, created when missing.
void CreateComp(int32_t& status, CompInfoRec& rec, int32_t supplyNet);
// Deletes the schematic component with the wires at its pins, its nodes
// (and nets left empty) and its scratch file objects.
// DeleteComp for each component of `ids`, in one pass: the wires at all
// their pins are worked on first, then all their nodes, then the components
// and their file objects. A deletion the kernel refuses is passed over.
// An empty set changes nothing.
void DeleteComps(const std::vector<int32_t>& ids);
void DeleteComp(int32_t id);

// Draws the component (marking it drawn) and, unless a component text
// command runs, the nodes, the wires of g_MaskedBranchIds and the ratsnest
// of the nets marked for redraw; the component's nodes and wire records are
// marked drawn. Draws into the caller's open drawing context.
void DrawCompWithWires(int32_t id);
// Draws the component off (marking it erased) and marks its nodes and wire
// records for redraw; the wires themselves stay.
void EraseComp(int32_t id);
// Moves the component to the record's position, angle and mirroring.
void SetCompPlacement(int32_t id, const CompRec& rec);

// result = 1 when exchanging layout components A and B (on different board
// sides, at least one with traces) must be refused: different packages, or
// a package with a pad without hole. Otherwise result is left as it is.
void CheckLayCompExchange(int32_t& result, int32_t a, int32_t b);
