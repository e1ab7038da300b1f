#include "platform/kernel/objects.h"

#include "platform/kernel/journal.h"
#include "platform/kernel/registry.h"

#include <algorithm>
#include <cstring>

namespace kernel {

Object::~Object()
{
    if (handle_) Handles().Remove(handle_);
}

int32_t Object::Handle()
{
    if (!handle_) handle_ = Handles().Add(HandleType::Object, this);
    return handle_;
}

void Object::HoldHandle(bool hold)
{
    if (handle_) hold ? Handles().Hold(handle_) : Handles().Resume(handle_);
}

bool ValidName(const char* name)
{
    return NameView(name).has_value();
}


// ---- ObjectMap ---------------------------------------------------------------

ObjectMap::ObjectMap(Kind kind, int32_t limit)
    : kind_(kind), ownIds_(std::make_unique<IdSpace>(limit)), ids_(ownIds_.get())
{
}

ObjectMap::ObjectMap(Kind kind, IdSpace& shared, ObjectIndex& sharedIndex)
    : kind_(kind), ids_(&shared), sharedIndex_(&sharedIndex)
{
}

ObjectMap::~ObjectMap()
{
    DestroyAll(true);
    if (handle_) Handles().Remove(handle_);
}

int32_t ObjectMap::Handle()
{
    if (!handle_) handle_ = Handles().Add(HandleType::Map, this);
    return handle_;
}

void ObjectMap::HoldHandle(bool hold)
{
    if (handle_) hold ? Handles().Hold(handle_) : Handles().Resume(handle_);
}

bool ObjectMap::Journaled() const
{
    return g_journal && g_journal->Records(*this);
}

void ObjectMap::NoteId(int32_t id)
{
    if (Journaled()) g_journal->IdChanging(*ids_, id);
}

Object* ObjectMap::FindOutsideDense(int32_t key) const
{
    if (key > 0) {
        auto it = sparse_.find(key);
        return it == sparse_.end() ? nullptr : it->second.get();
    }
    if (key == 0) return nullptr;
    auto it = negative_.find(key);
    return it == negative_.end() ? nullptr : it->second.get();
}

std::unique_ptr<Object>* ObjectMap::Slot(int32_t key)
{
    const auto k = static_cast<size_t>(key);
    if (k < dense_.size()) return dense_[k] ? &dense_[k] : nullptr;
    auto it = sparse_.find(key);
    return it == sparse_.end() ? nullptr : &it->second;
}

void ObjectMap::GrowDense(int32_t key)
{
    const auto k = static_cast<size_t>(key);
    if (k < dense_.size()) return;
    // The vector may hold about twice the members: a key far above that
    // goes to the tree.
    const size_t allowed = 2 * (positiveCount_ + 1) + 64;
    if (k >= allowed) return;
    const size_t size = std::min(std::max(k + 1, dense_.size() * 2), allowed);
    dense_.resize(size);
    // Keys of the tree that the vector now covers move into it.
    while (!sparse_.empty() && static_cast<size_t>(sparse_.begin()->first) < size) {
        auto node = sparse_.extract(sparse_.begin());
        const auto k = static_cast<size_t>(node.key());
        dense_[k] = std::move(node.mapped());
        denseEnd_ = std::max(denseEnd_, k + 1);
    }
}

void ObjectMap::IndexName(const Object& object)
{
    if (object.id <= 0 || object.name.empty()) return;
    // At most half the slots taken, so that a search meets a free slot soon.
    if (2 * (nameCount_ + 1) > nameSlots_.size()) {
        std::vector<NameSlot, ObjectMemoryAllocator<NameSlot>> old(std::max<size_t>(16, 2 * nameSlots_.size()));
        old.swap(nameSlots_);  // nameSlots_ is now the larger table, still empty
        const size_t mask = nameSlots_.size() - 1;
        for (const NameSlot& slot : old) {
            if (!slot.lowest) continue;
            size_t i = slot.hash & mask;
            while (nameSlots_[i].lowest) i = (i + 1) & mask;
            nameSlots_[i] = slot;
        }
    }
    const uint32_t hash = NameHashOf(object.name);
    const size_t mask = nameSlots_.size() - 1;
    size_t i = hash & mask;
    for (; nameSlots_[i].lowest; i = (i + 1) & mask) {
        NameSlot& slot = nameSlots_[i];
        if (slot.hash != hash || slot.lowest->name != object.name) continue;
        // A name shared with other members.
        std::set<int32_t>& others = sharedNames_[object.name];
        slot.shared = 1;
        if (object.id < slot.lowest->id) {
            others.insert(slot.lowest->id);
            slot.lowest = &object;
        } else {
            others.insert(object.id);
        }
        return;
    }
    nameSlots_[i] = NameSlot{&object, hash, 0};
    ++nameCount_;
}

void ObjectMap::UnindexName(const Object& object)
{
    if (object.id <= 0 || object.name.empty() || nameCount_ == 0) return;
    auto* slot = const_cast<NameSlot*>(FindNameSlot(object.name));
    if (!slot) return;
    if (slot->shared) {
        auto it = sharedNames_.find(std::string_view(object.name));
        std::set<int32_t>& others = it->second;
        if (slot->lowest == &object) {
            slot->lowest = Find(*others.begin());
            others.erase(others.begin());
        } else {
            others.erase(object.id);
        }
        if (others.empty()) {
            sharedNames_.erase(it);
            slot->shared = 0;
        }
        return;
    }
    if (slot->lowest != &object) return;
    // Takes the slot out and moves up the slots after it that may sit
    // there (linear probing without tombstones), so that every search still
    // meets its name before a free slot.
    const size_t mask = nameSlots_.size() - 1;
    size_t hole = static_cast<size_t>(slot - nameSlots_.data());
    for (size_t j = (hole + 1) & mask; nameSlots_[j].lowest; j = (j + 1) & mask) {
        const size_t home = nameSlots_[j].hash & mask;
        // The slot j may move to the hole when its home does not lie in the
        // cyclic range (hole, j].
        const bool homeInRange = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
        if (!homeInRange) {
            nameSlots_[hole] = nameSlots_[j];
            hole = j;
        }
    }
    nameSlots_[hole] = NameSlot{};
    --nameCount_;
}

void ObjectMap::ClearNames()
{
    std::vector<NameSlot, ObjectMemoryAllocator<NameSlot>>().swap(nameSlots_);
    nameCount_ = 0;
    sharedNames_.clear();
}

int32_t ObjectMap::Insert(std::unique_ptr<Object> object, int32_t key)
{
    if (!object || object->kind != kind_) return 0;
    if (key == 0) {
        if (g_journal) [[unlikely]]
            if (const int32_t lowest = ids_->Lowest()) NoteId(lowest);
        key = ids_->TakeLowest();
        if (key == 0) return 0;
    } else if (key > 0) {
        if (g_journal) [[unlikely]]
            if (ids_->StateOf(key) != IdSpace::State::Used) NoteId(key);
        if (!ids_->Take(key)) return 0;
    } else if (negative_.count(key)) {
        return 0;
    }
    Place(std::move(object), key);
    return key;
}

void ObjectMap::Place(std::unique_ptr<Object> object, int32_t key)
{
    object->id = key;
    object->map = this;
    object->array = nullptr;
    Object* raw = object.get();
    if (key > 0) {
        GrowDense(key);
        const auto k = static_cast<size_t>(key);
        if (k < dense_.size()) {
            dense_[k] = std::move(object);
            denseEnd_ = std::max(denseEnd_, k + 1);
        } else {
            sparse_[key] = std::move(object);
        }
        ++positiveCount_;
        if (sharedIndex_) (*sharedIndex_)[key] = raw;
    } else {
        negative_[key] = std::move(object);
    }
    IndexName(*raw);
    // Noted at the member, so the level's log names it (see GeometryChanged).
    GeometryChanged(owner_ ? raw : nullptr);
    if (g_journal) [[unlikely]]
        if (Journaled()) g_journal->Placed(*this, key);
}

std::unique_ptr<Object> ObjectMap::Detach(int32_t key, bool keepId)
{
    Object* member = Find(key);
    if (!member) return nullptr;
    // Members are mostly taken out as a walk finds them, up the keys.
    if (key > 0) PrefetchAhead(static_cast<size_t>(key));
    GeometryChanged(owner_ ? member : nullptr);
    return Unlink(key, keepId);
}

std::unique_ptr<Object> ObjectMap::Unlink(int32_t key, bool keepId)
{
    if (g_journal) [[unlikely]]
        if (Object* member = Find(key); member && Journaled()) g_journal->Unlinking(*this, key, *member);
    std::unique_ptr<Object> object;
    if (key > 0) {
        std::unique_ptr<Object>* slot = Slot(key);
        if (!slot) return nullptr;
        if (!(*slot)->name.empty()) UnindexName(**slot);
        object = std::move(*slot);
        const auto k = static_cast<size_t>(key);
        if (k >= dense_.size()) sparse_.erase(key);
        if (k + 1 == denseEnd_)
            while (denseEnd_ > 0 && !dense_[denseEnd_ - 1]) --denseEnd_;
        --positiveCount_;
        if (sharedIndex_) sharedIndex_->erase(key);
        if (!keepId) {
            if (g_journal) [[unlikely]]
                NoteId(key);
            ids_->Release(key);
        }
    } else {
        auto it = negative_.find(key);
        if (it == negative_.end()) return nullptr;
        object = std::move(it->second);
        negative_.erase(it);
    }
    object->map = nullptr;
    return object;
}

bool ObjectMap::Erase(int32_t key)
{
    if (g_journal) [[unlikely]] {
        // A change group keeps the member, so that it can put it back.
        Object* member = Find(key);
        if (!member || !Journaled()) return Detach(key) != nullptr;
        Journal& journal = *g_journal;
        journal.Erasing(*member);
        journal.Keep(Detach(key));
        return true;
    }
    return Detach(key) != nullptr;
}

int32_t ObjectMap::ChangeKey(int32_t oldKey, int32_t newKey)
{
    if (!Find(oldKey)) return 0;
    if (oldKey == newKey) return newKey;
    if (newKey == 0) newKey = ids_->Lowest();
    if (newKey == 0) return 0;
    if (newKey > 0 && !ids_->IsFree(newKey)) return 0;
    if (newKey < 0 && negative_.count(newKey)) return 0;
    return Insert(Detach(oldKey), newKey);
}

bool ObjectMap::MoveTo(int32_t key, ObjectMap& target)
{
    if (&target == this) return Find(key) != nullptr;
    if (target.kind_ != kind_ || key == 0 || target.Find(key)) return false;
    const bool sharedIds = target.ids_ == ids_;
    if (!sharedIds && key > 0 && !target.ids_->IsFree(key)) return false;
    std::unique_ptr<Object> object = Detach(key, sharedIds);
    if (!object) return false;
    if (sharedIds && key > 0) {
        // The id stays taken in the shared space: place it directly.
        target.Place(std::move(object), key);
        return true;
    }
    return target.Insert(std::move(object), key) != 0;
}

Object* ObjectMap::NextInSparse(int32_t after) const
{
    auto it = sparse_.upper_bound(std::max(after, 0));
    return it == sparse_.end() ? nullptr : it->second.get();
}

Object* ObjectMap::NextName(std::string_view name, int32_t after) const
{
    const NameSlot* slot = FindNameSlot(name);
    if (!slot) return nullptr;
    if (slot->lowest->id > after) return const_cast<Object*>(slot->lowest);
    if (!slot->shared) return nullptr;
    const std::set<int32_t>& others = sharedNames_.find(name)->second;
    auto next = others.upper_bound(after);
    return next == others.end() ? nullptr : Find(*next);
}

void ObjectMap::Rename(Object& object, const std::string& name)
{
    Touch(object);
    UnindexName(object);
    object.name = name;
    IndexName(object);
    GeometryChanged(&object);
}

void ObjectMap::Clear()
{
    if (Count()) GeometryChanged(owner_);
    if (g_journal && Count() && Journaled()) [[unlikely]] {
        // One by one, so that the change group keeps every member.
        std::vector<int32_t> keys;
        keys.reserve(Count());
        ForEach([&](const Object& o) { keys.push_back(o.id); });
        Journal& journal = *g_journal;
        for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
            journal.Erasing(*Find(*k));
            journal.Keep(Unlink(*k, false));
        }
    }
    DestroyAll(false);
}

