#include "editor/objects/owner_items.h"

#include "editor/objects/cover_sets.h"
#include "editor/shell/curpos.h"
#include "editor/shell/platform_calls.h"


namespace {

constexpr int32_t kDrawPlain = 0;
constexpr int32_t kDrawErase = 2;

bool InRange(int32_t v)
{
    return v >= -kCoordLimit && v <= kCoordLimit;
}

// Makes the item of `record` with its link and gap; 0 when the kernel
// refuses it (a bad kind, text or position).
int32_t MakeLinkedItem(const ItemRec& record, const std::string& text)
{
    const int32_t item = record.Kind == 6 ? I_MakeText(record.X, record.Y, record.Angle, record.P1, record.P2,
                                                       text.c_str(), record.Flags, record.Layer, record.Width)
                                          : I_MakeItem(&record);
    if (item == 0) return 0;
    if (I_ChangeItemLink(item, record.Link) == 0 || I_ChangeItemGap(item, record.Gap) == 0) {
        O_Discard(item);
        return 0;
    }
    return item;
}

// Deletes the items OA_SearchMask-style searches find from `index` on, one
// after the other (the items behind move up); stops when a delete fails.
template <class Search>
void DeleteFound(int32_t array, Search search)
{
    for (int32_t index = search(1); index > 0; index = search(index))
        if (OA_Delete(array, index) == 0) return;
}

}  // namespace

int32_t OwnerItemArray(int32_t ownerKind, int32_t owner)
{
    switch (ownerKind) {
    case kOwnerSymbol: return S_SymbolItemArray(owner);
    case kOwnerComp: return C_CompTextArray(owner);
    case kOwnerLayComp: return L_CompTextArray(owner);
    case kOwnerLayout: return DB_LayoutTextArray();
    case kOwnerBranch: return B_BranchTextArray(owner);
    default: return 0;
    }
}

int32_t OwnerItem(int32_t ownerKind, int32_t owner, int32_t index)
{
    switch (ownerKind) {
    case kOwnerSymbol: return S_SymbolItem(owner, index);
    case kOwnerComp: return C_CompText(owner, index);
    case kOwnerLayComp: return L_CompText(owner, index);
    case kOwnerLayout: return T_LayoutText(index);
    case kOwnerBranch: return B_BranchText(owner, index);
    default: return 0;
    }
}

int32_t AddItemToArray(int32_t& status, int32_t array, const ItemRec& record, const std::string& text,
                       int32_t& item)
{
    if (array == 0) {
        status = 1;
        return 0;
    }
    const int32_t made = MakeLinkedItem(record, text);
    if (made == 0) {
        status = 1;
        return 0;
    }
    const int32_t index = OA_Add(array, made);
    if (index == 0) {
        O_Discard(made);
        status = 1;
        return 0;
    }
    item = index;
    return index;
}

int32_t MakeOwnerItem(int32_t& status, int32_t ownerKind, int32_t owner, const ItemRec& record,
                      const std::string& text, int32_t& item)
{
    return AddItemToArray(status, OwnerItemArray(ownerKind, owner), record, text, item);
}

void DeleteOwnerItems(int32_t ownerKind, int32_t owner, int32_t mask)
{
    const int32_t array = OwnerItemArray(ownerKind, owner);
    if (array == 0) return;
    DeleteFound(array, [&](int32_t from) { return OA_SearchMask(array, from, mask); });
}

void DrawOwnerItem(int32_t ownerKind, int32_t owner, int32_t index)
{
    G_SetDrawMode(kDrawPlain);
    if (ownerKind == kOwnerSymbol) {
        S_DrawItem(owner, index);
        O_Mask(S_SymbolItem(owner, index), kItemDrawn, kItemDrawn);
    } else if (ownerKind == kOwnerBranch) {
        B_DrawBranchText(owner, index);
        O_Mask(B_BranchText(owner, index), kItemDrawn, kItemDrawn);
    }
}

void EraseOwnerItem(int32_t ownerKind, int32_t deleteIt, int32_t owner, int32_t index)
{
    G_SetDrawMode(kDrawErase);
    if (ownerKind == kOwnerSymbol) {
        S_DrawItem(owner, index);
        O_Mask(S_SymbolItem(owner, index), 0, kItemDrawn);
    } else if (ownerKind == kOwnerBranch) {
        B_DrawBranchText(owner, index);
        O_Mask(B_BranchText(owner, index), 0, kItemDrawn);
    } else {
        return;
    }
    if (deleteIt != 0) OA_Delete(OwnerItemArray(ownerKind, owner), index);
}

void WriteOwnerText(int32_t ownerKind, int32_t owner, int32_t index, const ItemRec& record)
{
    const int32_t item = OwnerItem(ownerKind, owner, index);
    if (item == 0 || !InRange(record.X) || !InRange(record.Y)) return;
    I_ChangeItemLink(item, record.Link);
    I_ChangeItemGap(item, record.Gap);
    I_ChangeItemXY(item, &record);
    I_ChangeItemAttr(item, record.Flags, record.Layer, record.Style, record.Width);
    I_ChangeTextSize(item, record.P1, record.P2);
    O_Mask(item, 0, kItemDrawn);
}

void SelectBranchTextsAtPoint(int32_t& status, int32_t x, int32_t y, int32_t tolerance)
{
    status = 1;
    const int32_t map = DB_BranchMap();
    OM_MaskAll(map, 0, kBranchTextSelected);
    // Most wires have no texts: nothing to clear or find. The kernel hands
    // over those that have some.
    for (const int32_t branch : TextBranchSet()) {
        const int32_t texts = B_BranchTextArray(branch);
        if (OA_GetCount(texts) == 0) continue;
        const int32_t handle = B_Branch(branch);
        if (O_TestPage(handle, 0) == 0) continue;
        OA_MaskAll(texts, 0, kItemSelected);
        for (int32_t index = OA_Cover(texts, 1, x, y, tolerance); index > 0;
             index = OA_Cover(texts, index + 1, x, y, tolerance)) {
            const int32_t text = B_BranchText(branch, index);
            ItemRec record{};
            if (I_ReadItem(text, &record) == 0) continue;
            if (DB_CoverRectangle(record.X, record.Y, 1, g_SelRect.X1, g_SelRect.Y1, g_SelRect.X2, g_SelRect.Y2) ==
                0)
                continue;
            O_Mask(text, kItemSelected, kItemSelected);
            O_Mask(handle, kBranchTextSelected, kBranchTextSelected);
            status = 0;
        }
    }
}
