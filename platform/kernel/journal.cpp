// The journal of a change group (journal.h).
#include "platform/kernel/journal.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <type_traits>
#include <utility>

namespace kernel {

namespace {

// ---- The values of an object -------------------------------------------------------
//
// An object's values are copied into bytes and read back from them by one
// list per kind (Values), run with a writer or a reader.

struct Writer {
    std::string& out;

    template <class T>
        requires std::is_trivially_copyable_v<T>
    void operator()(const T& v)
    {
        out.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    void operator()(const std::string& v)
    {
        (*this)(v.size());
        out.append(v);
    }
    template <class T, class A>
    void operator()(const std::vector<T, A>& v)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        (*this)(v.size());
        out.append(reinterpret_cast<const char*>(v.data()), v.size() * sizeof(T));
    }
};

struct Reader {
    const char* in;

    template <class T>
        requires std::is_trivially_copyable_v<T>
    void operator()(T& v)
    {
        std::memcpy(&v, in, sizeof v);
        in += sizeof v;
    }
    void operator()(std::string& v)
    {
        size_t n = 0;
        (*this)(n);
        v.assign(in, n);
        in += n;
    }
    template <class T, class A>
    void operator()(std::vector<T, A>& v)
    {
        size_t n = 0;
        (*this)(n);
        v.resize(n);
        if (n) std::memcpy(v.data(), in, n * sizeof(T));
        in += n * sizeof(T);
    }
};

// Every value of an object beyond its status and name, by kind; not the
// maps and arrays it owns (their changes are recorded as they happen), nor
// the sides of a node and the current page of a level (set through their
// own calls: see Copy and Restore).
template <class Io>
void Values(Object& o, Io& io)
{
    switch (o.kind) {
    case Kind::Page: {
        auto& p = static_cast<Page&>(o);
        io(p.viewX), io(p.viewY), io(p.viewMode), io(p.viewSize);
        break;
    }
    case Kind::Component: {
        auto& c = static_cast<Component&>(o);
        io(c.x), io(c.y), io(c.symb), io(c.device), io(c.layComp), io(c.group), io(c.page), io(c.info);
        io(c.angle), io(c.extra);
        break;
    }
    case Kind::LayComp: {
        auto& c = static_cast<LayComp&>(o);
        io(c.x), io(c.y), io(c.angle), io(c.symb), io(c.device), io(c.extra), io(c.parts);
        break;
    }
    case Kind::Device: {
        auto& d = static_cast<Device&>(o);
        io(d.prefix), io(d.package);
        break;
    }
    case Kind::Group: io(static_cast<Group&>(o).symbName); break;
    case Kind::Pin: io(static_cast<Pin&>(o).number); break;
    case Kind::SymbolEntry: {
        auto& e = static_cast<SymbolEntry&>(o);
        io(e.flags), io(e.x), io(e.y), io(e.keyOrTextX), io(e.textY), io(e.textAngle), io(e.swapLevel);
        io(e.label);
        break;
    }
    case Kind::PadStack: {
        auto& p = static_cast<PadStack&>(o);
        io(p.hole), io(p.hole2);
        break;
    }
    case Kind::Item: {
        auto& i = static_cast<Item&>(o);
        io(i.itemKind), io(i.link), io(i.x), io(i.y), io(i.layer), io(i.style), io(i.width), io(i.gap);
        io(i.angle), io(i.p1), io(i.p2), io(i.p3), io(i.p4), io(i.text);
        break;
    }
    case Kind::Bus: io(static_cast<Bus&>(o).members); break;
    case Kind::Branch: {
        auto& b = static_cast<Branch&>(o);
        io(b.net), io(b.page), io(b.points);
        break;
    }
    case Kind::Junction: {
        auto& j = static_cast<Junction&>(o);
        io(j.x), io(j.y), io(j.page);
        break;
    }
    case Kind::Trace: {
        auto& t = static_cast<Trace&>(o);
        io(t.net), io(t.points);
        break;
    }
    case Kind::Via: {
        auto& v = static_cast<Via&>(o);
        io(v.x), io(v.y), io(v.padStack), io(v.layers);
        break;
    }
    case Kind::BendPoint: {
        auto& b = static_cast<BendPoint&>(o);
        io(b.x), io(b.y);
        break;
    }
    case Kind::File: {
        auto& f = static_cast<FileObject&>(o);
        io(f.data), io(f.position);
        break;
    }
    case Kind::Level:
    case Kind::Node:
    case Kind::Net:
    case Kind::Symbol:
    case Kind::Database: break;
    }
}

// Calls `onMap` and `onArray` with each map and array an object owns.
template <class OnMap, class OnArray>
void ForOwned(Object& o, OnMap&& onMap, OnArray&& onArray)
{
    switch (o.kind) {
    case Kind::Level: {
        auto& l = static_cast<Level&>(o);
        for (ObjectMap* m : {&l.pages, &l.components, &l.layComps, &l.nets, &l.buses, &l.branches, &l.junctions,
                             &l.traces, &l.vias, &l.bendPoints, &l.files})
            onMap(*m);
        onArray(l.layoutTexts);
        break;
    }
    case Kind::Net: onMap(static_cast<Net&>(o).nodes); break;
    case Kind::Branch: onArray(static_cast<Branch&>(o).texts); break;
    case Kind::Component: onArray(static_cast<Component&>(o).texts); break;
    case Kind::LayComp: onArray(static_cast<LayComp&>(o).texts); break;
    case Kind::Group: onArray(static_cast<Group&>(o).pins); break;
    case Kind::Device: {
        auto& d = static_cast<Device&>(o);
        onArray(d.groups);
        onArray(d.supplyPins);
        break;
    }
    case Kind::PadStack: onArray(static_cast<PadStack&>(o).items); break;
    case Kind::Symbol: {
        auto& s = static_cast<Symbol&>(o);
        onArray(s.entries);
        onArray(s.items);
        onMap(s.padStacks);
        break;
    }
    default: break;
    }
}

// Holds (or lets answer again) the handles of an object and of everything
// it owns.
void HoldHandles(Object& o, bool hold)
{
    o.HoldHandle(hold);
    ForOwned(
        o,
        [&](ObjectMap& m) {
            m.HoldHandle(hold);
            m.ForEach([&](Object& member) { HoldHandles(member, hold); });
        },
        [&](ObjectArray& a) {
            a.HoldHandle(hold);
            a.ForEach([&](Object& element) { HoldHandles(element, hold); });
        });
}

}  // namespace

// ---- Hooks ------------------------------------------------------------------------

void JournalTouch(Object& object) noexcept
{
    if (g_journal) g_journal->Touch(object);
}

void JournalStatus(Object& object) noexcept
{
    if (g_journal) g_journal->Status(object);
}

void JournalFloating(Object& object, bool added) noexcept
{
    if (g_journal) g_journal->Floating(object, added);
}

// ---- Journal ----------------------------------------------------------------------

Journal::Journal(Database& design) : db_(design), start_(MarkHere()) {}

Journal::Mark Journal::MarkHere() const
{
    Mark mark;
    mark.entries = entries_.size();
    mark.copies = copies_.size();
    mark.epoch = epoch_;
    mark.name = db_.design.name;
    mark.status = db_.design.status;
    mark.curLevel = db_.curLevel;
    std::memcpy(mark.textSizes, db_.textSizes, sizeof mark.textSizes);
    return mark;
}

Journal::Mark Journal::Open()
{
    Mark mark = MarkHere();
    epoch_ = ++lastEpoch_;
    return mark;
}

void Journal::Close(const Mark& mark)
{
    epoch_ = mark.epoch;
}

uint8_t& Journal::SeenNow(const Object& object)
{
    Seen& seen = seen_[&object];
    if (seen.epoch != epoch_) seen = Seen{0, epoch_};
    return seen.flags;
}

Journal::~Journal()
{
    // Deleted objects go in the order they were deleted: a net's nodes
    // before the net.
    for (Object* o : deletedOrder_) {
        auto it = held_.find(o);
        if (it == held_.end()) continue;
        std::unique_ptr<Object> gone = std::move(it->second.object);
        held_.erase(it);
    }
    held_.clear();
}

bool Journal::Records(const ObjectMap& map) const
{
    if (const Object* owner = map.owner()) return Records(*owner);
    return &map == &db_.levels || &map == &db_.symbols || &map == &db_.devices || &map == &db_.padStacks;
}

bool Journal::Records(const ObjectArray& array) const
{
    const Object* owner = array.owner();
    return owner && Records(*owner);
}

bool Journal::Records(const Object& object) const
{
    if (object.map) return Records(*object.map);
    if (object.array) return Records(*object.array);
    return false;
}

void Journal::Break() noexcept
{
    broken_ = true;
    if (g_journal == this) g_journal = nullptr;
}

void Journal::Add(const Entry& entry) noexcept
{
    try {
        entries_.push_back(entry);
    } catch (...) {
        Break();
    }
}

void Journal::Touch(Object& object) noexcept
{
    try {
        if (!Records(object)) return;
        uint8_t& seen = SeenNow(object);
        if (seen & kValuesSeen) return;
        copies_.push_back(Copy(object));
        seen |= kValuesSeen;
        Add(Entry{Entry::Type::Values, {}, static_cast<int32_t>(copies_.size() - 1), nullptr, &object});
    } catch (...) {
        Break();
    }
}

void Journal::Status(Object& object) noexcept
{
    try {
        if (!Records(object)) return;
        uint8_t& seen = SeenNow(object);
        // A copy of the values holds the status too.
        if (seen & (kStatusSeen | kValuesSeen)) return;
        Add(Entry{Entry::Type::Status, {}, object.status, nullptr, &object});
        seen |= kStatusSeen;
    } catch (...) {
        Break();
    }
}

void Journal::Placed(ObjectMap& map, int32_t key) noexcept
{
    Add(Entry{Entry::Type::Placed, {}, key, &map, nullptr});
}

void Journal::Unlinking(ObjectMap& map, int32_t key, Object& member) noexcept
{
    Add(Entry{Entry::Type::Unlinked, {}, key, &map, &member});
}

void Journal::IdChanging(IdSpace& ids, int32_t id) noexcept
{
    Add(Entry{Entry::Type::Id, ids.StateOf(id), id, &ids, nullptr});
}

void Journal::Inserted(ObjectArray& array, int32_t index) noexcept
{
    Add(Entry{Entry::Type::Inserted, {}, index, &array, nullptr});
}

void Journal::Detaching(ObjectArray& array, int32_t index, Object& element) noexcept
{
    Add(Entry{Entry::Type::Detached, {}, index, &array, &element});
}

void Journal::Floating(Object& object, bool added) noexcept
{
    Add(Entry{added ? Entry::Type::FloatingAdded : Entry::Type::FloatingTaken, {}, 0, nullptr, &object});
}

void Journal::Erasing(Object& member) noexcept
{
    if (member.kind != Kind::Net || !Records(member)) return;
    // The nodes leave the level's node ids and index one by one, recorded,
    // as a net's destruction takes them out.
    ObjectMap& nodes = static_cast<Net&>(member).nodes;
    std::vector<int32_t> keys;
    try {
        keys.reserve(nodes.Count());
        nodes.ForEach([&](const Object& node) { keys.push_back(node.id); });
    } catch (...) {
        Break();
        return;
    }
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) Keep(nodes.Detach(*k));
}

