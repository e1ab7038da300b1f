// Schematic components and layout components of the current level: making,
// reading, placing, packing, their entries' absolute positions, their text
// arrays and the searches for the components that use a device or symbol.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

namespace kernel {

namespace {

// A component's symbol must exist; its device may be 0 (symbol only).
bool SymbolExists(const Database& db, int32_t symb)
{
    return symb != 0 && db.symbols.Find(symb);
}

bool DeviceRefOk(const Database& db, int32_t device)
{
    return device == 0 || db.devices.Find(device);
}

// Shared by C_CreateComponent and L_CreateComponent: the same nine values
// in the same order. The new object goes in under `id` (0: the lowest free
// id, 1..15999 for both kinds: the maps allow no more).
template <class T>
T* MakeComponent(ObjectMap& map, int32_t id, const char* name, int32_t flags, int32_t device, int32_t symb,
                 int32_t extra, int32_t x, int32_t y, int32_t angle)
{
    Database* db = Db();
    if (!db || !ValidName(name) || !SymbolExists(*db, symb) || !DeviceRefOk(*db, device)) return nullptr;
    if (!ValidCoord(x) || !ValidCoord(y)) return nullptr;
    auto object = std::make_unique<T>();
    T* c = object.get();
    c->name = name;
    c->status = flags;
    c->device = device;
    c->symb = symb;
    c->extra = extra;
    c->x = x;
    c->y = y;
    c->angle = angle;
    return map.Insert(std::move(object), id) ? c : nullptr;
}

// The entry `number` of the symbol of component `c`, and where the
// component's placement puts it; null when there is no such entry.
template <class T>
const SymbolEntry* PlaceEntry(const T* c, int32_t number, int32_t& x, int32_t& y)
{
    Database* db = Db();
    const Symbol* symbol = c && db ? db->symbols.FindAs<Symbol>(c->symb) : nullptr;
    const SymbolEntry* e = symbol ? symbol->entries.AtAs<SymbolEntry>(number) : nullptr;
    if (e) PlacementOf(*c).Place(e->x, e->y, x, y);
    return e;
}

const SymbolEntry* PlaceEntry(const Level& level, int side, int32_t ref, int32_t number, int32_t& x, int32_t& y)
{
    if (side == kSchematicSide) return PlaceEntry(level.components.FindAs<Component>(ref), number, x, y);
    if (side == kLayoutSide) return PlaceEntry(level.layComps.FindAs<LayComp>(ref), number, x, y);
    return nullptr;
}

// The entry of a (layout) component of the current level, at its absolute
// position.
int32_t ReadPlacedEntry(int side, int32_t ref, int32_t number, EntryRec* record)
{
    Level* level = CurLevel();
    int32_t x, y;
    const SymbolEntry* e = level ? PlaceEntry(*level, side, ref, number, x, y) : nullptr;
    if (!e || !record) return 0;
    FillEntryRecord(*e, number, *record);
    record->X = x;
    record->Y = y;
    return 1;
}

// The next component of the level above *cursor (positive ids, ascending)
// that passes `test`; the cursor moves to it. 0 at the end.
template <class T, class Test>
int32_t SearchMap(ObjectMap& map, int32_t* cursor, Test&& test)
{
    const int32_t found = Walk<T>(map, cursor, test);
    if (!found) *cursor = 0x7FFFFFFF;  // stays at the end if called again
    return found;
}

// The component a part link stands for, or null when it has gone.
Component* LinkedComp(const LayComp& lay, const PartLink& link)
{
    auto* comp = ObjectAs<Component>(link.handle, Kind::Component);
    if (!comp || !comp->map || LevelOf(*comp) != LevelOf(lay)) return nullptr;
    return comp;
}

}  // namespace

bool PlacedEntryXY(const Level& level, int side, int32_t ref, int32_t number, int32_t& x, int32_t& y)
{
    return PlaceEntry(level, side, ref, number, x, y) != nullptr;
}

}  // namespace kernel

using namespace kernel;

// ---- Schematic components -------------------------------------------------------------

int32_t C_Component(int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(InCurLevel<Component>(&Level::components, id));
    });
}

int32_t C_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symb, int32_t extra,
                          int32_t x, int32_t y, int32_t angle) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        // A component lies on a page: the current one.
        if (!level || !level->pages.Find(level->curPage)) return 0;
        auto* c = MakeComponent<Component>(level->components, id, name, flags, device, symb, extra, x, y, angle);
        if (!c) return 0;
        c->page = level->curPage;
        return c->id;
    });
}

int32_t C_ReadComponent(int32_t id, CompRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, id);
        if (!c || !record) return 0;
        record->Flags = c->status;
        record->Name = c->name.c_str();
        record->X = c->x;
        record->Y = c->y;
        record->Symb = c->symb;
        record->Device = c->device;
        record->LayComp = c->layComp;
        record->Group = c->group;
        record->Page = c->page;
        record->Info = c->info;
        record->Angle = c->angle;
        record->Extra = c->extra;
        return 1;
    });
}

int32_t C_ReadEntry(int32_t comp, int32_t entry, EntryRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return ReadPlacedEntry(kSchematicSide, comp, entry, record);
    });
}

int32_t C_ChangeCompDispAttr(int32_t comp, int32_t angle, int32_t mirrored) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        if (!c) return 0;
        Touch(*c);
        c->angle = angle;  // as given, so restoring the old values restores the component
        // Any nonzero value mirrors (callers pass 1, 2 or -1).
        c->status = mirrored ? c->status | 2 : c->status & ~2;
        GeometryChanged(c);
        return 1;
    });
}

