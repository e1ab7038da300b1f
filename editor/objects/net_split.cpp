#include "editor/objects/net_split.h"

#include "editor/objects/net_drawing.h"
#include "editor/objects/net_groups.h"
#include "editor/objects/net_text.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

#include <set>
#include <vector>

namespace {

constexpr int32_t kMovingNode = 128;
constexpr int32_t kTraceMoves = 256;
constexpr int32_t kTraceStays = 512;
constexpr int32_t kTraceSides = kTraceMoves | kTraceStays;
constexpr int32_t kTraceKinds = 14;
constexpr int32_t kBendKind = 4;
constexpr int32_t kViaKind = 8;

std::vector<int32_t> NetNodeIds(int32_t net, int32_t value, int32_t mask)
{
    std::vector<int32_t> ids;
    const int32_t map = N_NodeMap(net);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t node = OM_SearchMask(map, &cursor, value, mask)) ids.push_back(node);
    return ids;
}

int32_t TraceSide(int32_t trace)
{
    return O_GetStatus(T_Trace(trace)) & kTraceSides;
}

// A new bend point (kind 4) or via (kind 8) at (x, y); 0 when refused.
int32_t MakeTracePoint(int32_t kind, int32_t x, int32_t y)
{
    if (kind == kViaKind) {
        const int32_t padStack = g_StdPadStacks.UBound() >= 1 ? g_StdPadStacks(1) : 0;
        return V_CreateVia(0, 1, x, y, padStack, 1);
    }
    return T_CreateBendPoint(GetFreeID(1), 1, x, y);
}

// Gives the record its own new bend point or via in place of `kind`'s
// reference; false when the kernel made none.
bool RereferenceRecord(int32_t trace, int32_t index, int32_t kind, const TracePointRec& rec)
{
    const int32_t made = MakeTracePoint(kind, rec.X, rec.Y);
    if (made == 0) return false;
    T_MaskRecord(trace, index, kind, kTraceKinds);
    T_ChangeRecordRef(trace, index, made);
    return true;
}

// Cuts the trace at a node record of the other net: a via where the layer
// changes at the record, else a bend point.
void CutRecord(int32_t trace, int32_t index)
{
    TracePointRec rec{};
    if (T_ReadRecord(trace, index, &rec) == 0) return;
    TracePointRec before{};
    const bool layerChange = index > 1 && T_ReadRecord(trace, index - 1, &before) != 0 && before.Layer != rec.Layer;
    RereferenceRecord(trace, index, layerChange ? kViaKind : kBendKind, rec);
}

// Node records of the trace as (index, moving?) pairs.
std::vector<std::pair<int32_t, bool>> NodeRecords(int32_t trace, int32_t net)
{
    std::vector<std::pair<int32_t, bool>> records;
    TracePointRec rec{};
    for (int32_t from = 1;;) {
        const int32_t index = T_SearchRecordMaskRef(trace, from, 2, 0, &rec);
        if (index < 1) break;
        if ((rec.Flags & kTraceKinds) == 2)
            records.emplace_back(index, (O_GetStatus(N_Node(net, rec.Ref)) & kMovingNode) != 0);
        from = index + 1;
    }
    return records;
}

// Marks the old net's traces by the side of the nodes they reach and cuts
// those that reach both sides.
void SortTraces(int32_t oldNet, const std::vector<int32_t>& traces)
{
    for (const int32_t trace : traces) O_Mask(T_Trace(trace), 0, kTraceSides);
    for (const int32_t trace : traces) {
        const auto records = NodeRecords(trace, oldNet);
        int32_t balance = 0;
        for (const auto& [index, moving] : records) balance += moving ? 1 : -1;
        const bool anyMoving = std::any_of(records.begin(), records.end(), [](const auto& r) { return r.second; });
        const bool anyStaying = std::any_of(records.begin(), records.end(), [](const auto& r) { return !r.second; });
        if (!anyMoving && !anyStaying) continue;
        const bool moves = anyMoving && (!anyStaying || balance >= 1);
        O_Mask(T_Trace(trace), moves ? kTraceMoves : kTraceStays, kTraceSides);
        if (anyMoving && anyStaying)
            for (const auto& [index, moving] : records)
                if (moving != moves) CutRecord(trace, index);
    }
}

