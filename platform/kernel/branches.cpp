// Branches (wires) of the current level with their point records and
// texts, and the junctions their records meet at.
//
// A point record refers to a node (Flags And 6 = 2, Ref a node id) or to a
// junction (= 4); its X, Y are those of the node's schematic pin or of the
// junction, taken when the record is read.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <vector>

namespace kernel {

void ShowPosition(const Level& level, BranchPoint& point, Object* owner)
{
    int32_t x = 0, y = 0;
    bool found = false;
    switch (point.flags & 6) {
    case 2:
        if (const Node* node = level.FindNode(point.ref)) found = PinPosition(*node, kSchematicSide, x, y);
        break;
    case 4:
        if (const auto* junction = level.junctions.FindAs<Junction>(point.ref)) {
            x = junction->x;
            y = junction->y;
            found = true;
        }
        break;
    default: break;
    }
    if (!found || (point.x == x && point.y == y)) return;
    if (owner) Touch(*owner);
    point.x = x;
    point.y = y;
}

namespace {

bool IsBusBranch(int32_t status)
{
    return (status & 2) != 0;
}

// What a branch may belong to: nothing (0), a net, or a bus for a bus wire.
bool OwnerOk(const Level& level, int32_t status, int32_t net)
{
    if (net == 0) return true;
    if (net < 0) return false;
    return IsBusBranch(status) ? level.buses.Find(net) != nullptr : level.nets.Find(net) != nullptr;
}

// Fills a record with the values of a point record of `owner`, its
// position brought up to date first.
void Show(Branch& owner, BranchPoint& point, BranchPointRec& record)
{
    ShowPosition(*CurLevel(), point, &owner);
    record.Flags = point.flags;
    record.Ref = point.ref;
    record.X = point.x;
    record.Y = point.y;
}

// The node or junction a record kind and reference name; a new record's
// must exist.
Object* Referenced(const Level& level, int32_t kind, int32_t ref)
{
    if (kind == 2) return level.FindNode(ref);
    if (kind == 4 && ref > 0) return level.junctions.Find(ref);
    return nullptr;
}

// The next positive-id branch above *cursor of that kind (0 net wires, any
// other value bus wires), owner (0 any) and page (-1 any, 0 the current one).
int32_t NextNetBranch(int32_t* cursor, int32_t kind, int32_t owner, int32_t page)
{
    Level* level = CurLevel();
    if (!level || !cursor) return 0;
    if (page == 0) page = level->curPage;
    const bool bus = kind != 0;
    return Walk<Branch>(level->branches, cursor, [&](const Branch& branch) {
        return IsBusBranch(branch.status) == bus && (owner == 0 || branch.net == owner) &&
               (page == -1 || branch.page == page);
    });
}

}  // namespace

}  // namespace kernel

using namespace kernel;

// ---- Branches --------------------------------------------------------------------

int32_t B_Branch(int32_t branch) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(InCurLevel<Branch>(&Level::branches, branch));
    });
}

int32_t B_CreateBranch(int32_t id, int32_t flags, int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !level->pages.Find(level->curPage) || !OwnerOk(*level, flags, net)) return 0;
        // 0: the lowest free id; an explicit id only when it is free. Of the
        // negative ids only the frame of a page the level has.
        if (id < 0 && !level->pages.Find(FramePageOf(id))) return 0;
        Branch* branch = level->branches.Create<Branch>(id);
        if (!branch) return 0;
        branch->status = flags;
        branch->net = net;
        branch->page = level->curPage;
        return branch->id;
    });
}

int32_t B_ReadBranch(int32_t branch, BranchRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b || !record) return 0;
        record->Flags = b->status;
        record->Net = b->net;
        record->Page = b->page;
        record->Points = static_cast<int32_t>(b->points.size());
        return 1;
    });
}

int32_t B_ChangeBranchNet(int32_t branch, int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b || !OwnerOk(*level, b->status, net)) return 0;
        Touch(*b);
        b->net = net;
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_ReadRecord(int32_t branch, int32_t index, BranchPointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        BranchPoint* point = b ? PointAt(b->points, index) : nullptr;
        if (!point || !record) return 0;
        Show(*b, *point, *record);
        return 1;
    });
}

