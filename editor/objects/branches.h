// Branches (wires and bus wires) and their junctions: deleting a branch with
// the clean-up of the nodes and junctions it leaves unused, deleting the
// wire records at a pin, the start-up check of broken branches, and the copy
// of a branch's points into the shared node list.
//
// Status arguments: 0 = done or found, 1 = failed or nothing found.
#pragma once

#include "platform/kernel/records.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

// Hands a junction id to the kernel's free junction ids (which deletes the
// junction); the kernel's result.
int32_t AddJunctionToHeap(int32_t junction);
// The next free junction id.
int32_t GetFreeJunctionId();

// Deletes the branch; every node or junction one of its records referred to
// and that nothing else uses any more is released (a junction goes back to
// the free ids, a node loses its wire bit 2). The net stays; callers that
// need it gone call DeleteNetIfEmpty.
void DeleteBranch(int32_t branch);
// Deletes the branches in the order given, leaving the same design as
// DeleteBranch on each in turn: the references of a run of plain net wires
// (net nonzero, no bus member) are checked once per net after the run,
// which releases exactly what the checks after each deletion would.
// Returns the branches read and deleted, in order.
std::vector<int32_t> DeleteBranches(const std::vector<int32_t>& branches);
// After a net branch of a bus member went: a net-wire junction (type bit 2)
// on a bus branch of `bus` that no other branch uses becomes a bus-wire
// point (whole status 4).
void CheckBranchJunctions(int32_t bus);
// Decides for a record just taken off a branch with header `owner` whether
// its node or junction is still used, and releases it when not.
void ReleaseBranchReference(const BranchRec& owner, int32_t kind, int32_t ref);
// The same for the (kind, ref) references of several records taken off one
// branch, in one walk over the level's branches.
void ReleaseBranchReferences(const BranchRec& owner, std::vector<std::pair<int32_t, int32_t>> refs);

// Deletes every point record of the branch carrying a bit of `mask`, one by
// one through DeleteBranchRecord. `first` = the index before the first one
// deleted; -1 when nothing was deleted or the branch went away (then
// `branch` is 0).
void DeleteBranchRecordsByMask(int32_t& branch, int32_t mask, int32_t& first);
// Deletes the wire records ending at the component's entry (0 = every
// entry; component 0: only the marks already set) and the branches left
// with fewer than two records.
void DeleteBranchesAtNode(int32_t comp, int32_t entry, int32_t mask);
// DeleteBranchesAtNode for every entry of each component of `comps`, the
// pins of all of them marked together and the branches walked once.
// Nothing for an empty set.
void DeleteBranchesAtComps(const std::vector<int32_t>& comps, int32_t mask);

// The start-up check: deletes every net branch with a reference to a node,
// component entry or junction that is gone, then its net when that became
// empty. status 1 when anything was deleted, else 0.
void RemoveBrokenBranches(int32_t& status);

// g_NetNodes(0) = the branch's flags and net; then one element per readable
// point: flags, the junction's status for a junction point, X and Y. The
// walk starts at the end nearer to `index`.
void CopyBranchPoints(int32_t branch, int32_t index);

// (value, mask) on every junction that a record of the branch refers to.
void MaskBranchJunctions(int32_t branch, int32_t value, int32_t mask);

// The point records of one wire at a time, as B_ReadRecord shows them, read
// in one kernel call into a buffer kept from wire to wire.
class BranchRecords {
public:
    // Reads the records of `branch`; false (and none) for no such wire.
    bool Read(int32_t branch);
    size_t size() const { return count_; }
    const BranchPointRec& operator[](size_t i) const { return buffer_[i]; }
    const BranchPointRec* begin() const { return buffer_.data(); }
    const BranchPointRec* end() const { return buffer_.data() + count_; }

private:
    std::vector<BranchPointRec> buffer_ = std::vector<BranchPointRec>(16);
    size_t count_ = 0;
};

// The point records of a list of wires, read in one kernel call into
// buffers kept from call to call.
class BranchRecordSet {
public:
    // Reads the records of every wire of `branches`.
    void Read(const std::vector<int32_t>& branches);
    // Whether the i-th wire of the list was there, and its records.
    bool Found(size_t i) const { return counts_[i] >= 0; }
    const BranchPointRec* Records(size_t i) const { return records_.data() + first_[i]; }
    size_t Count(size_t i) const { return counts_[i] > 0 ? static_cast<size_t>(counts_[i]) : 0; }

private:
    std::vector<BranchPointRec> records_;
    std::vector<int32_t> counts_;
    std::vector<size_t> first_;
};

