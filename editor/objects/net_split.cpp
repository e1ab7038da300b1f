#include "editor/objects/net_split.h"

#include "editor/shell/design_change.h"
#include "editor/objects/net_drawing.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/net_text.h"
#include "editor/shell/msgtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kMovingNode = 128;
constexpr int32_t kNodeHasTrace = 4;
constexpr int32_t kTraceMoves = 256;
constexpr int32_t kTraceStays = 512;
constexpr int32_t kTraceSides = kTraceMoves | kTraceStays;
constexpr int32_t kTraceKinds = 14;
constexpr int32_t kNodeKind = 2;
constexpr int32_t kBendKind = 4;
constexpr int32_t kViaKind = 8;
constexpr int32_t kWireNodeKinds = 6;
constexpr int32_t kLinkedItem = 1;

std::vector<int32_t> NetNodeIds(int32_t net, int32_t value, int32_t mask)
{
    std::vector<int32_t> ids;
    const int32_t map = N_NodeMap(net);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &cursor, value, mask)) ids.push_back(node);
    return ids;
}

std::vector<int32_t> NetBranches(int32_t net)
{
    std::vector<int32_t> branches;
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, net, -1)) branches.push_back(branch);
    return branches;
}

std::vector<int32_t> NetTraces(int32_t net)
{
    std::vector<int32_t> traces;
    int32_t cursor = OM_GetFirst(DB_TraceMap());
    while (const int32_t trace = T_SearchNet(&cursor, net)) traces.push_back(trace);
    return traces;
}

// The node ids the wire's point records refer to.
std::vector<int32_t> WireNodeRefs(int32_t branch)
{
    std::vector<int32_t> nodes;
    BranchPointRec rec{};
    for (int32_t from = 1;;) {
        const int32_t index = B_SearchRecordMaskRef(branch, from, kNodeKind, 0, &rec);
        if (index < 1) break;
        if ((rec.Flags & kWireNodeKinds) == kNodeKind) nodes.push_back(rec.Ref);
        from = index + 1;
    }
    return nodes;
}

// The trace's records of the kinds in `kinds` as (kind, reference) pairs.
std::vector<std::pair<int32_t, int32_t>> TraceRefs(int32_t trace, int32_t kinds)
{
    std::vector<std::pair<int32_t, int32_t>> refs;
    TracePointRec rec{};
    for (int32_t from = 1;;) {
        const int32_t index = T_SearchRecordMaskRef(trace, from, kinds, 0, &rec);
        if (index < 1) break;
        const int32_t kind = rec.Flags & kTraceKinds;
        if ((kind & kinds) != 0) refs.emplace_back(kind, rec.Ref);
        from = index + 1;
    }
    return refs;
}

// Gives node `node` of `net` the bits `value` within `mask`.
bool SetNodeBits(int32_t net, int32_t node, int32_t value, int32_t mask)
{
    const int32_t handle = N_Node(net, node);
    return handle != 0 && O_Mask(handle, value, mask) != 0;
}

// Which side of a split each trace of the old net goes to: kTraceMoves,
// kTraceStays, or 0 while it is undecided.
class TraceSides {
public:
    int32_t Of(int32_t trace) const
    {
        const auto it = side_.find(trace);
        return it == side_.end() ? 0 : it->second;
    }
    void Set(int32_t trace, int32_t side) { side_[trace] = side; }

private:
    std::unordered_map<int32_t, int32_t> side_;
};

// A new bend point (kind 4) or via (kind 8) at (x, y); 0 when the kernel
// made none. The kernel gives a bend point the lowest free id itself.
int32_t MakeTracePoint(int32_t kind, int32_t x, int32_t y)
{
    if (kind == kViaKind) {
        const int32_t padStack = g_StdPadStacks.UBound() >= 1 ? g_StdPadStacks(1) : 0;
        return V_CreateVia(0, 1, x, y, padStack, 1);
    }
    return T_CreateBendPoint(0, 1, x, y);
}

