#include "editor/objects/net_groups.h"

#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <unordered_map>
#include <vector>

CheckedArray<NetGroupBranchEntry> g_NetGroupBranches(0, 0);
CheckedArray<NetGroupRefEntry> g_NetGroupRefs(0, 0);
CheckedArray<NetGroupTraceEntry> g_NetGroupTraces(0, 0);
CheckedArray<NetGroupTraceRefEntry> g_NetGroupTraceRefs(0, 0);
CheckedArray<std::string> g_NetGroupLists(0, 0);
CheckedArray<int32_t> g_NetGroupNodeBranches(0, 0);
CheckedArray<GroupPointEntry> g_GroupPointsA(0, 0);
CheckedArray<GroupPointEntry> g_GroupPointsB(0, 0);

namespace {

constexpr int32_t kBranchKinds = 6;   // 2 node, 4 junction
constexpr int32_t kTraceKinds = 14;   // 2 node, 4 bend point, 8 via

// Union-find over 0..n-1 with path halving and union by size.
class DisjointSets {
public:
    explicit DisjointSets(size_t n) : parent_(n), size_(n, 1) { std::iota(parent_.begin(), parent_.end(), 0); }
    size_t Find(size_t i)
    {
        while (parent_[i] != i) i = parent_[i] = parent_[parent_[i]];
        return i;
    }
    void Join(size_t a, size_t b)
    {
        a = Find(a);
        b = Find(b);
        if (a == b) return;
        if (size_[a] < size_[b]) std::swap(a, b);
        parent_[b] = a;
        size_[a] += size_[b];
    }

private:
    std::vector<size_t> parent_;
    std::vector<size_t> size_;
};

uint64_t RefKey(int32_t kind, int32_t ref)
{
    return (static_cast<uint64_t>(static_cast<uint32_t>(kind)) << 32) | static_cast<uint32_t>(ref);
}

// Numbers the sets of `sets` 1, 2, ... in the order of their first member.
std::vector<int32_t> NumberGroups(DisjointSets& sets, size_t n)
{
    std::vector<int32_t> groupOfRoot(n, 0);
    std::vector<int32_t> group(n, 0);
    int32_t count = 0;
    for (size_t i = 0; i < n; ++i) {
        int32_t& g = groupOfRoot[sets.Find(i)];
        if (g == 0) g = ++count;
        group[i] = g;
    }
    return group;
}

// The (kind, reference) of every point record of a wire or trace whose kind
// is one of `kinds`, in record order; `search` is the kernel's record search
// of that object.
template <class Rec>
std::vector<std::pair<int32_t, int32_t>> PointRefs(int32_t owner, int32_t kinds,
                                                   int32_t (*search)(int32_t, int32_t, int32_t, int32_t, Rec*))
{
    std::vector<std::pair<int32_t, int32_t>> refs;
    refs.reserve(2);  // a wire's two ends, most often
    Rec rec{};
    for (int32_t from = 1;;) {
        const int32_t index = search(owner, from, kinds, 0, &rec);
        if (index < 1) break;
        refs.emplace_back(rec.Flags & kinds, rec.Ref);
        from = index + 1;
    }
    return refs;
}

// The branch's node and junction references, in record order.
std::vector<std::pair<int32_t, int32_t>> BranchRefs(int32_t branch)
{
    return PointRefs(branch, kBranchKinds, B_SearchRecordMaskRef);
}

std::vector<std::pair<int32_t, int32_t>> TraceRefs(int32_t trace)
{
    return PointRefs(trace, kTraceKinds, T_SearchRecordMaskRef);
}

// Joins the members (0..n-1) that share a reference: the (reference,
// member) pairs sorted, so that the holders of one reference stand together.
void JoinSharedRefs(DisjointSets& sets, const std::vector<std::vector<std::pair<int32_t, int32_t>>>& refs)
{
    std::vector<std::pair<uint64_t, size_t>> holders;
    for (size_t i = 0; i < refs.size(); ++i)
        for (const auto& [kind, ref] : refs[i]) holders.emplace_back(RefKey(kind, ref), i);
    std::sort(holders.begin(), holders.end());
    for (size_t h = 1; h < holders.size(); ++h)
        if (holders[h].first == holders[h - 1].first) sets.Join(holders[h - 1].second, holders[h].second);
}

// The entries of each group in order: members[g - 1] = the indexes of group g.
std::vector<std::vector<size_t>> GroupMembers(const std::vector<int32_t>& group)
{
    std::vector<std::vector<size_t>> members;
    for (size_t i = 0; i < group.size(); ++i) {
        if (static_cast<size_t>(group[i]) > members.size()) members.resize(static_cast<size_t>(group[i]));
        members[static_cast<size_t>(group[i]) - 1].push_back(i);
    }
    return members;
}

// A segment of a branch for the geometry step.
struct Segment {
    int32_t c[4];
    int32_t minX, minY, maxX, maxY;
    size_t owner;  // index of the branch entry
};

// The page of a branch; 0 when it cannot be read.
int32_t BranchPage(int32_t branch)
{
    BranchRec rec{};
    return B_ReadBranch(branch, &rec) != 0 ? rec.Page : 0;
}

bool BoxesMeet(const Segment& a, const Segment& b)
{
    // One unit of slack, as the touch test allows.
    return a.minX <= static_cast<int64_t>(b.maxX) + 1 && b.minX <= static_cast<int64_t>(a.maxX) + 1 &&
           a.minY <= static_cast<int64_t>(b.maxY) + 1 && b.minY <= static_cast<int64_t>(a.maxY) + 1;
}

// Joins the owners of touching segments, all of one page. The segments are
// spread over a uniform grid of cells about as large as a segment, so that
// only segments sharing a cell are held against each other.
void JoinTouchingSegments(DisjointSets& sets, const std::vector<Segment>& segments)
{
    if (segments.size() < 2) return;
    int64_t minX = INT32_MAX, minY = INT32_MAX, maxX = INT32_MIN, maxY = INT32_MIN;
    double extent = 0;
    for (const Segment& s : segments) {
        minX = std::min<int64_t>(minX, s.minX);
        minY = std::min<int64_t>(minY, s.minY);
        maxX = std::max<int64_t>(maxX, s.maxX);
        maxY = std::max<int64_t>(maxY, s.maxY);
        extent += static_cast<double>(std::max(s.maxX - static_cast<int64_t>(s.minX), s.maxY - static_cast<int64_t>(s.minY)));
    }
    const double n = static_cast<double>(segments.size());
    const double span = static_cast<double>(std::max(maxX - minX, maxY - minY)) + 1;
    const double cell = std::max({extent / n, span / std::ceil(std::sqrt(n)), 1.0});
    const auto cellsX = static_cast<int64_t>(std::min(1024.0, std::floor(static_cast<double>(maxX - minX + 2) / cell) + 1));
    const auto cellsY = static_cast<int64_t>(std::min(1024.0, std::floor(static_cast<double>(maxY - minY + 2) / cell) + 1));
    auto cellOf = [cell](int64_t v, int64_t lo, int64_t cells) {
        return std::clamp<int64_t>(static_cast<int64_t>(static_cast<double>(v - lo) / cell), 0, cells - 1);
    };
    // The segments of each cell, all cells in one array: cell c holds
    // inCells[cellStart[c] .. cellStart[c + 1]) (counted first, then filled).
    const auto cells = static_cast<size_t>(cellsX * cellsY);
    auto forEachCell = [&](const Segment& s, auto&& f) {
        const int64_t x1 = cellOf(s.minX - 1, minX - 1, cellsX), x2 = cellOf(s.maxX + 1, minX - 1, cellsX);
        const int64_t y1 = cellOf(s.minY - 1, minY - 1, cellsY), y2 = cellOf(s.maxY + 1, minY - 1, cellsY);
        for (int64_t cy = y1; cy <= y2; ++cy)
            for (int64_t cx = x1; cx <= x2; ++cx) f(static_cast<size_t>(cy * cellsX + cx));
    };
    std::vector<size_t> cellStart(cells + 1, 0);
    for (const Segment& s : segments) forEachCell(s, [&](size_t c) { ++cellStart[c + 1]; });
    std::partial_sum(cellStart.begin(), cellStart.end(), cellStart.begin());
    std::vector<uint32_t> inCells(cellStart.back());
    std::vector<size_t> cellNext(cellStart.begin(), cellStart.end() - 1);
    for (size_t i = 0; i < segments.size(); ++i)
        forEachCell(segments[i], [&](size_t c) { inCells[cellNext[c]++] = static_cast<uint32_t>(i); });
    for (size_t c = 0; c < cells; ++c)
        for (size_t p = cellStart[c]; p < cellStart[c + 1]; ++p) {
            const Segment& a = segments[inCells[p]];
            for (size_t q = p + 1; q < cellStart[c + 1]; ++q) {
                const Segment& b = segments[inCells[q]];
                if (sets.Find(a.owner) == sets.Find(b.owner) || !BoxesMeet(a, b)) continue;
                int32_t status = 0, x = 0, y = 0;
                SegmentsTouch(status, a.c, b.c, x, y);
                if (status == 1) sets.Join(a.owner, b.owner);
            }
        }
}

void AppendPoint(CheckedArray<GroupPointEntry>& points, const GroupPointEntry& entry)
{
    const long next = points.UBound() + 1;
    points.RedimPreserve(next);
    points(next) = entry;
}

bool Covered(int64_t x, int64_t y, const int32_t (&s)[4])
{
    return DB_CoverRectangle(static_cast<int32_t>(x), static_cast<int32_t>(y), 1, s[0], s[1], s[2], s[3]) != 0;
}

int64_t Cross(int64_t ax, int64_t ay, int64_t bx, int64_t by)
{
    return ax * by - ay * bx;
}

}  // namespace

