// A value per object id, for walks over many objects of a page: a table by
// id for the small ids the kernel hands out, a hash map beyond them (and
// for ids below 1), so that a walk of thousands of wires or junctions makes
// no allocation per object.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

template <class T>
class IdTable {
public:
    // The value of `id`; a value-initialised one is made when it has none
    // yet, and then `made` is set.
    T& At(int32_t id, bool* made = nullptr)
    {
        if (made) *made = false;
        if (id < 1 || id >= kTableIds) {
            auto [it, inserted] = spread_.try_emplace(id);
            if (made) *made = inserted;
            return it->second;
        }
        const auto i = static_cast<size_t>(id);
        if (i >= has_.size()) {
            const size_t size = std::max(i + 1, 2 * has_.size());
            has_.resize(size, 0);
            values_.resize(size);
        }
        if (!has_[i]) {
            has_[i] = 1;
            values_[i] = T{};
            if (made) *made = true;
        }
        return values_[i];
    }

    // The value of `id`; null when it has none.
    const T* Find(int32_t id) const
    {
        if (id < 1 || id >= kTableIds) {
            const auto it = spread_.find(id);
            return it == spread_.end() ? nullptr : &it->second;
        }
        const auto i = static_cast<size_t>(id);
        return i < has_.size() && has_[i] ? &values_[i] : nullptr;
    }

    // Forgets every value, keeping the room made for them.
    void Clear()
    {
        std::fill(has_.begin(), has_.end(), 0);
        spread_.clear();
    }

private:
    static constexpr int32_t kTableIds = 1 << 22;
    std::vector<uint8_t> has_;
    std::vector<T> values_;
    std::unordered_map<int32_t, T> spread_;
};