// Gives record `index` of the trace its own new bend point or via (`kind`)
// in place of what it referred to; false when a step was refused.
bool RereferenceRecord(int32_t trace, int32_t index, int32_t kind, const TracePointRec& rec)
{
    const int32_t made = MakeTracePoint(kind, rec.X, rec.Y);
    return made != 0 && T_MaskRecord(trace, index, kind, kTraceKinds) != 0 &&
           T_ChangeRecordRef(trace, index, made) != 0;
}

// Cuts the trace at a node record of the other net: a via where the layer
// changes at the record, else a bend point.
bool CutRecord(int32_t trace, int32_t index)
{
    TracePointRec rec{};
    if (T_ReadRecord(trace, index, &rec) == 0) return false;
    TracePointRec before{};
    if (index > 1 && T_ReadRecord(trace, index - 1, &before) == 0) return false;
    const bool layerChange = index > 1 && before.Layer != rec.Layer;
    return RereferenceRecord(trace, index, layerChange ? kViaKind : kBendKind, rec);
}

// Node records of the trace as (index, moving?) pairs.
std::vector<std::pair<int32_t, bool>> NodeRecords(int32_t trace, int32_t net)
{
    std::vector<std::pair<int32_t, bool>> records;
    TracePointRec rec{};
    for (int32_t from = 1;;) {
        const int32_t index = T_SearchRecordMaskRef(trace, from, kNodeKind, 0, &rec);
        if (index < 1) break;
        if ((rec.Flags & kTraceKinds) == kNodeKind)
            records.emplace_back(index, (O_GetStatus(N_Node(net, rec.Ref)) & kMovingNode) != 0);
        from = index + 1;
    }
    return records;
}

// Sorts the old net's traces by the side of the nodes they reach and cuts
// those that reach both sides: a trace goes with the side of most of its
// pins, the staying side on a tie.
bool SortTraces(int32_t oldNet, const std::vector<int32_t>& traces, TraceSides& sides)
{
    for (const int32_t trace : traces) {
        const auto records = NodeRecords(trace, oldNet);
        int32_t balance = 0;
        for (const auto& [index, moving] : records) balance += moving ? 1 : -1;
        const bool anyMoving = std::any_of(records.begin(), records.end(), [](const auto& r) { return r.second; });
        const bool anyStaying = std::any_of(records.begin(), records.end(), [](const auto& r) { return !r.second; });
        if (!anyMoving && !anyStaying) continue;
        const bool moves = anyMoving && (!anyStaying || balance >= 1);
        sides.Set(trace, moves ? kTraceMoves : kTraceStays);
        if (anyMoving && anyStaying)
            for (const auto& [index, moving] : records)
                if (moving != moves && !CutRecord(trace, index)) return false;
    }
    return true;
}

// Side `spread` spreads over the traces joined to it by bend points and
// vias: an undecided trace takes the side. Where such a point is shared
// with a trace of the other side, the trace of the side that does not keep
// shared points (`keeper` is the one that does) gets a point of its own, so
// that the outcome does not hang on which of the two traces is scanned
// first.
bool SpreadTraceSide(const std::vector<int32_t>& traces, TraceSides& sides, int32_t spread, int32_t keeper)
{
    const int32_t other = spread ^ kTraceSides;
    std::set<int32_t> scan;
    for (const int32_t trace : traces)
        if (sides.Of(trace) == spread) scan.insert(trace);
    while (!scan.empty()) {
        std::set<int32_t> next;
        for (const int32_t trace : scan) {
            if (sides.Of(trace) != spread) continue;
            bool changed = false;
            TracePointRec rec{};
            for (int32_t from = 1;;) {
                const int32_t index = T_SearchRecordMaskRef(trace, from, kBendKind | kViaKind, 0, &rec);
                if (index < 1) break;
                from = index + 1;
                const int32_t kind = rec.Flags & kTraceKinds;
                if (kind != kBendKind && kind != kViaKind) continue;
                bool ownPointMade = false;
                for (const int32_t peer : traces) {
                    if (peer == trace || ownPointMade) continue;
                    TracePointRec shared{};
                    for (int32_t at = 1;;) {
                        const int32_t found = T_SearchRecordMaskRef(peer, at, kind, rec.Ref, &shared);
                        if (found < 1) break;
                        at = found + 1;
                        if ((shared.Flags & kTraceKinds) != kind) continue;
                        const int32_t side = sides.Of(peer);
                        if (side == 0) {
                            sides.Set(peer, spread);
                            next.insert(peer);
                            changed = true;
                        } else if (side == other && spread == keeper) {
                            if (!RereferenceRecord(peer, found, kind, shared)) return false;
                            changed = true;
                        } else if (side == other) {
                            // The peers already joined to the old point
                            // are scanned again and part from it in turn.
                            if (!RereferenceRecord(trace, index, kind, rec)) return false;
                            ownPointMade = true;
                            changed = true;
                            break;
                        }
                    }
                }
            }
            if (changed) next.insert(trace);
        }
        scan = std::move(next);
    }
    return true;
}

