#include "editor/documents/frame_outline.h"

#include "editor/objects/branches.h"
#include "editor/shell/design_change.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

CheckedArray<FramePoint> g_FramePoints(0, 0);
int32_t g_FrameMode = 0;
int32_t g_FrameDlgState = 0;

namespace {

constexpr int32_t kFrameBranchKind = 4;
constexpr int32_t kJunctionType = 3;
constexpr int32_t kJunctionRecord = 5;

struct Bounds {
    int64_t minX = 0;
    int64_t minY = 0;
    int64_t maxX = 0;
    int64_t maxY = 0;
};

Bounds BoundsOf(const CheckedArray<FramePoint>& points)
{
    Bounds b;
    if (points.Empty()) return b;
    b.minX = b.maxX = points(points.LBound()).X;
    b.minY = b.maxY = points(points.LBound()).Y;
    for (long i = points.LBound(); i <= points.UBound(); ++i) {
        b.minX = std::min<int64_t>(b.minX, points(i).X);
        b.maxX = std::max<int64_t>(b.maxX, points(i).X);
        b.minY = std::min<int64_t>(b.minY, points(i).Y);
        b.maxY = std::max<int64_t>(b.maxY, points(i).Y);
    }
    return b;
}

void Shift(CheckedArray<FramePoint>& points, int64_t dx, int64_t dy)
{
    for (long i = points.LBound(); i <= points.UBound(); ++i) {
        points(i).X = static_cast<int32_t>(points(i).X - dx);
        points(i).Y = static_cast<int32_t>(points(i).Y - dy);
    }
}

}  // namespace

void MakeFrameRectangle(CheckedArray<FramePoint>& points, int32_t width, int32_t height)
{
    const int32_t w = ToLong(width / 2.0);
    const int32_t h = ToLong(height / 2.0);
    points.Redim(0, 4);
    points(0) = {-w, -h};
    points(1) = {-w, h};
    points(2) = {w, h};
    points(3) = {w, -h};
    points(4) = {-w, -h};
}

bool AddFramePoint(CheckedArray<FramePoint>& points, int32_t dx, int32_t dy)
{
    const long u = points.UBound();
    if (u < 1) return false;
    const FramePoint closing = points(u);
    const int64_t x = static_cast<int64_t>(points(u - 1).X) + dx;
    const int64_t y = static_cast<int64_t>(points(u - 1).Y) + dy;
    points.RedimPreserve(u + 1);
    points(u + 1) = closing;
    points(u) = {static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)),
                 static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX))};
    const Bounds b = BoundsOf(points);
    if (b.maxX - b.minX > kFrameSpanLimit || b.maxY - b.minY > kFrameSpanLimit) {
        points(u) = closing;
        points.RedimPreserve(u);
        return false;
    }
    CentreFramePoints(points);
    return true;
}

bool DeleteFramePoint(CheckedArray<FramePoint>& points)
{
    const long u = points.UBound();
    if (u >= 2) {
        points(u - 1) = points(u);
        points.RedimPreserve(u - 1);
        CentreFramePoints(points);
        return true;
    }
    points.Redim(0, 1);
    return false;
}

int32_t RoundFramePoint(int32_t value)
{
    const int64_t v = static_cast<int64_t>(value) + (value > 0 ? 500 : value < 0 ? -500 : 0);
    return static_cast<int32_t>(v / 1000 * 1000);
}

void CentreFramePoints(CheckedArray<FramePoint>& points)
{
    if (points.Empty()) return;
    Bounds b = BoundsOf(points);
    const int64_t cx = ToLong(static_cast<double>(b.maxX - b.minX) / 2.0 + static_cast<double>(b.minX));
    const int64_t cy = ToLong(static_cast<double>(b.maxY - b.minY) / 2.0 + static_cast<double>(b.minY));
    Shift(points, cx, cy);
    b = BoundsOf(points);
    const auto minX = static_cast<int32_t>(b.minX);
    const auto minY = static_cast<int32_t>(b.minY);
    Shift(points, static_cast<int64_t>(minX) - RoundFramePoint(minX), static_cast<int64_t>(minY) - RoundFramePoint(minY));
}

bool IsFrameIncomplete(const CheckedArray<FramePoint>& points)
{
    const long u = points.UBound();
    if (u < 3) return true;
    const Bounds b = BoundsOf(points);
    if (b.maxX == b.minX || b.maxY == b.minY) return true;
    // Corners that all lie on one slanted line enclose nothing either.
    const FramePoint& a = points(0);
    for (long i = 1; i < u; ++i) {
        if (points(i).X == a.X && points(i).Y == a.Y) continue;
        const int64_t ux = static_cast<int64_t>(points(i).X) - a.X;
        const int64_t uy = static_cast<int64_t>(points(i).Y) - a.Y;
        for (long j = i + 1; j < u; ++j) {
            const int64_t vx = static_cast<int64_t>(points(j).X) - a.X;
            const int64_t vy = static_cast<int64_t>(points(j).Y) - a.Y;
            if (ux * vy - uy * vx != 0) return false;
        }
        return true;
    }
    return true;
}

bool WritePageFrame(int32_t branch, const CheckedArray<FramePoint>& points, long first)
{
    // One edit: a refused step (a read as well) puts back everything added
    // or taken away, and fails the enclosing edit too.
    DesignChange change;
    BranchRec old{};
    const bool hadFrame = B_ReadBranch(branch, &old) != 0;
    const int32_t oldCount = hadFrame ? old.Points : 0;
    if (!hadFrame && B_CreateBranch(branch, kFrameBranchKind, 0) == 0) return false;

    int32_t firstJunction = 0;
    for (long i = first; i < points.UBound(); ++i) {
        const int32_t junction = J_CreateJunction(GetFreeJunctionId(), kJunctionType, points(i).X, points(i).Y);
        if (junction == 0) return false;
        if (i == first) firstJunction = junction;
        if (B_InsertRecord(branch, -1, kJunctionRecord, junction) == 0) return false;
    }
    if (B_InsertRecord(branch, -1, kJunctionRecord, firstJunction) == 0) return false;

    // The new outline stands: the old records and their junctions go.
    std::vector<int32_t> oldJunctions;
    for (int32_t i = 1; i <= oldCount; ++i) {
        BranchPointRec rec{};
        if (B_ReadRecord(branch, 1, &rec) > 0 && (rec.Flags & 6) == 4 &&
            std::find(oldJunctions.begin(), oldJunctions.end(), rec.Ref) == oldJunctions.end())
            oldJunctions.push_back(rec.Ref);
        if (B_DeleteRecord(branch, 1) == 0) return false;
    }
    for (const int32_t junction : oldJunctions) AddJunctionToHeap(junction);
    return change.Finish();
}
