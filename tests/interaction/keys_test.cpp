// The main window's keyboard through real key events: Escape as "step
// now", arrow nudging, the function keys as option buttons, the Shift
// commands, the star shortcuts, Shift+Enter as a click and context help.
#include "editor/interaction/commands.h"
#include "editor/interaction/input_state.h"
#include "editor/shell/menus.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/systables.h"
#include "editor/shell/tooltable.h"
#include "editor/view/canvas.h"
#include "editor/view/drawaids.h"
#include "editor/view/marks.h"
#include "platform/winsys/help.h"
#include "tests/view/view_fixture.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class Keys : public view_test::DemoTest {
protected:
    void SetUp() override
    {
        DemoTest::SetUp();
        SCHMAIN& m = Main();
        QApplication::setActiveWindow(m.Window());
        m.ViewPicture->setFocus();
        QApplication::processEvents();
        // The pointer rests inside the canvas.
        PointAt(QPoint(200, 150));
    }

    // The editor's globals outlive the window: no command, mode or armed
    // box is left to the next test.
    void TearDown() override
    {
        g_CurCommand = 0;
        g_CmdRunning = 0;
        g_BoxCopyOn = g_BoxZoomOn = 0;
        g_CurMode = MODE_NONE;
        DemoTest::TearDown();
    }

    // Puts the screen pointer over canvas point `local` and lets the canvas
    // hear the move.
    void PointAt(QPoint local)
    {
        SCHMAIN& m = Main();
        ui.cursor = ScreenPoint(local);
        m.ViewPicture_MouseMove(0, 0, local.x(), local.y());
    }

    QPoint ScreenPoint(QPoint local)
    {
        Canvas* canvas = Main().ViewPicture;
        return canvas->mapToGlobal(local + canvas->contentsRect().topLeft());
    }

    // A key typed at the widget with the focus, as the user types it.
    void Type(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Main().Window(), key, modifiers);
    }

    // The message line without the blank it starts with.
    std::string MessageLine()
    {
        const std::string text = Main().F_MsgLine->Caption();
        return text.empty() || text[0] != ' ' ? text : text.substr(1);
    }

    // A block move waiting for its box: a command the step-now button acts on.
    void BeginBlockMove()
    {
        SCHMAIN& m = Main();
        m.M_FSI_Click(MODE_BLOCK_EDIT);
        ModeTools(MODE_BLOCK_EDIT).SelFunc = 1;
        m.ViewPicture_MouseUp(1, 0, 200, 150);
        ASSERT_EQ(g_CurCommand, 51);
    }
};

TEST_F(Keys, EscapeGivesTheCommandUpUnderAnyFocus)
{
    SCHMAIN& m = Main();
    for (QWidget* focus : {static_cast<QWidget*>(m.ViewPicture), static_cast<QWidget*>(m.F_Tsize)}) {
        BeginBlockMove();
        focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focus);
        // Option 10 runs the command's preview at once, which steps it.
        Type(Qt::Key_Escape);
        EXPECT_EQ(g_CurCommand, 0) << focus->objectName().toStdString();
        EXPECT_FALSE(m.F_OST(10)->Value());
        EXPECT_TRUE(m.M_Edit->Enabled());
    }
    m.ViewPicture->setFocus();
}

TEST_F(Keys, ArrowsMoveThePointerOnePixelAndDeliverTheMove)
{
    SCHMAIN& m = Main();
    struct Case {
        Qt::Key key;
        QPoint step;
    } cases[] = {
        {Qt::Key_Left, {-1, 0}}, {Qt::Key_Right, {1, 0}}, {Qt::Key_Up, {0, -1}}, {Qt::Key_Down, {0, 1}}};
    for (const Case& c : cases) {
        PointAt(QPoint(200, 150));
        const int sets = ui.cursorSets;
        Type(c.key);
        EXPECT_EQ(ui.cursorSets, sets + 1) << c.key;
        EXPECT_EQ(ui.cursor, ScreenPoint(QPoint(200, 150) + c.step)) << c.key;
        EXPECT_EQ(m.m_MouseX, 200 + c.step.x()) << c.key;
        EXPECT_EQ(m.m_MouseY, 150 + c.step.y()) << c.key;
    }
}