// The split's own node marks: 128 (goes to the new net) and 512 on the new
// net's nodes, 256 on the old net's; they go when the split ends, and node
// mask 4 (has a trace) is then set on exactly the nodes a trace reaches.
constexpr int32_t kNewNetNodeMarks = kMovingNode | kTraceStays | kNodeHasTrace;
constexpr int32_t kOldNetNodeMarks = kMovingNode | kTraceMoves | kNodeHasTrace;

// The nodes of `net` that its traces refer to.
std::set<int32_t> NodesReachedByTraces(int32_t net)
{
    std::set<int32_t> reached;
    for (const int32_t trace : NetTraces(net))
        for (const auto& [kind, node] : TraceRefs(trace, kNodeKind)) reached.insert(node);
    return reached;
}

bool MarkNodesReached(int32_t oldNet, int32_t newNet)
{
    const std::pair<int32_t, int32_t> nets[] = {{newNet, kNewNetNodeMarks}, {oldNet, kOldNetNodeMarks & ~kMovingNode}};
    for (const auto& [net, mask] : nets) {
        const std::set<int32_t> reached = NodesReachedByTraces(net);
        for (const int32_t node : NetNodeIds(net, 0, 0))
            if (!SetNodeBits(net, node, reached.count(node) != 0 ? kNodeHasTrace : 0, mask)) return false;
    }
    return true;
}

// True when a wire or trace of `net` refers to a node of `other`.
bool RefersToNodesOf(int32_t net, int32_t other)
{
    for (const int32_t branch : NetBranches(net))
        for (const int32_t node : WireNodeRefs(branch))
            if (N_Node(other, node) != 0) return true;
    for (const int32_t trace : NetTraces(net))
        for (const auto& [kind, node] : TraceRefs(trace, kNodeKind))
            if (N_Node(other, node) != 0) return true;
    return false;
}

// True when the marks `marks` of the nodes of `net` are those a finished
// split leaves: mask 4 on the nodes a trace reaches, nothing else.
bool NodeMarksSettled(int32_t net, int32_t marks)
{
    const std::set<int32_t> reached = NodesReachedByTraces(net);
    for (const int32_t node : NetNodeIds(net, 0, 0)) {
        const int32_t expected = reached.count(node) != 0 ? kNodeHasTrace : 0;
        if ((O_GetStatus(N_Node(net, node)) & marks) != expected) return false;
    }
    return true;
}

// The split as the design now shows it, read afresh: no wire or trace of one net refers to a node of the other, no bend
// point or via is shared by traces of both nets, and the node marks are
// settled (so no marked node was left behind).
bool SplitIsWhole(int32_t oldNet, int32_t newNet)
{
    if (RefersToNodesOf(newNet, oldNet) || RefersToNodesOf(oldNet, newNet)) return false;
    std::set<std::pair<int32_t, int32_t>> newPoints;
    for (const int32_t trace : NetTraces(newNet))
        for (const auto& ref : TraceRefs(trace, kBendKind | kViaKind)) newPoints.insert(ref);
    for (const int32_t trace : NetTraces(oldNet))
        for (const auto& ref : TraceRefs(trace, kBendKind | kViaKind))
            if (newPoints.count(ref) != 0) return false;
    return NodeMarksSettled(newNet, kNewNetNodeMarks) && NodeMarksSettled(oldNet, kOldNetNodeMarks);
}