void CollectBranchRefs(int32_t branch, int32_t& count, int32_t group)
{
    for (const auto& [kind, ref] : BranchRefs(branch)) {
        g_NetGroupRefs.RedimPreserve(++count);
        g_NetGroupRefs(count) = NetGroupRefEntry{kind, ref, group, branch};
    }
}

void CollectNetBranches(int32_t& status, int32_t net)
{
    g_NetGroupBranches.Redim(0, 0);
    g_NetGroupRefs.Redim(0, 0);
    std::vector<int32_t> branches;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) branches.push_back(branch);
    if (branches.empty()) {
        status = 1;
        return;
    }
    std::vector<std::vector<std::pair<int32_t, int32_t>>> refs;
    refs.reserve(branches.size());
    for (const int32_t branch : branches) refs.push_back(BranchRefs(branch));
    DisjointSets sets(branches.size());
    JoinSharedRefs(sets, refs);
    const std::vector<int32_t> group = NumberGroups(sets, branches.size());

    g_NetGroupBranches.Redim(0, static_cast<long>(branches.size()));
    for (size_t i = 0; i < branches.size(); ++i)
        g_NetGroupBranches(static_cast<long>(i + 1)) = NetGroupBranchEntry{0, branches[i], 0, group[i]};
    const auto members = GroupMembers(group);
    int32_t count = 0;
    for (size_t g = 0; g < members.size(); ++g)
        for (const size_t i : members[g])
            for (const auto& [kind, ref] : refs[i]) {
                g_NetGroupRefs.RedimPreserve(++count);
                g_NetGroupRefs(count) = NetGroupRefEntry{kind, ref, static_cast<int32_t>(g + 1), branches[i]};
            }
    g_NetGroupRefs(0).Ref = static_cast<int32_t>(members.size());
    status = 0;
}

