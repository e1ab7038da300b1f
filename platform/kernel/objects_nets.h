// Nets with their nodes, buses, branches (wires) with point records and
// texts, junctions, and the layout's traces, vias and bend points.
//
// Point records store no position of their own: a read shows the position
// of what the record refers to (see ShowPosition), and the stored X, Y only
// keep the last position shown, for a record whose reference has gone.
#pragma once

#include "platform/kernel/objects.h"

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
    Net(IdSpace& nodeIds, std::vector<Object*>& nodeIndex)
        : Object(Kind::Net), nodes(Kind::Node, nodeIds, nodeIndex)
    {
        nodes.SetOwner(this);
    }
    ObjectMap nodes;
};

struct Bus : Object {
    Bus() : Object(Kind::Bus) {}
    static constexpr int kMaxMembers = 128;
    // The member nets by object handle, slots 0..count-1. A deleted net's
    // handle goes stale, and its slot is dropped (the following members move
    // down) the next time the bus is looked at, so a net id that is reused
    // never inherits a membership.
    std::vector<int32_t> members;
};

struct BranchPoint {
    int32_t flags = 0;  // status word; (flags And 6) = 2: ref is a node id, = 4: a junction id
    int32_t ref = 0;
    int32_t x = 0, y = 0;  // the last position shown
};

struct Branch : Object {
    Branch() : Object(Kind::Branch) {}
    int32_t net = 0;  // net id, or bus id when status bit 2 is set
    int32_t page = 0;
    std::vector<BranchPoint> points;  // indexes 1..count
    ObjectArray texts{Kind::Item, this};
};

struct Junction : Object {
    Junction() : Object(Kind::Junction) {}
    int32_t x = 0, y = 0;
    int32_t page = 0;
};

struct TracePoint {
    int32_t flags = 0;  // status word; (flags And 14) = 2 node id, 4 bend point id, 8 via id
    int32_t ref = 0;
    int32_t x = 0, y = 0;  // the last position shown
    int32_t layer = 0;     // copper layer of the segment ending here
    int32_t width = 0;     // width of that segment
};

struct Trace : Object {
    Trace() : Object(Kind::Trace) {}
    int32_t net = 0;
    std::vector<TracePoint> points;  // indexes 1..count
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

// status = (status And Not mask) Or value, for point records that are not
// objects of their own.
inline void ApplyMask(int32_t& status, int32_t value, int32_t mask)
{
    status = (status & ~mask) | value;
}

// A position within the coordinate range the kernel accepts.
bool ValidPosition(int32_t x, int32_t y);

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
void ShowPosition(const Level& level, BranchPoint& point);
void ShowPosition(const Level& level, TracePoint& point);

}  // namespace kernel