TEST_F(Keys, ArrowsKeepThePointerInsideTheCanvas)
{
    SCHMAIN& m = Main();
    const QSize size = m.ViewPicture->ClientSize();
    PointAt(QPoint(0, 0));
    Type(Qt::Key_Left);
    Type(Qt::Key_Up);
    EXPECT_EQ(ui.cursor, ScreenPoint(QPoint(0, 0)));
    PointAt(QPoint(size.width() - 1, size.height() - 1));
    Type(Qt::Key_Right);
    Type(Qt::Key_Down);
    EXPECT_EQ(ui.cursor, ScreenPoint(QPoint(size.width() - 1, size.height() - 1)));
    EXPECT_EQ(m.m_MouseX, size.width() - 1);
    // A pointer elsewhere on the screen is brought into the canvas.
    ui.cursor = ScreenPoint(QPoint(-50, size.height() + 40));
    Type(Qt::Key_Right);
    EXPECT_EQ(ui.cursor, ScreenPoint(QPoint(0, size.height() - 1)));
}

TEST_F(Keys, KeysOtherThanEscapeDoNothingInATextField)
{
    SCHMAIN& m = Main();
    m.F_Tsize->setFocus();
    const int sets = ui.cursorSets;
    const bool option = m.F_OST(0)->Value();
    Type(Qt::Key_Right);
    Type(Qt::Key_F1);
    Type(Qt::Key_B, Qt::ShiftModifier);
    EXPECT_EQ(ui.cursorSets, sets);
    EXPECT_EQ(m.F_OST(0)->Value(), option);
    EXPECT_EQ(g_BoxZoomOn, 0);
    m.ViewPicture->setFocus();
}

// Each function key toggles its option button when the button is enabled.
TEST_F(Keys, FunctionKeysToggleTheirOptionButtons)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_BLOCK_EDIT);
    for (int n = 0; n <= 9; ++n) {
        if (!m.F_OST.Exists(n)) continue;
        const bool enabled = m.F_OST(n)->isEnabled();
        const bool before = m.F_OST(n)->Value();
        Type(static_cast<Qt::Key>(Qt::Key_F1 + n));
        EXPECT_EQ(m.F_OST(n)->Value(), enabled ? !before : before) << n;
        if (m.F_OST(n)->Value() != before) Type(static_cast<Qt::Key>(Qt::Key_F1 + n));
        EXPECT_EQ(m.F_OST(n)->Value(), before) << n;
    }
    // F11 is the step-now button: the replayed move gives the command up.
    BeginBlockMove();
    Type(Qt::Key_F11);
    EXPECT_EQ(g_CurCommand, 0);
    EXPECT_FALSE(m.F_OST(10)->Value());
}

// In the placement modes the function key also runs the button's release,
// which hands the option to every function of the mode.
TEST_F(Keys, FunctionKeysInPlacementModesRunTheRelease)
{
    SCHMAIN& m = Main();
    g_CurMode = 9;
    m.F_OST(3)->setEnabled(true);
    m.F_OST(3)->SetValue(false);
    for (ToolFuncRec& f : ModeTools(9).Funcs) f.Opts.at(3).Value = 0;
    Type(Qt::Key_F4);
    ASSERT_TRUE(m.F_OST(3)->Value());
    for (const ToolFuncRec& f : ModeTools(9).Funcs) EXPECT_EQ(f.Opts.at(3).Value, -1);
    g_CurMode = MODE_NONE;
}

TEST_F(Keys, ShiftZoomKeys)
{
    SCHMAIN& m = Main();
    const int32_t size = m.m_ViewSize;
    Type(Qt::Key_U, Qt::ShiftModifier);
    const int32_t in = m.m_ViewSize;
    EXPECT_LT(in, size);
    Type(Qt::Key_D, Qt::ShiftModifier);
    EXPECT_GT(m.m_ViewSize, in);
    const int32_t out = m.m_ViewSize;
    Type(Qt::Key_V, Qt::ShiftModifier);
    EXPECT_EQ(m.m_ViewSize, out);
    EXPECT_FALSE(m.m_KeyBusy);
}