// Moves group `group`'s wires, the traces that go with them and the marked
// nodes from `oldNet` into the new net `newNet`; false as soon as a step is
// refused or the result does not hold together, with what was done so far
// left in place.
bool MoveGroup(int32_t oldNet, int32_t newNet, int32_t group, const std::vector<int32_t>& moving, size_t staying)
{
    for (long k = 1; k <= g_NetGroupBranches.UBound(); ++k)
        if (g_NetGroupBranches(k).Group == group && B_ChangeBranchNet(g_NetGroupBranches(k).Branch, newNet) == 0)
            return false;

    int32_t traceStatus = 0;
    CollectNetTraces(traceStatus, oldNet);
    std::vector<int32_t> traces;
    for (long k = 1; k <= g_NetGroupTraces.UBound(); ++k) traces.push_back(g_NetGroupTraces(k).Trace);
    TraceSides sides;
    if (traceStatus == 0) {
        if (!SortTraces(oldNet, traces, sides)) return false;
        // The side with more pins spreads first and keeps the traces both
        // sides reach; then the other side takes the traces that hang off
        // its own, so that no trace stays behind joined to a moving one.
        const int32_t larger = moving.size() <= staying ? kTraceStays : kTraceMoves;
        if (!SpreadTraceSide(traces, sides, larger, larger)) return false;
        if (!SpreadTraceSide(traces, sides, larger ^ kTraceSides, larger)) return false;
        for (const int32_t trace : traces)
            if (sides.Of(trace) == kTraceMoves && T_ChangeTraceNet(trace, newNet) == 0) return false;
    }

    for (const int32_t node : moving)
        if (!MoveNetNode(oldNet, newNet, node)) return false;
    if (!MarkNodesReached(oldNet, newNet)) return false;
    return SplitIsWhole(oldNet, newNet);
}

// The split's command marks on traces (256, 512, 1024), vias and bend
// points (128) are clear when it ends, whichever way it ends.
void ClearTraceMarks(const std::vector<int32_t>& bendPoints)
{
    OM_MaskAll(DB_TraceMap(), 0, kTraceSides | 1024);
    OM_MaskAll(DB_ViaMap(), 0, 128);
    for (const int32_t bend : bendPoints) O_Mask(T_BendPoint(bend), 0, 128);
}

std::vector<int32_t> ReferencedBendPoints()
{
    std::vector<int32_t> bends;
    for (long r = 1; r <= g_NetGroupTraceRefs.UBound(); ++r)
        if (g_NetGroupTraceRefs(r).Kind == kBendKind) bends.push_back(g_NetGroupTraceRefs(r).Ref);
    return bends;
}

// The copper-area and gap-mask items of the level linked to `from` are
// linked to `to`.
bool RelinkNetItems(int32_t from, int32_t to)
{
    for (const int32_t symbol : {-400 - DB_CurHier(), -800 - DB_CurHier()}) {
        const int32_t array = S_SymbolItemArray(symbol);
        if (array == 0) continue;
        for (int32_t index = IA_SearchMaskLink(array, 1, kLinkedItem, from); index > 0;
             index = IA_SearchMaskLink(array, index + 1, kLinkedItem, from)) {
            const int32_t item = S_SymbolItem(symbol, index);
            if (item == 0 || I_ChangeItemLink(item, to) == 0) return false;
        }
    }
    return true;
}

// True when nothing of the level refers to the net any more: no wire, no
// trace, no node, no copper-area or gap-mask item.
bool NetIsUnused(int32_t net)
{
    if (!NetBranches(net).empty() || !NetTraces(net).empty() || !NetNodeIds(net, 0, 0).empty()) return false;
    for (const int32_t symbol : {-400 - DB_CurHier(), -800 - DB_CurHier()}) {
        const int32_t array = S_SymbolItemArray(symbol);
        if (array != 0 && IA_SearchMaskLink(array, 1, kLinkedItem, net) > 0) return false;
    }
    return true;
}

// Moves everything of `source` into `target` and deletes `source`; false
// when a step was refused, with what was done so far left in place.
bool MoveNetContents(int32_t target, int32_t source)
{
    for (const int32_t branch : NetBranches(source))
        if (B_ChangeBranchNet(branch, target) == 0) return false;
    for (const int32_t trace : NetTraces(source))
        if (T_ChangeTraceNet(trace, target) == 0) return false;
    for (const int32_t node : NetNodeIds(source, 0, 0))
        if (!MoveNetNode(source, target, node)) return false;
    if (!RelinkNetItems(source, target)) return false;
    // The source goes only when the walks above left nothing of it behind.
    return NetIsUnused(source) && OM_Delete(DB_NetMap(), source) != 0;
}

