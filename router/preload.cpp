// Preload of the wires that already exist: every kernel branch of a net or
// bus becomes an image branch with its bend points, cleaned, joined and split.
// A wire the filter leaves out is not in the image at all: no obstacle for the
// router, and the write-back, which replaces the wires of the design by the
// image's, removes it from the design. A wire the preload cannot take for
// another reason (a single point, a net the image does not hold) is the
// user's and stays in the design as it is.
#include "router/corvex.h"
#include "router/image.h"
#include "router/route.h"

#include "platform/kernel/nvokernel32.h"

#include <map>
#include <utility>

namespace corvex {

int32_t g_BusJunctionMode = 0;
std::vector<int32_t> g_KeptBranches;

namespace {

struct ScratchRow {
    int32_t net, records, page, flags;
};

// Fills bend point p from the kernel record and links it to branch b after
// prev (first when prev is 0).
void SetKernelPoint(int32_t b, int32_t prev, int32_t p, const BranchPointRec& rec)
{
    ScrBPointRec& pt = g_BPoints[p];
    pt.flags = (rec.Flags & 6) == 2 ? kPointNode : kPointPlain;
    pt.x = rec.X, pt.y = rec.Y, pt.branch = b, pt.prev = prev;
    if (prev)
        g_BPoints[prev].next = p;
    else
        g_Branches[b].firstPoint = p;
}

// An image branch with the kernel branch's points as they are, outside every
// net chain, for a wire the preload does not take although no filter left it
// out (a single point, a net the image does not hold): the write-back leaves
// it in the design as it is.
int32_t KeepKernelBranch(int32_t kernelBranch, const ScratchRow& row, int32_t net)
{
    const int32_t b = NewBranch();
    if (!b) return 0;
    ScrBranchRec& r = g_Branches[b];
    r.flags = kBranchKept | (row.flags & kBranchBus);
    r.net = net;
    r.page = row.page;
    r.kernelId = kernelBranch;
    int32_t prev = 0;
    for (int32_t k = 1; k <= row.records; ++k) {
        BranchPointRec rec{};
        if (B_ReadRecord(kernelBranch, k, &rec) != 1) break;
        const int32_t p = NewBPoint();
        if (!p) return 0;
        SetKernelPoint(b, prev, p, rec);
        prev = p;
    }
    g_KeptBranches.push_back(b);
    return 1;
}

int32_t LoadBranch(int32_t n, int32_t kernelBranch, const ScratchRow& row, int32_t& groupCounter)
{
    const int32_t b = NewBranch();
    if (!b) return 0;
    {
        ScrBranchRec& r = g_Branches[b];
        r.page = row.page, r.net = n, r.flags = row.flags & kBranchBus, r.kernelId = 0;
    }
    int32_t prev = 0;
    for (int32_t k = 1; k <= row.records; ++k) {
        BranchPointRec rec{};
        if (B_ReadRecord(kernelBranch, k, &rec) != 1) {
            DeleteBranchPoints(b);
            return Fail(1401, 2);
        }
        const int32_t p = NewBPoint();
        if (!p) {
            DeleteBranchPoints(b);
            return 0;
        }
        SetKernelPoint(b, prev, p, rec);
        prev = p;
        const int32_t group = g_BPoints[p].flags == kPointNode ? NodeGroupAt(rec.X, rec.Y, n) : 0;
        if (k == 1) {
            g_Branches[b].group = group ? group : groupCounter++;
        } else if (group && group != g_Branches[b].group) {
            ReplaceNodeGroup(n, g_Branches[b].group, group);
        }
    }
    CleanBranch(b);
    InsertBranchInNet(n, b);
    return SplitBranchAtOverlaps(b);
}

}  // namespace

int32_t NodeGroupAt(int32_t x, int32_t y, int32_t net)
{
    const ScrNetRec& n = g_Nets[net];
    // A bus record's node fields describe its member nets: it has no nodes.
    if (n.flags & kNetBus) return 0;
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        const ScrNodeRec& node = g_Nodes[n.firstNode + i];
        if (node.x == x && node.y == y) return node.group;
    }
    return 0;
}

void InsertBranchInNet(int32_t net, int32_t branch)
{
    const int32_t page = g_Branches[branch].page;
    int32_t prev = 0, b = g_Nets[net].firstBranch;
    while (b && g_Branches[b].page > page) prev = b, b = g_Branches[b].next;
    g_Branches[branch].next = b;
    if (prev)
        g_Branches[prev].next = branch;
    else
        g_Nets[net].firstBranch = branch;
}

int32_t CheckKernelBranch(int32_t kernelBranch, int32_t records)
{
    if (records < 2) return 1;
    BranchPointRec before{};
    for (int32_t k = 1; k <= records; ++k) {
        BranchPointRec rec{};
        if (B_ReadRecord(kernelBranch, k, &rec) != 1) return Fail(1401, 2);
        if (k > 1 && ((rec.X != before.X && rec.Y != before.Y) || !(rec.Flags & 1))) return 0;
        before = rec;
    }
    return 1;
}

