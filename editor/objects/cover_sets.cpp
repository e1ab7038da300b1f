#include "editor/objects/cover_sets.h"

#include "editor/shell/platform_calls.h"

#include <algorithm>

namespace {

// Asks `query(ids, capacity)` with room for `guess` ids, and again with
// room for all of them when there were more.
template <class Query>
std::vector<int32_t> ReadSet(int32_t guess, Query&& query)
{
    std::vector<int32_t> ids(static_cast<size_t>(std::max(guess, 0)) + 16);
    int32_t n = query(ids.data(), static_cast<int32_t>(ids.size()));
    if (n > static_cast<int32_t>(ids.size())) {
        ids.resize(static_cast<size_t>(n));
        n = query(ids.data(), n);
    }
    ids.resize(static_cast<size_t>(std::clamp(n, 0, static_cast<int32_t>(ids.size()))));
    return ids;
}

}  // namespace

std::vector<int32_t> CoverCompSet(int32_t x, int32_t y, int32_t tolerance)
{
    return ReadSet(OM_GetCount(DB_SchCompMap()), [&](int32_t* ids, int32_t capacity) {
        return C_CoverComponentSet(x, y, tolerance, ids, capacity);
    });
}

std::vector<int32_t> CoverBranchSet(int32_t x, int32_t y, int32_t tolerance)
{
    return ReadSet(OM_GetCount(DB_BranchMap()), [&](int32_t* ids, int32_t capacity) {
        return B_CoverBranchSet(x, y, tolerance, ids, capacity);
    });
}

std::vector<int32_t> TextBranchSet()
{
    return ReadSet(0, [](int32_t* ids, int32_t capacity) { return B_TextBranchSet(ids, capacity); });
}