int32_t B_ReadRecords(int32_t branch, BranchPointRec* records, int32_t capacity) noexcept
{
    // A refusal is -1: 0 is a branch without records.
    return Guard(-1, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b || capacity < 0 || (capacity > 0 && !records)) return -1;
        const Level& level = *CurLevel();
        const auto count = static_cast<int32_t>(b->points.size());
        for (int32_t i = 0; i < std::min(count, capacity); ++i) {
            // As Show, with the level looked up once.
            BranchPoint& point = b->points[static_cast<size_t>(i)];
            ShowPosition(level, point, b);
            records[i].Flags = point.flags;
            records[i].Ref = point.ref;
            records[i].X = point.x;
            records[i].Y = point.y;
        }
        return count;
    });
}

int32_t B_InsertRecord(int32_t branch, int32_t index, int32_t flags, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b) return 0;
        const auto count = static_cast<int32_t>(b->points.size());
        if (index == -1) index = count + 1;
        if (index < 1 || index > count + 1 || !Referenced(*level, flags & 6, ref)) return 0;
        BranchPoint point{flags, ref, 0, 0};
        ShowPosition(*level, point, nullptr);
        Touch(*b);
        b->points.insert(b->points.begin() + (index - 1), point);
        GeometryChanged(b);
        return index;
    });
}

int32_t B_DeleteRecord(int32_t branch, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b || !PointAt(b->points, index)) return 0;
        Touch(*b);
        b->points.erase(b->points.begin() + (index - 1));
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_DeleteRecordsMask(int32_t branch, int32_t mask, BranchPointRec* records, int32_t capacity) noexcept
{
    // A refusal is -1: 0 is a branch with no such record.
    return Guard(-1, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b || capacity < 0 || (capacity > 0 && !records)) return -1;
        if (capacity > 0 && FindPoint(b->points, 1, mask, 0)) Touch(*b);
        int32_t deleted = 0;
        auto kept = b->points.begin();
        for (auto it = b->points.begin(); it != b->points.end(); ++it) {
            if ((it->flags & mask) != 0 && deleted < capacity) {
                Show(*b, *it, records[deleted++]);
                continue;
            }
            *kept++ = *it;
        }
        b->points.erase(kept, b->points.end());
        if (deleted > 0) GeometryChanged(b);
        return deleted;
    });
}

int32_t B_ChangeRecordRef(int32_t branch, int32_t index, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        BranchPoint* point = b ? PointAt(b->points, index) : nullptr;
        if (!point) return 0;
        Touch(*b);
        // Only the reference: callers set the kind bits with B_MaskRecord,
        // before or after.
        point->ref = ref;
        ShowPosition(*CurLevel(), *point, b);
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_MaskRecord(int32_t branch, int32_t index, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        BranchPoint* point = b ? PointAt(b->points, index) : nullptr;
        if (!point) return 0;
        if (MaskPoint(*b, *point, value, mask)) GeometryChanged(b);
        return 1;
    });
}

int32_t B_MaskBranchRecords(int32_t branch, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b) return 0;
        bool moved = false;
        for (BranchPoint& point : b->points) moved = MaskPoint(*b, point, value, mask) || moved;
        if (moved) GeometryChanged(b);
        return static_cast<int32_t>(b->points.size());
    });
}

int32_t B_MaskAllRecords(int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        int32_t changed = 0;
        bool moved = false;
        level->branches.ForEach([&](Object& o) {
            for (BranchPoint& point : static_cast<Branch&>(o).points) {
                moved = MaskPoint(o, point, value, mask) || moved;
                ++changed;
            }
        });
        if (moved) GeometryChanged(level);
        return changed;
    });
}

int32_t B_MaskNodeRecords(int32_t comp, int32_t entry, int32_t branchValue, int32_t branchMask, int32_t recValue,
                          int32_t recMask, int32_t nodeValue, int32_t nodeMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        return MarkNodeRecords<Branch>(*level, level->branches, comp, entry, branchValue, branchMask, recValue,
                                       recMask, nodeValue, nodeMask);
    });
}

int32_t B_MaskNodeRecordSet(const int32_t* comps, int32_t count, int32_t branchValue, int32_t branchMask,
                            int32_t recValue, int32_t recMask, int32_t nodeValue, int32_t nodeMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !comps || count <= 0) return 0;
        return MarkNodeRecordSet<Branch>(*level, level->branches, std::vector<int32_t>(comps, comps + count),
                                         branchValue, branchMask, recValue, recMask, nodeValue, nodeMask);
    });
}

