#include "editor/shell/systables.h"

#include "editor/objects/padstacks.h"
#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/numtext.h"
#include "editor/shell/platform_calls.h"
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
