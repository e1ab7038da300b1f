// Box queries: the whole set of components or wires a cover call would
// list, without sorting them nearest first, and the order of a few of them.
//
// A box selection takes every hit of a cover around the box and marks all
// of them, so the nearest-first order of the cover lists (a sort of every
// hit) buys it nothing; where it does need the order of some wires, it asks
// for just those.
#include "platform/kernel/draw_objects.h"
#include "platform/kernel/hit_index.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace kernel::draw {

namespace {

double Tolerance(int32_t tolerance)
{
    return tolerance > 0 ? tolerance : 0;
}

// The ids of the shapes of `kind` whose box lies within `tol` of the point
// and that `test` takes, from the index or, when its build is put off, a
// walk of every object's shape (as the cover calls find them).
template <class Test>
void CollectSet(IndexKind kind, double x, double y, double tol, std::vector<int32_t>& ids, Test&& test)
{
    auto take = [&](const Shape& s) {
        if (s.box.Within(x, y, tol) && test(s)) ids.push_back(s.id);
    };
    bool walk = false;
    if (const Index* index = CurrentOrWalk(kind, walk)) {
        index->grid.Query(x - tol, y - tol, x + tol, y + tol, index->shapes.size(),
                          [&](uint32_t i) { take(index->shapes[i]); });
        return;
    }
    if (walk) ForEachShape(kind, take);
}

// The ids of the components whose box lies within `tol` of the point: a
// walk, when the index build is put off, makes just the boxes.
void CollectCompSet(double x, double y, double tol, std::vector<int32_t>& ids)
{
    bool walk = false;
    if (const Index* index = CurrentOrWalk(kComps, walk)) {
        index->grid.Query(x - tol, y - tol, x + tol, y + tol, index->shapes.size(), [&](uint32_t i) {
            const Shape& s = index->shapes[i];
            if (s.box.Within(x, y, tol)) ids.push_back(s.id);
        });
        return;
    }
    if (walk)
        ForEachCompBox([&](int32_t id, const Box& box) {
            if (box.Within(x, y, tol)) ids.push_back(id);
        });
}

// Hands the set to the caller: the first `capacity` ids, and how many there
// are; -1 for a bad buffer.
int32_t Store(const std::vector<int32_t>& found, int32_t* ids, int32_t capacity)
{
    const auto n = static_cast<int32_t>(found.size());
    std::copy_n(found.begin(), std::min(n, capacity), ids);
    return n;
}

// True when every point of the box lies within `tol` of (x, y) with a
// margin of one unit, so that every segment inside the box is in reach
// whatever the rounding of its distance.
bool BoxInReach(const Box& box, double x, double y, double tol)
{
    if (tol <= 1) return false;
    const double dx = std::max(std::abs(x - box.x1), std::abs(x - box.x2));
    const double dy = std::max(std::abs(y - box.y1), std::abs(y - box.y2));
    return dx * dx + dy * dy <= (tol - 1) * (tol - 1);
}

}  // namespace

}  // namespace kernel::draw

using namespace kernel;
using namespace kernel::draw;

int32_t C_CoverComponentSet(int32_t x, int32_t y, int32_t tolerance, int32_t* ids, int32_t capacity) noexcept
{
    return Guard(-1, [&]() -> int32_t {
        if (capacity < 0 || (capacity > 0 && !ids)) return -1;
        std::vector<int32_t> found;
        // A component is a hit of C_CoverComponent when its box is in reach.
        CollectCompSet(x, y, Tolerance(tolerance), found);
        return Store(found, ids, capacity);
    });
}

int32_t B_CoverBranchSet(int32_t x, int32_t y, int32_t tolerance, int32_t* ids, int32_t capacity) noexcept
{
    return Guard(-1, [&]() -> int32_t {
        if (capacity < 0 || (capacity > 0 && !ids)) return -1;
        const double tol = Tolerance(tolerance);
        std::vector<int32_t> found;
        CollectSet(kBranches, x, y, tol, found, [&](const Shape& s) {
            if (BoxInReach(s.box, x, y, tol)) return true;
            int32_t record = 0;
            return WireDistance(s, x, y, record) <= tol;
        });
        return Store(found, ids, capacity);
    });
}

int32_t B_CoverBranchOrder(int32_t x, int32_t y, int32_t* ids, int32_t count) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !ids || count <= 0) return 0;
        struct Keyed {
            double distance;
            int32_t id;
        };
        std::vector<Keyed> keyed;
        keyed.reserve(static_cast<size_t>(count));
        Shape s;
        for (int32_t i = 0; i < count; ++i) {
            double d = std::numeric_limits<double>::infinity();
            Branch* b = level->branches.FindAs<Branch>(ids[i]);
            if (b && b->page == level->curPage) {
                BranchPoints(*level, *b, s.points);
                int32_t record = 0;
                d = WireDistance(s, x, y, record);
            }
            keyed.push_back({d, ids[i]});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            return a.distance != b.distance ? a.distance < b.distance : a.id < b.id;
        });
        for (int32_t i = 0; i < count; ++i) ids[i] = keyed[static_cast<size_t>(i)].id;
        return count;
    });
}
