// The design's library objects: devices with their groups (gates) and pins,
// symbols with their entries, drawing items and pad stacks.
//
// Besides the readers the editor calls, the family has builders of our own
// (D_CreateDevice, D_AddGroup, D_AddPin, D_ChangeDevicePrefix, S_AddEntry,
// S_ChangeEntrySwapLevel): the library and design compilers make devices
// and symbols through them.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <cstring>
#include <string_view>

namespace kernel {

namespace {

// A reference-name prefix ("U", "IC" ...) has at most 8 characters.
constexpr size_t kMaxPrefix = 8;

Device* FindDevice(int32_t id)
{
    Database* db = Db();
    return db ? db->devices.FindAs<Device>(id) : nullptr;
}

Symbol* FindSymbol(int32_t id)
{
    Database* db = Db();
    return db ? db->symbols.FindAs<Symbol>(id) : nullptr;
}

// The pad stack behind a handle, wherever it is (floating, in a symbol's
// map or in the design's map).
PadStack* PadStackOf(int32_t handle)
{
    return ObjectAs<PadStack>(handle, Kind::PadStack);
}

}  // namespace

}  // namespace kernel

using namespace kernel;

// ---- Devices ----------------------------------------------------------------------------

int32_t D_Device(int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(id);
        return d ? d->Handle() : 0;
    });
}

int32_t D_CreateDevice(int32_t id, const char* name, const char* package) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Database* db = Db();
        if (!db || !ValidName(name) || !ValidName(package)) return 0;
        auto device = std::make_unique<Device>();
        device->name = name;
        device->package = package;
        return db->devices.Insert(std::move(device), id);
    });
}

int32_t D_ChangeDevicePrefix(int32_t device, const char* prefix) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        if (!d || !prefix || strnlen(prefix, kMaxPrefix + 1) > kMaxPrefix) return 0;
        Touch(*d);
        d->prefix = prefix;
        return 1;
    });
}

int32_t D_AddGroup(int32_t device, const char* name, const char* symbName) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        if (!d || !ValidName(name) || !ValidName(symbName)) return 0;
        auto group = std::make_unique<Group>();
        group->name = name;
        group->symbName = symbName;
        return d->groups.Insert(std::move(group));
    });
}

int32_t D_AddPin(int32_t device, int32_t group, int32_t number, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        if (!d || !ValidName(name)) return 0;
        ObjectArray* pins = nullptr;
        if (group == 0) {
            pins = &d->supplyPins;
        } else if (auto* g = d->groups.AtAs<Group>(group)) {
            pins = &g->pins;
        }
        if (!pins) return 0;
        auto pin = std::make_unique<Pin>();
        pin->name = name;
        pin->number = number;
        return pins->Insert(std::move(pin));
    });
}

int32_t D_ReadDevice(int32_t id, DeviceRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(id);
        if (!d || !record) return 0;
        *record = DeviceRec{};
        record->Flags = d->status;
        record->Name = d->name.c_str();
        record->Prefix = d->prefix.c_str();
        record->Package = d->package.c_str();
        record->Groups = d->groups.Count();
        record->SupplyPins = d->supplyPins.Count();
        return 1;
    });
}

int32_t D_ReadGroup(int32_t device, int32_t group, GroupRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        auto* g = d ? d->groups.AtAs<Group>(group) : nullptr;
        if (!g || !record) return 0;
        record->Name = g->name.c_str();
        record->SymbName = g->symbName.c_str();
        record->Pins = g->pins.Count();
        return 1;
    });
}

int32_t D_GroupArray(int32_t device) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        return d ? d->groups.Handle() : 0;
    });
}

int32_t D_GroupPinArray(int32_t device, int32_t group) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        auto* g = d ? d->groups.AtAs<Group>(group) : nullptr;
        return g ? g->pins.Handle() : 0;
    });
}

int32_t D_SupplyPinArray(int32_t device) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Device* d = FindDevice(device);
        return d ? d->supplyPins.Handle() : 0;
    });
}

int32_t D_ReadPin(int32_t pinArray, int32_t index, PinRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* pins = ArrayFromHandle(pinArray);
        auto* pin = pins && pins->kind() == Kind::Pin ? pins->AtAs<Pin>(index) : nullptr;
        if (!pin || !record) return 0;
        record->Number = pin->number;
        record->Name = pin->name.c_str();
        return 1;
    });
}

