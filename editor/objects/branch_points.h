// Editing single points of the wire being edited (g_CurBranch and the point
// state of wire_state.h): loading the points around the current one, turning
// a pin point into a junction, inserting junction points, cutting a segment
// loose from its pins before a drag, selection marks of records and
// junctions, moving junctions, re-pointing records, deleting one record.
//
// The current-point procedures share one argument list (status, selector, X,
// Y, distance); each uses what it needs. status: 0 done, 1 failed; each
// first reads g_CurBranch into g_CurBranchRec and fails when it cannot.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>

void LoadBranchPointNeighbours(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
void LoadBranchSegment(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
void SelectNearestBranchPoint(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
void MakeJunctionAtBranchPoint(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
// Selector > 0: a bus-wire junction (type 5), else a net-wire one (3).
void InsertJunctionInBranch(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
void FindBranchStretch(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);
void DetachSegmentFromNodes(int32_t& status, int32_t selector, int32_t x, int32_t y, int32_t distance);

// Mode 0 restores, mode 1 highlights one record and its branch; other modes
// change nothing.
void MaskBranchRecord(int32_t mode, int32_t branch, int32_t index);
void MoveJunction(const BranchPointRec& point);
void MoveJunctionPair(const BranchPointRec& first, const BranchPointRec& second);
// Selects records from `first` and draws them in draw mode 2; `count` goes
// to B_DrawRecords (-1: to the end).
void MarkBranchRecord(int32_t mode, int32_t branch, int32_t first, int32_t count);
void MarkJunctionWires(int32_t mode, int32_t branch, const BranchPointRec& point);
void MarkJunctionPairWires(int32_t mode, int32_t branch, const BranchPointRec& first, const BranchPointRec& second);
// Selector 1: junction records to the junction `newRef`; 3: junction records
// to the node `newRef`; 5: node records to the node `newRef`. The old
// junction of 1 and 3 goes back to the free ids.
void ReplaceBranchRecordRef(int32_t selector, int32_t oldRef, int32_t newRef);
// Deletes one point record with the clean-up of its reference; `branch`
// becomes 0 when the branch went away. A page frame's first and last point,
// and any point of a frame of fewer than 5 points, are refused with a beep.
void DeleteBranchRecord(int32_t& branch, int32_t index);
