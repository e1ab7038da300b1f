// The journal of a change group (change_groups.cpp): what the edit inside
// the group changed, written down just before each change, so that the
// group can be kept by dropping the journal or put back by undoing it in
// reverse. Its size and the time to undo it follow the edit, not the
// design.
//
// What it holds:
// - the values of each object the edit touched (status, name, position,
//   records, fields; not the maps and arrays it owns), copied before its
//   first change; a change of the status alone keeps the old status only;
// - every change of a map (a member placed under a key or taken out of it),
//   of an array (an element inserted or taken out at an index), of an id
//   space (an id taken, given back, reserved) and of the floating objects;
// - the design's own values (name, status, current level, text sizes),
//   copied when the journal starts.
// Objects the edit deletes are not destroyed while the group is open: the
// journal keeps them whole, their handles (and those of what they own) held
// so that they answer as deleted objects do, and a put-back puts the same
// objects back with the same handles. So handles held across a put-back
// stay good, and references by handle (a bus's member nets, a layout
// component's parts) come back with their objects. Keeping the group
// destroys the deleted objects then.
//
// Only the open design's objects are recorded: objects being built before
// they are put into it (a symbol read from a library, a new net's first
// values), floating objects and kept objects are not.
#pragma once

#include "platform/kernel/database.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace kernel {

class Journal {
public:
    // Starts the journal of `design`, copying the design's own values.
    explicit Journal(Database& design);
    // Destroys what the journal keeps: the objects the group deleted (when
    // the group is kept) or made (after a put-back). g_journal must not be
    // this journal any more.
    ~Journal();
    Journal(const Journal&) = delete;
    Journal& operator=(const Journal&) = delete;

    // True for the maps, arrays and objects of the design this journal
    // records.
    bool Records(const ObjectMap& map) const;
    bool Records(const ObjectArray& array) const;
    bool Records(const Object& object) const;

    // ---- Recording (each before the change it names, unless said) ----------
    // A value of `object` is about to change (see Touch).
    void Touch(Object& object) noexcept;
    // The status of `object` is about to change.
    void Status(Object& object) noexcept;
    // A member has just been placed under `key` of a recorded map.
    void Placed(ObjectMap& map, int32_t key) noexcept;
    // The member under `key` of a recorded map is about to be taken out.
    void Unlinking(ObjectMap& map, int32_t key, Object& member) noexcept;
    // The state of `id` in a recorded id space is about to change.
    void IdChanging(IdSpace& ids, int32_t id) noexcept;
    // An element has just been inserted at `index` of a recorded array.
    void Inserted(ObjectArray& array, int32_t index) noexcept;
    // The element at `index` of a recorded array is about to be taken out.
    void Detaching(ObjectArray& array, int32_t index, Object& element) noexcept;
    // `object` has just become floating, or is about to stop floating.
    void Floating(Object& object, bool added) noexcept;
    // A member of a recorded map is about to be deleted: what it owns that
    // others share goes first, recorded (a net's nodes leave the level's
    // node ids and index).
    void Erasing(Object& member) noexcept;
    // Takes an object the edit deleted, instead of destroying it: its
    // handles are held until a put-back or the end of the group.
    void Keep(std::unique_ptr<Object> object) noexcept;

    // False once recording failed (out of memory): the journal is then
    // incomplete and cannot put the design back.
    bool Complete() const { return !broken_; }

    // ---- Marks (a nested group) ---------------------------------------------------
    // A place in the journal that a nested group can be put back to, with
    // the design's own values there.
    struct Mark {
        size_t entries = 0;
        size_t copies = 0;
        uint32_t epoch = 0;  // the epoch of the group around the nested one
        std::string name;
        int32_t status = 0;
        int32_t curLevel = 0;
        int32_t textSizes[sizeof(Database::textSizes) / sizeof(int32_t)] = {};
    };
    // Opens a nested group: from here on an object's first change in the
    // group is copied again, so that the group can be put back alone.
    Mark Open();
    // The nested group opened at `mark` is kept: its changes become the
    // enclosing group's.
    void Close(const Mark& mark);

