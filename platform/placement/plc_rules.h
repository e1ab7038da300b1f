// Rules shared by the editor (the pattern a component snaps to while it is
// placed) and the placement engine (where it places components), so that the
// two can never disagree.
//
// MatchColumn, the name-prefix rule of the placement tables.
// A table has `columns` columns (patterns or orientations) of `rows` entries.
// Columns are tried in order, rows in order within a column:
// - an entry equal to the whole name chooses its column at once;
// - an entry with a "*" matches names that begin with its stem (the text
//   before the first "*"); the longest matching stem wins, a later column
//   only with a strictly longer stem; a bare "*" matches any name when
//   nothing matched before;
// - an entry is only tried when the name is at least as long as the entry
//   without its "*".
// Result: the chosen column (1-based), 0 when nothing matches or the name is
// empty.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace plc_prefix {

template <class Entry>  // Entry(column, row) -> std::string_view, both 1-based
int MatchColumn(std::string_view name, int columns, int rows, Entry entry)
{
    if (name.empty()) return 0;
    int chosen = 0;
    long bestStem = -1;
    for (int c = 1; c <= columns; ++c) {
        for (int r = 1; r <= rows; ++r) {
            const std::string_view e = entry(c, r);
            if (e.empty()) continue;
            const std::size_t star = e.find('*');
            const std::size_t plain = star == std::string_view::npos ? e.size() : e.size() - 1;
            if (name.size() < plain) continue;
            if (star == std::string_view::npos) {
                if (e == name) return c;
                continue;
            }
            const std::string_view stem = e.substr(0, star);
            if (name.substr(0, stem.size()) != stem) continue;
            if (static_cast<long>(stem.size()) > bestStem) {
                bestStem = static_cast<long>(stem.size());
                chosen = c;
            }
        }
    }
    return chosen;
}

// Rounds to the nearest whole number, halves to even.
inline int64_t RoundHalfEven(double v)
{
    return static_cast<int64_t>(std::nearbyint(v));
}

// The relocation rounding of a snapped coordinate: a value that is not a
// multiple of the alignment (at least 1) becomes its quotient by the
// alignment, rounded, plus one, times the alignment. The result is never
// below the value, so a component snapped to a cell line never crosses it.
inline int64_t AlignRelocated(int64_t v, int64_t align)
{
    if (align < 1) align = 1;
    if (v % align == 0) return v;
    return (RoundHalfEven(static_cast<double>(v) / static_cast<double>(align)) + 1) * align;
}

}  // namespace plc_prefix
