// Branches (wires) of the current level with their point records and
// texts, and the junctions their records meet at.
//
// A point record refers to a node (Flags And 6 = 2, Ref a node id) or to a
// junction (= 4); its X, Y are those of the node's schematic pin or of the
// junction, taken when the record is read.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>

namespace kernel {

bool ValidPosition(int32_t x, int32_t y)
{
    return x >= -kMaxCoordinate && x <= kMaxCoordinate && y >= -kMaxCoordinate && y <= kMaxCoordinate;
}

void ShowPosition(const Level& level, BranchPoint& point)
{
    switch (point.flags & 6) {
    case 2:
        if (const Node* node = level.FindNode(point.ref)) {
            int32_t x = 0, y = 0;
            if (PinPosition(*node, kSchematicSide, x, y)) {
                point.x = x;
                point.y = y;
            }
        }
        break;
    case 4:
        if (const auto* junction = level.junctions.FindAs<Junction>(point.ref)) {
            point.x = junction->x;
            point.y = junction->y;
        }
        break;
    default: break;
    }
}

namespace {

Branch* FindBranch(int32_t branch)
{
    Level* level = CurLevel();
    return level ? level->branches.FindAs<Branch>(branch) : nullptr;
}

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

// The object a new record refers to must exist: a node of the level or a
// junction.
bool ReferenceExists(const Level& level, int32_t flags, int32_t ref)
{
    switch (flags & 6) {
    case 2: return level.FindNode(ref) != nullptr;
    case 4: return ref > 0 && level.junctions.Find(ref) != nullptr;
    default: return false;
    }
}

BranchPoint* PointAt(Branch& branch, int32_t index)
{
    if (index < 1 || index > static_cast<int32_t>(branch.points.size())) return nullptr;
    return &branch.points[static_cast<size_t>(index - 1)];
}

// Applies (value, mask) to a record's flags; true when its kind bits (what
// the record refers to, and so where it lies) have changed.
bool MaskPoint(BranchPoint& point, int32_t value, int32_t mask)
{
    const int32_t before = point.flags;
    ApplyMask(point.flags, value, mask);
    return ((before ^ point.flags) & 6) != 0;
}

void Fill(BranchPointRec& record, const BranchPoint& point)
{
    record.Flags = point.flags;
    record.Ref = point.ref;
    record.X = point.x;
    record.Y = point.y;
}

// The node or junction a record kind and reference name.
Object* Referenced(const Level& level, int32_t kind, int32_t ref)
{
    if (kind == 2) return level.FindNode(ref);
    if (kind == 4 && ref > 0) return level.junctions.Find(ref);
    return nullptr;
}

// Applies the record pair to the records of every branch of the level that
// pass `test`, and the branch pair to each branch holding one. Returns the
// number of records changed.
template <class Test>
int32_t MarkRecords(Level& level, int32_t branchValue, int32_t branchMask, int32_t recValue, int32_t recMask,
                    Test&& test)
{
    int32_t marked = 0;
    bool moved = false;
    level.branches.ForEach([&](Object& o) {
        auto& branch = static_cast<Branch&>(o);
        bool hit = false;
        for (BranchPoint& point : branch.points) {
            if (!test(point)) continue;
            moved = MaskPoint(point, recValue, recMask) || moved;
            ++marked;
            hit = true;
        }
        if (hit) ApplyMask(branch.status, branchValue, branchMask);
    });
    if (moved) GeometryChanged(&level);
    return marked;
}

// The next positive-id branch above *cursor of that kind (0 net wires, any
// other value bus wires), owner (0 any) and page (-1 any, 0 the current one).
int32_t NextNetBranch(int32_t* cursor, int32_t kind, int32_t owner, int32_t page)
{
    Level* level = CurLevel();
    if (!level || !cursor) return 0;
    if (page == 0) page = level->curPage;
    const bool bus = kind != 0;
    for (Object* o = level->branches.Next(*cursor); o; o = level->branches.Next(o->id)) {
        const auto& branch = static_cast<const Branch&>(*o);
        if (IsBusBranch(branch.status) != bus) continue;
        if (owner != 0 && branch.net != owner) continue;
        if (page != -1 && branch.page != page) continue;
        *cursor = branch.id;
        return branch.id;
    }
    return 0;
}

}  // namespace

}  // namespace kernel

using namespace kernel;

// ---- Branches --------------------------------------------------------------------

int32_t B_Branch(int32_t branch) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        return b ? b->Handle() : 0;
    });
}

int32_t B_CreateBranch(int32_t id, int32_t flags, int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !level->pages.Find(level->curPage) || !OwnerOk(*level, flags, net)) return 0;
        // 0: the lowest free id; an explicit id, the page frames' negative
        // ones included, only when it is free.
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
        Branch* b = FindBranch(branch);
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
        Branch* b = FindBranch(branch);
        if (!b || !OwnerOk(*level, b->status, net)) return 0;
        b->net = net;
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_ReadRecord(int32_t branch, int32_t index, BranchPointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        BranchPoint* point = b ? PointAt(*b, index) : nullptr;
        if (!point || !record) return 0;
        ShowPosition(*CurLevel(), *point);
        Fill(*record, *point);
        return 1;
    });
}

