// The page frame's outline rebuilt as a closed chain of frame junctions.
#include "editor/shell/pagedraw.h"

#include "editor/objects/branches.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kFrameFailedMsg = 11;
constexpr int32_t kFrameKind = 4;
constexpr int32_t kFramePointKind = 5;
constexpr int32_t kFrameJunctionType = 3;

struct KeptPoint {
    int32_t ref = 0;
    int32_t x = 0;
    int32_t y = 0;
};

std::vector<KeptPoint> ReadFramePoints()
{
    std::vector<KeptPoint> points;
    BranchRec branch{};
    if (B_ReadBranch(g_FrameBranch, &branch) == 0) return points;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(g_FrameBranch, i, &point) != 0) points.push_back({point.Ref, point.X, point.Y});
    }
    return points;
}

void DropJunctions(const std::vector<int32_t>& junctions)
{
    for (const int32_t junction : junctions) AddJunctionToHeap(junction);
}

}  // namespace

void RebuildFrameBranch()
{
    const std::vector<KeptPoint> old = ReadFramePoints();
    // The new corners are made before anything of the old frame goes, so a
    // refusal leaves the page with its frame as it was.
    std::vector<int32_t> corners;
    for (size_t i = 0; i + 1 < old.size(); ++i) {
        const int32_t junction = J_CreateJunction(GetFreeJunctionId(), kFrameJunctionType, old[i].x, old[i].y);
        if (junction == 0) {
            DropJunctions(corners);
            ReportMsg(kFrameFailedMsg);
            return;
        }
        corners.push_back(junction);
    }
    // The chain closes on its first junction: each junction goes once.
    std::vector<int32_t> released;
    for (const KeptPoint& point : old) {
        if (std::find(released.begin(), released.end(), point.ref) != released.end()) continue;
        released.push_back(point.ref);
        AddJunctionToHeap(point.ref);
    }
    OM_Delete(DB_BranchMap(), g_FrameBranch);
    if (B_CreateBranch(g_FrameBranch, kFrameKind, 0) == 0) {
        DropJunctions(corners);
        ReportMsg(kFrameFailedMsg);
        return;
    }
    if (corners.empty()) return;
    corners.push_back(corners.front());
    for (const int32_t junction : corners) {
        if (B_InsertRecord(g_FrameBranch, -1, kFramePointKind, junction) == 0) {
            ReportMsg(kFrameFailedMsg);
            return;
        }
    }
}
