// The ways item mode takes an input point: a component's pin, the page
// frame, and the handle or centre of a graphic item, with a component
// standing beside the page notes; and the snapped points of Shift+G and of
// input method 5, rounded as the pointer's snap rounds, through real keys
// and clicks on the canvas.
#include "editor/interaction/commands.h"
#include "editor/shell/curpos.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/marks.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/design_builder.h"
#include "tests/support/editor_fixture.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

// The canvas of the demo's first page in design notes mode, with the pointer
// put on exact page points by moving the view under a fixed pixel.
class SnappedPoints : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        SCHMAIN& m = Main();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        QApplication::processEvents();
        for (auto& marker : g_Markers) marker = MarkerRec{};
        m.m_NextMarker = 0;
        m.m_PointPending = 0;
    }
    void TearDown() override
    {
        g_SnapStep = snapStep_;
        g_CurMode = MODE_NONE;
        DemoTest::TearDown();
    }

    // The page point under canvas pixel `local` with the view as it is.
    QPoint PagePoint(QPoint local)
    {
        SCHMAIN& m = Main();
        int32_t p[2] = {local.x(), local.y()};
        m.OpenCanvasDC();
        G_DPtoLP(p);
        m.CloseCanvasDC();
        return {p[0], p[1]};
    }

    // Moves the view so that canvas pixel `local` shows page point (x, y)
    // and moves the pointer there; returns the widget position of the pixel.
    QPoint PointerTo(QPoint local, int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        const QPoint now = PagePoint(local);
        m.m_ViewOrgX += x - now.x();
        m.m_ViewOrgY -= y - now.y();
        const QPoint at = local + m.ViewPicture->contentsRect().topLeft();
        QTest::mouseMove(m.ViewPicture, at);
        return at;
    }

    // The key typed at the widget with the focus, as the user types it.
    void Type(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Main().Window(), key, modifiers);
    }

    // The pointer's own snap of (x, y), as a preview's first move after
    // the reference has been taken.
    std::pair<int32_t, int32_t> PointerSnap(int32_t x, int32_t y)
    {
        SCHMAIN& m = Main();
        m.m_AngleBasePending = 0;
        int32_t unchanged = 0;
        m.SnapPoint(unchanged, x, y);
        return {x, y};
    }

    const int32_t snapStep_ = g_SnapStep;
};

// Every snap step the editor offers (inches and millimetres), halves of
// both signs and points just off a half: Shift+G and a click with input
// method 5 (Shift+1) take the point the pointer's snap gives, the nearest
// multiple of the step with halves away from zero.
TEST_F(SnappedPoints, ShiftGAndMethodFiveSnapAsThePointer)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_DESIGN_NOTES);
    ASSERT_EQ(g_CurMode, MODE_DESIGN_NOTES);
    // A function other than 0, so that a click with a method pending only
    // takes the point.
    QTest::mouseClick(m.F_FSI(1), Qt::LeftButton);
    ASSERT_EQ(ModeTools(g_CurMode).SelFunc, 1);
    m.ViewPicture->setFocus();

    std::vector<int32_t> steps;
    for (int i : {15, 16, 17, 18, 19, 20, 22, 23, 24, 25, 26, 27}) steps.push_back(g_SnapTable(i));
    ASSERT_EQ(steps[2], 127000);  // 0.05 inch
    // A point as halves and steps (v = half x step / 2 + off); want in steps.
    struct Case {
        int32_t halves, off;
        int32_t want;
    } cases[] = {
        {1, 0, 1},   {-1, 0, -1}, {5, 0, 3},  {-5, 0, -3}, {3, 0, 2},
        {-3, 0, -2}, {1, -1, 0},  {-1, 1, 0}, {3, -1, 1},  {-3, 1, -1},
    };
    int n = 0;
    for (int32_t step : steps) {
        g_SnapStep = step;
        for (const Case& c : cases) {
            for (bool method5 : {false, true}) {
                // x takes the case, y its mirror, so that both signs meet
                // each coordinate; the pixel alternates so that every move
                // reaches the canvas.
                const int32_t x = c.halves * (step / 2) + c.off, y = -x;
                const int32_t want = c.want * step;
                const std::string name = std::to_string(step) + " at " + std::to_string(x) +
                                         (method5 ? " method 5" : " Shift+G");
                const QPoint at = PointerTo(QPoint(200 + 10 * (n++ % 2), 150), x, y);
                ASSERT_EQ(m.m_CursorX, x) << name;
                ASSERT_EQ(m.m_CursorY, y) << name;
                const auto pointer = PointerSnap(x, y);
                EXPECT_EQ(pointer.first, want) << name;
                EXPECT_EQ(pointer.second, -want) << name;
                int marker = 3;
                if (method5) {
                    marker = m.m_NextMarker;
                    g_Markers[marker] = MarkerRec{0, 7, 7};
                    Type(Qt::Key_1, Qt::ShiftModifier);
                    ASSERT_EQ(m.m_PointMethod, 5) << name;
                    QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, at);
                    EXPECT_EQ(m.m_PointPending, 0) << name;
                } else {
                    Type(Qt::Key_G, Qt::ShiftModifier);
                }
                ASSERT_NE(g_Markers[marker].Shown, 0) << name;
                EXPECT_EQ(g_Markers[marker].X, pointer.first) << name;
                EXPECT_EQ(g_Markers[marker].Y, pointer.second) << name;
                if (!method5) {
                    // The second press takes the reference point away.
                    Type(Qt::Key_G, Qt::ShiftModifier);
                    ASSERT_EQ(g_Markers[3].Shown, 0) << name;
                }
            }
        }
    }
    EXPECT_EQ(g_CurCommand, 0);
}

