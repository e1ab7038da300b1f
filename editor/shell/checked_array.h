// Arrays with a documented lower bound whose every access is checked: an
// index outside the bounds raises the runtime's error 9 ("Subscript out of
// range") instead of reading past the storage.
#pragma once

#include "editor/shell/errors.h"

#include <vector>

template <class T>
class CheckedArray {
public:
    CheckedArray() = default;
    CheckedArray(long lower, long upper) { Redim(lower, upper); }

    // Sets the bounds; every element takes its empty value.
    void Redim(long lower, long upper)
    {
        lower_ = lower;
        items_.assign(upper >= lower ? static_cast<size_t>(upper - lower + 1) : 0, T{});
    }
    // Sets the upper bound, keeping the elements that stay within it.
    void RedimPreserve(long upper)
    {
        items_.resize(upper >= lower_ ? static_cast<size_t>(upper - lower_ + 1) : 0);
    }

    long LBound() const { return lower_; }
    long UBound() const { return lower_ + static_cast<long>(items_.size()) - 1; }
    bool Empty() const { return items_.empty(); }

    T& operator()(long i) { return items_[Index(i)]; }
    const T& operator()(long i) const { return items_[Index(i)]; }

private:
    size_t Index(long i) const
    {
        if (i < lower_ || i > UBound()) RaiseError(errnum::SubscriptOutOfRange);
        return static_cast<size_t>(i - lower_);
    }

    long lower_ = 0;
    std::vector<T> items_;
};
