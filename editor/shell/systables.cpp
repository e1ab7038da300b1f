#include "editor/shell/systables.h"

#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"

#include <array>

CheckedArray<CatColorRec> g_CatColorTable(0, 95);
CheckedArray<TextSizeRec> g_TextSizes(0, 32);
CheckedArray<int32_t> g_GridTable(0, 27);
CheckedArray<int32_t> g_SnapTable(0, 27);
CheckedArray<int32_t> g_AngleTable(0, 6);
CheckedArray<int32_t> g_PickTable(0, 4);
CheckedArray<int32_t> g_PadStackParams(0, 2);
CheckedArray<int32_t> g_LineWidths(0, 15);
CheckedArray<int32_t> g_ZoomTable(0, 31);
int32_t g_GridStep = 0;
int32_t g_SnapStep = 0;
int32_t g_AngleStep = 0;
int32_t g_PickStep = 0;
int32_t g_DefaultViewSize = 0;
int32_t g_HighlightColor = 0;
CheckedArray<int32_t> g_PadStackDef(0, 61);
CheckedArray<int32_t> g_StdPadStacks(0, 7);

namespace {

constexpr int32_t kMsgCantCreatePadStack = 40;
constexpr int32_t kMsgCantCreatePadItem = 41;

// Copies `count` Longs of system table `table` from its start; a table the
// kernel does not give stays zero.
template <size_t N>
std::array<int32_t, N> CopyLongs(int32_t table, size_t count = N)
{
    std::array<int32_t, N> longs{};
    if (void* source = E_SysTable(table))
        E_MemCopy(longs.data(), source, static_cast<int32_t>(count * sizeof(int32_t)));
    return longs;
}

// Copies `longs` into `target` from element `first`.
template <size_t N>
void Store(const std::array<int32_t, N>& longs, CheckedArray<int32_t>& target, long first)
{
    for (size_t i = 0; i < N; ++i) target(first + static_cast<long>(i)) = longs[i];
}

// target(base + selected) when the selected index lies within 1 .. last.
void Derive(const CheckedArray<int32_t>& table, long base, long last, int32_t& value)
{
    const int32_t selected = table(base);
    if (selected >= 1 && selected <= last) value = table(base + selected);
}

}  // namespace

void LoadSystemTables()
{
    // Colours of the drawing categories.
    std::array<uint8_t, 64> categories{};
    if (void* source = E_SysTable(systable::Categories)) E_MemCopy(categories.data(), source, 64);
    const auto palette = CopyLongs<256>(systable::Palette);
    for (long i = 0; i < 64; ++i) {
        CatColorRec& entry = g_CatColorTable(i);
        entry.PaletteIndex = categories[static_cast<size_t>(i)];
        entry.Color = palette[static_cast<size_t>(entry.PaletteIndex)];
    }

    // Text sizes.
    if (int32_t* sizes = DB_TextSizeTable()) {
        std::array<TextSizeRec, 32> copy{};
        E_MemCopy(copy.data(), sizes, static_cast<int32_t>(sizeof copy));
        for (long i = 0; i < 32; ++i) g_TextSizes(i) = copy[static_cast<size_t>(i)];
    }

    Store(CopyLongs<14>(systable::Grid), g_GridTable, 14);
    Derive(g_GridTable, 14, 13, g_GridStep);
    Store(CopyLongs<14>(systable::Snap), g_SnapTable, 14);
    Derive(g_SnapTable, 14, 13, g_SnapStep);
    Store(CopyLongs<7>(systable::Angles), g_AngleTable, 0);
    Derive(g_AngleTable, 0, 6, g_AngleStep);
    Store(CopyLongs<5>(systable::Pick), g_PickTable, 0);
    Derive(g_PickTable, 0, 4, g_PickStep);
    Store(CopyLongs<3>(systable::PadStack), g_PadStackParams, 0);
    Store(CopyLongs<16>(systable::LineWidths), g_LineWidths, 0);
    g_HighlightColor = 191;
    Store(CopyLongs<32>(systable::Zoom), g_ZoomTable, 0);
    Derive(g_ZoomTable, 0, 31, g_DefaultViewSize);
    if (g_DefaultViewSize == 0) g_DefaultViewSize = 25400;
}

