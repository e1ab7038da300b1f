// Small helpers the wire, net and bus edits of the main window share.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

class SCHMAIN;

namespace wire_edit {

// Point record flags: a node or a junction reference; a new point (junction
// reference with the marks of a point being drawn).
constexpr int32_t kNodeRef = 2;
constexpr int32_t kJunctionRef = 4;
constexpr int32_t kNewPoint = 0x304;
// Branch flag of a bus wire; net flags.
constexpr int32_t kBusWire = 2;
constexpr int32_t kNetPower = 2;
constexpr int32_t kNetNamed = 4;
constexpr int32_t kNetBusMember = 8;
// Bus member slots run from 0 to 127.
constexpr int32_t kBusSlots = 128;

// The coordinate snapped to g_SnapStep (halves away from zero; no snap for
// a step of 0 or less) and kept within +-220,000,000: the free points of a
// repeated wire and an inserted bend point. A free wire start snaps as the
// pointer does (SnapCoord of editor/view/drawaids.h).
int32_t SnapCoord(int32_t value);

// Creates a junction of `type` at (x, y) and appends a point referring to
// it to `branch` (flags 0x304); `pos` and `point` receive the new record.
// A junction the branch refuses goes back to the free ids. False when the
// kernel refused either step.
bool AppendJunctionPoint(int32_t branch, int32_t type, int32_t x, int32_t y, int32_t& pos, BranchPointRec& point);

// A name the user may give a net or bus: 1..255 bytes, not starting with a
// comma and without control characters. Refused names get message 36 with
// the name.
bool CheckTypedName(const std::string& name);

// The net of a new wire: a free "UN" name, or with g_InstNameFlag the name
// the user types (which may name an existing net). `net` receives it and
// `made` whether it was created here; the name stays in g_CurNetName. False
// when no name is free (message 28), the user gave up, or the kernel
// refused the net (message 35).
bool NetForNewWire(SCHMAIN& m, int32_t& net, bool& made);

// True when another object than `self` of the map bears `name`.
bool NameTaken(int32_t map, const std::string& name, int32_t self);

// The kernel name of an object as an editor string ("" for none).
std::string NetName(int32_t net);
std::string BusName(int32_t bus);

}  // namespace wire_edit
