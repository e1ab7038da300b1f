// The placement patterns and keep-off zones on the canvas: the cells menu,
// the lines and zones dragged through clicks and pointer moves of modes 9
// and 10 and the steps that end them, their cancels, the pattern move, the
// pattern made from a component, and the refusals on the way.
#include "editor/automation/placement_items.h"
#include "editor/automation/placement_pattern.h"
#include "editor/automation/placement_relocation.h"
#include "editor/automation/placement_settings.h"
#include "editor/automation/plcparam.h"
#include "editor/automation/plsgpara.h"
#include "editor/interaction/command_steps.h"
#include "editor/interaction/commands.h"
#include "editor/objects/symbol_items.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "platform/kernel/testing.h"
#include "tests/automation/placement_fixture.h"
#include "tests/support/raster.h"
#include "tests/support/screenshot.h"

#include <QApplication>

#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr int32_t kRowStep = 2032000, kColStep = 1016000;

struct Line {
    int32_t index;
    ItemRec rec;
};

// The items of `symbol` with `link` (0: any) and a status bit of `mask`.
std::vector<Line> Items(int32_t symbol, int32_t link, int32_t mask)
{
    std::vector<Line> out;
    const int32_t array = S_SymbolItemArray(symbol);
    for (int32_t k = 1; k <= OA_GetCount(array); ++k) {
        ItemRec r{};
        I_ReadItem(OA_Object(array, k), &r);
        if ((link == 0 || r.Link == link) && (r.Flags & mask) != 0) out.push_back({k, r});
    }
    return out;
}

int32_t Status(int32_t symbol, int32_t index)
{
    ItemRec r{};
    I_ReadItem(S_SymbolItem(symbol, index), &r);
    return r.Flags & 7;
}

class CellsTest : public placement_test::PlacementTest {
protected:
    void SetUp() override
    {
        PlacementTest::SetUp();
        Load(3);
        ASSERT_TRUE(PlacementFrame(f));
        Main().ViewPicture->setFocus();
    }

    void EnterMode(int mode, int func)
    {
        Main().M_FSI_Click(mode);
        Main().F_FSI_Click(func, true);
        Main().RefreshCanvas();
    }

    QPointF Pixel(int32_t x, int32_t y)
    {
        Main().OpenCanvasDC();
        int32_t p[2] = {x, y};
        G_LPtoDP(p);
        Main().CloseCanvasDC();
        return QPointF(p[0], p[1]);
    }
    // Pointer events without snapping (shift bit 1).
    void MoveTo(int32_t x, int32_t y)
    {
        const QPointF p = Pixel(x, y);
        Main().ViewPicture_MouseMove(0, 1, p.x(), p.y());
    }
    void ClickAt(int32_t x, int32_t y)
    {
        MoveTo(x, y);
        const QPointF p = Pixel(x, y);
        Main().ViewPicture_MouseUp(1, 1, p.x(), p.y());
    }
    // The preview and the step at exact database points.
    void Preview(int32_t x, int32_t y)
    {
        int shift = 1;
        Main().OpenCanvasDC();
        Main().DispatchPointerAction(shift, x, y);
    }
    void Step(int32_t x, int32_t y)
    {
        Main().OpenCanvasDC();
        Main().ExecuteCommandStep(x, y);
    }
    void Cancel(int32_t x, int32_t y)
    {
        Main().F_OST(10)->SetValue(true);
        Preview(x, y);
    }
    bool ButtonsFree()
    {
        for (int i = 2; i <= 5; ++i)
            if (!Main().F_OST(i)->isEnabled() || Main().F_OST(i)->isHidden()) return false;
        return true;
    }
    QImage Image() { return Main().ViewPicture->Image().copy(); }
    QImage FreshPaint()
    {
        Main().RefreshCanvas();
        return Image();
    }

    int32_t f[4] = {};
};