void ObjectMap::DestroyAll(bool mapGoes)
{
    // A map that goes with an id space and a name index of its own is asked
    // for neither again: its keys are not given back one by one, nor are its
    // names taken out of the index one by one. A shared id space outlives
    // the map and gets its keys back.
    const bool keepIds = mapGoes && ownIds_;
    if (keepIds) ClearNames();
    if (keepIds && !sharedIndex_ && !Journaled()) {
        // Nothing outside the map learns of its members one by one (no id
        // space, index or journal to tell): the members are only destroyed,
        // in the same order.
        while (!sparse_.empty()) sparse_.erase(std::prev(sparse_.end()));
        for (size_t k = denseEnd_; k-- > 1;) {
            if (k > kPrefetchDistance) __builtin_prefetch(dense_[k - kPrefetchDistance].get());
            dense_[k].reset();
        }
        negative_.clear();
        dense_.clear();
        denseEnd_ = 0;
        positiveCount_ = 0;
        return;
    }
    // Members may own maps and arrays of their own; destroy them one by one
    // from the highest key down so the by-id indexes stay consistent.
    while (!sparse_.empty()) Unlink(std::prev(sparse_.end())->first, keepIds);
    for (size_t k = dense_.size(); k-- > 1;) {
        // As in a walk, the members a few keys on are loaded meanwhile.
        if (k > kPrefetchDistance) __builtin_prefetch(dense_[k - kPrefetchDistance].get());
        if (dense_[k]) Unlink(static_cast<int32_t>(k), keepIds);
    }
    while (!negative_.empty()) Unlink(negative_.begin()->first, keepIds);
    ClearNames();
    dense_.clear();
    denseEnd_ = 0;
    positiveCount_ = 0;
}

