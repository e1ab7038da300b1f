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
#include <cstring>
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

// The hash of a name in the name indexes of maps: the bytes read eight or
// four at a time and folded with 128-bit products, so that a short name
// costs a few instructions and every bit of the result depends on every
// byte.
inline uint32_t NameHashOf(std::string_view name)
{
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const size_t n = name.size();
    auto read8 = [](const unsigned char* at) {
        uint64_t v;
        std::memcpy(&v, at, 8);
        return v;
    };
    auto read4 = [](const unsigned char* at) {
        uint32_t v;
        std::memcpy(&v, at, 4);
        return static_cast<uint64_t>(v);
    };
    auto mix = [](uint64_t a, uint64_t b) {
        const unsigned __int128 product = static_cast<unsigned __int128>(a) * b;
        return static_cast<uint64_t>(product) ^ static_cast<uint64_t>(product >> 64);
    };
    constexpr uint64_t k0 = 0xA0761D6478BD642FULL, k1 = 0xE7037ED1A0B428DBULL;
    uint64_t seed = k0 ^ n, a = 0, b = 0;
    if (n <= 16) {
        if (n >= 4) {
            const size_t middle = (n >> 3) << 2;  // 0 below 8 bytes, else 4
            a = read4(p) << 32 | read4(p + middle);
            b = read4(p + n - 4) << 32 | read4(p + n - 4 - middle);
        } else if (n > 0) {
            a = uint64_t{p[0]} << 16 | uint64_t{p[n >> 1]} << 8 | p[n - 1];
        }
    } else {
        size_t left = n;
        for (; left > 16; left -= 16, p += 16) seed = mix(read8(p) ^ k1, read8(p + 8) ^ seed);
        a = read8(p + left - 16);
        b = read8(p + left - 8);
    }
    const uint64_t h = mix(k1 ^ n, mix(a ^ k1, b ^ seed));
    return static_cast<uint32_t>(h ^ (h >> 32));
}

// Names are 1..255 bytes; longer ones and null pointers are refused. The
// empty name is allowed.
constexpr size_t kMaxName = 255;
bool ValidName(const char* name);
// `name` as a view when ValidName accepts it, else none (one pass over it;
// a short name is counted here, a longer one by the C library).
inline std::optional<std::string_view> NameView(const char* name)
{
    if (!name) return std::nullopt;
    constexpr size_t kShort = 16;
    size_t length = 0;
    while (length < kShort && name[length]) ++length;
    if (length == kShort) length = strnlen(name, kMaxName + 1);
    if (length > kMaxName) return std::nullopt;
    return std::string_view(name, length);
}

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
    // The key of the first member with a positive key above `after` that
    // passes `test`, else 0. The key table is walked here, inline and
    // without calls, since a walk of a map comes here once per member; the
    // keys beyond it are left to NextInSparse.
    template <class Test>
    int32_t NextKeyWhere(int32_t after, Test&& test) const
    {
        if (const int32_t key = NextKeyInTable(after, test)) return key;
        if (sparse_.empty()) [[likely]]
            return 0;
        for (const Object* o = NextInSparse(after); o; o = NextInSparse(o->id))
            if (test(*o)) return o->id;
        return 0;
    }
    // The same within the key table only.
    template <class Test>
    int32_t NextKeyInTable(int32_t after, Test&& test) const
    {
        for (size_t k = after < 0 ? 1 : static_cast<size_t>(after) + 1; k < denseEnd_; ++k) {
            const Object* o = dense_[k].get();
            if (!o) continue;
            PrefetchAhead(k);
            if (test(*o)) return static_cast<int32_t>(k);
        }
        return 0;
    }
    // True when every positive key lies in the key table.
    bool AllKeysInTable() const { return sparse_.empty(); }
    // Asks the processor to start loading the member a few keys above the
    // positive key `key`, which a walk that has reached `key` is about to
    // read: a walk goes one member per call, and members lie wherever they
    // were allocated, so without this every step of a long walk waits for
    // memory.
    void PrefetchAhead(size_t key) const
    {
        const size_t ahead = key + kPrefetchDistance;
        if (ahead < denseEnd_) __builtin_prefetch(dense_[ahead].get());
    }
    static constexpr size_t kPrefetchDistance = 8;

    // Members with positive keys, and all members.
    size_t CountPositive() const { return positiveCount_; }
    size_t Count() const { return positiveCount_ + negative_.size(); }

    // The lowest positive key with that name, 0 when none; the member under
    // it; the member under the next such key above `after`.
    int32_t FindNameKey(std::string_view name) const
    {
        const NameSlot* slot = FindNameSlot(name);
        return slot ? slot->lowest->id : 0;
    }
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
    // The name index: the positive keys of each name in use. A table with
    // open addressing (linear probing over a power of two of slots, at most
    // half of them taken) holds a slot per name, naming the member with the
    // lowest key of that name, and the name's hash: finding a name reads
    // its slot and that member's name, and nothing else. The other keys of a
    // name that several members share (seldom) are kept apart, in
    // sharedNames_, and the name's slot says that there are some.
    struct NameSlot {
        const Object* lowest = nullptr;  // null: a free slot
        uint32_t hash = 0;
        uint32_t shared = 0;  // 1: sharedNames_ holds the other keys of the name
    };
    std::vector<NameSlot, ObjectMemoryAllocator<NameSlot>> nameSlots_;
    size_t nameCount_ = 0;
    std::map<std::string, std::set<int32_t>, std::less<>> sharedNames_;
    // The slot holding `name`, else null.
    const NameSlot* FindNameSlot(std::string_view name) const
    {
        if (nameCount_ == 0 || name.empty()) return nullptr;
        const uint32_t hash = NameHashOf(name);
        const size_t mask = nameSlots_.size() - 1;
        for (size_t i = hash & mask;; i = (i + 1) & mask) {
            const NameSlot& slot = nameSlots_[i];
            if (!slot.lowest) return nullptr;
            if (slot.hash == hash && slot.lowest->name == name) return &slot;
        }
    }
    // Forgets every name.
    void ClearNames();
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
    return static_cast<Object*>(FindHandle(handle, HandleType::Object));
}
inline ObjectMap* MapFromHandle(int32_t handle)
{
    return static_cast<ObjectMap*>(FindHandle(handle, HandleType::Map));
}
inline ObjectArray* ArrayFromHandle(int32_t handle)
{
    return static_cast<ObjectArray*>(FindHandle(handle, HandleType::Array));
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
    const int32_t key = map.NextKeyWhere(*cursor, [&](const Object& o) { return test(static_cast<const T&>(o)); });
    if (key) *cursor = key;
    return key;
}

}  // namespace kernel
