// The kernel's object model: every design object derives from Object (id,
// name, 32 status bits) and is owned by exactly one map or one array.
//
// A map holds objects of one kind under integer keys (the key is the
// object's id), owns them, keeps a name index, and walks in ascending key
// order. Low keys are kept in a vector indexed by key whose size follows the
// number of members (at most about twice the most members the map has had),
// keys beyond it in an ordered tree, so memory and walk time follow the
// number of members, never the highest id. Negative keys hold special and temporary objects; walks and name
// searches see only positive keys. An array holds objects by position,
// from 1 (the items of a symbol, the groups of a device ...).
#pragma once

#include "platform/kernel/idspace.h"
#include "platform/kernel/nvokernel32_functions.h"
#include "platform/kernel/object_memory.h"
#include "platform/kernel/registry.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kernel {

enum class Kind : uint8_t {
    Page,
    Level,
    Component,
    LayComp,
    Device,
    Group,
    Pin,
    Symbol,
    SymbolEntry,
    PadStack,
    Item,
    Net,
    Bus,
    Node,
    Branch,
    Junction,
    Trace,
    Via,
    BendPoint,
    File,
    Database,
};

class ObjectMap;
class ObjectArray;
struct Object;

// Objects by id across several maps of one kind (the nodes of a level).
using ObjectIndex = std::unordered_map<int32_t, Object*>;

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Every object lives in the kernel's object memory (object_memory.h);
    // the virtual destructor hands delete the size of the whole object.
    static void* operator new(std::size_t size) { return AllocateObjectMemory(size); }
    static void operator delete(void* block, std::size_t size) noexcept { FreeObjectMemory(block, size); }

    const Kind kind;
    int32_t id = 0;       // key in its map; 0 while in an array or floating
    int32_t status = 0;   // 32 status bits
    std::string name;

    ObjectMap* map = nullptr;      // owning map, if any
    ObjectArray* array = nullptr;  // owning array, if any

    // The object's handle for the O_ functions, made on first use and ended
    // when the object goes.
    int32_t Handle();
    // Holds the handle (lookups fail) or lets it answer again, when it has
    // one: an object a change group deleted and keeps (journal.h).
    void HoldHandle(bool hold);

private:
    int32_t handle_ = 0;
};

// Names are 1..255 bytes; longer ones and null pointers are refused. The
// empty name is allowed.
constexpr size_t kMaxName = 255;
bool ValidName(const char* name);
// `name` as a view when ValidName accepts it, else none (one pass over it).
std::optional<std::string_view> NameView(const char* name);

// Coordinates stay within plus or minus kCoordLimit database units.
inline bool ValidCoord(int32_t v)
{
    return v >= -kCoordLimit && v <= kCoordLimit;
}

// status = (status And Not mask) Or value: how every mask call changes a
// status word.
inline void ApplyMask(int32_t& status, int32_t value, int32_t mask)
{
    status = (status & ~mask) | value;
}

// ---- The change journal -----------------------------------------------------------
//
// While a change group of the open design records (journal.h), every change
// of what the design holds is told to the journal first, so that the group
// can put it back: the maps, arrays and id spaces tell of their own
// changes; a change of an object's status goes through SetStatus or
// MaskStatus, and any other change of an object's values (position, name,
// records, fields) is preceded by Touch. Outside a group each of these is
// one test of a null pointer.
class Journal;
inline Journal* g_journal = nullptr;

void JournalTouch(Object& object) noexcept;
void JournalStatus(Object& object) noexcept;

// Before any value of `object` other than its status changes.
inline void Touch(Object& object)
{
    if (g_journal) [[unlikely]]
        JournalTouch(object);
}
inline void SetStatus(Object& object, int32_t status)
{
    if (object.status == status) return;
    if (g_journal) [[unlikely]]
        JournalStatus(object);
    object.status = status;
}
inline void MaskStatus(Object& object, int32_t value, int32_t mask)
{
    SetStatus(object, (object.status & ~mask) | value);
}

// The object's handle, 0 for none.
inline int32_t HandleOf(Object* object)
{
    return object ? object->Handle() : 0;
}

// ---- Geometry change counters ---------------------------------------------------
//
// Each hierarchy level and the design as a whole (symbols, devices, pad
// stacks) carry a geometry epoch that changes whenever something that hit
// tests or frames may see changes: objects coming and going in maps and
// arrays, positions, pages, angles, symbols, point records. Every epoch is a
// fresh value of one kernel-wide counter, so no two levels or databases,
// old or new, ever show the same value and an index built from one state
// can tell by a single comparison that the state has changed.

// A fresh value of the kernel-wide counter: never 0, never repeated.
inline uint64_t NextGeometryEpoch()
{
    static uint64_t counter = 0;
    return ++counter;
}
// Notes a change at `where` (an object, or the owner of a map or array): on
// a level (`where` may be the level itself) it bumps the level's epoch and
// names in the level's log the object directly on the level that `where`
// is or lies in (see Level::NoteGeometry); elsewhere it bumps the
// design-wide epoch of the open database. Defined with the database.
void GeometryChanged(const Object* where);