void Journal::Keep(std::unique_ptr<Object> object) noexcept
{
    if (!object) return;
    Object* raw = object.get();
    try {
        deletedOrder_.reserve(deletedOrder_.size() + 1);
        held_.emplace(raw, Held{std::move(object), true});
        deletedOrder_.push_back(raw);
    } catch (...) {
        // Not kept: it goes as it would without a group.
        Break();
        return;
    }
    HoldHandles(*raw, true);
}

std::unique_ptr<Object> Journal::Take(Object* object)
{
    auto it = held_.find(object);
    if (it == held_.end()) return nullptr;
    std::unique_ptr<Object> taken = std::move(it->second.object);
    if (it->second.deleted) HoldHandles(*taken, false);
    held_.erase(it);
    return taken;
}

void Journal::Stash(std::unique_ptr<Object> object)
{
    if (!object) return;
    Object* raw = object.get();
    held_.emplace(raw, Held{std::move(object), false});
}

std::string Journal::Copy(Object& object)
{
    std::string copy;
    Writer w{copy};
    w(object.status);
    w(object.name);
    if (object.kind == Kind::Node) {
        const auto& n = static_cast<const Node&>(object);
        w(n.comp), w(n.entry), w(n.layComp), w(n.layEntry);
    } else if (object.kind == Kind::Level) {
        w(static_cast<const Level&>(object).curPage);
    } else {
        Values(object, w);
    }
    return copy;
}

