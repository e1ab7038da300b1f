// Control arrays: controls of one name told apart by an index
// (F_FSI(0..10), M_Imap(1..6)). Indexes need not be contiguous; asking for
// an element that does not exist raises the runtime's error 340.
#pragma once

#include "editor/shell/errors.h"

#include <map>
#include <vector>

template <class T>
class ControlArray {
public:
    void Add(long index, T* control) { items_[index] = control; }
    void Remove(long index) { items_.erase(index); }
    void Clear() { items_.clear(); }

    T* operator()(long index) const
    {
        auto it = items_.find(index);
        if (it == items_.end()) RaiseError(errnum::ControlArrayElementMissing);
        return it->second;
    }
    bool Exists(long index) const { return items_.count(index) != 0; }

    size_t Count() const { return items_.size(); }
    bool Empty() const { return items_.empty(); }
    // The smallest and largest index; error 340 when the array is empty.
    long LBound() const
    {
        if (items_.empty()) RaiseError(errnum::ControlArrayElementMissing);
        return items_.begin()->first;
    }
    long UBound() const
    {
        if (items_.empty()) RaiseError(errnum::ControlArrayElementMissing);
        return items_.rbegin()->first;
    }
    std::vector<long> Indexes() const
    {
        std::vector<long> indexes;
        for (const auto& [index, control] : items_) indexes.push_back(index);
        return indexes;
    }

    // Iterates (index, control) pairs in index order.
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::map<long, T*> items_;
};
