#include "platform/kernel/idspace.h"

#include <iterator>

namespace kernel {

IdSpace::IdSpace(int32_t limit) : limit_(limit)
{
    Clear();
}

void IdSpace::Clear()
{
    free_.clear();
    reserved_.clear();
    if (limit_ >= 1) free_.insert(Interval{1, limit_});
}

IdSpace::Intervals::const_iterator IdSpace::Holding(int32_t id) const
{
    auto it = free_.upper_bound(id);  // the first interval starting after id
    if (it == free_.begin()) return free_.end();
    --it;
    return id <= it->end ? it : free_.end();
}

bool IdSpace::IsFree(int32_t id) const
{
    if (id < 1 || id > limit_) return false;
    return Holding(id) != free_.end();
}

void IdSpace::MarkUsed(int32_t id)
{
    // The caller made sure id is free, so an interval holds it.
    auto it = Holding(id);
    if (it->start == it->end) {
        free_.erase(it);
    } else if (id == it->start) {
        it->start = id + 1;
    } else if (id == it->end) {
        it->end = id - 1;
    } else {
        const int32_t end = it->end;
        it->end = id - 1;
        free_.insert(std::next(it), Interval{id + 1, end});
    }
}

int32_t IdSpace::TakeLowest()
{
    if (free_.empty()) return 0;
    auto lowest = free_.begin();
    const int32_t id = lowest->start;
    if (lowest->start == lowest->end) free_.erase(lowest);
    else lowest->start = id + 1;
    return id;
}

bool IdSpace::Take(int32_t id)
{
    // The usual case, objects made or read back in ascending order: the
    // lowest free id, taken without a search. A free id is never reserved.
    if (!free_.empty() && free_.begin()->start == id) return TakeLowest() == id;
    if (reserved_.erase(id)) return true;
    if (!IsFree(id)) return false;
    MarkUsed(id);
    return true;
}

void IdSpace::Release(int32_t id)
{
    if (id < 1 || id > limit_) return;
    auto next = free_.upper_bound(id);  // the first interval starting after id
    auto prev = next == free_.begin() ? free_.end() : std::prev(next);
    if (prev != free_.end() && id <= prev->end) return;  // already free
    if (!reserved_.empty()) reserved_.erase(id);
    const bool joinsPrev = prev != free_.end() && prev->end == id - 1;
    const bool joinsNext = next != free_.end() && next->start == id + 1;
    if (joinsPrev && joinsNext) {
        prev->end = next->end;
        free_.erase(next);
    } else if (joinsPrev) {
        prev->end = id;
    } else if (joinsNext) {
        next->start = id;
    } else {
        free_.insert(next, Interval{id, id});
    }
}

int32_t IdSpace::Reserve()
{
    const int32_t id = TakeLowest();
    if (id) reserved_.insert(id);
    return id;
}

bool IdSpace::ReserveId(int32_t id)
{
    if (!IsFree(id)) return false;
    MarkUsed(id);
    reserved_.insert(id);
    return true;
}

IdSpace::State IdSpace::StateOf(int32_t id) const
{
    if (IsFree(id)) return State::Free;
    return reserved_.contains(id) ? State::Reserved : State::Used;
}

void IdSpace::Restore(int32_t id, State state)
{
    if (id < 1 || id > limit_ || StateOf(id) == state) return;
    Release(id);  // free, and no longer reserved
    if (state == State::Free) return;
    MarkUsed(id);
    if (state == State::Reserved) reserved_.insert(id);
}

void IdSpace::DropReservations()
{
    std::set<int32_t> dropped;
    dropped.swap(reserved_);
    for (int32_t id : dropped) Release(id);
}

}  // namespace kernel
