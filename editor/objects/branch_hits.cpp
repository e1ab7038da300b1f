#include "editor/objects/branch_hits.h"

#include "editor/objects/symbol_items.h"
#include "editor/objects/view_values.h"
#include "editor/shell/geometry.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

#include <cstdlib>

namespace {

// Every page's frame branch has a negative id; g_FrameBranch is the current
// page's.
bool IsPageFrame(int32_t branch)
{
    return branch < 0 || (g_FrameBranch != 0 && branch == g_FrameBranch);
}

// The "same net only" option refuses a branch of another net.
bool OtherNetRefused(int32_t netFilter, int32_t net)
{
    return netFilter >= 0 && (g_TConnectFlags & 1) != 0 && net != netFilter;
}

// Nearest multiple of `step`, halves away from zero.
int32_t SnapValue(int32_t value, int32_t step)
{
    if (step < 1) return value;
    const int64_t sign = value > 0 ? 1 : (value < 0 ? -1 : 0);
    const int64_t shifted = ToLong(static_cast<double>(sign) * step / 2.0 + value);
    return static_cast<int32_t>(shifted / step * step);
}

// The branches that refer to a junction all pass through its position: the
// kernel's branch index at that point, filtered by the records, gives them
// without touching the rest of the level. `first` = the lowest id of them
// (the branch map's order); `selected` = one of them is selected (256).
struct JunctionUsers {
    int32_t first = 0;
    bool selected = false;
};

JunctionUsers FindJunctionUsers(int32_t junction)
{
    JunctionUsers users;
    JunctionRec j{};
    if (J_ReadJunction(junction, &j) == 0) return users;
    // One unit of tolerance takes the rounding of the distance measure.
    for (int32_t b = B_CoverBranch(j.X, j.Y, 1, nullptr); b != 0; b = B_CoverNextBranch(nullptr)) {
        if (B_SearchRecordMaskRef(b, 1, 4, junction, nullptr) < 1) continue;
        if (users.first == 0 || b < users.first) users.first = b;
        if ((O_GetStatus(B_Branch(b)) & 256) != 0) users.selected = true;
    }
    return users;
}

}  // namespace

void CoverJunctionAtPoint(int32_t& status, int32_t x, int32_t y, int32_t& branch, BranchRec& rec, int32_t& index,
                          int32_t netFilter)
{
    status = 1;
    JunctionUsers users;
    int32_t junction = J_CoverJunction(x, y, 2 * g_PickTolerance);
    for (; junction != 0; junction = J_CoverNextJunction()) {
        users = FindJunctionUsers(junction);
        // A junction of a selected branch is passed over.
        if (!users.selected) break;
    }
    if (junction == 0) return;
    BranchRec read{};
    // A junction that no branch uses gives nothing to edit.
    if (users.first == 0 || B_ReadBranch(users.first, &read) == 0) return;
    branch = users.first;
    index = B_SearchRecordMaskRef(users.first, 1, 68, junction, nullptr);
    rec = read;
    status = 0;
    if ((read.Flags & 2) == 0 && OtherNetRefused(netFilter, read.Net)) status = 1;
}

void CoverBranchAtPoint(int32_t& status, int32_t mode, int32_t excluded, int32_t x, int32_t y, int32_t& distance,
                        int32_t& branch, int32_t& cover, BranchRec& rec)
{
    int32_t hit = B_CoverBranch(x, y, g_PickTolerance, &cover);
    if (hit == 0) {
        status = 1;
        return;
    }
    distance = DB_GetCoverDistance();
    auto passOver = [&](int32_t b) {
        if (mode == 0) return IsPageFrame(b) || b == excluded;
        if (mode == 1) return !IsPageFrame(b) || b == excluded;
        return false;
    };
    while (hit != 0 && passOver(hit)) hit = B_CoverNextBranch(&cover);
    if (hit == 0) {
        status = 1;
        return;
    }
    distance = DB_GetCoverDistance();
    branch = hit;
    if (B_ReadBranch(hit, &rec) == 0) status = 1;
}

void CoverBranchText(int32_t& status, int32_t x, int32_t y, int32_t& branch, BranchRec& rec, int32_t& item)
{
    status = 1;
    int32_t found = 0;
    item = B_CoverBranchText(-1, x, y, g_PickTolerance, &found);
    if (item == 0) return;
    branch = found;
    if (I_ReadItem(B_BranchText(found, item), &g_SymbText) == 0) return;
    if (g_SymbText.Kind != 6 || B_ReadBranch(found, &rec) == 0) return;
    g_SymbTextOld = g_SymbText;
    g_SymbItemText = PtrToStr(g_SymbText.Text);
    g_SymbItemTextOld = g_SymbItemText;
    status = 0;
}

void SnapToBranch(int32_t& status, int32_t& x, int32_t& y, int32_t& branch, BranchRec& rec, int32_t& cover,
                  int32_t netFilter)
{
    status = 1;
    for (int32_t hit = B_CoverBranch(x, y, g_PickTolerance, &cover); hit != 0; hit = B_CoverNextBranch(&cover)) {
        BranchRec read{};
        if (B_ReadBranch(hit, &read) == 0 || (read.Flags & 256) != 0) continue;
        if (OtherNetRefused(netFilter, read.Net)) continue;
        branch = hit;
        rec = read;
        status = 0;
        break;
    }
    if (status != 0) return;
    BranchPointRec a{}, b{};
    // Without both ends of the segment nothing can be snapped: a failure,
    // not a success with the point left where it was.
    if (B_ReadRecord(branch, cover - 1, &a) == 0 || B_ReadRecord(branch, cover, &b) == 0) {
        status = 1;
        return;
    }
    x = SnapValue(x, g_SnapStep);
    y = SnapValue(y, g_SnapStep);
    FootOnSegment(x, y, a.X, a.Y, b.X, b.Y);
}