void DropEmptyBranches(int32_t net)
{
    for (int32_t b = g_Nets[net].firstBranch; b;) {
        const int32_t next = g_Branches[b].next;
        if (BranchPointCount(b) < 2) RemoveBranchFromChain(net, b);
        b = next;
    }
}

void MarkBranchPoints(int32_t firstBranch)
{
    for (int32_t b = firstBranch; b; b = g_Branches[b].next)
        for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
            int32_t f = g_BPoints[p].flags & 7;
            if ((f & kPointJunction) && (f & kPointPlain)) f = kPointJunction;
            if ((f & kPointJunction) && (f & kPointNode)) f = kPointNode;
            g_BPoints[p].flags = f;
            g_BPoints[p].branch = b;
        }
}

void FilterPreloadedBranches(int32_t net)
{
    // Decided on the chain as loaded, so the order of the wires does not
    // matter; then the wires left out go, each out of the net's chain and
    // freed with its points, and a junction they made with a wire that
    // stays goes with them.
    std::vector<int32_t> out;
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next) {
        int32_t connected = 0;
        for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next) {
            if (!(g_BPoints[p].flags & kPointPlain)) ++connected;
            g_BPoints[p].branch = b;
        }
        if (((g_PreloadBits & 1) && connected == 0) || ((g_PreloadBits & 2) && connected == 1)) out.push_back(b);
    }
    std::vector<std::pair<int32_t, std::pair<int32_t, int32_t>>> places;  // (page, place)
    for (int32_t b : out) {
        for (int32_t p = g_Branches[b].firstPoint; p; p = g_BPoints[p].next)
            if (g_BPoints[p].flags & kPointJunction)
                places.push_back({g_Branches[b].page, {g_BPoints[p].x, g_BPoints[p].y}});
        RemoveBranchFromChain(net, b);
    }
    for (const auto& [page, place] : places) ReleaseJunctions(net, page, {place});
}

int32_t PreloadBranches()
{
    // The scratch table: one row per kernel branch id.
    std::vector<ScratchRow> rows(static_cast<size_t>(kMaxBranchId));
    CountMemory(16LL * kMaxBranchId);
    struct Release {
        ~Release() { CountMemory(-16LL * kMaxBranchId); }
    } release;
    const int32_t map = DB_BranchMap();
    int32_t cursor = OM_GetFirst(map);
    // Kernel branches of each (bus wire?, kernel owner), in id order.
    std::map<std::pair<int32_t, int32_t>, std::vector<int32_t>> owners;
    std::vector<int32_t> all;
    for (int32_t id; (id = OM_SearchMask(map, &cursor, 0, 0)) != 0;) {
        if (id < 0) continue;
        if (id >= kMaxBranchId) return Fail(1401, 7);
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) return Fail(1401, 1);
        rows[id] = ScratchRow{br.Net, br.Points, br.Page, br.Flags};
        owners[{br.Flags & kBranchBus, br.Net}].push_back(id);
        all.push_back(id);
    }
    // Taken into the image, or left out by the filter: the write-back
    // replaces these; every other wire stays as it is.
    std::vector<char> taken(static_cast<size_t>(kMaxBranchId), 0);
    std::vector<int32_t> ownerNet(static_cast<size_t>(kMaxBranchId), 0);
    for (int32_t n = 1; n <= g_Nets.Count(); ++n) {
        const bool bus = g_Nets[n].flags & kNetBus;
        int32_t groupCounter = bus ? 16000 : g_Nets[n].nodeCount + 1;
        g_Nets[n].firstBranch = 0;
        if (g_Nets[n].kernelId == 0) continue;
        auto it = owners.find({bus ? kBranchBus : 0, g_Nets[n].kernelId});
        if (it != owners.end())
            for (int32_t id : it->second) {
                ownerNet[id] = n;
                if (rows[id].records < 2) continue;
                taken[id] = 1;
                if ((g_PreloadBits & 4) && !CheckKernelBranch(id, rows[id].records)) continue;
                if (!LoadBranch(n, id, rows[id], groupCounter)) return 0;
            }
        DropEmptyBranches(n);
        if (!JoinNetBranches(n) || !JoinNetJunctions(n)) return 0;
        MarkBranchPoints(g_Nets[n].firstBranch);
        // The filter is for ordinary nets: a member's wire meets its bus only
        // in the bus junctions made below.
        if (!(g_Nets[n].flags & (kNetBus | kNetMember)) && (g_PreloadBits & 3)) FilterPreloadedBranches(n);
        DropEmptyBranches(n);
    }
    for (int32_t b = 1; b <= g_BusCount; ++b)
        if (!JoinBusJunctions(b)) return 0;
    for (int32_t id : all)
        if (!taken[id] && !KeepKernelBranch(id, rows[id], ownerNet[id])) return 0;
    return 1;
}

}  // namespace corvex

using namespace corvex;

int32_t LD_PreLoadBranchesAndBPoints() noexcept
{
    return Guarded(1400, 0, []() -> int32_t {
        if (!g_Branches.present || !g_BPoints.present || !g_Nets.present) return Fail(1400, 3);
        return PreloadBranches() && FieldAddAllBranches() ? 1 : 0;
    });
}
