// The page frames' outlines rebuilt as closed chains of frame junctions: the
// shown page's at every start-up, and any page's that is not whole.
#include "editor/shell/pagedraw.h"

#include "editor/objects/branches.h"
#include "editor/shell/design_change.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/scope_guard.h"

#include <algorithm>
#include <map>
#include <set>
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

// The frame branch of one page of the current level, as its records read.
struct PageFrame {
    int32_t page = 0;
    BranchRec branch{};
    std::vector<KeptPoint> points;
};

// How many frames of the level name each junction id (a frame's closing
// record names its first corner again and counts once).
using Naming = std::map<int32_t, int>;

std::vector<KeptPoint> ReadFramePoints(int32_t frame)
{
    std::vector<KeptPoint> points;
    BranchRec branch{};
    if (B_ReadBranch(frame, &branch) == 0) return points;
    for (int32_t i = 1; i <= branch.Points; ++i) {
        BranchPointRec point{};
        if (B_ReadRecord(frame, i, &point) == 0) continue;
        const bool junction = (point.Flags & 6) == kJunctionRef && J_Junction(point.Ref) != 0;
        points.push_back({point.Ref, point.X, point.Y, junction});
    }
    return points;
}

std::set<int32_t> NamedIds(const std::vector<KeptPoint>& points)
{
    std::set<int32_t> ids;
    for (const KeptPoint& point : points) ids.insert(point.ref);
    return ids;
}

void Name(Naming& naming, const std::vector<KeptPoint>& points, int delta)
{
    for (const int32_t id : NamedIds(points)) {
        naming[id] += delta;
        if (naming[id] <= 0) naming.erase(id);
    }
}

// Every page's frame of the current level, by ascending page.
std::vector<PageFrame> ReadPageFrames()
{
    std::vector<PageFrame> frames;
    const int32_t pages = DB_PageMap();
    int32_t at = OM_GetFirst(pages);
    for (int32_t page; (page = OM_SearchMask(pages, &at, 0, 0)) > 0;) {
        PageFrame frame;
        frame.page = page;
        if (B_ReadBranch(-100 - page, &frame.branch) == 0) continue;
        frame.points = ReadFramePoints(-100 - page);
        frames.push_back(std::move(frame));
    }
    return frames;
}

// A frame is whole when it lies on its own page and, unless it has no
// records at all, closes on its first corner through corners that are
// distinct junctions of its page which no other frame names.
bool IsWhole(const PageFrame& frame, const Naming& naming)
{
    if (frame.branch.Page != frame.page) return false;
    const std::vector<KeptPoint>& points = frame.points;
    if (points.empty()) return frame.branch.Points == 0;
    if (points.size() < 2 || static_cast<int32_t>(points.size()) != frame.branch.Points) return false;
    if (points.front().ref != points.back().ref) return false;
    std::set<int32_t> corners;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const KeptPoint& point = points[i];
        if (!point.junction || !corners.insert(point.ref).second) return false;
        JunctionRec junction{};
        if (J_ReadJunction(point.ref, &junction) == 0 || junction.Page != frame.page) return false;
        const auto named = naming.find(point.ref);
        if (named == naming.end() || named->second != 1) return false;
    }
    return points.back().junction;
}

// Makes the frame `branch` of the current page anew: a closed outline
// through new junctions at the old points, which takes the old frame's
// place. The new corners take ids that no frame of the level names
// (`naming`, the old frame's own names included), so that no other frame
// shares a corner with it; an old corner goes only when no other frame
// and no wire names it. False at the first step the kernel refuses.
bool MakeFrame(int32_t branch, const std::vector<KeptPoint>& old, const Naming& naming)
{
    // The new corners are made before anything of the old frame goes.
    std::vector<int32_t> corners;
    std::vector<int32_t> passed;
    for (size_t i = 0; i + 1 < old.size(); ++i) {
        int32_t id = GetFreeJunctionId();
        while (id != 0 && naming.contains(id)) {
            passed.push_back(id);
            id = GetFreeJunctionId();
        }
        if (id == 0) return false;
        const int32_t junction = J_CreateJunction(id, kFrameJunctionType, old[i].x, old[i].y);
        if (junction == 0) return false;
        corners.push_back(junction);
    }
    // The ids passed by are free again (no junction took them).
    for (const int32_t id : passed)
        if (AddJunctionToHeap(id) != id) return false;
    BranchRec owner{};
    B_ReadBranch(branch, &owner);
    OM_Delete(DB_BranchMap(), branch);
    std::vector<std::pair<int32_t, int32_t>> released;
    for (const KeptPoint& point : old) {
        if (!point.junction) continue;
        const auto named = naming.find(point.ref);
        if (named != naming.end() && named->second > 1) continue;
        released.emplace_back(kJunctionRef, point.ref);
    }
    {
        // The release reads the wires and deletes some junctions: a step of
        // it refused puts it back and fails the frame.
        DesignChange release;
        ReleaseBranchReferences(owner, std::move(released));
        if (!release.Finish()) return false;
    }
    if (B_CreateBranch(branch, kFrameKind, 0) == 0) return false;
    if (corners.empty()) return true;
    corners.push_back(corners.front());
    for (const int32_t junction : corners)
        if (B_InsertRecord(branch, -1, kFramePointKind, junction) == 0) return false;
    return true;
}

// Rebuilds the frame of `frame.page` on that page, whole or not at all;
// `naming` follows the frame's new corners. The current page is the same
// afterwards.
void RebuildOnPage(const PageFrame& frame, Naming& naming)
{
    const int32_t shown = DB_CurPage();
    {
        DesignChange change(DesignChange::Ending::Undo);
        const bool made = (frame.page == shown || DB_SetCurPage(frame.page) == frame.page) &&
                          MakeFrame(-100 - frame.page, frame.points, naming);
        if (made && DB_CurPage() != shown) DB_SetCurPage(shown);
        if (!made || DB_CurPage() != shown) {
            change.Undo();
            ReportMsg(kFrameFailedMsg);
            return;
        }
        change.Keep();
    }
    Name(naming, frame.points, -1);
    Name(naming, ReadFramePoints(-100 - frame.page), 1);
}

Naming NamingOf(const std::vector<PageFrame>& frames)
{
    Naming naming;
    for (const PageFrame& frame : frames) Name(naming, frame.points, 1);
    return naming;
}

}  // namespace

void RebuildFrameBranch()
{
    PageFrame frame;
    frame.page = -100 - g_FrameBranch;
    if (frame.page <= 0) return;
    const std::vector<PageFrame> frames = ReadPageFrames();
    Naming naming = NamingOf(frames);
    const auto shown = std::find_if(frames.begin(), frames.end(),
                                    [&](const PageFrame& f) { return f.page == frame.page; });
    // A page without a frame branch gets an empty one.
    RebuildOnPage(shown != frames.end() ? *shown : frame, naming);
}

void RepairPageFrames()
{
    const int32_t level = DB_CurHier();
    const auto back = OnExit([level] {
        if (DB_CurHier() != level) DB_SetCurHier(level);
    });
    const int32_t levels = DB_HierarchyMap();
    int32_t at = OM_GetFirst(levels);
    for (int32_t next; (next = OM_SearchMask(levels, &at, 0, 0)) > 0;) {
        if (DB_SetCurHier(next) != next) continue;
        const std::vector<PageFrame> frames = ReadPageFrames();
        Naming naming = NamingOf(frames);
        for (const PageFrame& frame : frames)
            if (!IsWhole(frame, naming)) RebuildOnPage(frame, naming);
    }
}
