// The rules the editor and the placement engine share: the name-prefix
// match and the relocation rounding.
#include "platform/placement/plc_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

using Table = std::array<std::array<std::string, 32>, 4>;

int Match(const std::string& name, const Table& t)
{
    return plc_prefix::MatchColumn(name, 4, 32, [&](int c, int r) { return std::string_view(t[c - 1][r - 1]); });
}

TEST(PlacementRules, PrefixMatchTable)
{
    struct Case {
        const char* name;
        std::array<const char*, 4> column;  // one entry in row 1 of each column
        int expected;
    } cases[] = {
        {"R12", {"", "R*", "R1*", ""}, 3},        // the longest stem wins
        {"R12", {"", "R*", "R1*", "R12"}, 4},     // the whole name wins over both
        {"R12", {"", "", "", ""}, 0},             // nothing matches
        {"R12", {"*", "", "", ""}, 1},            // a bare star matches anything
        {"R12", {"R1*", "R*", "*", ""}, 1},       // a later column needs a longer stem
        {"R12", {"R*", "R1*", "", ""}, 2},
        {"r12", {"R*", "", "", ""}, 0},           // case counts
        {"R", {"R12*", "", "", ""}, 0},           // entry longer than the name
        {"R", {"", "R*", "", ""}, 2},             // stem equal to the name
        {"", {"*", "", "", ""}, 0},               // an empty name matches nothing
        {"U1", {"U", "", "", ""}, 0},             // no star: only the whole name
    };
    for (const Case& c : cases) {
        Table t;
        for (int i = 0; i < 4; ++i) t[i][0] = c.column[i];
        EXPECT_EQ(Match(c.name, t), c.expected) << c.name << " " << c.column[0] << "|" << c.column[1] << "|"
                                                << c.column[2] << "|" << c.column[3];
    }
}

TEST(PlacementRules, RelocationRounding)
{
    struct Case {
        int64_t v, align, expected;
    } cases[] = {
        {200, 100, 200}, {149, 100, 200}, {150, 100, 300}, {151, 100, 300}, {250, 100, 300},
        {-150, 100, -100}, {-149, 100, 0}, {7, 0, 7}, {7, 1, 7}, {0, 25, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(plc_prefix::AlignRelocated(c.v, c.align), c.expected) << c.v << " / " << c.align;
        EXPECT_GE(plc_prefix::AlignRelocated(c.v, c.align), c.v);
    }
}

}  // namespace
