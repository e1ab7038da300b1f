#include "editor/objects/traces.h"

#include "editor/shell/platform_calls.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace {

constexpr int32_t kTraceKinds = 14;  // 2 node, 4 bend point, 8 via

// True when a trace of `net` other than `except` has a record of that kind
// and reference.
bool UsedByOtherTrace(int32_t net, int32_t except, int32_t kind, int32_t ref)
{
    int32_t cursor = OM_GetFirst(DB_TraceMap());
    while (const int32_t trace = T_SearchNet(&cursor, net)) {
        if (trace == except) continue;
        TracePointRec point{};
        for (int32_t from = 1;;) {
            const int32_t index = T_SearchRecordMaskRef(trace, from, kind, ref, &point);
            if (index < 1) break;
            if ((point.Flags & kTraceKinds) == kind) return true;
            from = index + 1;
        }
    }
    return false;
}

// Replaces the trace by one that holds only the records `keep` accepts (the
// kernel deletes records only with their trace): the new trace is built
// whole, with the old status, net and segment data, before the old one goes,
// and then takes the old id. False, with the old trace untouched, when the
// new one cannot be built.
template <class Keep>
bool RebuildTrace(int32_t trace, Keep keep)
{
    TraceRec rec{};
    if (T_ReadTrace(trace, &rec) == 0) return false;
    const int32_t copy = T_CreateTrace(0, rec.Flags, rec.Net);
    if (copy == 0) return false;
    for (int32_t i = 1; i <= rec.Points; ++i) {
        TracePointRec point{};
        if (T_ReadRecord(trace, i, &point) == 0 || !keep(i, point)) continue;
        if (T_InsertRecord(copy, -1, point.Flags, point.Ref, point.Layer, point.Width) == 0) {
            OM_Delete(DB_TraceMap(), copy);
            return false;
        }
    }
    OM_Delete(DB_TraceMap(), trace);
    OM_ChangeId(DB_TraceMap(), copy, trace);
    return true;
}

int32_t TracePoints(int32_t trace)
{
    TraceRec rec{};
    return T_ReadTrace(trace, &rec) != 0 ? rec.Points : 0;
}

}  // namespace

void DeleteTrace(int32_t trace)
{
    TraceRec rec{};
    if (T_ReadTrace(trace, &rec) == 0) return;
    // Records deleted one by one and checked against every other trace
    // leave unused exactly the references that no other trace has; a
    // reference this trace uses twice is released once.
    std::vector<std::pair<int32_t, int32_t>> refs;
    for (int32_t i = 1; i <= rec.Points; ++i) {
        TracePointRec point{};
        if (T_ReadRecord(trace, i, &point) == 0 || (point.Flags & kTraceKinds) == 0) continue;
        const std::pair<int32_t, int32_t> r{point.Flags & kTraceKinds, point.Ref};
        if (std::find(refs.begin(), refs.end(), r) == refs.end()) refs.push_back(r);
    }
    for (const auto& [kind, ref] : refs) {
        if (UsedByOtherTrace(rec.Net, trace, kind, ref)) continue;
        if (kind == 8)
            OM_Delete(DB_ViaMap(), ref);
        else if (kind == 4)
            AddToHeap(0, ref, 1);
        else if (kind == 2)
            O_Mask(N_Node(rec.Net, ref), 0, 4);
    }
    OM_Delete(DB_TraceMap(), trace);
}

void DeleteTracesAtNode(int32_t layComp, int32_t entry, int32_t mask, int32_t filter)
{
    const int32_t map = DB_TraceMap();
    if (layComp != 0) T_MaskNodeRecords(layComp, entry, mask, mask, mask, mask, 0, 0);
    int32_t cursor = OM_GetFirst(map);
    while (const int32_t trace = OM_SearchMask(map, &cursor, mask, mask)) {
        O_Mask(T_Trace(trace), 0, mask);
        TraceRec rec{};
        if (T_ReadTrace(trace, &rec) == 0) continue;
        std::vector<int32_t> doomed;
        TracePointRec point{};
        for (int32_t from = 1;;) {
            const int32_t index = T_SearchRecordMaskRef(trace, from, mask, 0, &point);
            if (index < 1) break;
            if (filter == 0 || (O_GetStatus(N_Node(rec.Net, point.Ref)) & filter) != 0)
                doomed.push_back(index);
            else
                T_MaskRecord(trace, index, 0, mask);
            from = index + 1;
        }
        if (!doomed.empty() &&
            !RebuildTrace(trace, [&](int32_t i, const TracePointRec&) {
                return std::find(doomed.begin(), doomed.end(), i) == doomed.end();
            }))
            continue;
        if (TracePoints(trace) < 2) {
            DeleteTrace(trace);
            cursor = OM_GetFirst(map);
        }
    }
}