void CollectTraceRefs(int32_t trace, int32_t& count, int32_t group)
{
    for (const auto& [kind, ref] : TraceRefs(trace)) {
        g_NetGroupTraceRefs.RedimPreserve(++count);
        g_NetGroupTraceRefs(count) = NetGroupTraceRefEntry{kind, ref, group, 0, 0, group, trace};
    }
}

void CollectNetTraces(int32_t& status, int32_t net)
{
    g_NetGroupTraces.Redim(0, 0);
    g_NetGroupTraceRefs.Redim(0, 0);
    std::vector<int32_t> traces;
    int32_t cursor = OM_GetFirst(DB_TraceMap());
    while (const int32_t trace = T_SearchNet(&cursor, net)) traces.push_back(trace);
    if (traces.empty()) {
        status = 1;
        return;
    }
    std::vector<std::vector<std::pair<int32_t, int32_t>>> refs;
    for (const int32_t trace : traces) refs.push_back(TraceRefs(trace));
    DisjointSets sets(traces.size());
    JoinSharedRefs(sets, refs);
    const std::vector<int32_t> group = NumberGroups(sets, traces.size());
    g_NetGroupTraces.Redim(0, static_cast<long>(traces.size()));
    for (size_t i = 0; i < traces.size(); ++i)
        g_NetGroupTraces(static_cast<long>(i + 1)) = NetGroupTraceEntry{0, traces[i], group[i]};
    int32_t count = 0;
    for (const auto& inGroup : GroupMembers(group))
        for (const size_t i : inGroup) CollectTraceRefs(traces[i], count, group[i]);
    status = 0;
}

