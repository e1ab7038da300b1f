// Nets with their nodes, buses, branches (wires) with point records and
// texts, junctions, and the layout's traces, vias and bend points.
//
// Point records store no position of their own: a read shows the position
// of what the record refers to (see ShowPosition), and the stored X, Y only
// keep the last position shown, for a record whose reference has gone.
#pragma once

#include "platform/kernel/objects.h"

#include <algorithm>
#include <vector>

namespace kernel {

struct Level;

// The two sides of a node: 0 the schematic side (component, entry), 1 the
// layout side (layout component, pad number).
constexpr int kSchematicSide = 0;
constexpr int kLayoutSide = 1;

struct Node : Object {
    Node() : Object(Kind::Node) {}
    ~Node() override;

    // Read these freely; change them only through SetSide, which keeps the
    // kernel's index of nodes by component right.
    int32_t comp = 0, entry = 0;        // schematic side; 0 = none
    int32_t layComp = 0, layEntry = 0;  // layout side; 0 = none

    // Sets one side: `ref` is the (layout) component, `number` the entry or
    // pad number; (0, 0) clears the side.
    void SetSide(int side, int32_t ref, int32_t number);
    int32_t Ref(int side) const { return side == kSchematicSide ? comp : layComp; }
    int32_t Number(int side) const { return side == kSchematicSide ? entry : layEntry; }

private:
    // The component each side is indexed under (0: not indexed).
    int32_t indexed_[2] = {0, 0};
};

struct Net : Object {
    // Node maps share the level's node id space and index: see Level.
    Net(IdSpace& nodeIds, ObjectIndex& nodeIndex)
        : Object(Kind::Net), nodes(Kind::Node, nodeIds, nodeIndex)
    {
        nodes.SetOwner(this);
    }
    ObjectMap nodes;
};

struct Bus : Object {
    Bus() : Object(Kind::Bus) {}
    static constexpr int kMaxMembers = 128;
    // The member nets by object handle, indexed by slot (0..127); 0 is a
    // free slot, and the vector ends at the highest occupied slot. A slot is
    // taken by its number, so members keep their slots whatever happens to
    // the others. A deleted net's handle goes stale, and its slot is freed
    // the next time the bus is looked at, so a net id that is reused never
    // inherits a membership.
    std::vector<int32_t> members;
};

// The point records of a wire or a trace, indexes 1..count, in the
// objects' memory (object_memory.h) like the objects themselves.
template <class P>
using PointList = std::vector<P, ObjectMemoryAllocator<P>>;

struct BranchPoint {
    // The flag bits that say what the record refers to.
    static constexpr int32_t kKindBits = 6;
    int32_t flags = 0;  // status word; (flags And 6) = 2: ref is a node id, = 4: a junction id
    int32_t ref = 0;
    int32_t x = 0, y = 0;  // the last position shown
};

struct Branch : Object {
    Branch() : Object(Kind::Branch) {}
    int32_t net = 0;  // net id, or bus id when status bit 2 is set
    int32_t page = 0;
    PointList<BranchPoint> points;
    ObjectArray texts{Kind::Item, this};
};

struct Junction : Object {
    Junction() : Object(Kind::Junction) {}
    int32_t x = 0, y = 0;
    int32_t page = 0;
};

struct TracePoint {
    // The flag bits that say what the record refers to.
    static constexpr int32_t kKindBits = 14;
    int32_t flags = 0;  // status word; (flags And 14) = 2 node id, 4 bend point id, 8 via id
    int32_t ref = 0;
    int32_t x = 0, y = 0;  // the last position shown
    int32_t layer = 0;     // copper layer of the segment ending here
    int32_t width = 0;     // width of that segment
};

struct Trace : Object {
    Trace() : Object(Kind::Trace) {}
    int32_t net = 0;
    PointList<TracePoint> points;
};

struct Via : Object {
    Via() : Object(Kind::Via) {}
    int32_t x = 0, y = 0;
    int32_t padStack = 0;  // key in the design's pad-stack map
    int32_t layers = 0;    // kept as given (1 = all layers)
};

struct BendPoint : Object {
    BendPoint() : Object(Kind::BendPoint) {}
    int32_t x = 0, y = 0;
};

// A position within the coordinate range the kernel accepts.
inline bool ValidPosition(int32_t x, int32_t y)
{
    return ValidCoord(x) && ValidCoord(y);
}

// The kernel-wide node view (N_SetNodeView): the side that the component-keyed
// node calls and the node records' X, Y use.
int NodeView();

// The nodes of `level` on the pin (`ref`, `number`) of one side; number 0
// takes every pin of that component. Ordered by net id, then node id.
std::vector<Node*> PinNodes(const Level& level, int side, int32_t ref, int32_t number);

// The absolute position of a node's pin on one side (the component entry or
// the layout pad, through the component's placement); false when that side
// is not set or its pin cannot be read.
bool PinPosition(const Node& node, int side, int32_t& x, int32_t& y);

// Brings a point record's position up to date with what it refers to; a
// record whose reference is gone keeps the last position it showed.
// `owner` is the branch or trace holding the record (touched before the
// position changes, see Touch), null for a record not yet in one.
void ShowPosition(const Level& level, BranchPoint& point, Object* owner);
void ShowPosition(const Level& level, TracePoint& point, Object* owner);

// The ids of `nodes`, ascending.
std::vector<int32_t> SortedNodeIds(const std::vector<Node*>& nodes);

// ---- Point records of branches and traces ----------------------------------------
//
// P is BranchPoint or TracePoint, whose kKindBits say what a record refers
// to (2: a node, for both); Owner is Branch or Trace.

// The record at `index` (1..count), else null.
template <class P>
P* PointAt(PointList<P>& points, int32_t index)
{
    if (index < 1 || index > static_cast<int32_t>(points.size())) return nullptr;
    return &points[static_cast<size_t>(index - 1)];
}

// The index of the first record from `from` on (at least 1) with a bit of
// `mask` set and, unless `ref` is 0, that reference; 0 when there is none.
template <class P>
int32_t FindPoint(const PointList<P>& points, int32_t from, int32_t mask, int32_t ref)
{
    const auto count = static_cast<int32_t>(points.size());
    for (int32_t i = std::max(from, 1); i <= count; ++i) {
        const P& point = points[static_cast<size_t>(i - 1)];
        if ((point.flags & mask) && (ref == 0 || point.ref == ref)) return i;
    }
    return 0;
}

// Applies (value, mask) to the flags of a record of `owner` (its branch or
// trace); true when its kind bits (what the record refers to, and so where
// it lies) have changed.
template <class P>
bool MaskPoint(Object& owner, P& point, int32_t value, int32_t mask)
{
    const int32_t before = point.flags;
    if (((before & ~mask) | value) == before) return false;
    Touch(owner);
    ApplyMask(point.flags, value, mask);
    return ((before ^ point.flags) & P::kKindBits) != 0;
}

// Applies the record pair to the records of every member of `owners` (the
// branch or trace map of a level) that pass `test`, and the owner pair to
// each member holding one. Returns the number of records changed.
template <class Owner, class Test>
int32_t MarkRecords(ObjectMap& owners, int32_t ownerValue, int32_t ownerMask, int32_t recValue, int32_t recMask,
                    Test&& test)
{
    int32_t marked = 0;
    bool moved = false;
    owners.ForEach([&](Object& o) {
        auto& owner = static_cast<Owner&>(o);
        bool hit = false;
        for (auto& point : owner.points) {
            if (!test(point)) continue;
            moved = MaskPoint(owner, point, recValue, recMask) || moved;
            ++marked;
            hit = true;
        }
        if (hit) MaskStatus(owner, ownerValue, ownerMask);
    });
    if (moved) GeometryChanged(owners.owner());
    return marked;
}

// Marks what refers to `nodes`: the record pair goes to the records of
// `owners` (a branch or trace map) referring to one of them, the owner pair
// to the members holding one, the node pair to the nodes. Returns the
// number of records changed.
template <class Owner>
int32_t MarkRecordsOfNodes(ObjectMap& owners, const std::vector<Node*>& nodes, int32_t ownerValue,
                           int32_t ownerMask, int32_t recValue, int32_t recMask, int32_t nodeValue, int32_t nodeMask)
{
    using P = typename decltype(Owner::points)::value_type;
    const std::vector<int32_t> ids = SortedNodeIds(nodes);
    const int32_t marked =
        ids.empty() ? 0 : MarkRecords<Owner>(owners, ownerValue, ownerMask, recValue, recMask, [&](const P& p) {
            return (p.flags & P::kKindBits) == 2 && std::binary_search(ids.begin(), ids.end(), p.ref);
        });
    for (Node* node : nodes) MaskStatus(*node, nodeValue, nodeMask);
    return marked;
}

// MarkRecordsOfNodes for the nodes on the pin (`comp`, `entry`) of the
// node view in `level`.
template <class Owner>
int32_t MarkNodeRecords(const Level& level, ObjectMap& owners, int32_t comp, int32_t entry, int32_t ownerValue,
                        int32_t ownerMask, int32_t recValue, int32_t recMask, int32_t nodeValue, int32_t nodeMask)
{
    return MarkRecordsOfNodes<Owner>(owners, PinNodes(level, NodeView(), comp, entry), ownerValue, ownerMask,
                                     recValue, recMask, nodeValue, nodeMask);
}

// MarkNodeRecords for every pin of each component of `comps` (repeats
// count once), in one walk of `owners`: the same marks as one call per
// component with entry 0.
template <class Owner>
int32_t MarkNodeRecordSet(const Level& level, ObjectMap& owners, std::vector<int32_t> comps, int32_t ownerValue,
                          int32_t ownerMask, int32_t recValue, int32_t recMask, int32_t nodeValue, int32_t nodeMask)
{
    std::sort(comps.begin(), comps.end());
    comps.erase(std::unique(comps.begin(), comps.end()), comps.end());
    std::vector<Node*> nodes;
    for (const int32_t comp : comps) {
        const std::vector<Node*> pins = PinNodes(level, NodeView(), comp, 0);
        nodes.insert(nodes.end(), pins.begin(), pins.end());
    }
    return MarkRecordsOfNodes<Owner>(owners, nodes, ownerValue, ownerMask, recValue, recMask, nodeValue, nodeMask);
}

}  // namespace kernel