int32_t C_ChangeCompPackInfo(int32_t comp, int32_t layComp, int32_t group) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        if (!c || group < 0) return 0;
        // (0, 0) unpacks; an unpacked component has no gate.
        if (layComp == 0 ? group != 0 : !InCurLevel<LayComp>(&Level::layComps, layComp)) return 0;
        Touch(*c);
        c->layComp = layComp;
        c->group = group;
        return 1;
    });
}

int32_t C_ChangeCompSymbol(int32_t comp, int32_t symb) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        if (!c || !SymbolExists(*Db(), symb)) return 0;
        Touch(*c);
        c->symb = symb;
        GeometryChanged(c);
        return 1;
    });
}

int32_t C_ChangeCompDevice(int32_t comp, int32_t device) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        if (!c || !DeviceRefOk(*Db(), device)) return 0;
        Touch(*c);
        c->device = device;
        GeometryChanged(c);
        return 1;
    });
}

int32_t C_ChangeItemMask(int32_t comp, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        if (!c) return 0;
        Touch(*c);
        c->extra = mask;
        return 1;
    });
}

int32_t C_CompTextArray(int32_t comp) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        return c ? c->texts.Handle() : 0;
    });
}

int32_t C_CompText(int32_t comp, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Component* c = InCurLevel<Component>(&Level::components, comp);
        return HandleOf(c ? c->texts.At(index) : nullptr);
    });
}

int32_t C_SearchDevice(int32_t* cursor, int32_t device) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !cursor) return 0;
        return SearchMap<Component>(level->components, cursor,
                                    [&](const Component& c) { return c.device == device; });
    });
}

int32_t C_SearchSymbol(int32_t* cursor, int32_t symb) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !cursor) return 0;
        return SearchMap<Component>(level->components, cursor, [&](const Component& c) { return c.symb == symb; });
    });
}

// ---- Layout components ----------------------------------------------------------------

int32_t L_Component(int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return HandleOf(InCurLevel<LayComp>(&Level::layComps, id));
    });
}

int32_t L_CreateComponent(int32_t id, const char* name, int32_t flags, int32_t device, int32_t symb, int32_t extra,
                          int32_t x, int32_t y, int32_t angle) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level) return 0;
        auto* c = MakeComponent<LayComp>(level->layComps, id, name, flags, device, symb, extra, x, y, angle);
        return c ? c->id : 0;
    });
}

int32_t L_ReadComponent(int32_t id, LayCompRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, id);
        if (!c || !record) return 0;
        record->Flags = c->status;
        record->Name = c->name.c_str();
        record->X = c->x;
        record->Y = c->y;
        record->Angle = c->angle;
        record->Symb = c->symb;
        record->Device = c->device;
        record->Extra = c->extra;
        record->Parts = static_cast<int32_t>(c->parts.size());
        return 1;
    });
}

int32_t L_ReadEntry(int32_t layComp, int32_t entry, EntryRec* record) noexcept
{
    return Guard(0, [&]() -> int32_t {
        return ReadPlacedEntry(kLayoutSide, layComp, entry, record);
    });
}

int32_t L_GetSchCompId(int32_t layComp, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        if (!c || index < 1 || index > static_cast<int32_t>(c->parts.size())) return 0;
        Component* comp = LinkedComp(*c, c->parts[static_cast<size_t>(index - 1)]);
        return comp ? comp->id : 0;
    });
}

int32_t L_AddSchCompId(int32_t layComp, int32_t comp) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        Component* sch = InCurLevel<Component>(&Level::components, comp);
        if (!c || !sch) return 0;
        Touch(*c);
        c->parts.push_back(PartLink{sch->Handle()});
        GeometryChanged(c);
        return static_cast<int32_t>(c->parts.size());
    });
}

int32_t L_DeleteSchCompId(int32_t layComp, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        if (!c || index < 1 || index > static_cast<int32_t>(c->parts.size())) return 0;
        Touch(*c);
        c->parts.erase(c->parts.begin() + (index - 1));
        GeometryChanged(c);
        return 1;
    });
}

int32_t L_ChangeSchCompId(int32_t layComp, int32_t index, int32_t comp) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        Component* sch = comp ? InCurLevel<Component>(&Level::components, comp) : nullptr;
        if (!c || (comp && !sch) || index < 1 || index > static_cast<int32_t>(c->parts.size())) return 0;
        // 0 empties the slot.
        Touch(*c);
        c->parts[static_cast<size_t>(index - 1)] = PartLink{sch ? sch->Handle() : 0};
        GeometryChanged(c);
        return 1;
    });
}

int32_t L_CompTextArray(int32_t layComp) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        return c ? c->texts.Handle() : 0;
    });
}

int32_t L_CompText(int32_t layComp, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        LayComp* c = InCurLevel<LayComp>(&Level::layComps, layComp);
        return HandleOf(c ? c->texts.At(index) : nullptr);
    });
}

int32_t L_SearchDevice(int32_t* cursor, int32_t device) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !cursor) return 0;
        return SearchMap<LayComp>(level->layComps, cursor, [&](const LayComp& c) { return c.device == device; });
    });
}

int32_t L_SearchSymbol(int32_t* cursor, int32_t symb) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Level* level = CurLevel();
        if (!level || !cursor) return 0;
        return SearchMap<LayComp>(level->layComps, cursor, [&](const LayComp& c) { return c.symb == symb; });
    });
}
