// Picking components and their texts under a point, and selecting the
// components at a point that lie in the selection rectangle.
//
// Status arguments: 0 = found, 1 = nothing found; set by each procedure.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>
#include <vector>

// The component under (x, y) within g_PickTolerance: its id, the entry
// under the point (0 when none) and its name; the component becomes the
// current one (g_Comp, g_CompOld) and g_CompAnchor its hook point, relative
// to the component: the picked entry's position, else entry 1's, else the
// point. Nothing picked: status 1, id 0, no module state changed.
void PickComp(int32_t& status, int32_t x, int32_t y, int32_t& id, int32_t& entry, std::string& name);
// The component text under (x, y): its component, its index and the
// component's name; the text goes into g_CompText (copied to
// g_CompTextOld) with its string in g_CompTextStr and g_CompTextVal.
void PickCompText(int32_t& status, int32_t x, int32_t y, int32_t& id, int32_t& textIdx, std::string& name);
// Clears the selection of every component and the move marks of every
// wire, then selects (256) each component under the point whose origin
// lies in g_SelRect and marks the wires at its pins to move with it.
void SelectCompsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance);
// A component SelectCompsAtPoint selected, as it reads now (with its 256).
struct SelectedComp {
    int32_t id;
    CompRec rec;
};
// The same, also handing over the components it selected, by ascending id.
// `clearFirst` false: the caller has cleared those marks itself (component
// 256, wire 2048, wire record 512), maybe together with others.
void SelectCompsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance, std::vector<SelectedComp>& taken,
                        bool clearFirst = true);
