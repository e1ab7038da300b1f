// The page frame's outline rebuilt as a closed chain of frame junctions.
#include "editor/shell/pagedraw.h"

#include "editor/objects/branches.h"
#include "editor/shell/design_change.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kFrameFailedMsg = 11;
constexpr int32_t kFrameKind = 4;
constexpr int32_t kFramePointKind = 5;
constexpr int32_t kFrameJunctionType = 3;
constexpr int32_t kJunctionRef = 4;

struct KeptPoint {
    int32_t ref = 0;
    int32_t x = 0;
    int32_t y = 0;
    // The record refers to a junction that exists. A damaged design may
    // name one that is gone: its point keeps the position the record
    // stored, and there is no junction to release.
    bool junction = false;
};

std::vector<KeptPoint> ReadFramePoints()
{
    std::vector<KeptPoint> points;
    BranchRec branch{};
    if (B_ReadBranch(g_FrameBranch, &branch) == 0) return points;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(g_FrameBranch, i, &point) == 0) continue;
        const bool junction = (point.Flags & 6) == kJunctionRef && J_Junction(point.Ref) != 0;
        points.push_back({point.Ref, point.X, point.Y, junction});
    }
    return points;
}

// Makes the new outline through new junctions at the old points and takes
// the old frame away. False at the first step the kernel refuses.
bool MakeFrame(const std::vector<KeptPoint>& old)
{
    // The new corners are made before anything of the old frame goes. Their
    // ids are the lowest free ones, which may be the id of an old corner
    // whose junction is missing: only the junctions that existed when the
    // frame was read are released below.
    std::vector<int32_t> corners;
    for (size_t i = 0; i + 1 < old.size(); ++i) {
        const int32_t id = GetFreeJunctionId();
        if (id == 0) return false;
        const int32_t junction = J_CreateJunction(id, kFrameJunctionType, old[i].x, old[i].y);
        if (junction == 0) return false;
        corners.push_back(junction);
    }
    // The chain closes on its first junction: each junction goes once.
    std::vector<int32_t> released;
    for (const KeptPoint& point : old) {
        if (!point.junction || std::find(released.begin(), released.end(), point.ref) != released.end()) continue;
        released.push_back(point.ref);
        if (AddJunctionToHeap(point.ref) != point.ref) return false;
    }
    OM_Delete(DB_BranchMap(), g_FrameBranch);
    if (B_CreateBranch(g_FrameBranch, kFrameKind, 0) == 0) return false;
    if (corners.empty()) return true;
    corners.push_back(corners.front());
    for (const int32_t junction : corners)
        if (B_InsertRecord(g_FrameBranch, -1, kFramePointKind, junction) == 0) return false;
    return true;
}

}  // namespace

void RebuildFrameBranch()
{
    const std::vector<KeptPoint> old = ReadFramePoints();
    // Whole or not at all: a refused step puts the page back with its frame
    // as it was, and no junction of a half-made outline stays behind.
    DesignChange change(DesignChange::Ending::Undo);
    if (!MakeFrame(old)) {
        change.Undo();
        ReportMsg(kFrameFailedMsg);
        return;
    }
    change.Keep();
}