int32_t B_MaskSelRecords(int32_t kind, int32_t ref, int32_t branchValue, int32_t branchMask, int32_t recValue,
                         int32_t recMask, int32_t objValue, int32_t objMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        const int32_t k = kind & 6;
        if (!level || (k != 2 && k != 4)) return 0;
        const int32_t marked =
            MarkRecords<Branch>(level->branches, branchValue, branchMask, recValue, recMask,
                                [&](const BranchPoint& p) { return (p.flags & 6) == k && p.ref == ref; });
        if (Object* object = Referenced(*level, k, ref)) MaskStatus(*object, objValue, objMask);
        return marked;
    });
}

int32_t B_MaskSelRecordSet(int32_t kind, const int32_t* refs, int32_t count, int32_t branchValue,
                           int32_t branchMask, int32_t recValue, int32_t recMask, int32_t objValue,
                           int32_t objMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        const int32_t k = kind & 6;
        if (!level || (k != 2 && k != 4) || !refs || count <= 0) return 0;
        // Ids are small and dense in practice: a table by id answers each
        // record at once; a sorted list when they are spread far apart.
        int32_t highest = 0, lowest = refs[0];
        for (int32_t i = 0; i < count; ++i) {
            highest = std::max(highest, refs[i]);
            lowest = std::min(lowest, refs[i]);
        }
        const bool byTable = lowest > 0 && highest <= 64 * static_cast<int64_t>(count) + 65536;
        std::vector<uint8_t> inSet;
        std::vector<int32_t> ids;
        if (byTable) {
            inSet.assign(static_cast<size_t>(highest) + 1, 0);
            for (int32_t i = 0; i < count; ++i)
                if (!inSet[static_cast<size_t>(refs[i])]) {
                    inSet[static_cast<size_t>(refs[i])] = 1;
                    ids.push_back(refs[i]);
                }
        } else {
            ids.assign(refs, refs + count);
            std::sort(ids.begin(), ids.end());
            ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
        }
        auto listed = [&](int32_t ref) {
            if (byTable) return ref >= lowest && ref <= highest && inSet[static_cast<size_t>(ref)] != 0;
            return std::binary_search(ids.begin(), ids.end(), ref);
        };
        const int32_t marked =
            MarkRecords<Branch>(level->branches, branchValue, branchMask, recValue, recMask,
                                [&](const BranchPoint& p) { return (p.flags & 6) == k && listed(p.ref); });
        for (const int32_t ref : ids)
            if (Object* object = Referenced(*level, k, ref)) MaskStatus(*object, objValue, objMask);
        return marked;
    });
}

int32_t B_SearchRecordMaskRef(int32_t branch, int32_t from, int32_t mask, int32_t ref, BranchPointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        if (!b) return 0;
        const int32_t i = FindPoint(b->points, from, mask, ref);
        if (i && record) Show(*b, b->points[static_cast<size_t>(i - 1)], *record);
        return i;
    });
}

int32_t B_SearchNetPage(int32_t* cursor, int32_t kind, int32_t owner, int32_t page) noexcept
{
    return Guard(0, [&] { return NextNetBranch(cursor, kind, owner, page); });
}

int32_t B_FindNetPage(int32_t kind, int32_t owner, int32_t page) noexcept
{
    return Guard(0, [&] {
        int32_t cursor = 0;
        return NextNetBranch(&cursor, kind, owner, page);
    });
}

int32_t B_BranchTextArray(int32_t branch) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        return b ? b->texts.Handle() : 0;
    });
}

int32_t B_BranchText(int32_t branch, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = InCurLevel<Branch>(&Level::branches, branch);
        return HandleOf(b ? b->texts.At(index) : nullptr);
    });
}

// ---- Junctions -------------------------------------------------------------------

int32_t J_Junction(int32_t junction) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(junction > 0 ? InCurLevel<Junction>(&Level::junctions, junction) : nullptr);
    });
}

int32_t J_CreateJunction(int32_t id, int32_t type, int32_t x, int32_t y) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !level->pages.Find(level->curPage) || id < 0 || !ValidPosition(x, y)) return 0;
        // An explicit id may be one GetFreeID(2) reserved; 0 skips reserved ids.
        Junction* junction = level->junctions.Create<Junction>(id);
        if (!junction) return 0;
        junction->status = type;
        junction->x = x;
        junction->y = y;
        junction->page = level->curPage;
        return junction->id;
    });
}

int32_t J_ReadJunction(int32_t junction, JunctionRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        const auto* j = junction > 0 ? InCurLevel<Junction>(&Level::junctions, junction) : nullptr;
        if (!j || !record) return 0;
        record->Flags = j->status;
        record->X = j->x;
        record->Y = j->y;
        record->Page = j->page;
        return 1;
    });
}
