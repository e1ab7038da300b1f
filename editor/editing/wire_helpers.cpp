// Helpers of the wire, net and bus edits (wire_helpers.h).
#include "editor/editing/wire_helpers.h"

#include "editor/editing/editing_state.h"
#include "editor/objects/branches.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/reporter.h"
#include "editor/shell/schmain.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

#include <algorithm>
#include <cmath>

namespace wire_edit {

int32_t SnapCoord(int32_t value)
{
    int64_t v = value;
    // std::llround takes halves away from zero.
    if (g_SnapStep > 0) v = std::llround(static_cast<double>(value) / g_SnapStep) * g_SnapStep;
    return static_cast<int32_t>(std::clamp(v, -int64_t{kCoordLimit}, int64_t{kCoordLimit}));
}

bool AppendJunctionPoint(int32_t branch, int32_t type, int32_t x, int32_t y, int32_t& pos, BranchPointRec& point)
{
    const int32_t junction = J_CreateJunction(GetFreeJunctionId(), type, x, y);
    if (junction == 0) return false;
    const int32_t index = B_InsertRecord(branch, -1, kNewPoint, junction);
    if (index == 0) {
        AddJunctionToHeap(junction);
        return false;
    }
    pos = index;
    return B_ReadRecord(branch, index, &point) != 0;
}

bool CheckTypedName(const std::string& name)
{
    if (name.empty() || name.size() > 255 || name.front() == ',') return false;
    return std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 32; });
}

bool NameTaken(int32_t map, const std::string& name, int32_t self)
{
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t id = OM_SearchName(map, &cursor, name.c_str()))
        if (id != self) return true;
    return false;
}

std::string NetName(int32_t net)
{
    return PtrToStr(O_GetName(N_Net(net)));
}

std::string BusName(int32_t bus)
{
    return PtrToStr(O_GetName(N_Bus(bus)));
}

bool NetForNewWire(SCHMAIN& m, int32_t& net, bool& made)
{
    int32_t ok = 1;
    FindFreeName(ok, DB_NetMap(), "UN", g_CurNetName);
    if (ok != 0) {
        std::string detail = "UN";
        ReportMsg(28, detail);
        return false;
    }
    int32_t netFlags = 1;
    if (g_InstNameFlag) {
        int32_t asked = 1;
        m.PromptNetName(asked, net, g_CurNetName, netFlags);
        if (asked != 0) return false;
    }
    if (net == 0) {
        net = N_CreateNet(0, netFlags, g_CurNetName.c_str());
        if (net == 0) {
            ReportMsg(35, g_CurNetName);
            return false;
        }
        made = true;
    }
    return true;
}

}  // namespace wire_edit
