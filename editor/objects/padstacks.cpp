#include "editor/objects/padstacks.h"

#include "editor/objects/owner_items.h"
#include "editor/shell/platform_calls.h"
#include "editor/shell/reporter.h"
#include "editor/shell/systables.h"
#include "editor/shell/textnum.h"

namespace {

constexpr int32_t kMsgCantCreatePadStack = 40;
constexpr int32_t kMsgCantCreatePadItem = 41;

constexpr int32_t kLayers = 30;
constexpr int32_t kPadStackLayer = 96;  // Layer of pad-stack texts; pads add their layer number
constexpr int32_t kPadStackTextSize = 17;

// A new pad stack, in no map yet, with its hole and its text; 0 when any
// part of it cannot be made (nothing is left then).
int32_t BuildPadStack(const std::string& text, int32_t hole0, int32_t hole31)
{
    const int32_t padStack = S_MakePadStack();
    if (padStack == 0) return 0;
    if (S_ChangePadStackHole(padStack, hole31, hole0) == 0) {
        O_Discard(padStack);
        return 0;
    }
    if (text.empty()) return padStack;
    const TextSizeRec& size = g_TextSizes(kPadStackTextSize);
    ItemRec record{};
    record.Kind = 6;
    record.Flags = 2;
    record.Layer = kPadStackLayer;
    record.P1 = size.Height;
    record.P2 = size.Width;
    record.Width = size.Width3;
    int32_t failed = 0;
    int32_t item = 0;
    MakePadStackItem(failed, padStack, record, text, item);
    if (failed != 0) {
        O_Discard(padStack);
        return 0;
    }
    return padStack;
}

// Puts a built pad stack into `map` under `key` (0: the lowest free);
// drops it when the map refuses.
bool RegisterPadStack(int32_t map, int32_t padStack, int32_t& key)
{
    const int32_t given = OM_Add(map, padStack, key);
    if (given == 0) {
        O_Discard(padStack);
        return false;
    }
    key = given;
    return true;
}

// The pad of `layer` from g_PadStackDef: square pads (shape 1) with their
// lower left corner at minus half the size, round pads of half the size
// as radius about the origin.
ItemRec PadRecord(long layer, int32_t padGap)
{
    const int32_t size = g_PadStackDef(layer + 31);
    ItemRec record{};
    record.Flags = 1;
    record.Layer = static_cast<uint8_t>(kPadStackLayer + layer);
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
    return record;
}

bool PadSizesUsable()
{
    for (long layer = 1; layer <= kLayers; ++layer) {
        const int32_t size = g_PadStackDef(layer + 31);
        if (size < 0 || size > kCoordLimit) return false;
    }
    return true;
}

}  // namespace

void MakePadStackItem(int32_t& status, int32_t padStack, const ItemRec& record, const std::string& text,
                      int32_t& item)
{
    AddItemToArray(status, S_PadStackItemArray(padStack), record, text, item);
}

void MakePadStack(int32_t& status, int32_t symbol, int32_t& padStack, int32_t& key, const std::string& text,
                  int32_t hole0, int32_t hole31)
{
    padStack = 0;
    const int32_t map = symbol != 0 ? S_SymbolPadStackMap(symbol) : DB_PadStackMap();
    const int32_t built = map != 0 ? BuildPadStack(text, hole0, hole31) : 0;
    if (built == 0 || !RegisterPadStack(map, built, key)) {
        status = 1;
        return;
    }
    padStack = built;
}

void CreatePadStack(int32_t& status, int32_t key, const std::string& text, int32_t padGap)
{
    if (!PadSizesUsable()) {
        status = 1;
        ReportMsg(kMsgCantCreatePadItem);
        return;
    }
    const int32_t padStack = BuildPadStack(text, g_PadStackDef(0), g_PadStackDef(31));
    if (padStack == 0) {
        status = 1;
        ReportMsg(kMsgCantCreatePadStack);
        return;
    }
    for (long layer = 1; layer <= kLayers; ++layer) {
        int32_t failed = 0;
        int32_t item = 0;
        MakePadStackItem(failed, padStack, PadRecord(layer, padGap), "", item);
        if (failed != 0) {
            O_Discard(padStack);
            status = 1;
            ReportMsg(kMsgCantCreatePadItem);
            return;
        }
    }
    if (!RegisterPadStack(DB_PadStackMap(), padStack, key)) {
        status = 1;
        ReportMsg(kMsgCantCreatePadStack);
    }
}