TEST_F(CellsTest, CellsMenuShowsOnePatternAtATimeAndHidesIt)
{
    SCHMAIN& m = Main();
    EnterMode(MODE_COMPONENTS, 0);
    const QImage plain = FreshPaint();
    m.M_PlcCell_Click(2);
    EXPECT_EQ(Items(g_GridSymbol, 3, 2).size(), 11u);
    EXPECT_EQ(Items(g_GridSymbol, 4, 2).size(), 26u);
    m.M_PlcCell_Click(4);
    EXPECT_TRUE(Items(g_GridSymbol, 3, 2).empty());
    EXPECT_EQ(Items(g_GridSymbol, 0, 2).size(), 37u);
    EXPECT_EQ(Items(g_GridSymbol, 7, 2).size(), 11u);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(m.M_PlcCell(i)->Checked(), i == 4) << i;
    EXPECT_EQ(m.m_PlcCellMenu, 4);
    EXPECT_EQ(m_PlcCellShown, 4);
    EXPECT_TRUE(m_PlcOverlayOn);
    const QImage shown = Image();
    EXPECT_NE(shown, plain);
    // The page paint draws the chosen cells again.
    EXPECT_TRUE(palvane_test::CompareImages(FreshPaint(), shown).Same());
    m.M_PlcCellOff_Click();
    EXPECT_TRUE(Items(g_GridSymbol, 0, 2).empty());
    for (int i = 1; i <= 4; ++i) EXPECT_FALSE(m.M_PlcCell(i)->Checked());
    EXPECT_EQ(m.m_PlcCellMenu, 99);
    EXPECT_EQ(m_PlcCellShown, 99);
    EXPECT_TRUE(palvane_test::CompareImages(Image(), plain).Same());
}

TEST_F(CellsTest, CellsMenuDoesNothingInThePatternAndZoneModes)
{
    SCHMAIN& m = Main();
    for (int mode : {MODE_PLACEMENT_PATTERNS, MODE_KEEP_OFF_ZONE}) {
        EnterMode(mode, 0);
        const auto before = Items(g_GridSymbol, 3, 2).size();
        m.M_PlcCell_Click(2);
        EXPECT_EQ(Items(g_GridSymbol, 3, 2).size(), before) << mode;
        EXPECT_FALSE(m.M_PlcCell(2)->Checked()) << mode;
    }
}

TEST_F(CellsTest, PatternModeShowsTheChosenPatternAndZoneModeTheZones)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 0);
    EXPECT_EQ(g_PlcShownKind, 4);
    EXPECT_EQ(g_PlcCurLink, 1);
    EXPECT_EQ(Items(g_GridSymbol, 0, 2).size(), 37u);
    // Pattern 3 chosen: only its lines are shown.
    Main().F_OST(4)->SetValue(true);
    Main().F_OST_MouseUp(4, 1, 0, 0, 0);
    EXPECT_EQ(g_PlcCurLink, 5);
    EXPECT_EQ(Items(g_GridSymbol, 5, 2).size(), 11u);
    EXPECT_EQ(Items(g_GridSymbol, 0, 2).size(), 37u);
    // Zone mode: the lines go, the zones are shown.
    EnterMode(MODE_KEEP_OFF_ZONE, 0);
    EXPECT_EQ(g_PlcShownKind, 5);
    EXPECT_TRUE(Items(g_GridSymbol, 0, 2).empty());
    // Another mode: nothing stays shown.
    EnterMode(MODE_COMPONENTS, 0);
    EXPECT_TRUE(Items(g_ZoneSymbol, 0, 2).empty());
    EXPECT_TRUE(Items(g_GridSymbol, 0, 2).empty());
}

