#include "editor/objects/comp_picking.h"

#include "editor/objects/components.h"
#include "editor/objects/cover_sets.h"
#include "editor/shell/curpos.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kSelected = 256;
constexpr int32_t kBranchMoves = 2048;
constexpr int32_t kRecordMoves = 512;

}  // namespace

void PickComp(int32_t& status, int32_t x, int32_t y, int32_t& id, int32_t& entry, std::string& name)
{
    status = 1;
    int32_t covered = 0;
    id = C_CoverComponent(x, y, g_PickTolerance, &covered);
    if (id == 0) return;
    entry = covered;
    ReadComp(status, id, name);
    if (status != 0) return;
    S_SetCompLocation(g_Comp.X, g_Comp.Y, g_Comp.Angle, g_Comp.Flags & 2);
    EntryRec rec{};
    if (C_ReadEntry(id, entry, &rec) != 0 || C_ReadEntry(id, 1, &rec) != 0) {
        g_CompAnchor = {rec.X, rec.Y};
        g_CompAnchorStart = g_CompAnchor;
    } else {
        g_CompAnchor = {x, y};
    }
    int32_t point[2] = {g_CompAnchor.X, g_CompAnchor.Y};
    I_APtoLP(point);
    g_CompAnchor = {point[0], point[1]};
}

void PickCompText(int32_t& status, int32_t x, int32_t y, int32_t& id, int32_t& textIdx, std::string& name)
{
    status = 1;
    int32_t comp = 0;
    textIdx = C_CoverCompText(-1, x, y, g_PickTolerance, &comp);
    if (textIdx == 0) return;
    id = comp;
    ItemRec text{};
    if (I_ReadItem(C_CompText(comp, textIdx), &text) == 0) return;
    g_CompText = text;
    g_CompTextOld = text;
    g_CompTextStr = PtrToStr(text.Text);
    g_CompTextVal = g_CompTextStr;
    ReadComp(status, id, name);
}

void SelectCompsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance)
{
    std::vector<SelectedComp> taken;
    SelectCompsAtPoint(status, x, y, tolerance, taken);
}

void SelectCompsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance, std::vector<SelectedComp>& taken,
                        bool clearFirst)
{
    status = 1;
    taken.clear();
    if (clearFirst) {
        OM_MaskAll(DB_SchCompMap(), 0, kSelected);
        B_MaskAllBranches(0, kBranchMoves, 0, kRecordMoves);
    }
    // The components taken are marked in one call, and the wires on their
    // pins in one walk for all of them.
    std::vector<int32_t> ids;
    for (const int32_t id : CoverCompSet(x, y, tolerance)) {
        if (id < 1) continue;
        CompRec comp{};
        if (C_ReadComponent(id, &comp) == 0) continue;
        if (DB_CoverRectangle(comp.X, comp.Y, 1, g_SelRect.X1, g_SelRect.Y1, g_SelRect.X2, g_SelRect.Y2) == 0)
            continue;
        status = 0;
        comp.Flags |= kSelected;
        ids.push_back(id);
        taken.push_back({id, comp});
    }
    if (ids.empty()) return;
    OM_MaskIds(DB_SchCompMap(), ids.data(), static_cast<int32_t>(ids.size()), kSelected, kSelected);
    B_MaskNodeRecordSet(ids.data(), static_cast<int32_t>(ids.size()), kBranchMoves, kBranchMoves, kRecordMoves,
                        kRecordMoves, 1, 1);
    std::sort(taken.begin(), taken.end(), [](const SelectedComp& a, const SelectedComp& b) { return a.id < b.id; });
}