int32_t B_InsertRecord(int32_t branch, int32_t index, int32_t flags, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Branch* b = FindBranch(branch);
        if (!b) return 0;
        const auto count = static_cast<int32_t>(b->points.size());
        if (index == -1) index = count + 1;
        if (index < 1 || index > count + 1 || !ReferenceExists(*level, flags, ref)) return 0;
        BranchPoint point{flags, ref, 0, 0};
        ShowPosition(*level, point);
        b->points.insert(b->points.begin() + (index - 1), point);
        GeometryChanged(b);
        return index;
    });
}

int32_t B_DeleteRecord(int32_t branch, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        if (!b || !PointAt(*b, index)) return 0;
        b->points.erase(b->points.begin() + (index - 1));
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_ChangeRecordRef(int32_t branch, int32_t index, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        BranchPoint* point = b ? PointAt(*b, index) : nullptr;
        if (!point) return 0;
        // Only the reference: callers set the kind bits with B_MaskRecord,
        // before or after.
        point->ref = ref;
        ShowPosition(*CurLevel(), *point);
        GeometryChanged(b);
        return 1;
    });
}

int32_t B_MaskRecord(int32_t branch, int32_t index, int32_t value, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        BranchPoint* point = b ? PointAt(*b, index) : nullptr;
        if (!point) return 0;
        if (MaskPoint(*point, value, mask)) GeometryChanged(b);
        return 1;
    });
}

int32_t B_MaskBranchRecords(int32_t branch, int32_t value, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        if (!b) return 0;
        bool moved = false;
        for (BranchPoint& point : b->points) moved = MaskPoint(point, value, mask) || moved;
        if (moved) GeometryChanged(b);
        return static_cast<int32_t>(b->points.size());
    });
}

int32_t B_MaskAllRecords(int32_t value, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        int32_t changed = 0;
        bool moved = false;
        level->branches.ForEach([&](Object& o) {
            for (BranchPoint& point : static_cast<Branch&>(o).points) {
                moved = MaskPoint(point, value, mask) || moved;
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
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        const std::vector<Node*> nodes = PinNodes(*level, NodeView(), comp, entry);
        std::vector<int32_t> ids;
        for (const Node* node : nodes) ids.push_back(node->id);
        std::sort(ids.begin(), ids.end());
        const int32_t marked =
            ids.empty() ? 0
                        : MarkRecords(*level, branchValue, branchMask, recValue, recMask, [&](const BranchPoint& p) {
                              return (p.flags & 6) == 2 && std::binary_search(ids.begin(), ids.end(), p.ref);
                          });
        for (Node* node : nodes) ApplyMask(node->status, nodeValue, nodeMask);
        return marked;
    });
}

int32_t B_MaskSelRecords(int32_t kind, int32_t ref, int32_t branchValue, int32_t branchMask, int32_t recValue,
                         int32_t recMask, int32_t objValue, int32_t objMask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        const int32_t k = kind & 6;
        if (!level || (k != 2 && k != 4)) return 0;
        const int32_t marked = MarkRecords(*level, branchValue, branchMask, recValue, recMask,
                                           [&](const BranchPoint& p) { return (p.flags & 6) == k && p.ref == ref; });
        if (Object* object = Referenced(*level, k, ref)) ApplyMask(object->status, objValue, objMask);
        return marked;
    });
}

int32_t B_SearchRecordMaskRef(int32_t branch, int32_t from, int32_t mask, int32_t ref, BranchPointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        if (!b) return 0;
        const auto count = static_cast<int32_t>(b->points.size());
        for (int32_t i = std::max(from, 1); i <= count; ++i) {
            BranchPoint& point = b->points[static_cast<size_t>(i - 1)];
            if (!(point.flags & mask) || (ref != 0 && point.ref != ref)) continue;
            if (record) {
                ShowPosition(*CurLevel(), point);
                Fill(*record, point);
            }
            return i;
        }
        return 0;
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
        Branch* b = FindBranch(branch);
        return b ? b->texts.Handle() : 0;
    });
}

int32_t B_BranchText(int32_t branch, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Branch* b = FindBranch(branch);
        Object* text = b ? b->texts.At(index) : nullptr;
        return text ? text->Handle() : 0;
    });
}

// ---- Junctions -------------------------------------------------------------------

int32_t J_Junction(int32_t junction) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Object* j = level && junction > 0 ? level->junctions.Find(junction) : nullptr;
        return j ? j->Handle() : 0;
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
        Level* level = CurLevel();
        const auto* j = level && junction > 0 ? level->junctions.FindAs<Junction>(junction) : nullptr;
        if (!j || !record) return 0;
        record->Flags = j->status;
        record->X = j->x;
        record->Y = j->y;
        record->Page = j->page;
        return 1;
    });
}
