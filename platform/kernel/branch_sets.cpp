// Calls over many branches at once: the records of a list of branches in
// one read, marks on a list of (branch, record) pairs, and the branches
// that hold texts. Each gives what the one-branch calls would give, called
// for each branch in turn; a caller working through a whole page pays one
// call instead of one per branch or record.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>

using namespace kernel;

int32_t B_ReadRecordSet(const int32_t* branches, int32_t count, BranchPointRec* records, int32_t capacity,
                        int32_t* counts) noexcept
{
    // A refusal is -1: 0 is a list whose branches have no records.
    return Guard(-1, [&]() -> int32_t {
        if (count <= 0) return 0;
        if (!branches || !counts || capacity < 0 || (capacity > 0 && !records)) return -1;
        const Level* level = CurLevel();
        int64_t total = 0;
        for (int32_t i = 0; i < count; ++i) {
            Branch* b = level ? level->branches.FindAs<Branch>(branches[i]) : nullptr;
            if (!b) {
                counts[i] = -1;
                continue;
            }
            const auto n = static_cast<int32_t>(b->points.size());
            counts[i] = n;
            for (int32_t k = 0; k < n && total + k < capacity; ++k) {
                // As B_ReadRecord shows it.
                BranchPoint& point = b->points[static_cast<size_t>(k)];
                ShowPosition(*level, point, b);
                BranchPointRec& rec = records[total + k];
                rec.Flags = point.flags;
                rec.Ref = point.ref;
                rec.X = point.x;
                rec.Y = point.y;
            }
            total += n;
        }
        return static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
    });
}

int32_t B_MaskRecordSet(const int32_t* pairs, int32_t count, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !pairs || count <= 0) return 0;
        int32_t found = 0;
        // Pairs of one branch usually come together: look it up once.
        int32_t lastId = 0;
        Branch* b = nullptr;
        for (int32_t i = 0; i < count; ++i) {
            const int32_t id = pairs[2 * i], index = pairs[2 * i + 1];
            if (i == 0 || id != lastId) {
                b = level->branches.FindAs<Branch>(id);
                lastId = id;
            }
            BranchPoint* point = b ? PointAt(b->points, index) : nullptr;
            if (!point) continue;
            if (MaskPoint(*b, *point, value, mask)) GeometryChanged(b);
            ++found;
        }
        return found;
    });
}

int32_t B_TextBranchSet(int32_t* ids, int32_t capacity) noexcept
{
    return Guard(-1, [&]() -> int32_t {
        if (capacity < 0 || (capacity > 0 && !ids)) return -1;
        const Level* level = CurLevel();
        if (!level) return 0;
        int32_t found = 0;
        // Positive ids ascending, as a walk of the map meets them (frames
        // are passed by).
        level->branches.ForEach([&](const Object& o) {
            if (o.id <= 0 || static_cast<const Branch&>(o).texts.Count() == 0) return;
            if (found < capacity) ids[found] = o.id;
            ++found;
        });
        return found;
    });
}

int32_t B_MaskAllBranches(int32_t branchValue, int32_t branchMask, int32_t recValue, int32_t recMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        // OM_MaskAll on the wire map and B_MaskAllRecords in one walk, with
        // the notes each of them makes.
        ObjectMap& map = level->branches;
        int32_t changed = 0, flipped = 0;
        bool moved = false;
        map.ForEach([&](Object& o) {
            const int32_t before = o.status;
            MaskStatus(o, branchValue, branchMask);
            flipped |= before ^ o.status;
            for (BranchPoint& point : static_cast<Branch&>(o).points)
                moved = MaskPoint(o, point, recValue, recMask) || moved;
            ++changed;
        });
        if (flipped & GeometryStatusBits(map.kind())) GeometryChanged(map.owner());
        if (moved) GeometryChanged(level);
        return changed;
    });
}