// The first point snapped after a command has begun is the snap's new
// reference and stays where the pointer is, for the pointer and for Shift+G
// and input method 5 alike: a selection box begun and given up with Escape
// (no move in between, so nothing has snapped since) leaves the first
// Shift+G, or the first click with method 5, at the pointer; the next one
// snaps.
TEST_F(SnappedPoints, FirstSnapAfterACommandBeganTakesThePointAsItIs)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_DESIGN_NOTES);
    ASSERT_EQ(g_CurMode, MODE_DESIGN_NOTES);
    g_SnapStep = 127000;
    const int32_t x = 3 * 127000 + 40000, y = -(2 * 127000 + 50000);
    const int32_t snappedX = 3 * 127000, snappedY = -2 * 127000;
    for (bool method5 : {false, true}) {
        SCOPED_TRACE(method5 ? "method 5" : "Shift+G");
        for (auto& marker : g_Markers) marker = MarkerRec{};
        m.m_NextMarker = 0;
        // Function 3 (move): a click beside every item begins a selection
        // box; Escape gives it up.
        QTest::mouseClick(m.F_FSI(3), Qt::LeftButton);
        ASSERT_EQ(ModeTools(g_CurMode).SelFunc, 3);
        m.ViewPicture->setFocus();
        const QPoint box = PointerTo(QPoint(150, 120), -40 * kTenth, -30 * kTenth);
        QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, box);
        ASSERT_NE(g_CurCommand, 0);
        Type(Qt::Key_Escape, {});
        ASSERT_EQ(g_CurCommand, 0);
        // Between commands the pointer's moves snap nothing.
        const QPoint at = PointerTo(QPoint(200, 150), x, y);
        ASSERT_EQ(m.m_CursorX, x);
        ASSERT_EQ(m.m_CursorY, y);
        int marker = 3;
        auto take = [&] {
            if (method5) {
                marker = m.m_NextMarker;
                Type(Qt::Key_1, Qt::ShiftModifier);
                ASSERT_EQ(m.m_PointMethod, 5);
                QTest::mouseClick(m.ViewPicture, Qt::LeftButton, {}, at);
            } else {
                Type(Qt::Key_G, Qt::ShiftModifier);
            }
            ASSERT_NE(g_Markers[marker].Shown, 0);
        };
        if (method5) {
            // A function other than 0, so that the click only takes the point.
            QTest::mouseClick(m.F_FSI(1), Qt::LeftButton);
            m.ViewPicture->setFocus();
        }
        take();
        EXPECT_EQ(g_Markers[marker].X, x) << "the first snap after the command began";
        EXPECT_EQ(g_Markers[marker].Y, y) << "the first snap after the command began";
        if (!method5) {
            Type(Qt::Key_G, Qt::ShiftModifier);
            ASSERT_EQ(g_Markers[3].Shown, 0);
        }
        take();
        EXPECT_EQ(g_Markers[marker].X, snappedX) << "the next snap";
        EXPECT_EQ(g_Markers[marker].Y, snappedY) << "the next snap";
        if (!method5) Type(Qt::Key_G, Qt::ShiftModifier);
    }
    EXPECT_EQ(g_CurCommand, 0);
}

}  // namespace