// ---- ObjectArray -------------------------------------------------------------

int32_t ObjectArray::Handle()
{
    if (!handle_) handle_ = Handles().Add(HandleType::Array, this);
    return handle_;
}

void ObjectArray::HoldHandle(bool hold)
{
    if (handle_) hold ? Handles().Hold(handle_) : Handles().Resume(handle_);
}

Object* ObjectArray::At(int32_t index) const
{
    if (index < 1 || index > Count()) return nullptr;
    return items_[static_cast<size_t>(index - 1)].get();
}

int32_t ObjectArray::IndexOf(const Object* object) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == object) return static_cast<int32_t>(i + 1);
    return 0;
}

int32_t ObjectArray::Insert(std::unique_ptr<Object> object, int32_t index)
{
    if (!object || object->kind != kind_) return 0;
    object->array = this;
    object->map = nullptr;
    object->id = 0;
    GeometryChanged(owner_ ? object.get() : nullptr);
    if (index < 1 || index > Count()) {
        items_.push_back(std::move(object));
        index = Count();
    } else {
        items_.insert(items_.begin() + (index - 1), std::move(object));
    }
    if (g_journal) [[unlikely]]
        if (g_journal->Records(*this)) g_journal->Inserted(*this, index);
    return index;
}

std::unique_ptr<Object> ObjectArray::Detach(int32_t index)
{
    if (index < 1 || index > Count()) return nullptr;
    if (g_journal) [[unlikely]]
        if (g_journal->Records(*this)) g_journal->Detaching(*this, index, *items_[static_cast<size_t>(index - 1)]);
    GeometryChanged(owner_ ? items_[static_cast<size_t>(index - 1)].get() : nullptr);
    std::unique_ptr<Object> object = std::move(items_[static_cast<size_t>(index - 1)]);
    items_.erase(items_.begin() + (index - 1));
    object->array = nullptr;
    return object;
}

bool ObjectArray::Erase(int32_t index)
{
    if (g_journal && index >= 1 && index <= Count() && g_journal->Records(*this)) [[unlikely]] {
        // A change group keeps the element, so that it can put it back.
        Journal& journal = *g_journal;
        journal.Keep(Detach(index));
        return true;
    }
    return Detach(index) != nullptr;
}

void ObjectArray::DestroyAll()
{
    while (!items_.empty()) {
        std::unique_ptr<Object> last = std::move(items_.back());
        items_.pop_back();
    }
}

}  // namespace kernel
