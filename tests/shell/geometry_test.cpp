// Geometry helpers: vector directions and lengths, the foot on a segment,
// and the measure of a multi-line text.
#include "editor/shell/geometry.h"
#include "editor/shell/settings.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/kernel_fixture.h"

#include <gtest/gtest.h>

namespace {

TEST(Geometry, VectorAngle)
{
    const struct {
        double dx, dy, angle;
    } cases[] = {
        {1, 0, 0},     {0, 1, 90},   {-1, 0, 180},  {0, -1, 270}, {1, -1, 315},
        {-1, -1, 225}, {0, 0, 90},   {1, 1, 45},    {-1, 1, 135}, {2540000, 2540000 * 1.7320508075688772, 60},
    };
    for (const auto& c : cases) EXPECT_NEAR(VectorAngle(c.dx, c.dy), c.angle, 1e-9) << c.dx << "," << c.dy;
    EXPECT_DOUBLE_EQ(VectorLength(3, -4), 5);
    EXPECT_DOUBLE_EQ(VectorLength(0, 0), 0);
}

TEST(Geometry, FootOnSegment)
{
    const struct {
        int32_t px, py, x1, y1, x2, y2, fx, fy;
    } cases[] = {
        {5, 5, 0, 0, 10, 0, 5, 0},      // onto the segment
        {15, 5, 0, 0, 10, 0, 15, 5},    // foot beyond the end: left
        {10, 7, 0, 0, 10, 0, 10, 0},    // exactly above an end point
        {0, -3, 0, 0, 10, 0, 0, 0},
        {3, 3, 4, 4, 4, 4, 3, 3},       // a segment of no length
        {1, 0, 0, 0, 4, 4, 0, 0},       // foot at (0.5, 0.5): halves to even
        {3, 0, 0, 0, 4, 4, 2, 2},       // (1.5, 1.5) -> 2
        {5, 0, 0, 0, 4, 4, 2, 2},       // (2.5, 2.5) -> 2
        {-200000000, 200000000, -220000000, -220000000, 220000000, 220000000, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t x = c.px, y = c.py;
        FootOnSegment(x, y, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(x, c.fx) << c.px << "," << c.py;
        EXPECT_EQ(y, c.fy) << c.px << "," << c.py;
    }
}

using TextLines = palvane_test::KernelTest;

TEST_F(TextLines, MeasureTextLines)
{
    g_TextPitch = 30480;
    // A character of height 1000 is 6000 high and, of width 800, 4800 wide.
    const int32_t step = 6000 + 30480;
    const struct {
        const char* text;
        double width;
        double lines;
    } cases[] = {
        {"AB\r\nABCD", 4 * 4800, 2},
        {"ABC\r\n\r\nA", 3 * 4800, 3},
        {"", 0, 1},
        {"AB\r\n", 2 * 4800, 2},
        {"A\nB", 3 * 4800, 1},  // a bare line feed does not end a line
    };
    for (const auto& c : cases) {
        g_TextBuf = c.text;
        int32_t status = 0;
        double width = -1, height = 1;
        MeasureTextLines(status, width, height, 1000, 800);
        EXPECT_EQ(status, 0) << c.text;
        EXPECT_DOUBLE_EQ(width, c.width) << c.text;
        EXPECT_DOUBLE_EQ(height, -c.lines * step) << c.text;
    }
    // A size the kernel cannot measure.
    g_TextBuf = "A";
    int32_t status = 0;
    double width = 0, height = 0;
    g_TextPitch = 2147483647;
    MeasureTextLines(status, width, height, 1000, 800);
    EXPECT_EQ(status, 1);
    g_TextPitch = 30480;
}

}  // namespace
