// The dry run of the write-back: the kernel objects that will stand for the
// image's wires (junctions, branches, their records, node marks, the wire
// texts), built and checked before anything in the design changes.
#include "router/image.h"
#include "router/writeback.h"

#include "platform/kernel/nvokernel32.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <map>
#include <set>
#include <tuple>

namespace corvex {

namespace {

// The junctions already planned for the net or bus being written, by place.
using JunctionList = std::map<std::tuple<int32_t, int32_t, int32_t>, int32_t>;

int32_t NewJunction(WriteBackPlan& plan, int32_t page, int32_t type, int32_t x, int32_t y, int32_t func)
{
    plan.junctions.push_back(PlannedJunction{page, type, x, y, func});
    return static_cast<int32_t>(plan.junctions.size()) - 1;
}

int32_t ListJunction(WriteBackPlan& plan, JunctionList& list, int32_t page, int32_t type, int32_t x, int32_t y,
                     int32_t func)
{
    auto [it, added] = list.try_emplace({x, y, page}, 0);
    if (added) it->second = NewJunction(plan, page, type, x, y, func);
    return it->second;
}

// A point's flags reduced: 1 plain, 2 node point, 3 joined node point, 4 junction.
int32_t Reduced(int32_t flags)
{
    int32_t f = flags & 7;
    if ((f & kPointJunction) && (f & kPointPlain)) f = kPointJunction;
    if ((f & kPointJunction) && (f & kPointNode)) f = kPointNode;
    return f;
}

enum class Owner { Bus, Member, Net };

// Plans one image branch. 0 on a failure (recorded).
int32_t PlanBranch(WriteBackPlan& plan, JunctionList& list, int32_t b, int32_t net, Owner owner)
{
    const ScrBranchRec br = g_Branches[b];
    if (BranchPointCount(b) < 2) return 1;  // nothing a kernel wire could show
    const int32_t func = owner == Owner::Bus ? 5050 : owner == Owner::Member ? 5060 : 5000;
    PlannedBranch pb{br.page, owner == Owner::Bus ? 3 : 1, g_Nets[net].kernelId, func, {}, {}};
    for (int32_t p = br.firstPoint; p; p = g_BPoints[p].next) {
        const ScrBPointRec pt = g_BPoints[p];
        if (pt.next) pb.segments.push_back(SegOf(p, pt.next));
        const int32_t f = Reduced(pt.flags);
        if (owner == Owner::Bus) {
            if (f == kPointPlain)
                pb.records.push_back({5, NewJunction(plan, br.page, 7, pt.x, pt.y, 5050), 0});
            else if (f == kPointJunction)
                pb.records.push_back({5, ListJunction(plan, list, br.page, 15, pt.x, pt.y, 5050), 0});
            else
                return Fail(5050, 12);
            continue;
        }
        // A junction point on a pin of the wire's own net is that pin's
        // node: another wire ending there refers to the node, and a
        // junction of its own beside the node would join nothing.
        const int32_t node = (f & (kPointNode | kPointJunction)) ? FindNodeEntryAt(pt.x, pt.y, br.page, net) : 0;
        if (node) {
            plan.nodes.emplace_back(g_Nets[net].kernelId, node);
            pb.records.push_back({3, -1, node});
        } else if (owner == Owner::Member && (f == kPointNode || (f != kPointPlain && f != kPointJunction))) {
            return Fail(5060, f == kPointNode ? 7 : 12);
        } else if (f & kPointJunction) {
            pb.records.push_back({5, ListJunction(plan, list, br.page, 11, pt.x, pt.y, func), 0});
        } else {
            // A plain point, or a node point whose pin is not in its own net:
            // a bend junction, never a node of another net.
            pb.records.push_back({5, NewJunction(plan, br.page, 3, pt.x, pt.y, func), 0});
        }
    }
    plan.branches.push_back(std::move(pb));
    return 1;
}

// The image branches of a net: its chain.
int32_t PlanNet(WriteBackPlan& plan, JunctionList& list, int32_t net, Owner owner)
{
    for (int32_t b = g_Nets[net].firstBranch; b; b = g_Branches[b].next)
        if (!PlanBranch(plan, list, b, net, owner)) return 0;
    return 1;
}

int32_t PlanFrames(WriteBackPlan& plan)
{
    for (int32_t pg = 1; pg <= g_Pages.Count(); ++pg) {
        if (!g_Pages[pg].frameBranch) continue;
        const int32_t page = g_Pages[pg].pageId, frame = -100 - page;
        BranchRec br{};
        if (B_ReadBranch(frame, &br) != 1) return Fail(5000, 1);
        // One new junction for each old one, so records that shared a
        // junction share the new one.
        std::map<int32_t, int32_t> fresh;
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            if (B_ReadRecord(frame, k, &rec) != 1) return Fail(5000, 1);
            if ((rec.Flags & 6) != 4) continue;
            auto [it, added] = fresh.try_emplace(rec.Ref, 0);
            if (added) it->second = NewJunction(plan, page, 2, rec.X, rec.Y, 5000);
            plan.frames.push_back(FrameRef{frame, k, it->second});
        }
    }
    return 1;
}

int64_t SegDistance(const Seg& s, int32_t x, int32_t y)
{
    const int64_t cx = std::clamp<int64_t>(x, std::min(s.x1, s.x2), std::max(s.x1, s.x2));
    const int64_t cy = std::clamp<int64_t>(y, std::min(s.y1, s.y2), std::max(s.y1, s.y2));
    return std::llabs(cx - x) + std::llabs(cy - y);
}

// The old wires and junctions that the new ones replace (a wire the filter
// left out of the image goes too; one the preload kept as it is stays, with
// its junctions), and the texts of the old wires, each given to the nearest
// new wire of its net on its page.
int32_t PlanReplacement(WriteBackPlan& plan)
{
    std::set<int32_t> keptJunctions, keptIds;
    for (int32_t b : g_KeptBranches) {
        const int32_t id = g_Branches[b].kernelId;
        if (!id) continue;
        keptIds.insert(id);
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) continue;
        for (int32_t k = 1; k <= br.Points; ++k) {
            BranchPointRec rec{};
            if (B_ReadRecord(id, k, &rec) != 1) continue;
            if ((rec.Flags & 6) == 4) keptJunctions.insert(rec.Ref);
            if ((rec.Flags & 6) == 2) plan.nodes.emplace_back(br.Net, rec.Ref);
        }
    }
    const int32_t branchMap = DB_BranchMap();
    int32_t cursor = OM_GetFirst(branchMap);
    for (int32_t id; (id = OM_SearchMask(branchMap, &cursor, 0, 0)) != 0;) {
        if (id < 0 || keptIds.count(id)) continue;
        plan.oldBranches.push_back(id);
        BranchRec br{};
        if (B_ReadBranch(id, &br) != 1) return Fail(5030, 11);
        const int32_t texts = B_BranchTextArray(id);
        const int32_t count = texts ? OA_GetCount(texts) : 0;
        const int32_t kind = (br.Flags & kBranchBus) ? 3 : 1;
        for (int32_t i = 1; i <= count; ++i) {
            MovedText t{};
            if (I_ReadItem(OA_Object(texts, i), &t.rec) != 1) return Fail(5070, 1);
            t.text = t.rec.Text ? t.rec.Text : "";
            t.branch = -1;
            int64_t best = std::numeric_limits<int64_t>::max();
            for (size_t n = 0; n < plan.branches.size(); ++n) {
                const PlannedBranch& pb = plan.branches[n];
                if (pb.owner != br.Net || pb.kind != kind || pb.page != br.Page) continue;
                for (const Seg& s : pb.segments)
                    if (const int64_t d = SegDistance(s, t.rec.X, t.rec.Y); d < best)
                        best = d, t.branch = static_cast<int32_t>(n);
            }
            // A text whose net keeps no wire on its page has nothing to stay on.
            if (t.branch >= 0) plan.texts.push_back(std::move(t));
        }
    }
    const int32_t junctionMap = DB_JunctMap();
    cursor = OM_GetFirst(junctionMap);
    for (int32_t id; (id = OM_SearchMask(junctionMap, &cursor, 0, 0)) != 0;)
        if (id > 0 && !keptJunctions.count(id)) plan.oldJunctions.push_back(id);
    return 1;
}

}  // namespace

