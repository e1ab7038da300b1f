#include "editor/objects/symbol_items.h"

#include "editor/objects/owner_items.h"
#include "editor/shell/curpos.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/textnum.h"

int32_t g_CurSymb = 0;
ItemRec g_SymbItem{};
ItemRec g_SymbItemOld{};
ItemRec g_SymbText{};
ItemRec g_SymbTextOld{};
int32_t g_SymbItemIdx = 0;
int32_t g_SymbItemType = 0;
std::string g_SymbItemText;
std::string g_SymbItemTextOld;

namespace {

constexpr int32_t kTextKind = 6;

// Puts a record just read into the current buffers: a text into g_SymbText
// and its copy, with its string; any other item into g_SymbItem's copy.
// g_SymbItem takes every kind.
void TakeRead(const ItemRec& read, std::string& text)
{
    g_SymbItem = read;
    if (read.Kind == kTextKind) {
        g_SymbText = read;
        g_SymbTextOld = read;
        text = PtrToStr(read.Text);
    } else {
        g_SymbItemOld = read;
    }
}

}  // namespace

void ReadSymbItem(int32_t& status, int32_t symbol, int32_t index, std::string& text, int32_t& kind)
{
    status = 1;
    kind = 0;
    ItemRec read = g_SymbItem;
    if (I_ReadItem(S_SymbolItem(symbol, index), &read) == 0) return;
    TakeRead(read, text);
    kind = read.Kind;
    status = 0;
}

void ReadSymbItemAbs(int32_t& status, int32_t symbol, int32_t index, std::string& text)
{
    status = 1;
    ItemRec read = g_SymbItem;
    if (I_ReadItemAbs(S_SymbolItem(symbol, index), &read) <= 0) return;
    TakeRead(read, text);
    status = 0;
}

void WriteSymbItem(int32_t symbol, int32_t index, const ItemRec& record)
{
    const int32_t item = S_SymbolItem(symbol, index);
    if (item == 0 || record.X < -kCoordLimit || record.X > kCoordLimit || record.Y < -kCoordLimit ||
        record.Y > kCoordLimit)
        return;
    I_ChangeItemLink(item, record.Link);
    I_ChangeItemGap(item, record.Gap);
    I_ChangeItemXY(item, &record);
    I_ChangeItemAttr(item, record.Flags, record.Layer, record.Style, record.Width);
    O_Mask(item, 0, kItemDrawn);
}

void CoverSymbItem(int32_t& status, int32_t symbol, int32_t x, int32_t y, int32_t& index)
{
    index = OA_Cover(S_SymbolItemArray(symbol), 1, x, y, g_PickTolerance);
    status = index != 0 ? 0 : 1;
}

void CoverSymbItemOfType(int32_t& status, int32_t symbol, int32_t kind, int32_t x, int32_t y, int32_t& index)
{
    status = 1;
    const int32_t array = S_SymbolItemArray(symbol);
    for (int32_t found = OA_Cover(array, 1, x, y, g_PickTolerance); found > 0;
         found = OA_Cover(array, found + 1, x, y, g_PickTolerance)) {
        ItemRec read{};
        if (I_ReadItemAbs(S_SymbolItem(symbol, found), &read) != 0 && read.Kind == kind) {
            index = found;
            status = 0;
            return;
        }
    }
}

void RelinkSymbItems(int32_t symbol, int32_t mask, int32_t link, int32_t newLink)
{
    const int32_t array = S_SymbolItemArray(symbol);
    for (int32_t index = IA_SearchMaskLink(array, 1, mask, link); index > 0;
         index = IA_SearchMaskLink(array, index + 1, mask, link))
        I_ChangeItemLink(S_SymbolItem(symbol, index), newLink);
}

void DeleteSymbItemsByLink(int32_t symbol, int32_t mask, int32_t link)
{
    const int32_t array = S_SymbolItemArray(symbol);
    for (int32_t index = IA_SearchMaskLink(array, 1, mask, link); index > 0;
         index = IA_SearchMaskLink(array, index, mask, link))
        if (OA_Delete(array, index) == 0) return;
}