void Journal::Restore(Object& object, const std::string& copy)
{
    if (Copy(object) == copy) return;
    Reader r{copy.data()};
    int32_t status = 0;
    std::string name;
    r(status);
    r(name);
    if (object.kind == Kind::Node) {
        auto& n = static_cast<Node&>(object);
        int32_t comp = 0, entry = 0, layComp = 0, layEntry = 0;
        r(comp), r(entry), r(layComp), r(layEntry);
        if (n.comp != comp || n.entry != entry) n.SetSide(kSchematicSide, comp, entry);
        if (n.layComp != layComp || n.layEntry != layEntry) n.SetSide(kLayoutSide, layComp, layEntry);
    } else if (object.kind == Kind::Level) {
        r(static_cast<Level&>(object).curPage);
    } else {
        Values(object, r);
        if (object.kind == Kind::File) DropDecodedPicture(static_cast<const FileObject&>(object));
    }
    object.status = status;
    if (object.name != name) {
        if (object.map) object.map->Rename(object, name);
        else object.name = std::move(name);
    }
    // A level's page changed, or anything hit tests may see.
    GeometryChanged(&object);
}

void Journal::Undo(const Entry& e)
{
    switch (e.type) {
    case Entry::Type::Placed: Stash(static_cast<ObjectMap*>(e.where)->Detach(e.number, true)); break;
    case Entry::Type::Unlinked:
        if (std::unique_ptr<Object> o = Take(e.object)) static_cast<ObjectMap*>(e.where)->Place(std::move(o), e.number);
        break;
    case Entry::Type::Id: static_cast<IdSpace*>(e.where)->Restore(e.number, e.state); break;
    case Entry::Type::Inserted: Stash(static_cast<ObjectArray*>(e.where)->Detach(e.number)); break;
    case Entry::Type::Detached:
        if (std::unique_ptr<Object> o = Take(e.object)) static_cast<ObjectArray*>(e.where)->Insert(std::move(o), e.number);
        break;
    case Entry::Type::FloatingAdded: Stash(db_.TakeFloating(e.object)); break;
    case Entry::Type::FloatingTaken:
        if (std::unique_ptr<Object> o = Take(e.object)) db_.floating[e.object] = std::move(o);
        break;
    case Entry::Type::Status: {
        const int32_t before = e.object->status;
        e.object->status = e.number;
        StatusChanged(*e.object, before);
        break;
    }
    case Entry::Type::Values: Restore(*e.object, copies_[static_cast<size_t>(e.number)]); break;
    }
}