// Every change of membership (insert, detach, erase, new key, move) of a
// map with an owner notes a geometry change at the member, a clear at the
// owner, and every rename at the member (see GeometryChanged); destroying
// the map notes nothing.
class ObjectMap {
public:
    // A map with its own id space (ids 1..limit).
    ObjectMap(Kind kind, int32_t limit = IdSpace::kMaxId);
    // A map that shares an id space and a by-id index with other maps of
    // the same kind (the node maps of the nets of one level).
    ObjectMap(Kind kind, IdSpace& shared, ObjectIndex& sharedIndex);
    ~ObjectMap();
    ObjectMap(const ObjectMap&) = delete;
    ObjectMap& operator=(const ObjectMap&) = delete;

    Kind kind() const { return kind_; }
    IdSpace& ids() { return *ids_; }
    int32_t Handle();
    // The object this map belongs to (a level, a net, a symbol), if any.
    Object* owner() const { return owner_; }
    void SetOwner(Object* owner) { owner_ = owner; }

    // The member under `key`, else null.
    Object* Find(int32_t key) const
    {
        const auto k = static_cast<size_t>(key);
        if (key > 0 && k < dense_.size()) return dense_[k].get();
        return FindOutsideDense(key);
    }
    template <class T>
    T* FindAs(int32_t key) const
    {
        return static_cast<T*>(Find(key));
    }

    // Takes ownership of `object` under `key` (0: the lowest free positive
    // key). Returns the key, or 0 (object destroyed) when the key is taken
    // or out of range, or the object is of another kind.
    int32_t Insert(std::unique_ptr<Object> object, int32_t key = 0);
    template <class T>
    T* Create(int32_t key = 0)
    {
        auto object = std::make_unique<T>();
        T* raw = object.get();
        return Insert(std::move(object), key) ? raw : nullptr;
    }
    // Removes the member without destroying it; its key is given back to
    // the id space unless `keepId`.
    std::unique_ptr<Object> Detach(int32_t key, bool keepId = false);
    // Destroys the member; its key is free again.
    bool Erase(int32_t key);
    // Moves the member to `newKey` (0: the lowest free positive key);
    // returns the new key or 0.
    int32_t ChangeKey(int32_t oldKey, int32_t newKey);
    // Moves a member into another map of the same kind under the same key;
    // with a shared id space the id stays taken throughout.
    bool MoveTo(int32_t key, ObjectMap& target);

    // The first member with a positive key above `after`, else null.
    Object* Next(int32_t after) const
    {
        for (size_t k = after < 0 ? 1 : static_cast<size_t>(after) + 1; k < denseEnd_; ++k)
            if (dense_[k]) return dense_[k].get();
        return NextInSparse(after);
    }
    // Asks the processor to start loading the member a few keys above the
    // positive key `key`, which a walk that has reached `key` is about to
    // read: a walk goes one member per call, and members lie wherever they
    // were allocated, so without this every step of a long walk waits for
    // memory.
    void PrefetchAhead(int32_t key) const
    {
        const size_t ahead = static_cast<size_t>(key) + kPrefetchDistance;
        if (ahead < denseEnd_) __builtin_prefetch(dense_[ahead].get());
    }
    static constexpr size_t kPrefetchDistance = 8;

    // Members with positive keys, and all members.
    size_t CountPositive() const { return positiveCount_; }
    size_t Count() const { return positiveCount_ + negative_.size(); }

    // The lowest positive key with that name, 0 when none; the member under
    // it; the member under the next such key above `after`.
    int32_t FindNameKey(std::string_view name) const;
    Object* FindName(std::string_view name) const { return Find(FindNameKey(name)); }
    Object* NextName(std::string_view name, int32_t after) const;
    // Renames a member (an object of this map), keeping the name index right.
    void Rename(Object& object, const std::string& name);

    // Every member, negative keys first, then ascending.
    template <class F>
    void ForEach(F&& f) const
    {
        for (const auto& [key, object] : negative_) f(*object);
        for (size_t k = 1; k < denseEnd_; ++k)
            if (dense_[k]) f(*dense_[k]);
        for (const auto& [key, object] : sparse_) f(*object);
    }

    // Destroys every member.
    void Clear();

    // Holds or resumes the map's handle, when it has one (see Object).
    void HoldHandle(bool hold);

private:
    friend class Journal;
    // True while a change group records this map's changes.
    bool Journaled() const;
    // Notes to the journal that the id is about to change its state.
    void NoteId(int32_t id);
    // Find and Next for the keys that dense_ does not hold.
    Object* FindOutsideDense(int32_t key) const;
    Object* NextInSparse(int32_t after) const;
    // Puts `object` under `key`, whose id (for a positive key) is already
    // taken in the id space.
    void Place(std::unique_ptr<Object> object, int32_t key);
    void IndexName(const Object& object);
    void UnindexName(const Object& object);
    // Detach and Clear without noting a change (the map's own destruction).
    // `mapGoes`: the map is being destroyed.
    std::unique_ptr<Object> Unlink(int32_t key, bool keepId);
    void DestroyAll(bool mapGoes);

