// Path building: the chain of points found by the pair search is cleaned
// (repeated, collinear and doubled-back points, loops), nudged clear of
// foreign wires and bodies, and its corners flipped where that saves bends.
#include "router/route.h"

#include <algorithm>
#include <cstdlib>

namespace corvex {

PinEnd g_PinEnds[2] = {};

namespace {

bool Same(const PathPt& a, const PathPt& b) { return a.x == b.x && a.y == b.y; }
bool IsFree(const PathPt& p) { return (p.flags & (kPathFixed | kPathJunction)) == 0; }

bool AtPin(const PathPt& p, int i) { return g_PinEnds[i].comp && p.x == g_PinEnds[i].x && p.y == g_PinEnds[i].y; }

// The pin's own body does not count for a segment that leaves the pin in
// one of its exit directions.
int32_t PinExempt(const PathPt& a, const PathPt& b, int i)
{
    const PathPt& pin = AtPin(a, i) ? a : b;
    const PathPt& other = AtPin(a, i) ? b : a;
    if (!AtPin(pin, i)) return 0;
    static constexpr int32_t kBit[8] = {kExitPosX, 0, kExitPosY, 0, kExitNegX, 0, kExitNegY, 0};
    const int32_t d = PathDirection(pin, other);
    return d < 8 && (g_PinEnds[i].exits & kBit[d]) ? g_PinEnds[i].comp : 0;
}

}  // namespace

int32_t PathDirection(const PathPt& a, const PathPt& b) { return SegmentDirection(Seg{a.x, a.y, b.x, b.y}); }

bool PathSegmentFree(const PathPt& a, const PathPt& b, int32_t* crossings)
{
    if (a.x != b.x && a.y != b.y) return false;
    const int32_t ea = PinExempt(a, b, 0), eb = PinExempt(a, b, 1);
    return SegmentFree(a.x, a.y, b.x, b.y, ea, eb, crossings);
}

bool PathFree(const Path& path)
{
    for (size_t i = 0; i + 1 < path.size(); ++i)
        if (!PathSegmentFree(path[i], path[i + 1])) return false;
    return true;
}

void MR_UnlinkPathPoint(Path& path, size_t /*kept*/, size_t removed)
{
    if (removed < path.size()) path.erase(path.begin() + static_cast<std::ptrdiff_t>(removed));
}

void MR_StraightenPath(Path& path)
{
    // Repeated points: a free bend gives way to a fixed point; the ends stay.
    for (size_t i = 0; i + 1 < path.size();) {
        if (!Same(path[i], path[i + 1])) {
            ++i;
            continue;
        }
        const bool lastIsEnd = i + 2 == path.size();
        if (lastIsEnd) {
            if (i == 0) {
                path[1].flags |= path[0].flags & (kPathFixed | kPathJunction);
            }
            path[i + 1].flags |= path[i].flags & (kPathFixed | kPathJunction);
            MR_UnlinkPathPoint(path, i + 1, i);
        } else if (i > 0 && IsFree(path[i]) && !IsFree(path[i + 1])) {
            MR_UnlinkPathPoint(path, i + 1, i);
        } else {
            path[i].flags |= path[i + 1].flags & (kPathFixed | kPathJunction);
            MR_UnlinkPathPoint(path, i, i + 1);
        }
    }
    // Free bends on a straight run or where the path doubles back.
    for (size_t i = 1; i + 1 < path.size();) {
        const int32_t d1 = PathDirection(path[i - 1], path[i]), d2 = PathDirection(path[i], path[i + 1]);
        if (IsFree(path[i]) && (d1 == d2 || (d1 + 4) % 8 == d2)) {
            MR_UnlinkPathPoint(path, i - 1, i);
            if (i > 1) --i;
            continue;
        }
        ++i;
    }
}

void CutPathLoops(Path& path)
{
    for (bool again = true; again;) {
        again = false;
        for (size_t i = 0; i + 3 < path.size() && !again; ++i) {
            for (size_t j = path.size() - 2; j >= i + 2 && !again; --j) {
                Seg a{path[i].x, path[i].y, path[i + 1].x, path[i + 1].y};
                Seg b{path[j].x, path[j].y, path[j + 1].x, path[j + 1].y};
                NormaliseSeg(a);
                NormaliseSeg(b);
                const bool aH = a.y1 == a.y2, bH = b.y1 == b.y2;
                if (aH == bH) continue;
                const Seg& h = aH ? a : b;
                const Seg& v = aH ? b : a;
                if (v.x1 < h.x1 || v.x1 > h.x2 || h.y1 < v.y1 || h.y1 > v.y2) continue;
                bool inner = true;
                for (size_t k = i + 1; k <= j; ++k) inner = inner && IsFree(path[k]);
                if (!inner) continue;
                PathPt x{v.x1, h.y1, kPathFree};
                path.erase(path.begin() + static_cast<std::ptrdiff_t>(i + 1),
                           path.begin() + static_cast<std::ptrdiff_t>(j + 1));
                path.insert(path.begin() + static_cast<std::ptrdiff_t>(i + 1), x);
                again = true;
            }
        }
    }
    MR_StraightenPath(path);
}

namespace {

// Tries to move segment i sideways by `shift` (signed, across it). Applies
// the move and returns true when the moved pieces are all free.
bool TryShift(Path& path, size_t i, int32_t shift)
{
    const PathPt a = path[i], b = path[i + 1];
    const bool horizontal = a.y == b.y;
    const int32_t dx = horizontal ? 0 : shift, dy = horizontal ? shift : 0;
    PathPt a2{a.x + dx, a.y + dy, kPathFree}, b2{b.x + dx, b.y + dy, kPathFree};
    const bool aFixed = i == 0 || !IsFree(a), bFixed = i + 2 == path.size() || !IsFree(b);
    if (!PathSegmentFree(a2, b2)) return false;
    if (aFixed ? !PathSegmentFree(a, a2) : !PathSegmentFree(path[i - 1], a2)) return false;
    if (bFixed ? !PathSegmentFree(b2, b) : !PathSegmentFree(b2, path[i + 2])) return false;
    Path out(path.begin(), path.begin() + static_cast<std::ptrdiff_t>(i));
    out.push_back(aFixed ? a : a2);
    if (aFixed) out.push_back(a2);
    out.push_back(b2);
    if (bFixed) out.push_back(b);
    out.insert(out.end(), path.begin() + static_cast<std::ptrdiff_t>(i + 2), path.end());
    path.swap(out);
    return true;
}

}  // namespace

int32_t MR_BuildBranchWay(Path& path, int32_t& accepted)
{
    accepted = 0;
    MR_StraightenPath(path);
    CutPathLoops(path);
    // A path that meets a wire of its own start or end group may begin or
    // end there; the corners are flipped again around the moved ends.
    if (MR_ShortcutPath(path)) {
        if (!MR_SimplifyPath(path)) return 0;
        MR_StraightenPath(path);
    }
    const int32_t step = g_StepSize > 0 ? g_StepSize : 50800;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        if (path[i].x != path[i + 1].x && path[i].y != path[i + 1].y) return Fail(1800, 1);
        if (PathSegmentFree(path[i], path[i + 1])) continue;
        bool placed = false;
        for (int32_t k = 1; k <= 19 && !placed; ++k)
            placed = TryShift(path, i, k * step) || TryShift(path, i, -k * step);
        if (!placed) return 1;
        if (static_cast<int32_t>(path.size()) >= g_Tuning.pointPoolCapacity) return Fail(3000, 30);
    }
    MR_StraightenPath(path);
    accepted = PathFree(path) ? 1 : 0;
    return 1;
}

