// Packaging: schematic components (one gate of a device each) packed into
// layout components (one package each). Loading the packaging view of a
// layout component, packing the current component into a layout component
// by name (made when missing), unpacking, making and deleting layout
// components with their name text, and the first free gate of a device.
//
// Status arguments: 0 = done, 1 = failed; PackComp and CreateLayComp set
// them themselves, MakeLayCompTexts only sets 1.
#pragma once

#include "editor/objects/comp_state.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// Fills `info` from layout component `layComp` and its record, and
// g_PackGroups with its parts (a stale link leaves its entry empty).
void LoadPackInfo(int32_t layComp, const LayCompRec& rec, PackInfoRec& info);
// Packs the current component (g_CompId) as gate `group` of device `device`
// into the layout component named `name` (cut to its first word in place),
// made when none has that name; rebuilds the component's name and texts and
// brings its pin nodes in line. Refused (status 1, nothing changed): an
// empty name, a gate outside the device's, a component already packed, a
// layout component of another device, a gate already taken, a full
// package, a name the packed component could not take (message 4). A
// layout component made here goes again when a later step fails.
void PackComp(int32_t& status, std::string& name, int32_t group, const DeviceRec& device);
// Detaches the component from its layout component: the link, its pack
// information, its packing texts and the layout side of its pin nodes; it
// is renamed "Unpck" and a free number. A layout component left without
// parts is deleted.
void UnpackComp(int32_t id, const CompRec& comp);
// Makes the layout component the record describes (named by its Name up to
// the first blank) with its name text; rec.LayComp receives the id.
void CreateLayComp(int32_t& status, PackInfoRec& rec);
// Gives the layout component rec.LayComp its name text: the old one (taken
// off once the new one is made), else the package's template, else a text
// at the centre of the package.
void MakeLayCompTexts(int32_t& status, const PackInfoRec& rec, int32_t symbol, const std::string& text);
// Deletes the layout component with its traces and the nodes of its pins.
void DeleteLayComp(int32_t layComp);
// The first gate of g_CompInfo's device drawn with g_CompInfo's symbol
// that no entry of g_PackGroups takes; 0 when none.
void FindFreeGroup(int32_t& group, const DeviceRec& device);
// The lower left corner of the frame of all trace lines; (0, 0) when there
// are none.
void GetTraceFrame(int32_t& x, int32_t& y);
