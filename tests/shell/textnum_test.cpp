#include "editor/shell/msgtext.h"
#include "editor/shell/paths.h"
#include "editor/shell/textnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct SplitCase {
    const char* text;
    std::vector<std::string> fields;
    std::vector<double> values;
};

TEST(SplitFields, FieldsAndValues)
{
    const SplitCase cases[] = {
        {"", {""}, {0}},
        {"a,,b", {"a", "", "b"}, {0, 0, 0}},
        {"a,", {"a", ""}, {0, 0}},
        {",a", {"", "a"}, {0, 0}},
        {" 12, 3.5", {" 12", " 3.5"}, {12, 3.5}},
        {"PALVANE,FS,1000,2000,1,2", {"PALVANE", "FS", "1000", "2000", "1", "2"}, {0, 0, 1000, 2000, 1, 2}},
    };
    for (const SplitCase& c : cases) {
        SplitFields(c.text);
        ASSERT_EQ(g_ArgNum(0), static_cast<double>(c.fields.size())) << c.text;
        EXPECT_EQ(g_ArgStr(0), "");
        for (size_t i = 0; i < c.fields.size(); ++i) {
            EXPECT_EQ(g_ArgStr(static_cast<long>(i + 1)), c.fields[i]) << c.text;
            EXPECT_DOUBLE_EQ(g_ArgNum(static_cast<long>(i + 1)), c.values[i]) << c.text;
        }
        EXPECT_THROW(g_ArgStr(static_cast<long>(c.fields.size() + 1)), RuntimeError);
    }
}

TEST(ParseNum, Table)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2,5", 2.5},   {"1,000.5", 1}, {"12abc", 12},  {" -3", -3},      {"&H10", 16},
        {"&hff", 255},  {"&O17", 15},   {"", 0},        {"abc", 0},       {"1 2", 12},
        {"\t7", 7},     {"1.5E2", 150}, {"2d-1", 0.2},  {"1e", 1},        {"+4.", 4},
        {".5", 0.5},    {"-", 0},       {"1.2.3", 1.2}, {"1e999", 0},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseNum(c.text), c.value) << '"' << c.text << '"';
}

TEST(ToLong, RoundsHalvesToEvenAndRaisesOverflow)
{
    const struct {
        double value;
        int32_t expected;
    } cases[] = {
        {0.5, 0}, {-0.5, 0}, {1.5, 2}, {2.5, 2}, {3.5, 4}, {-2.5, -2}, {2.4999, 2},
        {2147483647.4, 2147483647}, {-2147483648.0, -2147483647 - 1}, {4.5, 4}, {-3.5, -4},
        {-0.4999, 0}, {-2147483648.5, -2147483647 - 1}, {2147483646.5, 2147483646},
    };
    for (const auto& c : cases) EXPECT_EQ(ToLong(c.value), c.expected) << c.value;
    for (double bad : {2147483647.5, -2147483648.6, -2147483649.0, 1e300, -1e300, std::nan(""),
                       std::numeric_limits<double>::infinity()}) {
        try {
            ToLong(bad);
            ADD_FAILURE() << bad << " must overflow";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), errnum::Overflow);
        }
    }
}

TEST(PtrToStr, CopiesAndCutsToTheBuffer)
{
    EXPECT_EQ(PtrToStr(nullptr), "");
    EXPECT_EQ(PtrToStr("R12"), "R12");
    const std::string longText(5000, 'x');
    EXPECT_EQ(PtrToStr(longText.c_str()).size(), kStrBufSize - 1);
}

TEST(GetMsgText, NoCatalogueGivesTheDefaultUnchanged)
{
    EXPECT_EQ(GetMsgText("Schematic Capture", "991155"), "Schematic Capture");
    EXPECT_EQ(GetMsgText("Can't find Part: ", "99394"), "Can't find Part: ");
    EXPECT_EQ(GetMsgText("text", ""), "text");
}

TEST(JoinPath, LinuxSeparators)
{
    EXPECT_EQ(JoinPath("/opt/norvo", "PALVANE.HLP"), "/opt/norvo/PALVANE.HLP");
    EXPECT_EQ(JoinPath("/opt/norvo/", "\\PALVANE.HLP"), "/opt/norvo/PALVANE.HLP");
    EXPECT_EQ(JoinPath("", "PALVANE.HLP"), "PALVANE.HLP");
    EXPECT_EQ(JoinPath("jobs\\demo", "page.NPN"), "jobs/demo/page.NPN");
}

}  // namespace
