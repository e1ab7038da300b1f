// The layout's traces with their point records, and the bend points and vias
// those records meet at, in the current level.
//
// A trace point record refers to a node ((Flags And 14) = 2, the node's
// layout pad), a bend point (4) or a via (8); its X, Y are taken from that
// object when the record is read. Traces come from the layout work and the
// design compiler (T_CreateTrace, T_InsertRecord); the editor reads them,
// marks them and moves them between nets.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <algorithm>

namespace kernel {

void ShowPosition(const Level& level, TracePoint& point)
{
    int32_t x = 0, y = 0;
    bool found = false;
    switch (point.flags & 14) {
    case 2:
        if (const Node* node = level.FindNode(point.ref)) found = PinPosition(*node, kLayoutSide, x, y);
        break;
    case 4:
        if (const auto* bend = point.ref > 0 ? level.bendPoints.FindAs<BendPoint>(point.ref) : nullptr) {
            x = bend->x;
            y = bend->y;
            found = true;
        }
        break;
    case 8:
        if (const auto* via = point.ref > 0 ? level.vias.FindAs<Via>(point.ref) : nullptr) {
            x = via->x;
            y = via->y;
            found = true;
        }
        break;
    default: break;
    }
    if (found) {
        point.x = x;
        point.y = y;
    }
}

namespace {

Trace* FindTrace(int32_t trace)
{
    Level* level = CurLevel();
    return level && trace > 0 ? level->traces.FindAs<Trace>(trace) : nullptr;
}

bool NetOk(const Level& level, int32_t net)
{
    return net == 0 || (net > 0 && level.nets.Find(net));
}

bool ReferenceExists(const Level& level, int32_t flags, int32_t ref)
{
    if (ref <= 0) return false;
    switch (flags & 14) {
    case 2: return level.FindNode(ref) != nullptr;
    case 4: return level.bendPoints.Find(ref) != nullptr;
    case 8: return level.vias.Find(ref) != nullptr;
    default: return false;
    }
}

TracePoint* PointAt(Trace& trace, int32_t index)
{
    if (index < 1 || index > static_cast<int32_t>(trace.points.size())) return nullptr;
    return &trace.points[static_cast<size_t>(index - 1)];
}

void Fill(TracePointRec& record, const TracePoint& point)
{
    record.Flags = point.flags;
    record.Ref = point.ref;
    record.Layer = point.layer;
    record.Width = point.width;
    record.Reserved = 0;
    record.X = point.x;
    record.Y = point.y;
}

// The next positive-id trace of `net` above *cursor.
int32_t NextNetTrace(int32_t* cursor, int32_t net)
{
    Level* level = CurLevel();
    if (!level || !cursor || net <= 0) return 0;
    for (Object* o = level->traces.Next(*cursor); o; o = level->traces.Next(o->id)) {
        if (static_cast<const Trace&>(*o).net != net) continue;
        *cursor = o->id;
        return o->id;
    }
    return 0;
}

}  // namespace

}  // namespace kernel

using namespace kernel;

// ---- Traces ----------------------------------------------------------------------

int32_t T_Trace(int32_t trace) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        return t ? t->Handle() : 0;
    });
}

int32_t T_CreateTrace(int32_t id, int32_t flags, int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || id < 0 || !NetOk(*level, net)) return 0;
        Trace* trace = level->traces.Create<Trace>(id);
        if (!trace) return 0;
        trace->status = flags;
        trace->net = net;
        return trace->id;
    });
}

int32_t T_ReadTrace(int32_t trace, TraceRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        if (!t || !record) return 0;
        record->Flags = t->status;
        record->Net = t->net;
        record->Points = static_cast<int32_t>(t->points.size());
        return 1;
    });
}

int32_t T_ChangeTraceNet(int32_t trace, int32_t net) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        if (!t || !NetOk(*CurLevel(), net)) return 0;
        t->net = net;
        GeometryChanged(t);
        return 1;
    });
}

int32_t T_FindNet(int32_t net) noexcept
{
    return Guard(0, [&] {
        int32_t cursor = 0;
        return NextNetTrace(&cursor, net);
    });
}

int32_t T_SearchNet(int32_t* cursor, int32_t net) noexcept
{
    return Guard(0, [&] { return NextNetTrace(cursor, net); });
}

