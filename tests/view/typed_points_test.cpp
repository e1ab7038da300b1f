// The ways item mode takes an input point: a component's pin, the page
// frame, and the handle or centre of a graphic item, with a component
// standing beside the page notes.
#include "editor/shell/curpos.h"
#include "editor/shell/schmain.h"
#include "editor/view/marks.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// 0.1 inch in database units.
constexpr int32_t kTenth = 254000;

// J1 sits one inch right of the origin, so its placement frame differs from
// the notes' identity frame. The notes line runs out of J1's box (x 9 to
// 10.5, y -2 to 1) at y 0.5; a decoy notes line lies where the click on it,
// (10.3, 0.5), falls in J1's own frame.
constexpr const char* kDesign = R"(
include connectors.nls
unit 0.1in
design D
level MAIN
page P frame 11in 8.5in
  component J1 CONN2 at 10 0
  line 10.1 0.5 12 0.5
  line 0 0.5 1 0.5
end
)";

class TypedPoints : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(palvane_test::BuildDesign(kDesign));
        Main().LoadSettings();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
};

TEST_F(TypedPoints, PinFrameHandleAndCentre)
{
    SCHMAIN& m = Main();
    struct Case {
        const char* name;
        int32_t method;
        int32_t clickX, clickY;
        bool taken;
        int32_t x, y;
    } cases[] = {
        // J1 is picked (the point is in its box) but has no line there: the
        // page notes line is found in its own frame, not J1's.
        {"notes line beside J1: nearer end", 8, 103 * kTenth / 10, kTenth / 2, true, 101 * kTenth / 10, kTenth / 2},
        {"notes line beside J1: centre", 9, 103 * kTenth / 10, kTenth / 2, true, 1105 * kTenth / 100, kTenth / 2},
        {"pin 2 of J1", 6, 82 * kTenth / 10, -kTenth, true, 80 * kTenth / 10, -kTenth},
        {"in J1's box, no pin near", 6, 103 * kTenth / 10, kTenth / 2, false, 0, 0},
        {"no component", 6, -30 * kTenth, 0, false, 0, 0},
        {"frame corner", 7, -13970000 + 20000, -10795000 + 20000, true, -13970000, -10795000},
        {"frame not under the point", 7, 0, 0, false, 0, 0},
        {"J1's lead: nearer end", 8, 85 * kTenth / 10, 0, true, 8 * kTenth, 0},
        {"J1's lead: centre", 9, 85 * kTenth / 10, 0, true, 875 * kTenth / 100, 0},
        {"no item", 9, -30 * kTenth, -30 * kTenth, false, 0, 0},
    };
    for (const Case& c : cases) {
        g_PickTolerance = 60000;
        g_Markers[1] = {0, 7, 7};
        int32_t x = c.clickX, y = c.clickY;
        m.InputPointXY(x, y, c.method, 1);
        EXPECT_EQ(g_Markers[1].Shown != 0, c.taken) << c.name;
        if (c.taken) {
            EXPECT_EQ(x, c.x) << c.name;
            EXPECT_EQ(y, c.y) << c.name;
            EXPECT_EQ(g_Markers[1].X, c.x) << c.name;
            EXPECT_EQ(g_Markers[1].Y, c.y) << c.name;
        } else {
            EXPECT_EQ(x, c.clickX) << c.name;
            EXPECT_EQ(y, c.clickY) << c.name;
            EXPECT_EQ(g_Markers[1].X, 7) << c.name << ": the marker keeps its point";
        }
    }
}

}  // namespace