int32_t D_SearchPinName(int32_t pinArray, int32_t start, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* pins = ArrayFromHandle(pinArray);
        if (!pins || pins->kind() != Kind::Pin || !ValidName(name)) return 0;
        for (int32_t i = start < 1 ? 1 : start; i <= pins->Count(); ++i)
            if (pins->At(i)->name == name) return i;
        return 0;
    });
}

// ---- Symbols ----------------------------------------------------------------------------

int32_t S_Symbol(int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(id);
        return s ? s->Handle() : 0;
    });
}

int32_t S_CreateSymbol(int32_t id, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Database* db = Db();
        if (!db || !ValidName(name)) return 0;
        // A negative id only as it is kept: a fixed symbol under its own
        // name, a library temporary under any.
        if (id < 0) {
            const char* kept = ReservedSymbolName(id);
            if (!kept || (*kept && std::string_view(name) != kept)) return 0;
        }
        auto symbol = std::make_unique<Symbol>();
        symbol->name = name;
        return db->symbols.Insert(std::move(symbol), id);
    });
}

int32_t S_ReadSymbol(int32_t id, SymbRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(id);
        if (!s || !record) return 0;
        record->Flags = s->status;
        record->Entries = s->entries.Count();
        record->Name = s->name.c_str();
        return 1;
    });
}

int32_t S_AddEntry(int32_t symbol, const char* name, int32_t x, int32_t y, int32_t flags, int32_t keyOrTextX,
                   int32_t textY, int32_t textAngle) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        if (!s || !ValidName(name) || !ValidCoord(x) || !ValidCoord(y)) return 0;
        auto entry = std::make_unique<SymbolEntry>();
        entry->name = name;
        entry->x = x;
        entry->y = y;
        entry->flags = flags;
        entry->keyOrTextX = keyOrTextX;
        entry->textY = textY;
        entry->textAngle = textAngle;
        return s->entries.Insert(std::move(entry));
    });
}

int32_t S_ChangeEntrySwapLevel(int32_t symbol, int32_t entry, int32_t level) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        auto* e = s ? s->entries.AtAs<SymbolEntry>(entry) : nullptr;
        if (!e || level < -1) return 0;
        Touch(*e);
        e->swapLevel = level;
        return 1;
    });
}

int32_t S_ReadEntry(int32_t symbol, int32_t entry, SymbEntryRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        auto* e = s ? s->entries.AtAs<SymbolEntry>(entry) : nullptr;
        if (!e || !record) return 0;
        FillEntryRecord(*e, entry, *record);
        return 1;
    });
}

int32_t S_SymbolItemArray(int32_t symbol) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        return s ? s->items.Handle() : 0;
    });
}

int32_t S_SymbolItem(int32_t symbol, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        return HandleOf(s ? s->items.At(index) : nullptr);
    });
}

int32_t S_SymbolEntryArray(int32_t symbol) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        return s ? s->entries.Handle() : 0;
    });
}

int32_t S_SymbolPadStackMap(int32_t symbol) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Symbol* s = FindSymbol(symbol);
        return s ? s->padStacks.Handle() : 0;
    });
}

// ---- Pad stacks ---------------------------------------------------------------------------

int32_t S_MakePadStack() noexcept
{
    return Guard(0, []() -> int32_t {
        Database* db = Db();
        if (!db) return 0;
        return db->AddFloating(std::make_unique<PadStack>())->Handle();
    });
}

int32_t S_ReadPadStack(int32_t padStack, PadStackRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        PadStack* p = PadStackOf(padStack);
        if (!p || !record) return 0;
        record->Flags = p->status;
        record->Hole = p->hole;
        record->Hole2 = p->hole2;
        return 1;
    });
}

int32_t S_ChangePadStackHole(int32_t padStack, int32_t hole, int32_t hole2) noexcept
{
    return Guard(0, [&]() -> int32_t {
        PadStack* p = PadStackOf(padStack);
        if (!p) return 0;
        Touch(*p);
        p->hole = hole;
        p->hole2 = hole2;
        GeometryChanged(p);
        return 1;
    });
}

int32_t S_PadStackItemArray(int32_t padStack) noexcept
{
    return Guard(0, [&]() -> int32_t {
        PadStack* p = PadStackOf(padStack);
        return p ? p->items.Handle() : 0;
    });
}