void LoadBranchRecords(int32_t branch, int32_t list, CheckedArray<GroupPointEntry>& points)
{
    BranchRec header{};
    if (B_ReadBranch(branch, &header) == 0 || header.Points < 2) return;
    AppendPoint(points, GroupPointEntry{0, 0, 0, 0, kGroupSeparator, 0, 0});
    for (int32_t index = 1; index <= header.Points; ++index) {
        BranchPointRec rec{};
        if (B_ReadRecord(branch, index, &rec) == 0) break;
        AppendPoint(points, GroupPointEntry{branch, list, 0, 0, (rec.Flags & 4) != 0 ? 2 : 3, rec.X, rec.Y});
    }
}

void SegmentsTouch(int32_t& status, const int32_t (&a)[4], const int32_t (&b)[4], int32_t& x, int32_t& y)
{
    status = 0;
    const int64_t dxA = int64_t{a[2]} - a[0], dyA = int64_t{a[3]} - a[1];
    const int64_t dxB = int64_t{b[2]} - b[0], dyB = int64_t{b[3]} - b[1];
    const int64_t d = Cross(dxA, dyA, dxB, dyB);
    if (d == 0) {
        // Parallel: they can only meet when they lie on one line; then an
        // end of either lies within the other.
        bool collinear = true;
        if (dxA != 0 || dyA != 0)
            collinear = Cross(int64_t{b[0]} - a[0], int64_t{b[1]} - a[1], dxA, dyA) == 0 &&
                        Cross(int64_t{b[2]} - a[0], int64_t{b[3]} - a[1], dxA, dyA) == 0;
        else if (dxB != 0 || dyB != 0)
            collinear = Cross(int64_t{a[0]} - b[0], int64_t{a[1]} - b[1], dxB, dyB) == 0;
        if (!collinear) return;
        const int32_t ends[4][2] = {{b[0], b[1]}, {b[2], b[3]}, {a[0], a[1]}, {a[2], a[3]}};
        for (int k = 0; k < 4; ++k)
            if (Covered(ends[k][0], ends[k][1], k < 2 ? a : b)) {
                status = 1;
                x = ends[k][0];
                y = ends[k][1];
                return;
            }
        return;
    }
    // The lines meet at A1 + t dA with t = ((B1 - A1) x dB) / (dA x dB).
    const long double t =
        static_cast<long double>(Cross(int64_t{b[0]} - a[0], int64_t{b[1]} - a[1], dxB, dyB)) / static_cast<long double>(d);
    const long double px = a[0] + t * dxA, py = a[1] + t * dyA;
    if (std::fabs(px) >= kCoordLimit || std::fabs(py) >= kCoordLimit) return;
    const auto rx = static_cast<int64_t>(std::nearbyint(px)), ry = static_cast<int64_t>(std::nearbyint(py));
    if (!Covered(rx, ry, a) || !Covered(rx, ry, b)) return;
    status = 1;
    x = static_cast<int32_t>(rx);
    y = static_cast<int32_t>(ry);
}