// A click with the parameter dialogs' functions (8, 9) opens the dialog and
// then picks the pattern-from-component function, whose own options choose
// the pattern shown: the canvas then shows what a paint of the page draws.
TEST_F(CellsTest, ParameterDialogsLeaveTheCanvasAsAPaintOfThePage)
{
    ModeToolsRec& tools = ModeTools(MODE_PLACEMENT_PATTERNS);
    const ModeToolsRec kept = tools;
    struct Case {
        int func;
        const char* dialog;
        std::function<void()> close;
    } cases[] = {
        {8, "PLCPARAM", [] { FormInstance<PLCPARAM>().PlcParamCancel_Click(); }},
        {9, "PLSGPARA", [] { FormInstance<PLSGPARA>().Command2_Click(); }},
    };
    for (const Case& c : cases) {
        // No pattern chosen for the dialog's function, the first one for
        // the pattern-from-component function.
        for (ToolOptRec& o : tools.Funcs.at(c.func).Opts) o.Value = 0;
        for (int i = 2; i <= 5; ++i) tools.Funcs.at(7).Opts.at(i).Value = i == 2 ? -1 : 0;
        EnterMode(MODE_PLACEMENT_PATTERNS, c.func);
        ASSERT_FALSE(Main().F_OST(2)->Value()) << c.dialog;
        ui.ExpectModal(c.dialog, [&](QWidget*) { c.close(); });
        ClickAt(f[0] + 1000000, f[1] + 1000000);
        EXPECT_EQ(tools.SelFunc, 7) << c.dialog;
        EXPECT_TRUE(Main().F_OST(2)->Value()) << c.dialog;
        const QImage shown = Image();
        EXPECT_TRUE(shown == FreshPaint()) << c.dialog;
    }
    tools = kept;
}

// Picking a function of the pattern and zone modes on the tool bar hides
// the wires or shows them and chooses the pattern shown: the canvas then
// shows what a paint of the page draws, for every function of both modes.
TEST_F(CellsTest, PickingAFunctionLeavesTheCanvasAsAPaintOfThePage)
{
    for (const int mode : {MODE_PLACEMENT_PATTERNS, MODE_KEEP_OFF_ZONE}) {
        EnterMode(mode, 0);
        for (int func = 0; func < kToolCount; ++func) {
            if (ModeTools(mode).Funcs.at(func).Avail == 0 || func == ModeTools(mode).SelFunc) continue;
            SCOPED_TRACE("mode " + std::to_string(mode) + " function " + std::to_string(func));
            QTest::mouseClick(Main().F_FSI(func), Qt::LeftButton);
            QApplication::processEvents();
            const QImage shown = Image();
            EXPECT_TRUE(shown == FreshPaint());
        }
    }
}

TEST_F(CellsTest, NewRowLineFollowsThePointerAndEndsShown)
{
    SCHMAIN& m = Main();
    EnterMode(MODE_PLACEMENT_PATTERNS, 1);
    const size_t rows = Items(g_GridSymbol, 1, 7).size();
    const int32_t x = f[0] + 3000000;
    ClickAt(x, f[1] + 3000000);
    ASSERT_EQ(g_CurCommand, 213);
    EXPECT_FALSE(m.F_OST(2)->isEnabled());
    for (int i = 3; i <= 5; ++i) EXPECT_TRUE(m.F_OST(i)->isHidden()) << i;
    const int32_t made = g_SymbItemIdx;
    EXPECT_EQ(Status(g_GridSymbol, made), 4);
    MoveTo(x, f[1] + 5000000);
    ItemRec r{};
    I_ReadItem(S_SymbolItem(g_GridSymbol, made), &r);
    EXPECT_EQ(r.Y, m.m_CursorY);
    EXPECT_EQ(r.X, f[0]);
    EXPECT_EQ(r.P1, f[2] - f[0]);
    // Beyond the frame the line stays where it was.
    const int32_t y = r.Y;
    MoveTo(x, f[3] + 2000000);
    I_ReadItem(S_SymbolItem(g_GridSymbol, made), &r);
    EXPECT_EQ(r.Y, y);
    ClickAt(x, f[3] + 2000000);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Status(g_GridSymbol, made), 2);
    EXPECT_EQ(Items(g_GridSymbol, 1, 7).size(), rows + 1);
    EXPECT_TRUE(ButtonsFree());
    const QImage after = Image();
    EXPECT_TRUE(palvane_test::CompareImages(FreshPaint(), after).Same());
}

