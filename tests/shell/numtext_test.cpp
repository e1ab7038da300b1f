// Number texts: the runtime's conversion with its leading blank, the plain
// conversion, and the format patterns of the read-outs with halves rounded
// to even.
#include "editor/shell/errors.h"
#include "editor/shell/numtext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(Str, LeadingBlankForNumbersNotNegative)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0, " 0"},
        {-0.0, " 0"},
        {5, " 5"},
        {-3, "-3"},
        {1.25, " 1.25"},
        {0.5, " .5"},
        {-0.25, "-.25"},
        {100, " 100"},
        {0.1 + 0.2, " .3"},
        {1.0 / 3, " .333333333333333"},
        {2.0 / 3, " .666666666666667"},
        {123456789012345.0, " 123456789012345"},
        {1e15, " 1E+15"},
        {-1.5e20, "-1.5E+20"},
        {0.0001, " .0001"},
        {0.00001, " 1E-05"},
        {1.5e-5, " 1.5E-05"},
        {1e100, " 1E+100"},
        {2540000, " 2540000"},
    };
    for (const auto& c : cases) EXPECT_EQ(Str(c.value), c.text) << c.value;
    EXPECT_EQ(Str(0), " 0");
    EXPECT_EQ(Str(-1), "-1");
    EXPECT_EQ(Str(int16_t{2}), " 2");
    EXPECT_EQ(Str(int64_t{-9000000000}), "-9000000000");
}

TEST(CStr, PlainConversion)
{
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"}, {0.5, "0.5"}, {-0.25, "-0.25"}, {12, "12"}, {-3, "-3"}, {1e15, "1E+15"}, {0.00002, "2E-05"},
        {90.5, "90.5"},
    };
    for (const auto& c : cases) EXPECT_EQ(CStr(c.value), c.text) << c.value;
    EXPECT_EQ(CStr(7), "7");
    EXPECT_EQ(CStr(-7), "-7");
}

TEST(Format, Patterns)
{
    const struct {
        double value;
        const char* pattern;
        const char* text;
    } cases[] = {
        // Inches: four decimals, a fifth when it is not zero.
        {0.05906, "#0.0000#", "0.05906"},
        {-0.98425, "#0.0000#", "-0.98425"},
        {0.012, "#0.0000#", "0.0120"},
        {1, "#0.0000#", "1.0000"},
        {0.123456, "#0.0000#", "0.12346"},
        {12.5, "#0.0000#", "12.5000"},
        // Millimetres: three decimals.
        {1.5, "###0.000", "1.500"},
        {0.3048, "###0.000", "0.305"},
        {-25, "###0.000", "-25.000"},
        {12345.6789, "###0.000", "12345.679"},
        // Degrees: one decimal, a second when it is not zero.
        {90, "##0.0#", "90.0"},
        {45.25, "##0.0#", "45.25"},
        {0.001, "##0.0#", "0.0"},
        {-0.001, "##0.0#", "0.0"},  // no minus sign before a zero
        {359.999, "##0.0#", "360.0"},
        // Halves to even on the exact value.
        {0.125, "#0.00", "0.12"},
        {0.375, "#0.00", "0.38"},
        {2.5, "##0", "2"},
        {3.5, "##0", "4"},
        {-2.5, "##0", "-2"},
        {1234.5, "#####0", "1234"},
        // Nothing before the point below 1 with "#", and always the point.
        {0.5, "#.##", ".5"},
        {2, "#.##", "2."},
        {1.256, "#.##", "1.26"},
        {0, "#.##", "."},
        // Grouping and literal text.
        {1234567.891, "#,##0.00", "1,234,567.89"},
        {2, "0.00 mm", "2.00 mm"},
        {-2, "0.00 mm", "-2.00 mm"},
        {7, "000", "007"},
    };
    for (const auto& c : cases) EXPECT_EQ(Format(c.value, c.pattern), c.text) << c.value << " " << c.pattern;
}

TEST(Format, NotANumberIsAnOverflow)
{
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity()}) {
        try {
            Format(bad, "#0.0000#");
            ADD_FAILURE() << bad;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), errnum::Overflow);
        }
    }
}

TEST(InitNumFormats, PatternsOfTheUnits)
{
    InitNumFormats();
    EXPECT_EQ(g_NumFormat(0), "#0.0000#");
    EXPECT_EQ(g_NumFormat(1), "###0.000");
    EXPECT_EQ(g_AngleFormat, "##0.0#");
    EXPECT_EQ(Format(30480 / 2540000.0, g_NumFormat(0)), "0.0120");
    EXPECT_EQ(Format(30480 / 100000.0, g_NumFormat(1)), "0.305");
}

}  // namespace