int32_t FindCompEntryAt(int32_t x, int32_t y, int32_t comp, int32_t* kernelNet)
{
    const ScrCompRec& c = g_Comps[comp];
    const int32_t entries = g_Symbs[c.symb].entryCount;
    for (int32_t n = 1; n <= entries; ++n) {
        // The pin's place as the kernel computes it: no rounding of our own.
        EntryRec e{};
        if (C_ReadEntry(c.kernelId, n, &e) != 1) break;
        if (e.X == x && e.Y == y) return N_FindCompEntry(c.kernelId, n, kernelNet);
    }
    return 0;
}

int32_t FindNodeEntryAt(int32_t x, int32_t y, int32_t page, int32_t net)
{
    const ScrNetRec& n = g_Nets[net];
    for (int32_t i = 0; i < n.nodeCount; ++i) {
        const ScrNodeRec& node = g_Nodes[n.firstNode + i];
        if (node.x != x || node.y != y || g_Comps[node.comp].page != page) continue;
        int32_t kernelNet = n.kernelId;
        const int32_t found = FindCompEntryAt(x, y, node.comp, &kernelNet);
        // Only a node of the wire's own net: a pin of another net standing
        // there must never join the two nets.
        if (found && kernelNet == n.kernelId) return found;
    }
    return 0;
}

int32_t BuildWriteBackPlan(WriteBackPlan& plan)
{
    if (!g_Nets.present || !g_Branches.present) return Fail(5000, 13);
    if (!PlanFrames(plan)) return 0;
    JunctionList list;
    for (int32_t b = 1; b <= g_BusCount; ++b) {
        list.clear();
        if (!PlanNet(plan, list, b, Owner::Bus)) return 0;
        const ScrNetRec bus = g_Nets[b];
        for (int32_t m = bus.firstNode; m && m < bus.firstNode + bus.nodeCount; ++m)
            if ((g_Nets[m].flags & kNetMember) && g_Nets[m].kernelId && !PlanNet(plan, list, m, Owner::Member))
                return 0;
    }
    for (int32_t n = g_BusCount + 1; n <= g_Nets.Count(); ++n) {
        if (g_Nets[n].flags & (kNetMember | kNetBus)) continue;
        list.clear();
        if (!PlanNet(plan, list, n, Owner::Net)) return 0;
    }
    return PlanReplacement(plan);
}

}  // namespace corvex