TEST_F(CellsTest, MovedLinesFollowTheirAxisAndCancelPutsThemBack)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 3);
    // A crossing of row and column lines: function 3 takes the row line,
    // function 2 the column line.
    int32_t x = f[0] + 2 * kColStep, y = f[1] + 2 * kRowStep;
    Main().PlacementCellModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 211);
    const int32_t row = g_SymbItemIdx;
    EXPECT_EQ(g_SymbItem.P2, 0);
    EXPECT_EQ(Status(g_GridSymbol, row), 4);
    Preview(x, y + 500000);
    ItemRec r{};
    I_ReadItem(S_SymbolItem(g_GridSymbol, row), &r);
    EXPECT_EQ(r.Y, y + 500000);
    Step(x, y + 500000);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Status(g_GridSymbol, row), 2);

    Main().F_FSI_Click(2, true);
    Main().RefreshCanvas();
    Main().PlacementCellModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 212);
    const int32_t col = g_SymbItemIdx;
    EXPECT_EQ(g_SymbItem.P1, 0);
    Preview(x + 300000, y);
    I_ReadItem(S_SymbolItem(g_GridSymbol, col), &r);
    EXPECT_EQ(r.X, x + 300000);
    Cancel(x + 600000, y);
    EXPECT_EQ(g_CurCommand, 0);
    I_ReadItem(S_SymbolItem(g_GridSymbol, col), &r);
    EXPECT_EQ(r.X, x);
    EXPECT_EQ(Status(g_GridSymbol, col), 2);
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(CellsTest, CancelledNewLineIsRemoved)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 0);
    const size_t count = Items(g_GridSymbol, 0, 7).size();
    int32_t x = f[0] + 1500000, y = f[1] + 1500000;
    Main().PlacementCellModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 214);
    EXPECT_EQ(Items(g_GridSymbol, 0, 7).size(), count + 1);
    Preview(x + 100000, y);
    Cancel(x + 200000, y);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Items(g_GridSymbol, 0, 7).size(), count);
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(CellsTest, NoPatternChosenChangesNothingAndFreesTheButtons)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 1);
    for (int i = 2; i <= 5; ++i) Main().F_OST(i)->SetValue(false);
    Main().F_OST(3)->setVisible(false);
    const size_t count = Items(g_GridSymbol, 0, 7).size();
    int32_t x = f[0] + 1500000, y = f[1] + 1500000;
    Main().PlacementCellModeClick(x, y);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Items(g_GridSymbol, 0, 7).size(), count);
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(CellsTest, DeletingALineAsksFirst)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 5);
    const size_t rows = Items(g_GridSymbol, 1, 7).size();
    int32_t x = f[0] + 500000, y = f[1] + kRowStep;
    ui.ExpectPopupMenu("No", "Delete Cell line ?");
    Main().PlacementCellModeClick(x, y);
    EXPECT_EQ(Items(g_GridSymbol, 1, 7).size(), rows);
    ui.ExpectPopupMenu("Yes", "Delete Cell line ?");
    Main().PlacementCellModeClick(x, y);
    EXPECT_EQ(Items(g_GridSymbol, 1, 7).size(), rows - 1);
    EXPECT_TRUE(ButtonsFree());
    // On empty canvas nothing is asked.
    int32_t ex = f[0] + 500000, ey = f[1] + kRowStep / 2;
    Main().PlacementCellModeClick(ex, ey);
    EXPECT_EQ(Items(g_GridSymbol, 1, 7).size(), rows - 1);
}