int32_t MR_SimplifyPath(Path& path)
{
    for (bool changed = true; changed;) {
        changed = false;
        for (size_t i = 1; i + 1 < path.size() && !changed; ++i) {
            const PathPt a = path[i - 1], b = path[i], c = path[i + 1];
            if (!IsFree(b) || Same(a, b) || Same(b, c)) continue;
            if ((a.x == b.x) == (b.x == c.x)) continue;  // not a corner
            const PathPt d{a.x + c.x - b.x, a.y + c.y - b.y, kPathFree};
            // Flip only when a neighbour then stands on a straight run and
            // can go: a flip that saves no bend is not worth the risk.
            const bool aGoes = i >= 2 && IsFree(a) &&
                               PathDirection(path[i - 2], a) == PathDirection(a, d);
            const bool cGoes = i + 2 < path.size() && IsFree(c) &&
                               PathDirection(d, c) == PathDirection(c, path[i + 2]);
            if (!aGoes && !cGoes) continue;
            if (!PathSegmentFree(a, d) || !PathSegmentFree(d, c)) continue;
            // The legs that the removal lengthens must be free as well.
            Path trial = path;
            trial[i] = d;
            MR_StraightenPath(trial);
            if (!PathFree(trial) || trial.size() >= path.size()) continue;
            path.swap(trial);
            changed = true;
        }
    }
    return 1;
}

}  // namespace corvex
