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

namespace kernel {

void ShowPosition(const Level& level, TracePoint& point, Object* owner)
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
    if (!found || (point.x == x && point.y == y)) return;
    if (owner) Touch(*owner);
    point.x = x;
    point.y = y;
}

namespace {

// Traces are found by positive id only.
Trace* FindTrace(int32_t trace)
{
    return trace > 0 ? InCurLevel<Trace>(&Level::traces, trace) : nullptr;
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

// Fills a record with a point record's values, its position brought up to
// date first.
void Show(Trace& owner, TracePoint& point, TracePointRec& record)
{
    ShowPosition(*CurLevel(), point, &owner);
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
    return Walk<Trace>(level->traces, cursor, [&](const Trace& trace) { return trace.net == net; });
}

}  // namespace

}  // namespace kernel

using namespace kernel;

// ---- Traces ----------------------------------------------------------------------

int32_t T_Trace(int32_t trace) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(FindTrace(trace));
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
        Touch(*t);
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
        ShowPosition(*level, point, nullptr);
        Touch(*t);
        t->points.insert(t->points.begin() + (index - 1), point);
        GeometryChanged(t);
        return index;
    });
}

int32_t T_ReadRecord(int32_t trace, int32_t index, TracePointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(t->points, index) : nullptr;
        if (!point || !record) return 0;
        Show(*t, *point, *record);
        return 1;
    });
}

int32_t T_ChangeRecordRef(int32_t trace, int32_t index, int32_t ref) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(t->points, index) : nullptr;
        if (!point) return 0;
        Touch(*t);
        point->ref = ref;
        ShowPosition(*CurLevel(), *point, t);
        GeometryChanged(t);
        return 1;
    });
}

int32_t T_MaskRecord(int32_t trace, int32_t index, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Trace* t = FindTrace(trace);
        TracePoint* point = t ? PointAt(t->points, index) : nullptr;
        if (!point) return 0;
        if (MaskPoint(*t, *point, value, mask)) GeometryChanged(t);
        return 1;
    });
}

int32_t T_SearchRecordMaskRef(int32_t trace, int32_t from, int32_t mask, int32_t ref, TracePointRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Trace* t = FindTrace(trace);
        if (!t) return 0;
        const int32_t i = FindPoint(t->points, from, mask, ref);
        if (i && record) Show(*t, t->points[static_cast<size_t>(i - 1)], *record);
        return i;
    });
}

int32_t T_MaskNodeRecords(int32_t comp, int32_t entry, int32_t traceValue, int32_t traceMask, int32_t recValue,
                          int32_t recMask, int32_t nodeValue, int32_t nodeMask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        return MarkNodeRecords<Trace>(*level, level->traces, comp, entry, traceValue, traceMask, recValue, recMask,
                                      nodeValue, nodeMask);
    });
}

// ---- Bend points and vias --------------------------------------------------------

int32_t T_BendPoint(int32_t bendPoint) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(bendPoint > 0 ? InCurLevel<BendPoint>(&Level::bendPoints, bendPoint) : nullptr);
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
        return HandleOf(via > 0 ? InCurLevel<Via>(&Level::vias, via) : nullptr);
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
