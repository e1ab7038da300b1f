// Drawing, highlighting and selecting wires. Everything draws into the
// drawing context the caller has open (the canvas's), with the kernel's
// drawing calls; XOR drawings (draw mode 2 or 8) are taken off again by the
// same drawing.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <vector>

// G_SetDrawMode(drawMode); the branch's records and junctions selected by
// `mask`, and its texts (mask with 14 in its low byte).
void RedrawBranch(int32_t drawMode, int32_t branch, int32_t mask);
void RedrawJunction(int32_t drawMode, int32_t junction);
// Marks every wire and junction of the level drawn (status 1), the frames
// of its pages excepted: a frame is never drawn as a wire, and a mark left
// on the frame of a page not shown would stay in the design.
void MarkAllWiresDrawn();
// flag not 0: marks every wire and junction (the page frames excepted)
// drawn and draws them in g_DrawMode; 0: draws them off (g_DrawMode Or 2)
// and clears the mark.
void DrawAllWires(int32_t flag);
// Every branch carrying all bits of `mask` except `excluded` goes to
// g_MaskedBranchIds; those on the current page are drawn (records of the
// mask and all texts) in the draw mode already set.
void DrawMaskedBranches(int32_t excluded, int32_t mask);

// Highlight (mode 1) or restore (mode 0) records of a branch. In mode 1 the
// records and the page-frame marks are drawn in XOR colour 61; in mode 0
// they are drawn normally with their texts, junctions and the current net's
// nodes. `count` goes to B_DrawRecords (-1: to the end).
void HighlightBranchRecords(int32_t mode, int32_t branch, int32_t first, int32_t count);
// The same for the selected records (mask 256) of the branch and of the
// other marked branches; the marks land on every branch and record that
// refers to the point's node or junction.
void HighlightSelectedBranches(int32_t mode, int32_t branch, const BranchPointRec& point);
// The same for every record of the marked branches.
void HighlightAllBranchRecords(int32_t mode, int32_t branch);
// The two marks on the current page frame (its datum corner and its first
// point), in the pen as set.
void DrawPageFrameMarks();

// Selects the wires the kernel reports at (x, y) within `size`: a wire
// wholly inside g_SelRect gets 512 (and its junctions 256), one partly
// inside 2048; its junction points inside the rectangle are selected.
// status 0 when anything was selected, else 1.
void SelectBranchesInRect(int32_t& status, int32_t x, int32_t y, int32_t size);
// A junction record that SelectBranchesInRect selected (256), as it read it,
// with its wire and whether that wire was taken whole (512).
struct SelectedBranchPoint {
    int32_t branch;
    bool whole;
    BranchPointRec point;
};
// How a caller that takes the selected records wants the marks.
struct BranchSelectionMarks {
    // false: the caller has cleared the marks the selection clears first
    // (wire 256 and 512, wire record 256, junction 256 and 4096) itself,
    // maybe together with others.
    bool clearFirst = true;
    // false: the wire, record and junction 256/512/2048 marks are left
    // out, for a caller that works from the records handed over and clears
    // those marks everywhere when it is done; the junctions reached still
    // get their 1.
    bool marks = true;
};
// The same, also handing over the records it selected, wire by wire.
void SelectBranchesInRect(int32_t& status, int32_t x, int32_t y, int32_t size,
                          std::vector<SelectedBranchPoint>& selected, BranchSelectionMarks how = {});