void PointListsTouch(int32_t& status)
{
    status = 0;
    const long lastA = g_GroupPointsA.UBound(), lastB = g_GroupPointsB.UBound();
    // Wires of different pages never touch, whatever their coordinates.
    std::unordered_map<int32_t, int32_t> pageOf;
    auto page = [&pageOf](int32_t branch) {
        const auto [it, added] = pageOf.emplace(branch, 0);
        if (added) it->second = BranchPage(branch);
        return it->second;
    };
    for (long i = 1; i < lastA; ++i) {
        const GroupPointEntry &a1 = g_GroupPointsA(i), &a2 = g_GroupPointsA(i + 1);
        if (a1.Kind >= kGroupSeparator || a2.Kind >= kGroupSeparator) continue;
        const int32_t segA[4] = {a1.X, a1.Y, a2.X, a2.Y};
        for (long j = 1; j < lastB; ++j) {
            const GroupPointEntry &b1 = g_GroupPointsB(j), &b2 = g_GroupPointsB(j + 1);
            if (b1.Kind >= kGroupSeparator || b2.Kind >= kGroupSeparator) continue;
            if (page(a1.Branch) != page(b1.Branch)) continue;
            const int32_t segB[4] = {b1.X, b1.Y, b2.X, b2.Y};
            int32_t touch = 0, x = 0, y = 0;
            SegmentsTouch(touch, segA, segB, x, y);
            if (touch == 0) continue;
            std::string& listA = g_NetGroupLists(a1.List);
            std::string& listB = g_NetGroupLists(b1.List);
            if (!listA.empty() && !listB.empty()) listA += ",";
            listA += listB;
            listB.clear();
            status = 1;
            return;
        }
    }
}

