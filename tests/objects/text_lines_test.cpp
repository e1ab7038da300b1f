// A multi-line text laid out as text items of an owner, all lines or none.
#include "editor/objects/owner_items.h"
#include "editor/objects/text_lines.h"
#include "editor/shell/geometry.h"
#include "editor/shell/settings.h"
#include "editor/shell/textnum.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

constexpr int32_t kHeight = 8000;
constexpr int32_t kWidth = 6000;
constexpr int32_t kStep = 6 * kHeight + 30480;  // a character's height and the pitch

class TextLines : public palvane_test::KernelTest {
protected:
    void SetUp() override
    {
        KernelTest::SetUp();
        g_TextPitch = 30480;
        symbol = S_CreateSymbol(0, "NOTES");
        ASSERT_GT(symbol, 0);
    }

    std::vector<ItemRec> Items()
    {
        std::vector<ItemRec> items;
        const int32_t array = S_SymbolItemArray(symbol);
        for (int32_t i = 1; i <= OA_GetCount(array); ++i) {
            ItemRec r{};
            EXPECT_EQ(I_ReadItem(OA_Object(array, i), &r), 1);
            items.push_back(r);
        }
        return items;
    }

    void Place(int32_t& status, int32_t& x, int32_t& y, double angle = 0)
    {
        PlaceTextLines(status, kOwnerSymbol, symbol, x, y, kHeight, kWidth, 3, 12, angle, 40, 5);
    }

    int32_t symbol = 0;
};

TEST_F(TextLines, AnEmptyMiddleLineLeavesAGapOfOneStep)
{
    g_TextBuf = "One" + g_CrLf + g_CrLf + "Three";
    int32_t status = 0, x = 1000, y = 0;
    Place(status, x, y);
    EXPECT_EQ(status, 0);
    const std::vector<ItemRec> items = Items();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_STREQ(items[0].Text, "One");
    EXPECT_STREQ(items[1].Text, "Three");
    EXPECT_EQ(items[0].Y, -kStep);
    EXPECT_EQ(items[0].Y - items[1].Y, 2 * kStep);
    EXPECT_EQ(items[0].X, 1000);
    EXPECT_EQ(y, -4 * kStep) << "left at the line after the last";
    EXPECT_EQ(x, 1000);
    // The shared record.
    EXPECT_EQ(items[0].Kind, 6);
    EXPECT_EQ(items[0].Flags, 1 | 1) << "made with Flags 1 and drawn";
    EXPECT_EQ(items[0].Link, 5);
    EXPECT_EQ(items[0].Layer, 40);
    EXPECT_EQ(items[0].Width, 3);
    EXPECT_EQ(items[0].Gap, 12);
    EXPECT_EQ(items[0].P1, kHeight);
    EXPECT_EQ(items[0].P2, kWidth);
}

TEST_F(TextLines, TheLinesFollowTheAngle)
{
    g_TextBuf = "A" + g_CrLf + "B";
    struct Case {
        double angle;
        int32_t itemAngle;
        int32_t dx, dy;
    } cases[] = {{90, 90000, kStep, 0}, {-90, 270000, -kStep, 0}, {180, 180000, 0, kStep}};
    for (const Case& c : cases) {
        DeleteOwnerItems(kOwnerSymbol, symbol, -1);
        int32_t status = 0, x = 0, y = 0;
        Place(status, x, y, c.angle);
        EXPECT_EQ(status, 0);
        const std::vector<ItemRec> items = Items();
        ASSERT_EQ(items.size(), 2u);
        EXPECT_EQ(items[0].Angle, c.itemAngle) << c.angle;
        EXPECT_EQ(items[0].X, c.dx) << c.angle;
        EXPECT_EQ(items[0].Y, c.dy) << c.angle;
        EXPECT_EQ(items[1].X, 2 * c.dx) << c.angle;
        EXPECT_EQ(items[1].Y, 2 * c.dy) << c.angle;
    }
}

TEST_F(TextLines, AnyFailureLeavesTheOwnerAndThePositionAsTheyWere)
{
    struct Case {
        const char* what;
        std::string text;
        int32_t y;
        double angle;
    } cases[] = {
        {"a line beyond the coordinates", "A" + g_CrLf + "B", -220000000 + kStep, 0},
        {"a coordinate beyond 32 bits", "A" + g_CrLf + "B", INT_MIN + 10, 0},
        {"an angle beyond 32 bits", "A", 0, 3.0e6},
        {"a line the kernel refuses", "A" + g_CrLf + "B" + g_CrLf + std::string(256, 'C'), 0, 0},
    };
    for (const Case& c : cases) {
        g_TextBuf = c.text;
        int32_t status = 0, x = 7, y = c.y;
        Place(status, x, y, c.angle);
        EXPECT_EQ(status, 1) << c.what;
        EXPECT_EQ(x, 7) << c.what;
        EXPECT_EQ(y, c.y) << c.what;
        EXPECT_TRUE(Items().empty()) << c.what;
    }
    g_TextBuf = "A";
    int32_t status = 0, x = 0, y = 0;
    PlaceTextLines(status, 9, symbol, x, y, kHeight, kWidth, 0, 0, 0, 0, 0);
    EXPECT_EQ(status, 1) << "no such owner kind";
}

}  // namespace