TEST_F(Keys, ShiftLetterTable)
{
    SCHMAIN& m = Main();
    struct Case {
        Qt::Key key;
        std::function<bool()> done;
        const char* message;
    } cases[] = {
        {Qt::Key_B, [] { return g_BoxZoomOn != 0; }, "Select Box Zoom Area"},
        {Qt::Key_S, [] { return g_BoxCopyOn != 0; }, "Select Box Copy Area"},
        {Qt::Key_Z, [&m] { return m.m_FullCross != 0; }, nullptr},
        {Qt::Key_P, [] { return g_Markers[3].Shown != 0; }, nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(c.done()) << c.key;
        Type(c.key, Qt::ShiftModifier);
        EXPECT_TRUE(c.done()) << c.key;
        if (c.message) {
            EXPECT_EQ(MessageLine(), c.message);
        }
    }
    // A second Shift+Z takes the full cross away, a second Shift+P the
    // reference point.
    Type(Qt::Key_Z, Qt::ShiftModifier);
    EXPECT_EQ(m.m_FullCross, 0);
    Type(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_EQ(g_Markers[3].Shown, 0);
    // Shift+G puts the reference point on the snap grid.
    Type(Qt::Key_G, Qt::ShiftModifier);
    ASSERT_NE(g_Markers[3].Shown, 0);
    EXPECT_EQ(g_Markers[3].X, SnapCoord(m.m_CursorX, g_SnapStep));
    EXPECT_EQ(g_Markers[3].Y, SnapCoord(m.m_CursorY, g_SnapStep));
    Type(Qt::Key_G, Qt::ShiftModifier);
    // Shift+R asks for the point; closed unanswered, it sets none.
    ui.ExpectModal("NvoInpBG", [](QWidget*) {});
    Type(Qt::Key_R, Qt::ShiftModifier);
    EXPECT_EQ(g_Markers[3].Shown, 0);
    Type(Qt::Key_P, Qt::ShiftModifier);
    // Shift+C clears every point marker (the reference point stays) and
    // leaves no canvas context open.
    for (int i = 0; i < 3; ++i) g_Markers[i] = MarkerRec{-1, 100000 * i, 0};
    Type(Qt::Key_C, Qt::ShiftModifier);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(g_Markers[i].Shown, 0) << i;
    EXPECT_EQ(m.m_CanvasDCLevel, 0);
    // Keys outside the table do nothing.
    g_BoxZoomOn = g_BoxCopyOn = 0;
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Q, Qt::Key_7, Qt::Key_9}) Type(key, Qt::ShiftModifier);
    EXPECT_EQ(g_BoxZoomOn, 0);
    EXPECT_EQ(g_BoxCopyOn, 0);
    EXPECT_FALSE(m.m_KeyBusy);
}

TEST_F(Keys, ShiftDigitsChooseThePointMethod)
{
    SCHMAIN& m = Main();
    for (int d = 0; d <= 6; ++d) {
        m.m_PointPending = 0;
        Type(static_cast<Qt::Key>(Qt::Key_0 + d), Qt::ShiftModifier);
        EXPECT_EQ(m.m_PointMethod, d + 4) << d;
        EXPECT_NE(m.m_PointPending, 0) << d;
    }
}

TEST_F(Keys, ShiftTChecksThePage)
{
    // The demo page is sound: the check finds nothing and asks nothing.
    Type(Qt::Key_T, Qt::ShiftModifier);
    EXPECT_FALSE(Main().m_KeyBusy);
    EXPECT_EQ(g_CurCommand, 0);
}

