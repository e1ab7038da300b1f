#include "editor/objects/branches.h"

#include "editor/objects/branch_points.h"
#include "editor/objects/key_set.h"
#include "editor/objects/net_removal.h"
#include "editor/objects/wire_state.h"
#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kNodeRef = 2;
constexpr int32_t kJunctionRef = 4;
constexpr int32_t kBusBranch = 2;
// Up to this many references are searched for branch by branch.
constexpr size_t kFewRefs = 8;

bool IsBusBranch(const BranchRec& rec)
{
    return (rec.Flags & kBusBranch) != 0;
}

// True when the branch has a record whose flags pass `test` and whose
// reference is `ref`.
template <class Test>
bool HasRecord(int32_t branch, int32_t searchMask, int32_t ref, Test test)
{
    BranchPointRec point{};
    for (int32_t from = 1;;) {
        const int32_t index = B_SearchRecordMaskRef(branch, from, searchMask, ref, &point);
        if (index < 1) return false;
        if (test(point.Flags)) return true;
        from = index + 1;
    }
}

using RefList = std::vector<std::pair<int32_t, int32_t>>;  // (kind, ref)

int64_t KindRefKey(int32_t kind, int32_t ref)
{
    return (static_cast<int64_t>(kind) << 32) | static_cast<uint32_t>(ref);
}

// Drops from `pending` every reference that a record of a branch of the
// walk (kind 0 net branches, 1 bus branches; owner 0 = any) uses. With
// `anyJunction` a record counts when it carries the junction bit and the
// reference; otherwise when its kind (flags And 6) is the same. `keys` is
// room for the lookups.
void DropUsed(RefList& pending, int32_t kind, int32_t owner, bool anyJunction, KeySet& keys)
{
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    if (pending.size() <= kFewRefs) {
        while (!pending.empty()) {
            const int32_t branch = B_SearchNetPage(&cursor, kind, owner, -1);
            if (branch == 0) return;
            std::erase_if(pending, [&](const std::pair<int32_t, int32_t>& r) {
                if (anyJunction)
                    return HasRecord(branch, kJunctionRef, r.second,
                                     [](int32_t f) { return (f & kJunctionRef) != 0; });
                return HasRecord(branch, r.first, r.second, [&](int32_t f) { return (f & 6) == r.first; });
            });
        }
        return;
    }
    // Many references (a bulk deletion): each branch's records are read
    // once and looked up, instead of one search per reference.
    int32_t branch = B_SearchNetPage(&cursor, kind, owner, -1);
    if (branch == 0) return;
    auto key = [anyJunction](int32_t k, int32_t ref) -> int64_t {
        return anyJunction ? ref : KindRefKey(k, ref);
    };
    keys.Reset(pending.size());
    std::vector<size_t> left(keys.Capacity(), 0);  // per key: pending references with it, 0 once used
    for (const auto& r : pending) ++left[keys.Add(key(r.first, r.second))];
    size_t remaining = pending.size();
    for (; branch != 0 && remaining > 0; branch = B_SearchNetPage(&cursor, kind, owner, -1)) {
        BranchPointRec point{};
        for (int32_t from = 1;;) {
            const int32_t index = B_SearchRecordMaskRef(branch, from, anyJunction ? kJunctionRef : 6, 0, &point);
            if (index < 1) break;
            from = index + 1;
            const size_t slot = keys.Find(key(point.Flags & 6, point.Ref));
            if (slot == KeySet::kNone || left[slot] == 0) continue;
            remaining -= left[slot];
            left[slot] = 0;
        }
    }
    std::erase_if(pending, [&](const auto& r) { return left[keys.Find(key(r.first, r.second))] == 0; });
}

// Keeps of `refs` its node and junction references, each once, in the
// order of their first appearance. `seen` is room for the check.
void KeepFirstOfEach(RefList& refs, KeySet& seen)
{
    seen.Reset(refs.size());
    size_t kept = 0;
    for (const auto& r : refs)
        if ((r.first == kNodeRef || r.first == kJunctionRef) && seen.Insert(KindRefKey(r.first, r.second)))
            refs[kept++] = r;
    refs.resize(kept);
}