int32_t T_InsertRecord(int32_t trace, int32_t index, int32_t flags, int32_t ref, int32_t layer, int32_t width) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Trace* t = FindTrace(trace);
        if (!t) return 0;
        const auto count = static_cast<int32_t>(t->points.size());
        if (index == -1) index = count + 1;
        if (index < 1 || index > count + 1 || !ReferenceExists(*level, flags, ref)) return 0;
        TracePoint point{flags, ref, 0, 0, layer, width};
        ShowPosition(*level, point);
        t->points.insert(t->points.begin() + (index - 1), point);
        GeometryChanged(t);
        return index;
    });
}

int32_t T_ReadRecord(int32_t trace, int32_t index, TracePointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(*t, index) : nullptr;
        if (!point || !record) return 0;
        ShowPosition(*CurLevel(), *point);
        Fill(*record, *point);
        return 1;
    });
}

int32_t T_ChangeRecordRef(int32_t trace, int32_t index, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(*t, index) : nullptr;
        if (!point) return 0;
        point->ref = ref;
        ShowPosition(*CurLevel(), *point);
        GeometryChanged(t);
        return 1;
    });
}

int32_t T_MaskRecord(int32_t trace, int32_t index, int32_t value, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(*t, index) : nullptr;
        if (!point) return 0;
        const int32_t before = point->flags;
        ApplyMask(point->flags, value, mask);
        // The kind bits say what the record refers to, and so where it lies.
        if ((before ^ point->flags) & 14) GeometryChanged(t);
        return 1;
    });
}

int32_t T_SearchRecordMaskRef(int32_t trace, int32_t from, int32_t mask, int32_t ref, TracePointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        if (!t) return 0;
        const auto count = static_cast<int32_t>(t->points.size());
        for (int32_t i = std::max(from, 1); i <= count; ++i) {
            TracePoint& point = t->points[static_cast<size_t>(i - 1)];
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

int32_t T_MaskNodeRecords(int32_t comp, int32_t entry, int32_t traceValue, int32_t traceMask, int32_t recValue,
                          int32_t recMask, int32_t nodeValue, int32_t nodeMask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        const std::vector<Node*> nodes = PinNodes(*level, NodeView(), comp, entry);
        std::vector<int32_t> ids;
        for (const Node* node : nodes) ids.push_back(node->id);
        std::sort(ids.begin(), ids.end());
        int32_t marked = 0;
        bool moved = false;
        if (!ids.empty()) {
            level->traces.ForEach([&](Object& o) {
                auto& trace = static_cast<Trace&>(o);
                bool hit = false;
                for (TracePoint& point : trace.points) {
                    if ((point.flags & 14) != 2 || !std::binary_search(ids.begin(), ids.end(), point.ref)) continue;
                    ApplyMask(point.flags, recValue, recMask);
                    moved = moved || (point.flags & 14) != 2;
                    ++marked;
                    hit = true;
                }
                if (hit) ApplyMask(trace.status, traceValue, traceMask);
            });
        }
        if (moved) GeometryChanged(level);
        for (Node* node : nodes) ApplyMask(node->status, nodeValue, nodeMask);
        return marked;
    });
}

// ---- Bend points and vias --------------------------------------------------------

int32_t T_BendPoint(int32_t bendPoint) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Object* b = level && bendPoint > 0 ? level->bendPoints.Find(bendPoint) : nullptr;
        return b ? b->Handle() : 0;
    });
}

int32_t T_CreateBendPoint(int32_t id, int32_t type, int32_t x, int32_t y) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || id < 0 || !ValidPosition(x, y)) return 0;
        // An explicit id may be one GetFreeID(1) reserved; 0 skips reserved ids.
        BendPoint* bend = level->bendPoints.Create<BendPoint>(id);
        if (!bend) return 0;
        bend->status = type;
        bend->x = x;
        bend->y = y;
        return bend->id;
    });
}

int32_t V_Via(int32_t via) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        Object* v = level && via > 0 ? level->vias.Find(via) : nullptr;
        return v ? v->Handle() : 0;
    });
}

int32_t V_CreateVia(int32_t id, int32_t flags, int32_t x, int32_t y, int32_t padStack, int32_t layers) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Database* db = Db();
        Level* level = CurLevel();
        if (!level || id < 0 || !ValidPosition(x, y) || padStack <= 0 || !db->padStacks.Find(padStack)) return 0;
        Via* via = level->vias.Create<Via>(id);
        if (!via) return 0;
        via->status = flags;
        via->x = x;
        via->y = y;
        via->padStack = padStack;
        via->layers = layers;
        return via->id;
    });
}
