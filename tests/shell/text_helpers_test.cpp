// The text helpers: splitting at commas and at the package separator, the
// number reader with its decimal comma and "&H" forms, the cutting rules,
// free numbered names from the kernel, and the locale helpers.
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/shell/env_guard.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using palvane_test::EnvGuard;
using KernelText = palvane_test::KernelTest;

struct SplitCase {
    const char* text;
    std::vector<std::string> fields;
    std::vector<double> values;
};

void ExpectFields(const CheckedArray<std::string>& fields, const CheckedArray<double>& values, const SplitCase& c)
{
    ASSERT_EQ(values(0), static_cast<double>(c.fields.size())) << c.text;
    EXPECT_EQ(fields(0), "") << c.text;
    for (size_t i = 0; i < c.fields.size(); ++i) {
        EXPECT_EQ(fields(static_cast<long>(i + 1)), c.fields[i]) << c.text << " field " << i + 1;
        EXPECT_DOUBLE_EQ(values(static_cast<long>(i + 1)), c.values[i]) << c.text << " field " << i + 1;
    }
}

TEST(SplitFields, CommasBlanksAndHexFields)
{
    const SplitCase cases[] = {
        {"1,2,", {"1", "2", ""}, {1, 2, 0}},              // a trailing comma gives an empty last field
        {",,", {"", "", ""}, {0, 0, 0}},
        {" ", {" "}, {0}},                                 // blanks stay in the field
        {"a, b ,c", {"a", " b ", "c"}, {0, 0, 0}},
        {"&H10,&hff, &O17", {"&H10", "&hff", " &O17"}, {16, 255, 15}},
        {" 2.5 , -4", {" 2.5 ", " -4"}, {2.5, -4}},
        {"1E3,1D-1", {"1E3", "1D-1"}, {1000, 0.1}},
        {"R1,10k", {"R1", "10k"}, {0, 10}},
    };
    for (const SplitCase& c : cases) {
        SplitFields(c.text);
        ExpectFields(g_ArgStr, g_ArgNum, c);
    }
}

TEST(ParseNum, DecimalCommaAndHexForms)
{
    const struct {
        const char* text;
        double value;
    } cases[] = {
        {"2,5", 2.5},     {" 3,75", 3.75}, {"-1,5", -1.5}, {"1,2,3", 1.2},  {"1,000.5", 1},
        {"&H1F", 31},     {"&h1f", 31},    {" &H10", 16},  {"&H", 0},       {"&HG1", 0},
        {"&O777", 511},   {"&O8", 0},      {"12abc", 12},  {" -3", -3},     {"", 0},
        {"   ", 0},       {",5", 0.5},     {"1, 5", 1.5},
    };
    for (const auto& c : cases) EXPECT_DOUBLE_EQ(ParseNum(c.text), c.value) << '"' << c.text << '"';
}

TEST(TextHelpers, FirstWordCommaToPointRemoveSpaces)
{
    EXPECT_EQ(FirstWord(" R1"), "");
    EXPECT_EQ(FirstWord("R1"), "R1");
    EXPECT_EQ(FirstWord("R1 part"), "R1");
    EXPECT_EQ(FirstWord(""), "");
    EXPECT_EQ(CommaToPoint("1,2,3"), "1.2,3");
    EXPECT_EQ(CommaToPoint("12"), "12");
    std::string text = "  a  b c  ";
    RemoveSpaces(text);
    EXPECT_EQ(text, "abc");
    std::string empty;
    RemoveSpaces(empty);
    EXPECT_EQ(empty, "");
}

TEST(TextHelpers, SplitAtLast)
{
    const struct {
        const char* text;
        const char* separator;
        const char* left;
        const char* right;
        const char* separatorAfter;
    } cases[] = {
        {"C:\\LIB\\PARTS.LIB", "\\", "C:\\LIB\\", "PARTS.LIB", "\\"},
        {"PARTS.LIB", "\\", "", "PARTS.LIB", "\\"},
        {"a/b/c", " / ", "a/b/", "c", "/"},
        {"a/b", "//", "", "", "//"},
        {"boxXtoy", "x", "boxX", "toy", "x"},
        {"", "\\", "", "", "\\"},
    };
    for (const auto& c : cases) {
        std::string separator = c.separator;
        EXPECT_EQ(SplitAtLast(c.text, separator, true), c.left) << c.text;
        EXPECT_EQ(separator, c.separatorAfter) << c.text;
        separator = c.separator;
        EXPECT_EQ(SplitAtLast(c.text, separator, false), c.right) << c.text;
    }
}