void Journal::PutBackTo(const Mark& mark)
{
    while (entries_.size() > mark.entries) {
        Undo(entries_.back());
        entries_.pop_back();
    }
    copies_.resize(mark.copies);
    // The objects seen in the groups put back are copied again when they
    // change next: their epochs are not handed out again.
    epoch_ = mark.epoch;
    if (mark.entries == 0) seen_.clear();
    Database& db = db_;
    const bool levelChanged = db.curLevel != mark.curLevel;
    const bool sizesChanged = std::memcmp(db.textSizes, mark.textSizes, sizeof mark.textSizes) != 0;
    db.design.name = mark.name;
    db.design.status = mark.status;
    db.curLevel = mark.curLevel;
    std::memcpy(db.textSizes, mark.textSizes, sizeof mark.textSizes);
    if (levelChanged || sizesChanged) db.geometryEpoch = NextGeometryEpoch();
}

bool Journal::ChangedSince(const Mark& mark) const
{
    if (db_.design.name != mark.name || db_.design.status != mark.status || db_.curLevel != mark.curLevel ||
        std::memcmp(db_.textSizes, mark.textSizes, sizeof mark.textSizes) != 0)
        return true;
    // The first state of each key of a map, each id, each array and each
    // status: compared with what they hold now.
    std::map<std::pair<const void*, int32_t>, const Object*> keys;
    std::map<std::pair<const void*, int32_t>, IdSpace::State> ids;
    std::map<const ObjectArray*, std::vector<Object*>> arrays;
    std::unordered_map<const Object*, int32_t> statuses;
    const auto first = entries_.begin() + static_cast<std::ptrdiff_t>(mark.entries);
    for (auto at = first; at != entries_.end(); ++at) {
        const Entry& e = *at;
        switch (e.type) {
        case Entry::Type::Placed: keys.try_emplace({e.where, e.number}, nullptr); break;
        case Entry::Type::Unlinked: keys.try_emplace({e.where, e.number}, e.object); break;
        case Entry::Type::Id: ids.try_emplace({e.where, e.number}, e.state); break;
        case Entry::Type::Inserted:
        case Entry::Type::Detached: {
            auto* array = static_cast<const ObjectArray*>(e.where);
            auto [it, added] = arrays.try_emplace(array);
            if (added)
                for (const auto& element : array->items_) it->second.push_back(element.get());
            break;
        }
        case Entry::Type::Status: statuses.try_emplace(e.object, e.number); break;
        case Entry::Type::Values: {
            // The status comes first in a copy; the other values after it.
            const std::string& copy = copies_[static_cast<size_t>(e.number)];
            int32_t status = 0;
            std::memcpy(&status, copy.data(), sizeof status);
            statuses.try_emplace(e.object, status);
            if (Records(*e.object) && Copy(*e.object).compare(sizeof status, std::string::npos, copy,
                                                              sizeof status, std::string::npos) != 0)
                return true;
            break;
        }
        default: break;
        }
    }
    for (const auto& [object, status] : statuses)
        if (Records(*object) && object->status != status) return true;
    for (const auto& [at, first] : keys)
        if (static_cast<const ObjectMap*>(at.first)->Find(at.second) != first) return true;
    for (const auto& [at, first] : ids)
        if (static_cast<const IdSpace*>(at.first)->StateOf(at.second) != first) return true;
    // Each array as it was: its changes undone on a list of its elements.
    for (auto e = entries_.rbegin(); e != std::make_reverse_iterator(first); ++e) {
        if (e->type != Entry::Type::Inserted && e->type != Entry::Type::Detached) continue;
        std::vector<Object*>& list = arrays[static_cast<const ObjectArray*>(e->where)];
        const auto at = static_cast<size_t>(e->number - 1);
        if (e->type == Entry::Type::Inserted) {
            if (at < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(std::min(at, list.size())), e->object);
        }
    }
    for (const auto& [array, was] : arrays) {
        if (was.size() != array->items_.size()) return true;
        for (size_t i = 0; i < was.size(); ++i)
            if (was[i] != array->items_[i].get()) return true;
    }
    return false;
}

