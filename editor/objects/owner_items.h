// Graphic items by owner: every line, shape, pad and text belongs to an
// owner's item array. Making, deleting, drawing, erasing and writing back
// the items of an owner, and marking the wire texts picked at a point.
//
// Status arguments here only report failure: they are set to 1 when a
// procedure fails and left as the caller set them when it succeeds.
#pragma once

#include "platform/kernel/nvokernel32_functions.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// Owner kinds: whose item array an owner-item procedure works on.
constexpr int32_t kOwnerSymbol = 0;   // a symbol's items (owner = symbol id)
constexpr int32_t kOwnerComp = 1;     // a schematic component's texts
constexpr int32_t kOwnerLayComp = 2;  // a layout component's texts
constexpr int32_t kOwnerLayout = 3;   // the design's layout texts (no owner)
constexpr int32_t kOwnerBranch = 4;   // a wire's texts (owner = branch id)

// Item status bits the owner items use, and the branch bit of a wire with a
// selected text.
constexpr int32_t kItemDrawn = 1;
constexpr int32_t kItemSelected = 256;
constexpr int32_t kBranchTextSelected = 1024;

// A position plus an offset (a symbol entry's text offsets are not bounded
// like positions) without overflow: a sum beyond the coordinate space comes
// out just beyond it, where the kernel refuses the item.
constexpr int32_t OffsetCoord(int32_t base, int32_t offset)
{
    const int64_t sum = int64_t{base} + offset;
    return sum > kCoordLimit ? kCoordLimit + 1 : sum < -kCoordLimit ? -kCoordLimit - 1 : static_cast<int32_t>(sum);
}

// The item array of an owner; 0 for another owner kind or an owner that
// does not exist.
int32_t OwnerItemArray(int32_t ownerKind, int32_t owner);
// The handle of item `index` of an owner; 0 when there is none.
int32_t OwnerItem(int32_t ownerKind, int32_t owner, int32_t index);

// Makes an item from `record` (a text with `text` for Kind 6), with the
// record's link and gap, and adds it to the item array `array`. Everything
// is checked before the item is added, and an item that cannot be added is
// dropped again: on failure nothing is left behind. Returns the new index
// (also in `item`), 0 with status 1 on failure.
int32_t AddItemToArray(int32_t& status, int32_t array, const ItemRec& record, const std::string& text,
                       int32_t& item);

// Makes an item and adds it to the owner's item array (kinds 0..4); returns
// its index, also in `item`; 0 with status 1 when it cannot be made or added.
int32_t MakeOwnerItem(int32_t& status, int32_t ownerKind, int32_t owner, const ItemRec& record,
                      const std::string& text, int32_t& item);

// Deletes every item of the owner whose status has a bit of `mask`.
void DeleteOwnerItems(int32_t ownerKind, int32_t owner, int32_t mask);

// Draws one symbol item (kind 0) or wire text (kind 4) in draw mode 0 and
// marks it drawn; other kinds draw nothing.
void DrawOwnerItem(int32_t ownerKind, int32_t owner, int32_t index);
// Draws it off in draw mode 2, clears its drawn mark and, when `deleteIt`
// is nonzero, deletes it from its array.
void EraseOwnerItem(int32_t ownerKind, int32_t deleteIt, int32_t owner, int32_t index);

// Writes a text record back to text `index` of the owner: link, gap,
// position and angle, attributes, text size; clears its drawn mark. An
// owner kind outside 0..4, a missing text or a position beyond the
// kernel's range changes nothing.
void WriteOwnerText(int32_t ownerKind, int32_t owner, int32_t index, const ItemRec& record);

// Marks the wire texts of the current page that cover (x, y) within
// `tolerance` and whose position lies in g_SelRect (text bit 256, and bit
// 1024 on their wires), after clearing those marks everywhere. Status 0
// when a text was marked, else 1.
void SelectBranchTextsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance);
