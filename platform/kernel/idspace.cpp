#include "platform/kernel/idspace.h"

namespace kernel {

IdSpace::IdSpace(int32_t limit) : limit_(limit)
{
    Clear();
}

void IdSpace::Clear()
{
    free_.clear();
    reserved_.clear();
    if (limit_ >= 1) free_[1] = limit_;
}

bool IdSpace::IsFree(int32_t id) const
{
    if (id < 1 || id > limit_) return false;
    auto it = free_.upper_bound(id);
    if (it == free_.begin()) return false;
    --it;
    return id <= it->second;
}

void IdSpace::MarkUsed(int32_t id)
{
    auto it = free_.upper_bound(id);
    --it;  // the caller made sure id is free, so this interval holds it
    const int32_t start = it->first, end = it->second;
    if (start == end) {
        free_.erase(it);
    } else if (id == start) {
        // Taking the lowest id of an interval (the usual case): rekey the
        // node in place instead of allocating a new one.
        auto node = free_.extract(it);
        node.key() = id + 1;
        free_.insert(std::move(node));
    } else if (id == end) {
        it->second = id - 1;
    } else {
        it->second = id - 1;
        free_.emplace_hint(std::next(it), id + 1, end);
    }
}

int32_t IdSpace::TakeLowest()
{
    if (free_.empty()) return 0;
    const int32_t id = free_.begin()->first;
    MarkUsed(id);
    return id;
}

bool IdSpace::Take(int32_t id)
{
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
    if (prev != free_.end() && id <= prev->second) return;  // already free
    if (!reserved_.empty()) reserved_.erase(id);
    const bool joinsPrev = prev != free_.end() && prev->second == id - 1;
    const bool joinsNext = next != free_.end() && next->first == id + 1;
    if (joinsPrev) {
        prev->second = joinsNext ? next->second : id;
        if (joinsNext) free_.erase(next);
    } else if (joinsNext) {
        auto node = free_.extract(next);
        node.key() = id;
        free_.insert(std::move(node));
    } else {
        free_.emplace_hint(next, id, id);
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

void IdSpace::DropReservations()
{
    std::set<int32_t> dropped;
    dropped.swap(reserved_);
    for (int32_t id : dropped) Release(id);
}

}  // namespace kernel