// The references of a deleted branch's records that nothing uses any more
// are released: a junction goes back to the free ids, a node loses bit 2.
// One walk over the owner's branches serves all references of the branch.
// `pending` (the deleted records' references) is worked on in place;
// `seen` is room for the checks.
void ReleaseUnused(const BranchRec& owner, RefList& pending, KeySet& seen)
{
    KeepFirstOfEach(pending, seen);
    if (pending.empty()) return;
    if (!IsBusBranch(owner)) {
        DropUsed(pending, 0, owner.Net, false, seen);
        // A junction may still be used by a bus wire of the bus the net
        // belongs to.
        if ((O_GetStatus(N_Net(owner.Net)) & 8) != 0 &&
            std::any_of(pending.begin(), pending.end(), [](const auto& r) { return r.first == kJunctionRef; })) {
            int32_t index = 0;
            if (const int32_t bus = N_FindBusMember(owner.Net, &index); bus != 0) {
                RefList junctions;
                for (const auto& r : pending)
                    if (r.first == kJunctionRef) junctions.push_back(r);
                DropUsed(junctions, 1, bus, true, seen);
                std::erase_if(pending, [&](const auto& r) {
                    return r.first == kJunctionRef &&
                           std::find(junctions.begin(), junctions.end(), r) == junctions.end();
                });
            }
        }
    } else {
        DropUsed(pending, 1, owner.Net, true, seen);
        DropUsed(pending, 0, 0, true, seen);
    }
    for (const auto& [kind, ref] : pending) {
        if (kind == kJunctionRef)
            AddJunctionToHeap(ref);
        else
            O_Mask(N_Node(owner.Net, ref), 0, 2);
    }
}

void ReleaseUnused(const BranchRec& owner, RefList refs)
{
    KeySet seen(0);
    ReleaseUnused(owner, refs, seen);
}

}  // namespace

int32_t AddJunctionToHeap(int32_t junction)
{
    return AddToHeap(0, junction, 2);
}

int32_t GetFreeJunctionId()
{
    return GetFreeID(2);
}

void ReleaseBranchReference(const BranchRec& owner, int32_t kind, int32_t ref)
{
    ReleaseUnused(owner, {{kind, ref}});
}

void ReleaseBranchReferences(const BranchRec& owner, std::vector<std::pair<int32_t, int32_t>> refs)
{
    ReleaseUnused(owner, std::move(refs));
}

namespace {

// Deletes the point records of a branch of `points` records that refer to
// a node or junction, in one kernel call; their references go to `refs`.
// False when the kernel refused (the records stay). `deleted` is room for
// the kernel's copies.
bool DeleteBranchRecords(int32_t branch, int32_t points, std::vector<BranchPointRec>& deleted, RefList& refs)
{
    deleted.resize(static_cast<size_t>(std::max(points, 0)));
    const int32_t n = B_DeleteRecordsMask(branch, 6, deleted.data(), points);
    if (n < 0) return false;
    for (int32_t i = 0; i < n; ++i) {
        const BranchPointRec& point = deleted[static_cast<size_t>(i)];
        refs.emplace_back(point.Flags & 6, point.Ref);
    }
    return true;
}

void CheckBusOfNet(const BranchRec& rec)
{
    if (!IsBusBranch(rec) && (O_GetStatus(N_Net(rec.Net)) & 8) != 0) {
        int32_t index = 0;
        if (const int32_t bus = N_FindBusMember(rec.Net, &index); bus != 0) CheckBranchJunctions(bus);
    }
}

}  // namespace

void DeleteBranch(int32_t branch)
{
    BranchRec rec{};
    if (B_ReadBranch(branch, &rec) == 0) return;
    RefList refs;
    std::vector<BranchPointRec> room;
    DeleteBranchRecords(branch, rec.Points, room, refs);
    // Records deleted one after the other and checked each time leave the
    // same references unused as one check after all of them: a reference
    // used twice by this branch counts only once its last record is gone.
    ReleaseUnused(rec, std::move(refs));
    OM_Delete(DB_BranchMap(), branch);
    CheckBusOfNet(rec);
}

std::vector<int32_t> DeleteBranches(const std::vector<int32_t>& branches)
{
    std::vector<int32_t> deleted;
    deleted.reserve(branches.size());
    // Per net of the current run: a header for the release and the
    // references of every record deleted.
    std::vector<std::pair<BranchRec, RefList>> run;
    std::unordered_map<int32_t, size_t> groupOfNet;
    RefList refs;  // one branch's, its room kept from branch to branch
    KeySet seen(0);
    std::vector<BranchPointRec> room;
    // Whether a net is plain (no bus member): no deletion changes that.
    std::unordered_map<int32_t, bool> plainNet;
    auto flush = [&] {
        for (auto& [owner, refs] : run) ReleaseUnused(owner, refs, seen);
        run.clear();
        groupOfNet.clear();
    };
    for (const int32_t branch : branches) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        deleted.push_back(branch);
        // A plain net wire's release looks only at the wires of its own net,
        // and no deletion adds a use: checking once after the run releases
        // each reference that the check after its last holder would. The
        // emptied branches are deleted at once; they hold nothing the
        // checks could meet.
        bool plain = !IsBusBranch(rec) && rec.Net != 0;
        if (plain) {
            auto [it, added] = plainNet.try_emplace(rec.Net, false);
            if (added) it->second = (O_GetStatus(N_Net(rec.Net)) & 8) == 0;
            plain = it->second;
        }
        if (!plain) {
            flush();
            DeleteBranch(branch);
            continue;
        }
        refs.clear();
        if (!DeleteBranchRecords(branch, rec.Points, room, refs)) {
            // Refused records stay and still count as uses: this branch is
            // checked on its own, before it goes, as DeleteBranch does.
            flush();
            ReleaseUnused(rec, refs, seen);
            OM_Delete(DB_BranchMap(), branch);
            continue;
        }
        OM_Delete(DB_BranchMap(), branch);
        auto [at, added] = groupOfNet.try_emplace(rec.Net, run.size());
        if (added) run.emplace_back(rec, RefList{});
        RefList& group = run[at->second].second;
        group.insert(group.end(), refs.begin(), refs.end());
    }
    flush();
    return deleted;
}