    Kind kind_;
    std::unique_ptr<IdSpace> ownIds_;
    IdSpace* ids_;
    ObjectIndex* sharedIndex_ = nullptr;
    // Positive keys below dense_.size() live in dense_, the others in
    // sparse_ (every key there is at least dense_.size()).
    std::vector<std::unique_ptr<Object>, ObjectMemoryAllocator<std::unique_ptr<Object>>> dense_;
    // One past the highest key of dense_ holding a member (0: none), so
    // that walks of a map emptied from the top do not pass its free slots.
    size_t denseEnd_ = 0;
    std::map<int32_t, std::unique_ptr<Object>> sparse_;
    std::map<int32_t, std::unique_ptr<Object>> negative_;
    size_t positiveCount_ = 0;
    // The slot of a positive key, null when it has none.
    std::unique_ptr<Object>* Slot(int32_t key);
    // Lets dense_ take `key` when the number of members allows it.
    void GrowDense(int32_t key);
    // The positive keys of each name in use: the lowest one apart, so that
    // finding a name reads its entry only, and the others in a set made when
    // a second member takes the name (a name is seldom shared), so that an
    // entry stays small. Looked up by string_view, so a name given as a C
    // string is not copied to be found.
    struct NameKeys {
        int32_t lowest = 0;
        std::unique_ptr<std::set<int32_t>> others;  // null: none
    };
    struct NameHash {
        using is_transparent = void;
        size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
    };
    std::unordered_map<std::string, NameKeys, NameHash, std::equal_to<>,
                       ObjectMemoryAllocator<std::pair<const std::string, NameKeys>>>
        names_;
    Object* owner_ = nullptr;
    int32_t handle_ = 0;
};

// Inserting, detaching and erasing note a geometry change at the element
// of an array with an owner; destroying the array notes nothing.
class ObjectArray {
public:
    explicit ObjectArray(Kind kind, Object* owner = nullptr) : kind_(kind), owner_(owner) {}
    ~ObjectArray()
    {
        if (!items_.empty()) DestroyAll();
        if (handle_) Handles().Remove(handle_);
    }
    ObjectArray(const ObjectArray&) = delete;
    ObjectArray& operator=(const ObjectArray&) = delete;

    Kind kind() const { return kind_; }
    // The object whose elements these are (null for design-wide arrays).
    Object* owner() const { return owner_; }
    int32_t Handle();
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }

    // The element at `index` (1..Count), else null.
    Object* At(int32_t index) const;
    template <class T>
    T* AtAs(int32_t index) const
    {
        return static_cast<T*>(At(index));
    }
    // The position of `object` (1..Count), 0 when it is not here.
    int32_t IndexOf(const Object* object) const;

    // Appends (index -1 or past the end) or inserts before `index`; returns
    // the new index, 0 when the object is of another kind.
    int32_t Insert(std::unique_ptr<Object> object, int32_t index = -1);
    std::unique_ptr<Object> Detach(int32_t index);
    // Destroys the element; the following ones move up by one.
    bool Erase(int32_t index);

    template <class F>
    void ForEach(F&& f) const
    {
        for (const auto& object : items_) f(*object);
    }

    // Holds or resumes the array's handle, when it has one (see Object).
    void HoldHandle(bool hold);

private:
    friend class Journal;
    // Destroys every element without noting a change (the array's own
    // destruction).
    void DestroyAll();

    Kind kind_;
    Object* owner_;
    std::vector<std::unique_ptr<Object>> items_;
    int32_t handle_ = 0;
};

// Resolving handles. Each gives null for 0, stale or foreign handles.
inline Object* ObjectFromHandle(int32_t handle)
{
    return static_cast<Object*>(Handles().Find(handle, HandleType::Object));
}
inline ObjectMap* MapFromHandle(int32_t handle)
{
    return static_cast<ObjectMap*>(Handles().Find(handle, HandleType::Map));
}
inline ObjectArray* ArrayFromHandle(int32_t handle)
{
    return static_cast<ObjectArray*>(Handles().Find(handle, HandleType::Array));
}

// The object that owns the map or array holding `object`, if any.
inline Object* OwnerOf(const Object& object)
{
    if (object.map) return object.map->owner();
    if (object.array) return object.array->owner();
    return nullptr;
}

template <class T>
T* ObjectAs(int32_t handle, Kind kind)
{
    Object* object = ObjectFromHandle(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}

// The next member of `map` with a positive key above *cursor that passes
// `test` (given the member as a T); the cursor moves to it. 0 at the end,
// the cursor staying on the last id returned.
template <class T = Object, class Test>
int32_t Walk(const ObjectMap& map, int32_t* cursor, Test&& test)
{
    for (Object* o = map.Next(*cursor); o; o = map.Next(o->id)) {
        map.PrefetchAhead(o->id);
        if (test(static_cast<const T&>(*o))) {
            *cursor = o->id;
            return o->id;
        }
    }
    return 0;
}

}  // namespace kernel