TEST_F(CellsTest, MovedPatternShiftsItsLinesAndDropsThoseLeavingTheFrame)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 6);
    const size_t others = Items(g_GridSymbol, 3, 7).size();
    int32_t x = 0, y = 0;
    Main().PlacementCellModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 217);
    // Only the frame rectangle of the move is shown.
    for (const Line& l : Items(g_GridSymbol, 0, 2)) EXPECT_EQ(l.rec.Kind, 3);
    EXPECT_EQ(Items(g_GridSymbol, 0, 4).size(), 37u);
    const int32_t dx = 500000, dy = 700000;
    Preview(f[0] + dx, f[1] + dy);
    EXPECT_EQ(Main().m_PatMoveX, f[0] + dx);
    EXPECT_EQ(Main().m_PatMoveY, f[1] + dy);
    Step(f[0] + dx, f[1] + dy);
    EXPECT_EQ(g_CurCommand, 0);
    // The top row line and the rightmost column line leave the frame.
    const auto rows = Items(g_GridSymbol, 1, 7), cols = Items(g_GridSymbol, 2, 7);
    ASSERT_EQ(rows.size(), 10u);
    ASSERT_EQ(cols.size(), 25u);
    for (const Line& l : rows) {
        EXPECT_EQ((l.rec.Y - f[1] - dy) % kRowStep, 0);
        EXPECT_EQ(l.rec.Flags & 7, 2);
    }
    for (const Line& l : cols) EXPECT_EQ((l.rec.X - f[0] - dx) % kColStep, 0);
    EXPECT_TRUE(Items(g_GridSymbol, 0, 4).empty());
    for (const Line& l : Items(g_GridSymbol, 0, 7)) EXPECT_EQ(l.rec.Kind, 1);
    EXPECT_EQ(Items(g_GridSymbol, 3, 7).size(), others);
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(CellsTest, CancelledPatternMoveLeavesTheLines)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 6);
    const auto before = Items(g_GridSymbol, 0, 7);
    int32_t x = 0, y = 0;
    Main().PlacementCellModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 217);
    Preview(f[0] + 400000, f[1]);
    Cancel(f[0] + 800000, f[1]);
    EXPECT_EQ(g_CurCommand, 0);
    const auto after = Items(g_GridSymbol, 0, 7);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].rec.X, before[i].rec.X);
        EXPECT_EQ(after[i].rec.Y, before[i].rec.Y);
        EXPECT_EQ(after[i].rec.Flags & 7, before[i].rec.Flags & 7);
    }
}

// Sound behaviour: a pattern move whose frame rectangle cannot be added
// shows the lines again instead of leaving them hidden for good.
TEST_F(CellsTest, RefusedPatternMoveShowsTheLinesAgain)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 6);
    KT_FailCall("OA_Add", 1);
    int32_t x = 0, y = 0;
    Main().PlacementCellModeClick(x, y);
    KT_FailCall("", 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_TRUE(Items(g_GridSymbol, 0, 4).empty());
    EXPECT_EQ(Items(g_GridSymbol, 0, 2).size(), 37u);
    EXPECT_TRUE(ButtonsFree());
}

