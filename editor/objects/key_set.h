// A fixed-size set of 64-bit keys for the lookups of bulk deletions.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

// A fixed set of 64-bit keys in one table (open addressing), for the
// lookups of a bulk deletion without an allocation per key. Each key keeps
// its slot, 0..Capacity()-1.
class KeySet {
public:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // Room for at most `count` different keys.
    explicit KeySet(size_t count) { Reset(count); }

    // Empties the set, with room for at most `count` different keys; the
    // table's memory is kept for the next use.
    void Reset(size_t count)
    {
        size_ = std::bit_ceil(2 * count + 2);
        if (slots_.size() < size_) slots_.resize(size_);
        std::fill(slots_.begin(), slots_.begin() + static_cast<std::ptrdiff_t>(size_), kEmpty);
    }

    size_t Capacity() const { return size_; }
    // The key's slot, the key added when new.
    size_t Add(int64_t key)
    {
        const size_t slot = Probe(key);
        slots_[slot] = key;
        return slot;
    }
    // True when the key was new.
    bool Insert(int64_t key)
    {
        const size_t slot = Probe(key);
        if (slots_[slot] == key) return false;
        slots_[slot] = key;
        return true;
    }
    // The key's slot, kNone when it is not in the set.
    size_t Find(int64_t key) const
    {
        const size_t slot = Probe(key);
        return slots_[slot] == key ? slot : kNone;
    }

private:
    static constexpr int64_t kEmpty = std::numeric_limits<int64_t>::min();

    // The key's slot, or the empty slot where it would go.
    size_t Probe(int64_t key) const
    {
        const size_t mask = size_ - 1;
        uint64_t h = static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull;
        size_t slot = static_cast<size_t>(h ^ (h >> 29)) & mask;
        while (slots_[slot] != kEmpty && slots_[slot] != key) slot = (slot + 1) & mask;
        return slot;
    }

    std::vector<int64_t> slots_;
    size_t size_ = 0;  // the slots in use, a power of two
};