void CheckBranchJunctions(int32_t bus)
{
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = B_SearchNetPage(&cursor, 1, bus, -1)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        for (int32_t i = 1; i <= rec.Points; ++i) {
            BranchPointRec point{};
            JunctionRec junction{};
            // Only a junction record names a junction; a node record's
            // reference is a node id, which may equal an unrelated
            // junction's id.
            if (B_ReadRecord(branch, i, &point) == 0 || (point.Flags & kJunctionRef) == 0) continue;
            if (J_ReadJunction(point.Ref, &junction) == 0 || (junction.Flags & 2) == 0) continue;
            B_MaskSelRecords(point.Flags & 4, point.Ref, 64, 64, 0, 0, 0, 0);
            O_Mask(B_Branch(branch), 0, 64);
            if (OM_FindMask(map, 64, 64) == 0) O_Mask(J_Junction(point.Ref), 4, -1);
            OM_MaskAll(map, 0, 64);
        }
    }
}

void DeleteBranchRecordsByMask(int32_t& branch, int32_t mask, int32_t& first)
{
    first = -1;
    for (int32_t from = 1; branch != 0;) {
        const int32_t index = B_SearchRecordMaskRef(branch, from, mask, 0, nullptr);
        if (index < 1) return;
        BranchRec before{};
        B_ReadBranch(branch, &before);
        DeleteBranchRecord(branch, index);
        if (branch == 0) {
            first = -1;
            return;
        }
        BranchRec after{};
        if (B_ReadBranch(branch, &after) == 0) return;
        if (after.Points < before.Points) {
            if (first == -1) first = index - 1;
            from = index;
        } else {
            from = index + 1;  // refused (a page frame point): go on past it
        }
    }
}

namespace {

// Deletes the records marked `mask` of each branch marked `mask` (a refused
// record ends that branch's deletions, the walk goes on), clearing the
// branch's mark, then the branches left with fewer than two records, all
// at once. One walk: the kernel's cursors survive deletions.
void DeleteMarkedBranchRecords(int32_t mask)
{
    const int32_t map = DB_BranchMap();
    std::vector<int32_t> shortened;
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, mask, mask)) {
        O_Mask(B_Branch(branch), 0, mask);
        for (int32_t from = 1;;) {
            const int32_t index = B_SearchRecordMaskRef(branch, from, mask, 0, nullptr);
            if (index < 1 || B_DeleteRecord(branch, index) == 0) break;
            from = index;
        }
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) != 0 && rec.Points < 2) shortened.push_back(branch);
    }
    DeleteBranches(shortened);
}

}  // namespace

void DeleteBranchesAtNode(int32_t comp, int32_t entry, int32_t mask)
{
    if (comp != 0) B_MaskNodeRecords(comp, entry, mask, mask, mask, mask, 1, 1);
    DeleteMarkedBranchRecords(mask);
}

void DeleteBranchesAtComps(const std::vector<int32_t>& comps, int32_t mask)
{
    if (comps.empty()) return;
    B_MaskNodeRecordSet(comps.data(), static_cast<int32_t>(comps.size()), mask, mask, mask, mask, 1, 1);
    DeleteMarkedBranchRecords(mask);
}

