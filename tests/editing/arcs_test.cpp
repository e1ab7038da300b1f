// Arc geometry and item repetition on a loaded main window.
#include "editor/objects/owner_items.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/schmain.h"
#include "editor/shell/geometry.h"
#include "editor/shell/settings.h"
#include "platform/winsys/keyboard.h"
#include "platform/kernel/nvokernel32.h"
#include "tests/support/editor_fixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int32_t kNotes = -101;

class Arcs : public palvane_test::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        if (!S_Symbol(kNotes)) {
            ASSERT_EQ(S_CreateSymbol(kNotes, "@DESNOTES"), kNotes);
        }
        g_CurSymb = kNotes;
    }

    int32_t ItemCount() { return OA_GetCount(S_SymbolItemArray(kNotes)); }

    ItemRec Item(int32_t index)
    {
        ItemRec rec{};
        I_ReadItem(S_SymbolItem(kNotes, index), &rec);
        return rec;
    }

    // Makes a line and makes it the current item.
    void CurrentLine(int32_t x, int32_t y, int32_t dx, int32_t dy)
    {
        ItemRec rec{};
        rec.Kind = 1;
        rec.Flags = 1;
        rec.X = x;
        rec.Y = y;
        rec.P1 = dx;
        rec.P2 = dy;
        rec.Width = 1000;
        int32_t status = 0, index = 0;
        MakeOwnerItem(status, kOwnerSymbol, kNotes, rec, "", index);
        ASSERT_EQ(status, 0);
        g_SymbItem = rec;
        g_SymbItemText.clear();
    }
};

struct ArcCase {
    DPoint p1, p2, p3;
    int32_t err;
    double cx, cy, radius, start, extent;
};