// Sound behaviour: a new line that cannot be read back is not left behind.
TEST_F(CellsTest, NewLineThatCannotBeReadIsRemoved)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 1);
    const size_t count = Items(g_GridSymbol, 0, 7).size();
    KT_FailCall("I_ReadItem", 1);
    int32_t x = f[0] + 1500000, y = f[1] + 1500000;
    Main().PlacementCellModeClick(x, y);
    KT_FailCall("", 0);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Items(g_GridSymbol, 0, 7).size(), count);
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(CellsTest, ZonesAreDrawnOpenMovedInsideTheFrameAndDeleted)
{
    SCHMAIN& m = Main();
    EnterMode(MODE_KEEP_OFF_ZONE, 0);
    // Beyond the frame nothing starts; on its edge a zone does.
    int32_t ox = f[2] + 100000, oy = f[1] + 100000;
    m.PlacementZoneModeClick(ox, oy);
    EXPECT_EQ(g_CurCommand, 0);
    int32_t x = f[0], y = f[1] + 1000000;
    m.PlacementZoneModeClick(x, y);
    ASSERT_EQ(g_CurCommand, 215);
    const int32_t zone = g_SymbItemIdx;
    Preview(x + 3000000, y + 2000000);
    Preview(f[2] + 1000, y + 4000000);  // beyond the frame: the size stays
    Step(f[2] + 1000, y + 4000000);
    ItemRec r{};
    I_ReadItem(S_SymbolItem(g_ZoneSymbol, zone), &r);
    EXPECT_EQ(r.X, f[0]);
    EXPECT_EQ(r.P1, 3000000);
    EXPECT_EQ(r.P2, 2000000);
    EXPECT_EQ(r.Flags & 7, 2);

    m.F_FSI_Click(1, true);
    m.RefreshCanvas();
    int32_t px = f[0] + 1500000, py = y + 2000000;
    m.PlacementZoneModeClick(px, py);
    ASSERT_EQ(g_CurCommand, 216);
    EXPECT_EQ(Status(g_ZoneSymbol, zone), 4);
    Preview(f[0] + 1000000, y);
    I_ReadItem(S_SymbolItem(g_ZoneSymbol, zone), &r);
    EXPECT_EQ(r.X, f[0] + 1000000);
    Preview(f[2] - 1000000, y);  // its right edge would cross the frame
    I_ReadItem(S_SymbolItem(g_ZoneSymbol, zone), &r);
    EXPECT_EQ(r.X, f[0] + 1000000);
    Step(f[2] - 1000000, y);
    EXPECT_EQ(Status(g_ZoneSymbol, zone), 2);

    m.F_FSI_Click(2, true);
    int32_t dx = r.X, dy = r.Y + 1000000;
    ui.ExpectPopupMenu("No", "Delete zone ?");
    m.PlacementZoneModeClick(dx, dy);
    EXPECT_EQ(Items(g_ZoneSymbol, 1, 7).size(), 1u);
    ui.ExpectPopupMenu("Yes", "Delete zone ?");
    m.PlacementZoneModeClick(dx, dy);
    EXPECT_TRUE(Items(g_ZoneSymbol, 1, 7).empty());
    EXPECT_EQ(Items(g_ZoneSymbol, 3, 7).size(), 1u);  // the frame prototype stays
}

TEST_F(CellsTest, CancelledZonesAreRemovedOrPutBack)
{
    SCHMAIN& m = Main();
    EnterMode(MODE_KEEP_OFF_ZONE, 0);
    int32_t x = f[0] + 1000000, y = f[1] + 1000000;
    m.PlacementZoneModeClick(x, y);
    Preview(x + 2000000, y + 2000000);
    Step(x + 2000000, y + 2000000);
    ASSERT_EQ(Items(g_ZoneSymbol, 1, 7).size(), 1u);
    m.PlacementZoneModeClick(x, y);
    Preview(x + 500000, y + 500000);
    Cancel(x + 500000, y + 500000);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_EQ(Items(g_ZoneSymbol, 1, 7).size(), 1u);

    m.F_FSI_Click(1, true);
    m.RefreshCanvas();
    int32_t px = x, py = y + 1000000;
    m.PlacementZoneModeClick(px, py);
    ASSERT_EQ(g_CurCommand, 216);
    Preview(x + 3000000, y);
    Cancel(x + 3000000, y);
    const auto zones = Items(g_ZoneSymbol, 1, 7);
    ASSERT_EQ(zones.size(), 1u);
    EXPECT_EQ(zones[0].rec.X, x);
    EXPECT_EQ(zones[0].rec.Flags & 7, 2);
}

TEST(PlacementSteps, TableHoldsThePatternAndZoneSteps)
{
    for (int32_t id = 211; id <= 217; ++id) EXPECT_NE(FindCommandStep(id), nullptr) << id;
    EXPECT_EQ(FindPlacementStep(210), nullptr);
    EXPECT_EQ(FindPlacementStep(218), nullptr);
}