void RemoveBrokenBranches(int32_t& status)
{
    status = 0;
    const int32_t map = DB_BranchMap();
    OM_MaskAll(map, 1024, 1024);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t branch = OM_SearchMask(map, &cursor, 1024, 1024)) {
        BranchRec rec{};
        if (B_ReadBranch(branch, &rec) == 0) continue;
        if (IsBusBranch(rec)) {
            O_Mask(B_Branch(branch), 0, 1024);
            continue;
        }
        int32_t fault = 0;
        for (int32_t i = 1; i <= rec.Points && fault == 0; ++i) {
            BranchPointRec point{};
            if (B_ReadRecord(branch, i, &point) == 0) continue;
            const int32_t kind = point.Flags & 6;
            if (kind == kNodeRef) {
                NodeRec node{};
                EntryRec entry{};
                if (N_Node(rec.Net, point.Ref) == 0)
                    fault = 1;
                else if (N_ReadNode(rec.Net, point.Ref, &node) == 0)
                    fault = 2;
                else if (C_Component(node.Comp) == 0)
                    fault = 3;
                else if (C_ReadEntry(node.Comp, node.Entry, &entry) == 0)
                    fault = 4;
            } else if (kind == kJunctionRef && J_Junction(point.Ref) == 0) {
                fault = 5;
            }
        }
        if (fault == 0) {
            O_Mask(B_Branch(branch), 0, 1024);
            continue;
        }
        status = 1;
        DeleteBranch(branch);
        int32_t deleted = 0;
        DeleteNetIfEmpty(rec.Net, deleted);
        cursor = OM_GetFirst(map);
    }
    // Bit 1024 also means "has a selected text": no branch keeps it, neither
    // one that could not be read nor a page frame, which the walk skips.
    OM_MaskAll(map, 0, 1024);
}

void CopyBranchPoints(int32_t branch, int32_t index)
{
    g_NetNodes.Redim(0, 0);
    BranchRec rec{};
    if (B_ReadBranch(branch, &rec) == 0) return;
    g_NetNodes(0).Flags = rec.Flags;
    g_NetNodes(0).Comp = rec.Net;
    const int32_t n = rec.Points;
    // For n <= 2 the two rules meet (index 2 of 2 is both "the last" and
    // "in the first half"); the last index walks backward, which takes
    // precedence over the half rule and over "index 1" when n is 1.
    bool forward;
    if (index == n)
        forward = false;
    else if (index == 1)
        forward = true;
    else
        forward = 2 * static_cast<int64_t>(index) <= static_cast<int64_t>(n) + 2;
    for (int32_t k = 0; k < n; ++k) {
        const int32_t i = forward ? k + 1 : n - k;
        BranchPointRec point{};
        if (B_ReadRecord(branch, i, &point) == 0) continue;
        NodeRec entry{};
        entry.Flags = point.Flags;
        entry.Comp = (point.Flags & 6) == kJunctionRef ? O_GetStatus(J_Junction(point.Ref)) : 0;
        entry.X = point.X;
        entry.Y = point.Y;
        const long next = g_NetNodes.UBound() + 1;
        g_NetNodes.RedimPreserve(next);
        g_NetNodes(next) = entry;
    }
}

void MaskBranchJunctions(int32_t branch, int32_t value, int32_t mask)
{
    BranchPointRec point{};
    for (int32_t from = 1;;) {
        const int32_t index = B_SearchRecordMaskRef(branch, from, 4, 0, &point);
        if (index < 1) return;
        O_Mask(J_Junction(point.Ref), value, mask);
        from = index + 1;
    }
}

bool BranchRecords::Read(int32_t branch)
{
    count_ = 0;
    int32_t n = B_ReadRecords(branch, buffer_.data(), static_cast<int32_t>(buffer_.size()));
    if (n > static_cast<int32_t>(buffer_.size())) {
        // A longer wire than any before: room for it, and read again.
        buffer_.resize(static_cast<size_t>(n));
        n = B_ReadRecords(branch, buffer_.data(), n);
    }
    if (n < 0) return false;
    count_ = std::min(static_cast<size_t>(n), buffer_.size());
    return true;
}

void BranchRecordSet::Read(const std::vector<int32_t>& branches)
{
    const auto count = static_cast<int32_t>(branches.size());
    counts_.assign(branches.size(), -1);
    first_.assign(branches.size(), 0);
    if (count == 0) return;
    if (records_.size() < 2 * branches.size()) records_.resize(2 * branches.size());
    int32_t total = B_ReadRecordSet(branches.data(), count, records_.data(), static_cast<int32_t>(records_.size()),
                                    counts_.data());
    if (total > static_cast<int32_t>(records_.size())) {
        // More records than room: room for all, and read again.
        records_.resize(static_cast<size_t>(total));
        total = B_ReadRecordSet(branches.data(), count, records_.data(), total, counts_.data());
    }
    if (total < 0 || total > static_cast<int32_t>(records_.size())) {
        counts_.assign(branches.size(), -1);
        return;
    }
    size_t at = 0;
    for (size_t i = 0; i < branches.size(); ++i) {
        first_[i] = at;
        at += Count(i);
    }
}