void FillTextSizeList(Form& form)
{
    auto* list = dynamic_cast<ComboBox*>(form.FindControl("F_Tsize"));
    if (!list) RaiseError(errnum::InvalidCall);
    list->Clear();
    for (long i = 1; i <= 15; ++i) {
        const double value =
            6.0 * g_TextSizes(i).Width / g_DbUnitsPerMm * g_UnitFactor(g_UnitIndex);
        list->AddItem(Format(value, g_NumFormat(g_UnitIndex)) + g_UnitSuffix(g_UnitIndex));
    }
    const int index = g_TextSizeIdx - 1;
    list->SetListIndex(index >= 0 && index < list->ListCount() ? index : -1);
}

void LoadPadStacks()
{
    const int32_t map = DB_PadStackMap();
    if (OM_GetCount(map) < 7) {
        OM_DeleteAll(map);
        g_PadStackDef(31) = 88900;
        g_PadStackDef(32) = 157480;
        for (long i = 33; i <= 60; ++i) g_PadStackDef(i) = 142240;
        g_PadStackDef(61) = 157480;
        for (int32_t key = 1; key <= 7; ++key) {
            int32_t status = 0;
            CreatePadStack(status, key, "", g_PadStackParams(0));
        }
    }
    g_StdPadStacks.Redim(0, 7);
    int32_t cursor = OM_GetFirst(map);
    for (;;) {
        const int32_t id = OM_SearchMask(map, &cursor, 0, 0);
        if (id < 1) break;
        if (id <= 7) g_StdPadStacks(id) = id;
    }
}

void MakePadStackItem(int32_t& status, int32_t padStack, const ItemRec& record, const std::string& text,
                      int32_t& item)
{
    int32_t made = 0;
    if (record.Kind == 6)
        made = I_MakeText(record.X, record.Y, record.Angle, record.P1, record.P2, text.c_str(), record.Flags,
                          record.Layer, record.Width);
    else
        made = I_MakeItem(&record);
    I_ChangeItemLink(made, record.Link);
    I_ChangeItemGap(made, record.Gap);
    const int32_t index = OA_Add(S_PadStackItemArray(padStack), made);
    if (index != 0)
        item = index;
    else
        status = 1;
}

void MakePadStack(int32_t& status, int32_t symbol, int32_t& padStack, int32_t& key, const std::string& text,
                  int32_t hole0, int32_t hole31)
{
    const int32_t map = symbol != 0 ? S_SymbolPadStackMap(symbol) : DB_PadStackMap();
    padStack = S_MakePadStack();
    if (padStack == 0) {
        status = 1;
        return;
    }
    key = OM_Add(map, padStack, key);
    if (key == 0) {
        status = 1;
        return;
    }
    S_ChangePadStackHole(padStack, hole31, hole0);
    if (text.empty()) return;
    const TextSizeRec& size = g_TextSizes(17);
    ItemRec record{};
    record.Kind = 6;
    record.Flags = 2;
    record.Layer = 96;
    record.P1 = size.Height;
    record.P2 = size.Width;
    record.Width = size.Width3;
    int32_t item = 0;
    MakePadStackItem(status, padStack, record, text, item);
}

void CreatePadStack(int32_t& status, int32_t key, const std::string& text, int32_t padGap)
{
    int32_t padStack = 0;
    int32_t failed = 0;
    MakePadStack(failed, 0, padStack, key, text, g_PadStackDef(0), g_PadStackDef(31));
    if (failed != 0) {
        status = 1;
        ReportMsg(kMsgCantCreatePadStack);
        return;
    }
    for (long layer = 1; layer <= 30; ++layer) {
        const int32_t size = g_PadStackDef(layer + 31);
        ItemRec record{};
        record.Flags = 1;
        record.Layer = static_cast<uint8_t>(96 + layer);
        record.Style = 16;
        record.Gap = padGap;
        if (g_PadStackDef(layer) == 1) {
            record.Kind = 3;
            record.X = record.Y = ToLong(-size / 2.0);
            record.P1 = record.P2 = size;
        } else {
            record.Kind = 4;
            record.P1 = ToLong(size / 2.0);
        }
        int32_t item = 0;
        MakePadStackItem(failed, padStack, record, "", item);
        if (failed != 0) {
            status = 1;
            ReportMsg(kMsgCantCreatePadItem);
            return;
        }
    }
}