TEST_F(Keys, StarShortcutPressesAFunctionOfThisMode)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_BLOCK_EDIT);
    ModeTools(MODE_BLOCK_EDIT).Funcs.at(4).Shortcut = "QX";
    Type(Qt::Key_Asterisk, Qt::ShiftModifier);
    EXPECT_NE(m.m_ShortcutArmed, 0);
    EXPECT_EQ(MessageLine(), "Shortcut: ");
    Type(Qt::Key_Q);
    EXPECT_EQ(MessageLine(), "Shortcut: Q");
    // One letter leaves the entry armed; a function key waits.
    const bool option = m.F_OST(0)->Value();
    Type(Qt::Key_F1);
    EXPECT_EQ(m.F_OST(0)->Value(), option);
    EXPECT_NE(m.m_ShortcutArmed, 0);
    Type(Qt::Key_X);
    EXPECT_EQ(m.m_ShortcutArmed, 0);
    EXPECT_TRUE(m.F_FSI(4)->Value());
    EXPECT_EQ(ModeTools(MODE_BLOCK_EDIT).SelFunc, 4);
}

TEST_F(Keys, StarShortcutSwitchesToAnotherModeWhenAllowed)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_BLOCK_EDIT);
    ToolFuncRec& bitmapMove = ModeTools(MODE_BITMAPS).Funcs.at(2);
    bitmapMove.Shortcut = "QZ";
    bitmapMove.AnyMode = 0;
    // Not offered from another mode: passed over.
    Type(Qt::Key_Asterisk, Qt::ShiftModifier);
    Type(Qt::Key_Q);
    Type(Qt::Key_Z);
    EXPECT_EQ(g_CurMode, MODE_BLOCK_EDIT);
    // Offered, but the mode's menu item is disabled: passed over too.
    bitmapMove.AnyMode = -1;
    m.M_FSI(MODE_BITMAPS)->SetEnabled(false);
    Type(Qt::Key_Asterisk, Qt::ShiftModifier);
    Type(Qt::Key_Q);
    Type(Qt::Key_Z);
    EXPECT_EQ(g_CurMode, MODE_BLOCK_EDIT);
    m.M_FSI(MODE_BITMAPS)->SetEnabled(true);
    Type(Qt::Key_Asterisk, Qt::ShiftModifier);
    Type(Qt::Key_Q);
    Type(Qt::Key_Z);
    EXPECT_EQ(g_CurMode, MODE_BITMAPS);
    EXPECT_EQ(ModeTools(MODE_BITMAPS).SelFunc, 2);
    EXPECT_NE(bitmapMove.Pressed, 0);
}

TEST_F(Keys, ARunningCommandClearsTheShortcutAndKeepsTheStar)
{
    SCHMAIN& m = Main();
    int star = '*';
    m.Form_KeyPress(star);
    EXPECT_NE(m.m_ShortcutArmed, 0);
    g_CurCommand = 51;
    int letter = 'm';
    m.Form_KeyPress(letter);
    EXPECT_EQ(letter, 'm');
    EXPECT_EQ(m.m_ShortcutArmed, 0);
    EXPECT_TRUE(m.m_ShortcutKeys.empty());
    star = '*';
    m.Form_KeyPress(star);
    EXPECT_EQ(star, '*');
    EXPECT_EQ(m.m_ShortcutArmed, 0);
    g_CurCommand = 0;
}

TEST_F(Keys, ShiftEnterClicksWhereThePointerIs)
{
    SCHMAIN& m = Main();
    m.M_FSI_Click(MODE_BLOCK_EDIT);
    ModeTools(MODE_BLOCK_EDIT).SelFunc = 1;
    // Outside the canvas: nothing.
    const QPoint inside = ui.cursor;
    ui.cursor = ScreenPoint(QPoint(-20, -20));
    Type(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(g_CurCommand, 0);
    // Inside: the block move begins at the last pointer point.
    ui.cursor = inside;
    Type(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(g_CurCommand, 51);
    // A plain Enter is no click.
    Type(Qt::Key_Return);
    EXPECT_EQ(g_CurCommand, 51);
    Type(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(g_CurCommand, 52);
}

TEST_F(Keys, CtrlF1ShowsTheHelpTopic)
{
    Type(Qt::Key_F1, Qt::ControlModifier);
    ASSERT_NE(winsys::HelpWindow(), nullptr);
    EXPECT_TRUE(winsys::HelpWindow()->isVisible());
    winsys::CloseHelpWindow();
    // Ctrl with other keys is no command.
    Type(Qt::Key_B, Qt::ControlModifier);
    EXPECT_EQ(g_BoxZoomOn, 0);
}

}  // namespace