TEST(TextHelpers, SwapAndHooks)
{
    int32_t a = 1, b = 2;
    SwapLong(a, b);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(b, 1);
    PointL p{1, 2}, q{3, 4};
    SwapPoint(p, q);
    EXPECT_EQ(p.X, 3);
    EXPECT_EQ(p.Y, 4);
    EXPECT_EQ(q.X, 1);
    EXPECT_EQ(q.Y, 2);
    EXPECT_EQ(DisplayText(" Page: "), " Page: ");
    EXPECT_EQ(EnteredText("U12 "), "U12 ");
}

TEST_F(KernelText, FindFreeNameAsksTheKernel)
{
    ASSERT_NE(F_CreateFile(0, "UN1"), 0);
    ASSERT_NE(F_CreateFile(0, "UN2"), 0);
    int32_t ok = -1;
    std::string name;
    FindFreeName(ok, DB_FileMap(), "UN", name);
    EXPECT_EQ(ok, 0);
    EXPECT_EQ(name, "UN3");
    // The kernel makes no name of one longer than it allows.
    const std::string tooLong(300, 'N');
    FindFreeName(ok, DB_FileMap(), tooLong, name);
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(name, tooLong);
}

TEST_F(KernelText, ReadDeviceFieldsSplitsThePackageText)
{
    const int32_t device = D_CreateDevice(0, "7400", "DIP14 1\x80" "2\x80" "&H10");
    const int32_t plain = D_CreateDevice(0, "R", "R0805");
    ASSERT_NE(device, 0);
    ASSERT_NE(plain, 0);
    ReadDeviceFields(device);
    ASSERT_EQ(g_DevArgNum(0), 3);
    EXPECT_EQ(g_DevArgStr(1), "1");
    EXPECT_EQ(g_DevArgStr(2), "2");
    EXPECT_EQ(g_DevArgNum(3), 16);
    for (int32_t none : {plain, device + plain + 100}) {
        ReadDeviceFields(none);
        EXPECT_EQ(g_DevArgNum(0), 0) << none;
        EXPECT_EQ(g_DevArgStr.UBound(), 0) << none;
    }
}

TEST(LocaleHelpers, LanguageIds)
{
    EXPECT_EQ(PrimaryLangId(1033), 9);
    EXPECT_EQ(SubLangId(1033), 1);
    EXPECT_EQ(PrimaryLangId(0x0804), 4);
    EXPECT_EQ(SubLangId(0x0804), 2);

    const struct {
        const char* lang;
        int32_t id;
        int16_t charset;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407, 0},  {"en_US.UTF-8", 0x0409, 0},    {"en_GB", 0x0809, 0},
        {"zh_TW.UTF-8", 0x0404, 136}, {"zh_CN.UTF-8", 0x0804, 134}, {"ja_JP.UTF-8", 0x0411, 128},
        {"ko_KR.UTF-8", 0x0412, 129}, {"ru_RU.UTF-8", 0x0419, 204}, {"pl_PL", 0x0415, 238},
        {"C", 0x0409, 0},             {"POSIX", 0x0409, 0},         {"xx_YY", 0x0409, 0},
    };
    for (const auto& c : cases) {
        EnvGuard env;
        env.Locale(c.lang);
        EXPECT_EQ(UserLanguageId(), c.id) << c.lang;
        EXPECT_EQ(GetLocaleCharset(), c.charset) << c.lang;
    }
    EnvGuard env;
    env.Locale(std::nullopt);
    EXPECT_EQ(UserLanguageId(), 0x0409);
    env.Set("LANG", "de_DE.UTF-8");
    env.Set("LC_ALL", "ja_JP.UTF-8");
    EXPECT_EQ(UserLanguageId(), 0x0411);
}

TEST(LocaleHelpers, IsFontAvailableTakesTheReportedName)
{
    std::string name = "dejavu sans";
    EXPECT_TRUE(IsFontAvailable(name));
    EXPECT_EQ(name, "DejaVu Sans");
    name = "No Such Font Family Here";
    EXPECT_FALSE(IsFontAvailable(name));
    EXPECT_NE(name, "No Such Font Family Here");
}

}  // namespace
