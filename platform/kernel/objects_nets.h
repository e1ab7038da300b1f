// Nets with their nodes, buses, branches (wires) with point records and
// texts, junctions, and the layout's traces, vias and bend points.
#pragma once

#include "platform/kernel/objects.h"

namespace kernel {

struct Node : Object {
    Node() : Object(Kind::Node) {}
    int32_t comp = 0, entry = 0;        // schematic side
    int32_t layComp = 0, layEntry = 0;  // layout side
    int32_t x = 0, y = 0;
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
    std::vector<int32_t> members;  // net ids, slots 0..count-1
};

struct BranchPoint {
    int32_t flags = 0;  // (flags And 6) = 2: ref is a node id; 4: ref is a junction id
    int32_t ref = 0;
    int32_t x = 0, y = 0;
};

struct Branch : Object {
    Branch() : Object(Kind::Branch) {}
    int32_t net = 0;  // net or bus id
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
    int32_t flags = 0;  // 2 node id, 4 bend point id, 8 via id
    int32_t ref = 0;
    int32_t x = 0, y = 0;
    int32_t layer = 0;
};

struct Trace : Object {
    Trace() : Object(Kind::Trace) {}
    int32_t net = 0;
    std::vector<TracePoint> points;
};

struct Via : Object {
    Via() : Object(Kind::Via) {}
    int32_t x = 0, y = 0;
    int32_t net = 0;
};

struct BendPoint : Object {
    BendPoint() : Object(Kind::BendPoint) {}
    int32_t x = 0, y = 0;
};

}  // namespace kernel