TEST_F(Arcs, CircleThroughThreePoints)
{
    const std::vector<ArcCase> cases = {
        {{0, 0}, {2000, 0}, {1000, 1000}, 0, 1000, 0, 1000, 0, 180},
        {{0, 0}, {2000, 0}, {1000, -1000}, 0, 1000, 0, 1000, 180, 180},
        // A vertical first chord: the chords are exchanged.
        {{0, 0}, {2000, 2000}, {0, 2000}, 0, 1000, 1000, VectorLength(1000, 1000), 45, 180},
        {{0, 0}, {2000, 0}, {1000, 0}, 1, 0, 0, 0, 0, 0},  // collinear
        {{5, 5}, {5, 5}, {9, 1}, 1, 0, 0, 0, 0, 0},  // two equal points
        {{-219999999, -219999998}, {219999999, 219999998}, {0, 0}, 1, 0, 0, 0, 0, 0},
        // Nearly collinear far out: the centre lies beyond the drawing area.
        {{0, 0}, {165580141 + 102334155, 102334155 + 63245986}, {165580141, 102334155}, 1, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t err = -1;
        DPoint centre;
        double radius = 0, start = 0, extent = 0;
        Main().ArcFromThreePoints(err, c.p1, c.p2, c.p3, centre, radius, start, extent);
        ASSERT_EQ(err, c.err) << c.p3.X << "," << c.p3.Y;
        if (err) continue;
        EXPECT_NEAR(centre.X, c.cx, 1e-6);
        EXPECT_NEAR(centre.Y, c.cy, 1e-6);
        EXPECT_NEAR(radius, c.radius, 1e-6);
        EXPECT_NEAR(start, c.start, 1e-6);
        EXPECT_NEAR(extent, c.extent, 1e-6);
    }
}

TEST_F(Arcs, ArcOverAChord)
{
    int32_t err = -1;
    DPoint centre;
    double radius = 0, start = 0;
    Main().m_HandleIndex = 0;
    Main().CalcArcGeometry(err, {0, 0}, {2000, 0}, centre, radius, start, 180);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(centre.X, 1000, 1e-6);
    EXPECT_NEAR(centre.Y, 0, 1e-6);
    EXPECT_NEAR(radius, 1000, 1e-6);
    EXPECT_NEAR(start, 0, 1e-6);
    // 90 degrees: the centre lies right of the chord's direction.
    Main().CalcArcGeometry(err, {0, 0}, {2000, 0}, centre, radius, start, 90);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(centre.Y, -1000, 1e-6);
    // The other handle: the centre on the other side, the start less the angle.
    Main().m_HandleIndex = 1;
    Main().CalcArcGeometry(err, {0, 0}, {2000, 0}, centre, radius, start, 90);
    EXPECT_EQ(err, 0);
    EXPECT_NEAR(centre.Y, 1000, 1e-6);
    EXPECT_NEAR(start, 315 - 90, 1e-6);
    for (double alpha : {0.0, 360.0, -360.0}) {
        Main().CalcArcGeometry(err, {0, 0}, {2000, 0}, centre, radius, start, alpha);
        EXPECT_EQ(err, 1) << alpha;
    }
    Main().CalcArcGeometry(err, {7, 7}, {7, 7}, centre, radius, start, 90);
    EXPECT_EQ(err, 1);
}

TEST_F(Arcs, FourQuarterTurnsOfALineAboutItsStart)
{
    CurrentLine(0, 0, 1000, 0);
    Main().RepeatItemByAngle(4, 0, 0, 90);
    ASSERT_EQ(ItemCount(), 5);
    const std::vector<std::pair<int32_t, int32_t>> ends = {{0, 1000}, {-1000, 0}, {0, -1000}, {1000, 0}};
    for (int i = 0; i < 4; ++i) {
        const ItemRec r = Item(i + 2);
        EXPECT_EQ(r.X, 0);
        EXPECT_EQ(r.Y, 0);
        EXPECT_EQ(r.P1, ends[static_cast<size_t>(i)].first) << i;
        EXPECT_EQ(r.P2, ends[static_cast<size_t>(i)].second) << i;
    }
}

TEST_F(Arcs, RepeatByOffsetInInches)
{
    g_UnitIndex = 0;
    CurrentLine(0, 0, 1000, 0);
    Main().RepeatItemByOffset(1, 0.1, 0);
    ASSERT_EQ(ItemCount(), 2);
    EXPECT_EQ(Item(2).X, 254000);
}

TEST_F(Arcs, CopiesOutsideTheAreaAreSkipped)
{
    g_UnitIndex = 1;
    CurrentLine(219000000, 0, 1000, 0);
    // 5 mm = 500,000 units a step: the second and third copy fall outside.
    Main().RepeatItemByOffset(3, 5, 0);
    EXPECT_EQ(ItemCount(), 2);
    CurrentLine(0, 0, 1000, 0);
    Main().RepeatItemByAngle(2, 219999999, 0, 180);
    EXPECT_EQ(ItemCount(), 4);  // the half turn lands outside, the whole turn back
}

TEST_F(Arcs, RepeatCountsBeyondTheCapAreRefused)
{
    CurrentLine(0, 0, 1000, 0);
    Main().RepeatItemByOffset(10001, 0.001, 0);
    Main().RepeatItemByAngle(-2, 0, 0, 90);
    Main().RepeatItemByOffset(0, 1, 1);
    Main().RepeatItemByAngle(3, 0, 0, 0);
    EXPECT_EQ(ItemCount(), 1);
    int beeps = 0;
    for (const auto& asked : ui.asked()) beeps += asked.kind == "Beep";
    EXPECT_EQ(beeps, 2);
}

TEST_F(Arcs, F10StopsARepeatAndTheCopiesMadeStay)
{
    CurrentLine(0, 0, 1000, 0);
    ui.PressKey(winsys::vk::F10, 3);
    Main().RepeatItemByOffset(10, 0.1, 0);
    EXPECT_EQ(ItemCount(), 3);
}

}  // namespace
