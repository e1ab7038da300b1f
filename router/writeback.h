// The write-back's plan: every kernel object it will create and every old one
// it will replace, built completely (the dry run) before the kernel changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel/records.h"
#include "router/image.h"

namespace corvex {

struct PlannedJunction {
    int32_t page, type, x, y;
    int32_t func;     // routine id reported when the kernel refuses it
    int32_t id = 0;   // the kernel's id once created
};

struct PlannedRecord {
    int32_t code;      // 5 junction, 3 node
    int32_t junction;  // index into the plan's junctions (code 5)
    int32_t node;      // kernel node id (code 3)
};

struct PlannedBranch {
    int32_t page, kind, owner;  // kind 1 net wire, 3 bus wire; owner = kernel net or bus
    int32_t func;               // routine id reported when the kernel refuses it
    std::vector<PlannedRecord> records;
    std::vector<Seg> segments;  // for placing the old wires' texts
    int32_t id = 0;
};

// A text of an old wire, moved to the new wire of its net nearest to it.
struct MovedText {
    ItemRec rec;
    std::string text;
    int32_t branch;  // index into the plan's branches
};

struct FrameRef {
    int32_t frame, record, junction;  // kernel frame branch, record number, planned junction
};

struct WriteBackPlan {
    std::vector<PlannedJunction> junctions;
    std::vector<PlannedBranch> branches;
    std::vector<FrameRef> frames;
    std::vector<MovedText> texts;
    std::vector<int32_t> oldBranches;   // kernel wires replaced
    std::vector<int32_t> oldJunctions;  // kernel junctions replaced
    std::vector<std::pair<int32_t, int32_t>> nodes;  // (kernel net, node) that a wire reaches
};

// The dry run: 1 with the whole plan, 0 (error state set) with the kernel
// untouched.
int32_t BuildWriteBackPlan(WriteBackPlan& plan);

}  // namespace corvex