void GroupNetBranches(int32_t& status, int32_t net)
{
    NetRec netRec{};
    if (N_ReadNet(net, &netRec) == 0) return;
    g_NetGroupLists.Redim(0, 0);
    g_NetGroupNodeBranches.Redim(0, 0);
    CollectNetBranches(status, net);
    status = 1;
    const long count = g_NetGroupBranches.UBound();
    if (count < 1) return;

    const auto n = static_cast<size_t>(count);
    // The entry (0..n-1) of each branch id, in a table over the ids from the
    // lowest to the highest (a level holds at most 15,999 branches).
    int32_t lowestId = g_NetGroupBranches(1).Branch, highestId = lowestId;
    for (long k = 2; k <= count; ++k) {
        lowestId = std::min(lowestId, g_NetGroupBranches(k).Branch);
        highestId = std::max(highestId, g_NetGroupBranches(k).Branch);
    }
    std::vector<size_t> entryOfId(static_cast<size_t>(int64_t{highestId} - lowestId + 1), 0);
    for (long k = 1; k <= count; ++k)
        entryOfId[static_cast<size_t>(g_NetGroupBranches(k).Branch - int64_t{lowestId})] = static_cast<size_t>(k - 1);
    // Every reference comes from a collected branch; one from outside (a
    // damaged record) reads as the first entry, as a missing key did before.
    auto entryOf = [&](int32_t branch) {
        const int64_t at = branch - int64_t{lowestId};
        return at >= 0 && at < static_cast<int64_t>(entryOfId.size()) ? entryOfId[static_cast<size_t>(at)] : size_t{0};
    };
    DisjointSets sets(n);
    // Branches that reach a node of one reference group form one piece.
    std::unordered_map<int32_t, size_t> nodeHolderOfGroup;
    for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r) {
        const NetGroupRefEntry& ref = g_NetGroupRefs(r);
        if (ref.Kind != 2) continue;
        const size_t entry = entryOf(ref.Branch);
        const auto [it, added] = nodeHolderOfGroup.emplace(ref.Group, entry);
        if (!added) sets.Join(it->second, entry);
    }
    // Pieces whose wires touch on their page join; a net spans pages, and
    // wires of different pages meet only through a shared node.
    g_GroupPointsA.Redim(0, 0);
    std::vector<int32_t> pageOfEntry(n, 0);
    for (long k = 1; k <= count; ++k) {
        pageOfEntry[static_cast<size_t>(k - 1)] = BranchPage(g_NetGroupBranches(k).Branch);
        LoadBranchRecords(g_NetGroupBranches(k).Branch, static_cast<int32_t>(k), g_GroupPointsA);
    }
    std::map<int32_t, std::vector<Segment>> segmentsOfPage;
    for (long i = 1; i < g_GroupPointsA.UBound(); ++i) {
        const GroupPointEntry &p = g_GroupPointsA(i), &q = g_GroupPointsA(i + 1);
        if (p.Kind >= kGroupSeparator || q.Kind >= kGroupSeparator) continue;
        const auto owner = static_cast<size_t>(p.List - 1);
        segmentsOfPage[pageOfEntry[owner]].push_back(Segment{{p.X, p.Y, q.X, q.Y}, std::min(p.X, q.X), std::min(p.Y, q.Y),
                                                             std::max(p.X, q.X), std::max(p.Y, q.Y), owner});
    }
    g_GroupPointsA.Redim(0, 0);
    for (const auto& [page, segments] : segmentsOfPage) JoinTouchingSegments(sets, segments);

    // Renumbering in the order of the branches; the references (as collected
    // above) take their branch's group and stand group by group.
    const std::vector<int32_t> group = NumberGroups(sets, n);
    const auto members = GroupMembers(group);
    g_NetGroupLists.Redim(0, static_cast<long>(members.size()));
    for (size_t g = 0; g < members.size(); ++g) {
        std::string& list = g_NetGroupLists(static_cast<long>(g + 1));
        for (const size_t i : members[g]) {
            NetGroupBranchEntry& entry = g_NetGroupBranches(static_cast<long>(i + 1));
            entry.Mark = 0;
            entry.Group = static_cast<int32_t>(g + 1);
            if (!list.empty()) list += ",";
            list += std::to_string(entry.Branch);
        }
    }
    // Bucketed by branch entry, each branch's records in their order (a
    // counting sort), then read out branch by branch in the groups' order.
    const auto refs = static_cast<size_t>(std::max(g_NetGroupRefs.UBound(), 0L));
    std::vector<size_t> refsStart(n + 1, 0);
    for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r) ++refsStart[entryOf(g_NetGroupRefs(r).Branch) + 1];
    std::partial_sum(refsStart.begin(), refsStart.end(), refsStart.begin());
    std::vector<NetGroupRefEntry> refsByEntry(refs);
    std::vector<size_t> refsNext(refsStart.begin(), refsStart.end() - 1);
    for (long r = 1; r <= g_NetGroupRefs.UBound(); ++r) {
        NetGroupRefEntry ref = g_NetGroupRefs(r);
        const size_t entry = entryOf(ref.Branch);
        ref.Group = group[entry];
        refsByEntry[refsNext[entry]++] = ref;
    }
    long refCount = 0;
    for (const auto& inGroup : members)
        for (const size_t i : inGroup)
            for (size_t k = refsStart[i]; k < refsStart[i + 1]; ++k) g_NetGroupRefs(++refCount) = refsByEntry[k];
    g_NetGroupRefs(0).Ref = static_cast<int32_t>(members.size());
    status = 0;
}
