// The OM_ functions over maps, the OA_ and IA_ functions over arrays.
#include "platform/kernel/database.h"
#include "platform/kernel/nvokernel32.h"

#include <cstring>
#include <optional>
#include <source_location>
#include <string>
#include <string_view>
#include <vector>

namespace kernel {

namespace {

bool Matches(const Object& o, int32_t value, int32_t mask)
{
    return (o.status & mask) == value;
}

template <class Test>
int32_t WalkName(ObjectMap& map, int32_t* cursor, std::string_view name, Test&& test)
{
    for (Object* o = map.NextName(name, *cursor); o; o = map.NextName(name, o->id)) {
        if (test(*o)) {
            *cursor = o->id;
            return o->id;
        }
    }
    return 0;
}

struct MaskTest {
    int32_t value, mask;
    bool operator()(const Object& o) const { return Matches(o, value, mask); }
};

// OM_SearchMask under its guard, which reports and matches the test hooks
// by the export's name (`where`). Out of line, so that the export's own
// common path needs no frame.
[[gnu::noinline]] int32_t SearchMaskGuarded(int32_t map, int32_t* cursor, int32_t value, int32_t mask,
                                            std::source_location where) noexcept
{
    return Guard(
        0,
        [&]() -> int32_t {
            ObjectMap* m = MapFromHandle(map);
            if (!m || !cursor) return 0;
            return Walk(*m, cursor, MaskTest{value, mask});
        },
        where);
}

// The key OM_FindName answers: the lowest key with that name, 0 when none,
// the name is not valid or the map does not exist.
int32_t FindNameKey(int32_t map, const char* name) noexcept
{
    const ObjectMap* m = MapFromHandle(map);
    const std::optional<std::string_view> valid = NameView(name);
    return m && valid ? m->FindNameKey(*valid) : 0;
}

// Levels come and go with the database only: the level map refuses deletions
// and renumbering, so the current level can never vanish.
bool IsLevelMap(const ObjectMap& map)
{
    return map.kind() == Kind::Level;
}

// After pages of a level went: their frame branches go with them (a frame
// of a page that is not there would make the saved image one the loader
// refuses), and when the current page went, the lowest remaining page
// becomes current (0 when none is left).
void AfterPagesDeleted(ObjectMap& pages)
{
    auto* level = static_cast<Level*>(pages.owner());
    if (!level) return;
    std::vector<int32_t> frames;
    for (int32_t id = -101; id >= -199; --id)
        if (level->branches.Find(id) && !pages.Find(FramePageOf(id))) frames.push_back(id);
    for (const int32_t id : frames) level->branches.Erase(id);
    if (pages.Find(level->curPage)) return;
    Touch(*level);
    Object* first = pages.Next(0);
    level->curPage = first ? first->id : 0;
}

// Takes `object` out of wherever it is so that it can be placed elsewhere.
std::unique_ptr<Object> Unhook(Object& object)
{
    if (object.map) return object.map->Detach(object.id);
    if (object.array) return object.array->Detach(object.array->IndexOf(&object));
    Database* db = Db();
    return db ? db->TakeFloating(&object) : nullptr;
}

}  // namespace

}  // namespace kernel

using namespace kernel;

int32_t OM_GetFirst(int32_t map) noexcept
{
    (void)map;
    return 0;
}

int32_t OM_GetCount(int32_t map) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        return m ? static_cast<int32_t>(m->CountPositive()) : 0;
    });
}

int32_t OM_SearchMask(int32_t map, int32_t* cursor, int32_t value, int32_t mask) noexcept
{
    // Each step of a walk comes here. With nothing for the guard to watch
    // (no change group, no test hook) and a map whose keys all lie in its
    // key table, the step can neither throw nor call anything: it runs
    // without the guard, whose frame cost a walk a good part of its time.
    if (!g_guardWatch) [[likely]] {
        const ObjectMap* m = MapFromHandle(map);
        if (m && cursor && m->AllKeysInTable()) return Walk(*m, cursor, MaskTest{value, mask});
    }
    return SearchMaskGuarded(map, cursor, value, mask, std::source_location::current());
}

int32_t OM_SearchName(int32_t map, int32_t* cursor, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || !cursor || !ValidName(name)) return 0;
        return WalkName(*m, cursor, name, [](const Object&) { return true; });
    });
}

int32_t OM_SearchNameMask(int32_t map, int32_t* cursor, const char* name, int32_t value, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || !cursor || !ValidName(name)) return 0;
        return WalkName(*m, cursor, name, [&](const Object& o) { return Matches(o, value, mask); });
    });
}

int32_t OM_FindName(int32_t map, const char* name) noexcept
{
    // As a walk's steps (OM_SearchMask): with nothing for the guard to
    // watch, the search, which can neither throw nor change anything, runs
    // without it.
    if (!g_guardWatch) [[likely]]
        return FindNameKey(map, name);
    return Guard(0, [&]() -> int32_t { return FindNameKey(map, name); });
}

int32_t OM_FindNameMask(int32_t map, const char* name, int32_t value, int32_t mask) noexcept
{
    int32_t cursor = 0;
    return OM_SearchNameMask(map, &cursor, name, value, mask);
}

int32_t OM_FindMask(int32_t map, int32_t value, int32_t mask) noexcept
{
    int32_t cursor = 0;
    return OM_SearchMask(map, &cursor, value, mask);
}

int32_t OM_MaskAll(int32_t map, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m) return 0;
        int32_t changed = 0;
        // The members share the map's kind and place: one note for them all.
        const int32_t watched = GeometryStatusBits(m->kind());
        int32_t flipped = 0;
        m->ForEach([&](Object& o) {
            const int32_t before = o.status;
            MaskStatus(o, value, mask);
            flipped |= before ^ o.status;
            ++changed;
        });
        if (flipped & watched) GeometryChanged(m->owner());
        return changed;
    });
}