// The larger side spreads over the traces joined to it by bend points and
// vias; where such a point is shared with a trace of the other side, that
// trace gets a point of its own.
void SpreadTraceSides(const std::vector<int32_t>& traces, int32_t spread)
{
    const int32_t other = spread ^ kTraceSides;
    std::set<int32_t> scan;
    for (const int32_t trace : traces)
        if (TraceSide(trace) == spread) scan.insert(trace);
    while (!scan.empty()) {
        std::set<int32_t> next;
        for (const int32_t trace : scan) {
            if (TraceSide(trace) != spread) continue;
            bool changed = false;
            TracePointRec rec{};
            for (int32_t from = 1;;) {
                const int32_t index = T_SearchRecordMaskRef(trace, from, kBendKind | kViaKind, 0, &rec);
                if (index < 1) break;
                from = index + 1;
                const int32_t kind = rec.Flags & kTraceKinds;
                if (kind != kBendKind && kind != kViaKind) continue;
                for (const int32_t peer : traces) {
                    if (peer == trace) continue;
                    TracePointRec shared{};
                    for (int32_t at = 1;;) {
                        const int32_t found = T_SearchRecordMaskRef(peer, at, kind, rec.Ref, &shared);
                        if (found < 1) break;
                        at = found + 1;
                        if ((shared.Flags & kTraceKinds) != kind) continue;
                        const int32_t side = TraceSide(peer);
                        if (side == 0) {
                            O_Mask(T_Trace(peer), spread, kTraceSides);
                            next.insert(peer);
                            changed = true;
                        } else if (side == other && RereferenceRecord(peer, found, kind, shared)) {
                            changed = true;
                        }
                    }
                }
            }
            if (changed) next.insert(trace);
        }
        scan = std::move(next);
    }
}

// Takes the split's marks off the traces, vias and bend points.
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
        TracePointRec rec{};
        for (int32_t from = 1;;) {
            const int32_t index = T_SearchRecordMaskRef(trace, from, 2, 0, &rec);
            if (index < 1) break;
            if ((rec.Flags & kTraceKinds) == 2) O_Mask(N_Node(header.Net, rec.Ref), 4, 4);
            from = index + 1;
        }
    }
}

void SplitNet(int32_t& status, int32_t oldNet, int32_t& newNet, const std::string& name, int32_t group)
{
    status = 1;
    g_NetGroupTraceRefs.Redim(0, 0);
    const std::vector<int32_t> moving = NetNodeIds(oldNet, kMovingNode, kMovingNode);
    const auto staying = static_cast<size_t>(OM_GetCount(N_NodeMap(oldNet))) - moving.size();
    if (moving.empty() || staying == 0) {
        ClearTraceMarks({});
        return;
    }
    newNet = N_CreateNet(0, g_NetEditFlags | 1, name.c_str());
    if (newNet < 1) {
        std::string detail = name;
        ReportMsg(35, detail);
        newNet = 0;
        ClearTraceMarks({});
        return;
    }
    for (long k = 1; k <= g_NetGroupBranches.UBound(); ++k)
        if (g_NetGroupBranches(k).Group == group) B_ChangeBranchNet(g_NetGroupBranches(k).Branch, newNet);

    int32_t traceStatus = 0;
    CollectNetTraces(traceStatus, oldNet);
    std::vector<int32_t> traces;
    for (long k = 1; k <= g_NetGroupTraces.UBound(); ++k) traces.push_back(g_NetGroupTraces(k).Trace);
    if (traceStatus == 0) {
        SortTraces(oldNet, traces);
        SpreadTraceSides(traces, moving.size() <= staying ? kTraceStays : kTraceMoves);
        for (const int32_t trace : traces)
            if (TraceSide(trace) == kTraceMoves) T_ChangeTraceNet(trace, newNet);
    }

    for (const int32_t node : moving)
        if (MoveNetNode(oldNet, newNet, node)) O_Mask(N_Node(newNet, node), 0, kMovingNode);
    OM_MaskAll(N_NodeMap(newNet), 0, 512 | 4);
    OM_MaskAll(N_NodeMap(oldNet), 0, 256 | 4);
    MaskTraceNodes(kTraceMoves);
    MaskTraceNodes(kTraceStays);
    ClearTraceMarks(ReferencedBendPoints());
    status = 0;
}

void MergeNets(int32_t& status, int32_t target, int32_t source)
{
    NetRec targetRec{};
    NetRec sourceRec{};
    if (target == source || N_ReadNet(target, &targetRec) == 0 || N_ReadNet(source, &sourceRec) == 0) {
        status = 1;
        return;
    }
    const std::string targetName = PtrToStr(targetRec.Name);
    int32_t cursor = OM_GetFirst(DB_BranchMap());
    while (const int32_t branch = B_SearchNetPage(&cursor, 0, source, -1)) B_ChangeBranchNet(branch, target);
    while (const int32_t trace = T_FindNet(source))
        if (T_ChangeTraceNet(trace, target) == 0) break;
    bool allMoved = true;
    for (const int32_t node : NetNodeIds(source, 0, 0)) allMoved = MoveNetNode(source, target, node) && allMoved;
    RelinkSymbItems(-400 - DB_CurHier(), 1, source, target);
    RelinkSymbItems(-800 - DB_CurHier(), 1, source, target);
    if (allMoved) OM_Delete(DB_NetMap(), source);
    else status = 1;
    RefreshNetNameTexts(status, 0, target, targetName);
}