    // ---- Ending ---------------------------------------------------------------
    // True when the design differs from what it was at `mark` (when the
    // journal started, without one). An edit that changed things and changed
    // them back differs in nothing.
    bool Changed() const { return ChangedSince(start_); }
    bool ChangedSince(const Mark& mark) const;
    // Undoes the journal, newest first: the design is as it was when the
    // journal started. g_journal must not be this journal any more.
    void PutBack() { PutBackTo(start_); }
    // Undoes the journal back to `mark` (a nested group put back alone);
    // the journal records on as it did before that group opened.
    void PutBackTo(const Mark& mark);
    // About what the journal occupies, in bytes.
    size_t Bytes() const;
    // True when nothing was written down after `mark` (since the journal
    // started, without one): a put-back to it has nothing to undo.
    bool EmptySince(const Mark* mark) const { return entries_.size() == (mark ? mark->entries : 0); }

    // What a put-back to `mark` would put back, as objects directly on a
    // level: each object whose values or status changed, each member of a
    // map and element of an array placed or taken out, climbed to the
    // object on the level that holds it (a component for its texts, a net
    // for its nodes), each once, in `onLevels`. False when something else
    // changed: an object not on a level (a symbol with its items and
    // entries, a device, a pad stack, a file object), a level itself (its
    // current page), the current level or the text sizes.
    bool ChangedOnLevels(const Mark& mark, std::vector<Object*>& onLevels) const;
    // The same for a put-back of the whole journal.
    bool ChangedOnLevels(std::vector<Object*>& onLevels) const { return ChangedOnLevels(start_, onLevels); }

private:
    struct Entry {
        enum class Type : uint8_t {
            Placed,         // map, key
            Unlinked,       // map, key, object
            Id,             // id space, id, state
            Inserted,       // array, index
            Detached,       // array, index, object
            FloatingAdded,  // object
            FloatingTaken,  // object
            Status,         // object, old status
            Values,         // object, copy number
        };
        Type type;
        IdSpace::State state = IdSpace::State::Free;
        int32_t number = 0;  // key, index, id, status, copy number
        void* where = nullptr;  // ObjectMap*, ObjectArray*, IdSpace*
        Object* object = nullptr;
    };
    struct Held {
        std::unique_ptr<Object> object;
        bool deleted = false;  // deleted by the edit: its handles are held
    };
    // The first changes of an object seen in the group of `epoch`: its
    // status, its values. A nested group has an epoch of its own, so an
    // object it changes is copied again.
    static constexpr uint8_t kStatusSeen = 1, kValuesSeen = 2;
    struct Seen {
        uint8_t flags = 0;
        uint32_t epoch = 0;
    };
    // The flags of `object` in the current epoch (cleared when it was last
    // seen in another one).
    uint8_t& SeenNow(const Object& object);
    Mark MarkHere() const;

    // Records an entry; when memory runs out the journal breaks.
    void Add(const Entry& entry) noexcept;
    // Records failed: the journal stops recording.
    void Break() noexcept;
    // Takes a kept object back (its handles answer again); null when the
    // journal does not hold it.
    std::unique_ptr<Object> Take(Object* object);
    // Holds an object that the put-back took out (made by the edit).
    void Stash(std::unique_ptr<Object> object);
    void Undo(const Entry& entry);
    // The values of an object, as Touch copies them.
    static std::string Copy(Object& object);
    // Gives `object` the values of a copy.
    static void Restore(Object& object, const std::string& copy);

    Database& db_;
    bool broken_ = false;
    std::vector<Entry> entries_;
    std::vector<std::string> copies_;
    std::unordered_map<const Object*, Seen> seen_;
    uint32_t epoch_ = 0;      // the epoch of the innermost open group
    uint32_t lastEpoch_ = 0;  // the last epoch handed out
    std::unordered_map<Object*, Held> held_;
    std::vector<Object*> deletedOrder_;  // kept deleted objects, in the order deleted

    // The design's own values when the journal started.
    Mark start_;
};

}  // namespace kernel