namespace {

// The object directly on a level that holds `object`, climbing through the
// owners of the maps and arrays; the last object reached when the climb
// ends elsewhere (a design-wide object, or one the journal keeps out of
// its map).
Object* OnLevel(Object* object)
{
    while (Object* owner = OwnerOf(*object)) {
        if (owner->kind == Kind::Level) return object;
        object = owner;
    }
    return object;
}

}  // namespace

bool Journal::ChangedOnLevels(const Mark& mark, std::vector<Object*>& onLevels) const
{
    if (db_.curLevel != mark.curLevel || std::memcmp(db_.textSizes, mark.textSizes, sizeof mark.textSizes) != 0)
        return false;
    std::unordered_map<const Object*, bool> seen;
    bool known = true;
    auto take = [&](Object* object) {
        if (!object) return;
        Object* top = OnLevel(object);
        if (!seen.emplace(top, true).second) return;
        switch (top->kind) {
        case Kind::Component:
        case Kind::Branch:
        case Kind::Junction:
        case Kind::Net: onLevels.push_back(top); break;
        // On a level, but nothing a schematic page shows: a page's view, a
        // bus's members (its wires are branches), the layout; a node apart
        // from its net is one the net's own entries name.
        case Kind::Page:
        case Kind::Bus:
        case Kind::LayComp:
        case Kind::Trace:
        case Kind::Via:
        case Kind::BendPoint:
        case Kind::Item:
        case Kind::Node: break;
        default: known = false; break;
        }
    };
    // The owner of a map or array, or its member when the owner is the level.
    auto takeIn = [&](Object* owner, Object* member) {
        if (!owner) {
            known = false;
            return;
        }
        take(owner->kind == Kind::Level ? member : owner);
    };
    for (auto at = entries_.begin() + static_cast<std::ptrdiff_t>(mark.entries); at != entries_.end() && known; ++at) {
        const Entry& e = *at;
        switch (e.type) {
        case Entry::Type::Values:
        case Entry::Type::Status: take(e.object); break;
        case Entry::Type::Placed: {
            auto* map = static_cast<ObjectMap*>(e.where);
            // A member taken out again later has an entry of its own.
            if (Object* member = map->Find(e.number)) takeIn(map->owner(), member);
            else if (!map->owner()) known = false;
            break;
        }
        case Entry::Type::Unlinked: takeIn(static_cast<ObjectMap*>(e.where)->owner(), e.object); break;
        case Entry::Type::Inserted:
        case Entry::Type::Detached: {
            auto* array = static_cast<ObjectArray*>(e.where);
            Object* element = e.type == Entry::Type::Detached ? e.object : array->At(e.number);
            takeIn(array->owner(), element);
            break;
        }
        // Ids and floating objects: nothing drawn.
        default: break;
        }
    }
    return known;
}

size_t Journal::Bytes() const
{
    size_t bytes = sizeof *this + entries_.capacity() * sizeof(Entry) + copies_.capacity() * sizeof(std::string);
    for (const std::string& c : copies_) bytes += c.capacity();
    // A hash node with its bucket, about.
    bytes += seen_.size() * 48 + held_.size() * 48 + deletedOrder_.capacity() * sizeof(Object*);
    return bytes;
}

}  // namespace kernel