TEST(PatternAxis, CellsCountsAndStarts)
{
    struct Case {
        int64_t low, high, f1, f2;
        PatternParams p;
        int64_t cell, gap, count, start;
    } cases[] = {
        // Automatic: as many cells as fit, centred on alignment steps.
        {-100, 300, 0, 10000, {50, 100, false, 1}, 500, 0, 20, 0},
        // Alignment 0 counts as 1 and a component of no size still gets a
        // cell of one step: nothing divides by zero.
        {0, 0, 0, 1000, {0, 0, false, 1}, 1, 0, 1000, 0},
        {0, 0, 0, 1000, {0, 100, false, 1}, 100, 0, 10, 0},
        // "As Setup" with more columns than fit: the number that fits.
        {-100, 300, 0, 2000, {50, 100, true, 9}, 500, 0, 4, 0},
        // "As Setup" with room to spare: gaps between the cells.
        {-100, 300, 0, 10000, {50, 100, true, 4}, 500, 1600, 4, 1600},
        // A frame smaller than one cell: none.
        {-1000, 1000, 0, 500, {0, 100, false, 1}, 2000, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const PatternAxis a = ComputePatternAxis(c.low, c.high, c.f1, c.f2, c.p);
        EXPECT_EQ(a.cell, c.cell) << c.low << " " << c.high << " " << c.f2;
        EXPECT_EQ(a.gap, c.gap) << c.f2;
        EXPECT_EQ(a.count, c.count) << c.f2;
        EXPECT_EQ(a.start, c.start) << c.f2;
    }
    EXPECT_EQ(AlignOutward(-120, 100), -200);
    EXPECT_EQ(AlignOutward(100, 100), 100);
    EXPECT_EQ(AlignOutward(5, 0), 5);
}

class PatternByComponent : public CellsTest {
protected:
    int32_t Comp(const char* name)
    {
        const int32_t id = OM_FindName(DB_SchCompMap(), name);
        return id != 0 ? id : OM_FindName(DB_SchCompMap(), (std::string(name) + "/1").c_str());
    }
    void ClickComp(const char* name)
    {
        CompRec c{};
        C_ReadComponent(Comp(name), &c);
        int32_t x = c.X, y = c.Y;
        Main().PlacementCellModeClick(x, y);
    }
};

TEST_F(PatternByComponent, YesReplacesThePatternsLinesAndNoKeepsThem)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 7);
    const auto before = Items(g_GridSymbol, 1, 7);
    ui.ExpectPopupMenu("No", "Pattern by R1");
    ClickComp("R1");
    EXPECT_EQ(g_PatRebuilt, 0);
    ui.ExpectPopupMenu("Yes", "Pattern by R1");
    ui.ExpectPopupMenu("No", "Cols ");
    ClickComp("R1");
    EXPECT_EQ(g_PatRebuilt, 0);
    EXPECT_EQ(Items(g_GridSymbol, 1, 7).size(), before.size());
    ui.ExpectPopupMenu("Yes", "Pattern by R1");
    ui.ExpectPopupMenu("Yes", "Cols ");
    ClickComp("R1");
    EXPECT_EQ(g_PatRebuilt, -1);
    const auto rows = Items(g_GridSymbol, 1, 7), cols = Items(g_GridSymbol, 2, 7);
    ASSERT_GE(rows.size(), 2u);
    EXPECT_NE(rows.size(), before.size());
    for (const Line& l : rows) {
        EXPECT_EQ(l.rec.Flags & 7, 2);
        EXPECT_EQ(l.rec.Y % g_PatAlignment, 0);
        EXPECT_GE(l.rec.Y, f[1]);
        EXPECT_LE(l.rec.Y, f[3]);
    }
    ASSERT_GE(cols.size(), 2u);
    EXPECT_EQ(cols[1].rec.X - cols[0].rec.X, cols.back().rec.X - cols[cols.size() - 2].rec.X);
    EXPECT_EQ(Items(g_GridSymbol, 3, 7).size(), 11u);  // other patterns untouched
    EXPECT_TRUE(ButtonsFree());
}