int32_t OM_MaskIds(int32_t map, const int32_t* ids, int32_t count, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || !ids || count <= 0) return 0;
        int32_t found = 0;
        const int32_t watched = GeometryStatusBits(m->kind());
        int32_t flipped = 0;
        for (int32_t i = 0; i < count; ++i) {
            Object* o = m->Find(ids[i]);
            if (!o) continue;
            const int32_t before = o->status;
            MaskStatus(*o, value, mask);
            flipped |= before ^ o->status;
            ++found;
        }
        if (flipped & watched) GeometryChanged(m->owner());
        return found;
    });
}

int32_t OM_Object(int32_t map, int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        Object* o = m ? m->Find(id) : nullptr;
        return o ? o->Handle() : 0;
    });
}

int32_t OM_Add(int32_t map, int32_t object, int32_t key) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        Object* o = ObjectFromHandle(object);
        if (!m || !o || o->kind != m->kind()) return 0;
        if (o->map == m) return key == 0 || key == o->id ? o->id : m->ChangeKey(o->id, key);
        // From another map under the same key (nodes between nets keep their id).
        if (o->map && (key == 0 || key == o->id) && o->map->MoveTo(o->id, *m)) return o->id;
        if (key == 0) key = m->ids().Lowest();
        // The place is checked first, so a refusal leaves the object where it was.
        const bool free = key > 0 ? m->ids().IsFree(key) : key < 0 && !m->Find(key);
        if (!free) return 0;
        std::unique_ptr<Object> owned = Unhook(*o);
        return owned ? m->Insert(std::move(owned), key) : 0;
    });
}

int32_t OM_Delete(int32_t map, int32_t id) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || IsLevelMap(*m)) return 0;
        // A delete of what is not there (gone already) is an outcome.
        if (!m->Erase(id)) return Outcome(0);
        if (m->kind() == Kind::Page) AfterPagesDeleted(*m);
        return 1;
    });
}

int32_t OM_DeleteAll(int32_t map) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || IsLevelMap(*m)) return 0;
        const auto deleted = static_cast<int32_t>(m->Count());
        m->Clear();
        if (m->kind() == Kind::Page) AfterPagesDeleted(*m);
        // An empty map: nothing to delete, an outcome.
        return CountAnswer(deleted);
    });
}

int32_t OM_ChangeId(int32_t map, int32_t id, int32_t newId) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || newId < 0 || IsLevelMap(*m)) return 0;
        // A page takes its frame branch along to its new id.
        auto* level = m->kind() == Kind::Page ? static_cast<Level*>(m->owner()) : nullptr;
        if (!level || id == newId || !m->Find(id) || !level->branches.Find(-100 - id)) return m->ChangeKey(id, newId);
        const int32_t moved = m->ChangeKey(id, newId);
        if (moved == 0) return 0;
        if (level->branches.ChangeKey(-100 - id, -100 - moved) == 0) {
            m->ChangeKey(moved, id);
            return 0;
        }
        return moved;
    });
}

int32_t OM_FindNextFreeNumSuffix(int32_t map, const char* name, char* buffer) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectMap* m = MapFromHandle(map);
        if (!m || !buffer || !ValidName(name)) return 0;
        const std::string base = name;
        for (int32_t n = 1; n < 0x7FFFFFFF; ++n) {
            const std::string candidate = base + std::to_string(n);
            if (candidate.size() > kMaxName) return 0;
            if (!m->FindName(candidate)) {
                std::memcpy(buffer, candidate.c_str(), candidate.size() + 1);
                return n;
            }
        }
        return 0;
    });
}

int32_t OA_GetCount(int32_t array) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        return a ? a->Count() : 0;
    });
}

int32_t OA_Object(int32_t array, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        Object* o = a ? a->At(index) : nullptr;
        return o ? o->Handle() : 0;
    });
}

int32_t OA_Add(int32_t array, int32_t object) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        Object* o = ObjectFromHandle(object);
        Database* db = Db();
        // Only an item nobody owns yet (just made) can be added.
        if (!a || !o || !db || o->kind != a->kind() || o->map || o->array) return 0;
        std::unique_ptr<Object> owned = db->TakeFloating(o);
        return owned ? a->Insert(std::move(owned)) : 0;
    });
}

int32_t OA_Delete(int32_t array, int32_t index) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        return a && a->Erase(index) ? 1 : 0;
    });
}

int32_t OA_SearchMask(int32_t array, int32_t start, int32_t mask) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        if (!a) return 0;
        for (int32_t i = start < 1 ? 1 : start; i <= a->Count(); ++i)
            if (a->At(i)->status & mask) return i;
        return 0;
    });
}

int32_t OA_MaskAll(int32_t array, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        if (!a) return 0;
        const int32_t watched = GeometryStatusBits(a->kind());
        int32_t flipped = 0;
        a->ForEach([&](Object& o) {
            const int32_t before = o.status;
            MaskStatus(o, value, mask);
            flipped |= before ^ o.status;
        });
        if (flipped & watched) GeometryChanged(a->owner());
        return a->Count();
    });
}

int32_t IA_SearchMaskLink(int32_t array, int32_t start, int32_t mask, int32_t link) noexcept
{
    return Guard(0, [&]() -> int32_t {
        ObjectArray* a = ArrayFromHandle(array);
        if (!a || a->kind() != Kind::Item) return 0;
        for (int32_t i = start < 1 ? 1 : start; i <= a->Count(); ++i) {
            const auto* item = a->AtAs<Item>(i);
            if ((item->status & mask) && item->link == link) return i;
        }
        return 0;
    });
}
