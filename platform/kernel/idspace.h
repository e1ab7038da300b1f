// The ids of one kind: which are in use, which are free, and which have been
// handed out by GetFreeID but not used yet. A new object takes the lowest
// free id. Free ids are kept as disjoint intervals, so every operation is
// O(log n) however the ids were used.
#pragma once

#include <cstdint>
#include <set>

namespace kernel {

class IdSpace {
public:
    explicit IdSpace(int32_t limit = kMaxId);

    static constexpr int32_t kMaxId = 16777215;

    // The lowest free id, marked used; 0 when none is left.
    int32_t TakeLowest();
    // Marks `id` used; false when it is out of range or already used (a
    // reserved id counts as free for this).
    bool Take(int32_t id);
    // Gives `id` back; it becomes the lowest free candidate again.
    void Release(int32_t id);
    bool IsFree(int32_t id) const;
    // The lowest free id without taking it; 0 when none is left.
    int32_t Lowest() const { return free_.empty() ? 0 : free_.begin()->start; }

    // GetFreeID: the lowest free id, reserved until used or Rebuild.
    int32_t Reserve();
    // Forgets every reservation (their ids become free again).
    void DropReservations();
    // Reserves exactly `id` as Reserve would have (a heap read back from a
    // database image); false when it is out of range or not free.
    bool ReserveId(int32_t id);
    // The ids reserved and not used yet, ascending.
    const std::set<int32_t>& Reserved() const { return reserved_; }

    // What an id is: free, used, or reserved by GetFreeID (and so not free).
    enum class State : uint8_t { Free, Used, Reserved };
    State StateOf(int32_t id) const;
    // Makes `id` (in range) be in `state` again, whatever it is now: the
    // change groups put ids back this way (journal.h).
    void Restore(int32_t id, State state);

private:
    // Free ids start..end, inclusive. The intervals are disjoint and ordered
    // by their start; an id taken from or given back at either end of an
    // interval moves that end within the gap between its neighbours, which
    // keeps the order, so both ends are changed in place (mutable) instead
    // of taking the interval out of the set and putting it back: taking the
    // lowest id, the usual case, then costs no search at all.
    struct Interval {
        mutable int32_t start;
        mutable int32_t end;
    };
    struct ByStart {
        using is_transparent = void;
        bool operator()(const Interval& a, const Interval& b) const { return a.start < b.start; }
        bool operator()(const Interval& a, int32_t id) const { return a.start < id; }
        bool operator()(int32_t id, const Interval& b) const { return id < b.start; }
    };
    using Intervals = std::set<Interval, ByStart>;

    // Everything free again.
    void Clear();
    void MarkUsed(int32_t id);
    // The interval holding `id`, else free_.end().
    Intervals::const_iterator Holding(int32_t id) const;

    int32_t limit_;
    Intervals free_;
    std::set<int32_t> reserved_;
};

}  // namespace kernel