std::string NetNameOrId(int32_t net)
{
    const char* name = O_GetName(N_Net(net));
    return name != nullptr ? PtrToStr(name) : std::to_string(net);
}

}  // namespace

bool MoveNetNode(int32_t from, int32_t to, int32_t node)
{
    const int32_t handle = N_Node(from, node);
    return handle != 0 && OM_Add(N_NodeMap(to), handle, node) == node;
}

void MaskTraceNodes(int32_t mask)
{
    const int32_t map = DB_TraceMap();
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t trace = OM_SearchMask(map, &cursor, mask, mask)) {
        TraceRec header{};
        if (T_ReadTrace(trace, &header) == 0) continue;
        for (const auto& [kind, node] : TraceRefs(trace, kNodeKind)) O_Mask(N_Node(header.Net, node), 4, 4);
    }
}

void SplitNet(int32_t& status, int32_t oldNet, int32_t& newNet, const std::string& name, int32_t group)
{
    status = 1;
    // The split and the clearing of its marks are one change, so that a
    // caller outside any action gets a whole edit too: a refused mark step
    // puts back the split with it.
    DesignChange whole;
    g_NetGroupTraceRefs.Redim(0, 0);
    const std::vector<int32_t> moving = NetNodeIds(oldNet, kMovingNode, kMovingNode);
    const int64_t count = OM_GetCount(N_NodeMap(oldNet));
    const int64_t staying = count - static_cast<int64_t>(moving.size());
    if (moving.empty() || staying <= 0) {
        ClearTraceMarks({});
        return;
    }
    bool done = false;
    {
        // From the new net on the split is one change of the design: unless
        // it is kept whole, the design goes back as it was before the new net.
        DesignChange change(DesignChange::Ending::Undo);
        newNet = N_CreateNet(0, g_NetEditFlags | 1, name.c_str());
        done = newNet >= 1 && MoveGroup(oldNet, newNet, group, moving, static_cast<size_t>(staying));
        if (done)
            change.Keep();
        else
            change.Undo();
    }
    ClearTraceMarks(ReferencedBendPoints());
    if (done && !whole.Finish()) done = false;
    if (!done) {
        newNet = 0;
        std::string detail = name;
        ReportMsg(35, detail);
        return;
    }
    status = 0;
}

void MergeNets(int32_t& status, int32_t target, int32_t source)
{
    if (target == source) {
        status = 1;
        return;
    }
    NetRec targetRec{};
    NetRec sourceRec{};
    for (const auto& [net, rec] : {std::pair{target, &targetRec}, std::pair{source, &sourceRec}})
        if (N_ReadNet(net, rec) == 0) {
            std::string detail = NetNameOrId(net);
            ReportMsg(25, detail);
            status = 1;
            return;
        }
    const std::string targetName = PtrToStr(targetRec.Name);
    const std::string sourceName = PtrToStr(sourceRec.Name);
    // The moves are one change of the design, kept only when all of them
    // went through. A step the kernel refused puts them back and fails the
    // action they are part of, as any refused step does; moves that went
    // through but left something of the source behind are put back alone.
    DesignChange change(DesignChange::Ending::Undo);
    bool moved = false, refused = false;
    {
        DesignChange moves;
        moved = MoveNetContents(target, source);
        refused = !moves.Finish();
    }
    if (!moved || refused) {
        if (refused)
            change.Finish();
        else
            change.Undo();
        std::string detail = sourceName + GetMsgText(" to ", "991319") + targetName;
        ReportMsg(54, detail);
        status = 1;
        return;
    }
    change.Keep();
    // The merge stands; a name text that could not be made is reported.
    int32_t texts = 0;
    RefreshNetNameTexts(texts, 0, target, targetName);
    if (texts != 0) {
        std::string detail = targetName;
        ReportMsg(10, detail);
        status = 1;
    }
}
