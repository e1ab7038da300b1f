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
    --it;  // caller made sure id is free
    const int32_t start = it->first, end = it->second;
    free_.erase(it);
    if (start < id) free_[start] = id - 1;
    if (id < end) free_[id + 1] = end;
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
    if (id < 1 || id > limit_ || IsFree(id)) return;
    reserved_.erase(id);
    int32_t start = id, end = id;
    auto next = free_.find(id + 1);
    if (next != free_.end()) {
        end = next->second;
        free_.erase(next);
    }
    auto prev = free_.lower_bound(id);
    if (prev != free_.begin()) {
        --prev;
        if (prev->second == id - 1) {
            start = prev->first;
            free_.erase(prev);
        }
    }
    free_[start] = end;
}

int32_t IdSpace::Reserve()
{
    const int32_t id = TakeLowest();
    if (id) reserved_.insert(id);
    return id;
}

void IdSpace::DropReservations()
{
    std::set<int32_t> dropped;
    dropped.swap(reserved_);
    for (int32_t id : dropped) Release(id);
}

}  // namespace kernel