TEST_F(PatternByComponent, MirroredComponentIsRefusedOnTheComponentSide)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 7);
    O_Mask(C_Component(Comp("R1")), 2, 2);
    const auto before = Items(g_GridSymbol, 0, 7).size();
    ui.ExpectPopupMenu("Yes", "Pattern by R1");
    ui.ExpectMessageBox(1, "Component must be unmirrored");
    ClickComp("R1");
    EXPECT_EQ(g_PatRebuilt, 0);
    EXPECT_EQ(Items(g_GridSymbol, 0, 7).size(), before);
}

// Sound behaviour: a line that cannot be made leaves the shown pattern as it
// was (the new lines are made before the old ones go) and says so once.
TEST_F(PatternByComponent, FailedLineKeepsTheOldPattern)
{
    EnterMode(MODE_PLACEMENT_PATTERNS, 7);
    const auto before = Items(g_GridSymbol, 0, 7);
    ui.ExpectPopupMenu("Yes", "Pattern by R1");
    ui.ExpectPopupMenu("Yes", "Cols ");
    ui.ExpectMessageBox(1, "Can't create Pattern # 1 in automatic mode");
    KT_FailCall("OA_Add", 3);
    ClickComp("R1");
    KT_FailCall("", 0);
    EXPECT_EQ(g_PatRebuilt, 0);
    const auto after = Items(g_GridSymbol, 0, 7);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].rec.Y, before[i].rec.Y);
}

// Sound behaviour: after a level change the ids are those of the current
// level's symbols, not of the level they were set up for.
TEST_F(CellsTest, SymbolIdsFollowTheCurrentLevel)
{
    const int32_t grid = g_GridSymbol;
    g_GridSymbol = -99999;
    g_ZoneSymbol = -99998;
    ASSERT_TRUE(SyncPlacementSymbolIds());
    EXPECT_EQ(g_GridSymbol, grid);
    EXPECT_EQ(g_ZoneSymbol, -(DB_CurHier() + 12000));
    g_GridSymbol = -99999;
    EnterMode(MODE_COMPONENTS, 0);
    Main().M_PlcCell_Click(1);
    EXPECT_EQ(Items(grid, 1, 2).size(), 11u);
}

// Pictures of the page with the cells of a pattern, with a pattern made
// from a component in the pattern mode, and with keep-off zones.
TEST_F(PatternByComponent, Screens)
{
    SCHMAIN& m = Main();
    // The whole page in view.
    m.m_ViewOrgX = m.m_ViewOrgY = 0;
    m.m_ViewSize = 33020;
    EnterMode(MODE_COMPONENTS, 0);
    m.M_PlcCell_Click(2);
    palvane_test::SaveScreenshot(m.Window(), "placement_cells_shown");
    m.M_PlcCellOff_Click();
    EnterMode(MODE_PLACEMENT_PATTERNS, 7);
    g_PatClearanceX = g_PatClearanceY = 254000;
    g_PatAlignment = 127000;
    ui.ExpectPopupMenu("Yes", "Pattern by R1");
    ui.ExpectPopupMenu("Yes", "Cols ");
    ClickComp("R1");
    EXPECT_EQ(g_PatRebuilt, -1);
    palvane_test::SaveScreenshot(m.Window(), "placement_pattern_by_component");
    EnterMode(MODE_KEEP_OFF_ZONE, 0);
    for (int32_t k : {0, 1}) {
        int32_t x = f[0] + 2000000 + k * 12000000, y = f[1] + 1500000 + k * 6000000;
        m.PlacementZoneModeClick(x, y);
        Preview(x + 6000000, y + 4000000);
        Step(x + 6000000, y + 4000000);
    }
    EXPECT_EQ(Items(g_ZoneSymbol, 1, 2).size(), 2u);
    palvane_test::SaveScreenshot(m.Window(), "placement_zones_shown");
}

}  // namespace
