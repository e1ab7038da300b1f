// The interaction interface: the scripted stand-in's queues and its failure
// on unexpected questions, the common dialog control over it, key states
// from real key events, and the print-scale dialog's sheet count.
#include "editor/shell/common_dialog.h"
#include "editor/shell/errors.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/print_scale_dialog.h"
#include "tests/support/scripted.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSpinBox>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest-spi.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using winsys::Ui;
namespace mb = winsys::mb;
namespace vk = winsys::vk;

using ScriptedStandIn = palvane_test::ScriptedTest;

// A question nobody queued an answer for fails the test and gets the
// safest answer.
TEST_F(ScriptedStandIn, UnexpectedQuestionFailsTheTest)
{
    QMenu menu;
    menu.addAction("Delete the net?");
    QWidget dialog;
    dialog.setObjectName("SCHINFOC");
    int answer = -1;
    bool accepted = true;
    std::string typed = "unchanged";
    winsys::FileDialogRequest file;
    winsys::PrinterSetupRequest printer;
    winsys::PrintScaleRequest scale;

    EXPECT_NONFATAL_FAILURE(answer = Ui().MessageBox("Delete page 2?", "Pages", mb::YesNo | mb::Question),
                            "unexpected message box: Pages: Delete page 2?");
    EXPECT_EQ(answer, mb::AnswerNo);
    EXPECT_NONFATAL_FAILURE(answer = Ui().MessageBox("Save?", "Pages", mb::YesNoCancel), "unexpected message box");
    EXPECT_EQ(answer, mb::AnswerCancel);
    EXPECT_NONFATAL_FAILURE(answer = Ui().MessageBox("Done", "Pages", mb::OkOnly), "unexpected message box");
    EXPECT_EQ(answer, mb::AnswerOk);
    EXPECT_NONFATAL_FAILURE(accepted = Ui().InputBox({"New page name:", "Pages", "PAGE2"}, typed),
                            "unexpected input box: Pages: New page name:");
    EXPECT_FALSE(accepted);
    EXPECT_EQ(typed, "unchanged");
    EXPECT_NONFATAL_FAILURE(Ui().PopupMenu(&menu, QPoint(10, 10)), "unexpected popup menu: Delete the net?");
    EXPECT_NONFATAL_FAILURE(accepted = Ui().FileDialog(file), "unexpected file dialog");
    EXPECT_FALSE(accepted);
    EXPECT_NONFATAL_FAILURE(accepted = Ui().PrinterSetup(printer), "unexpected printer setup");
    EXPECT_FALSE(accepted);
    EXPECT_NONFATAL_FAILURE(accepted = Ui().PrintScaleSetup(scale), "unexpected print-scale dialog");
    EXPECT_FALSE(accepted);
    EXPECT_NONFATAL_FAILURE(Ui().ShowModal(&dialog), "unexpected modal window: SCHINFOC");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ui.asked().size(), 9u);
}

// An answer meant for another question is not given to this one.
TEST_F(ScriptedStandIn, AnswersMustFitTheQuestion)
{
    QWidget dialog;
    dialog.setObjectName("SCHIPACK");
    ui.ExpectMessageBox(mb::AnswerYes, "Delete");
    ui.ExpectModal("SCHINFOC", [](QWidget*) { ADD_FAILURE() << "ran for the wrong window"; });
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = Ui().MessageBox("Save the page?", "Pages", mb::YesNo),
                            "does not contain \"Delete\"");
    EXPECT_EQ(answer, mb::AnswerNo);
    EXPECT_NONFATAL_FAILURE(Ui().ShowModal(&dialog), "modal window SCHIPACK shown where SCHINFOC was expected");
}

TEST_F(ScriptedStandIn, EachKindTakesItsOwnQueuedAnswers)
{
    ui.ExpectMessageBox(mb::AnswerYes, "first");
    ui.ExpectMessageBox(mb::AnswerRetry);
    ui.ExpectInputBox("PAGE7", "name");
    ui.ExpectInputBoxCancel();
    ui.ExpectFileDialog("/tmp/notes.txt");
    ui.ExpectFileDialog("");
    ui.ExpectPrintScale([](winsys::PrintScaleRequest& r) {
        EXPECT_DOUBLE_EQ(r.drawingWidth, 16.5);
        r.numerator = 1;
        r.denominator = 2;
        return true;
    });
    EXPECT_EQ(ui.pending(), 7u);

    // Asked in another order than queued: each kind keeps its own order.
    std::string typed;
    EXPECT_TRUE(Ui().InputBox({"New page name:", "Pages", ""}, typed));
    EXPECT_EQ(typed, "PAGE7");
    EXPECT_EQ(Ui().MessageBox("the first question", "T", mb::YesNo), mb::AnswerYes);
    winsys::FileDialogRequest open;
    open.title = "Load page notes";
    EXPECT_TRUE(Ui().FileDialog(open));
    EXPECT_EQ(open.fileName, "/tmp/notes.txt");
    EXPECT_EQ(Ui().MessageBox("anything", "T", mb::RetryCancel), mb::AnswerRetry);
    winsys::PrintScaleRequest scale;
    scale.drawingWidth = 16.5;
    EXPECT_TRUE(Ui().PrintScaleSetup(scale));
    EXPECT_EQ(scale.denominator, 2);
    typed = "kept";
    EXPECT_FALSE(Ui().InputBox({"Another?", "Pages", ""}, typed));
    EXPECT_EQ(typed, "kept");
    winsys::FileDialogRequest save;
    save.save = true;
    EXPECT_FALSE(Ui().FileDialog(save));
    EXPECT_EQ(ui.pending(), 0u);

    std::vector<std::string> kinds;
    for (const auto& a : ui.asked()) kinds.push_back(a.kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"InputBox", "MessageBox", "FileDialog", "MessageBox", "PrintScale",
                                               "InputBox", "FileDialog"}));
    ui.ExpectMessageBox(mb::AnswerYes);
    EXPECT_TRUE(winsys::AskYesNoBox("Overwrite?", "Notes"));
    EXPECT_EQ(ui.asked().back().style, mb::YesNo | mb::Question);
}

// The popup question: the menu's first item shows the question; the chosen
// item is triggered before the popup returns.
TEST_F(ScriptedStandIn, PopupMenuTriggersTheChosenItem)
{
    QMenu menu;
    menu.addAction("Delete the net?");
    QAction* yes = menu.addAction("&Yes");
    QAction* no = menu.addAction("&No");
    QAction* off = menu.addAction("&Later");
    off->setEnabled(false);
    std::vector<std::string> chosen;
    QObject::connect(yes, &QAction::triggered, [&] { chosen.push_back("yes"); });
    QObject::connect(no, &QAction::triggered, [&] { chosen.push_back("no"); });

    ui.ExpectPopupMenu("Yes", "Delete the net");
    ui.ExpectPopupMenu("No");
    ui.ExpectPopupMenu("");  // dismissed
    Ui().PopupMenu(&menu, QPoint(5, 5));
    Ui().PopupMenu(&menu, QPoint(5, 5));
    Ui().PopupMenu(&menu, QPoint(5, 5));
    EXPECT_EQ(chosen, (std::vector<std::string>{"yes", "no"}));

    ui.ExpectPopupMenu("Maybe");
    EXPECT_NONFATAL_FAILURE(Ui().PopupMenu(&menu, QPoint(5, 5)), "popup menu has no item \"Maybe\"");
    ui.ExpectPopupMenu("Later");
    EXPECT_NONFATAL_FAILURE(Ui().PopupMenu(&menu, QPoint(5, 5)), "cannot be chosen");
    EXPECT_EQ(chosen.size(), 2u);
}

TEST_F(ScriptedStandIn, ModalCallbackRunsWhileTheWindowIsShown)
{
    QWidget dialog;
    dialog.setObjectName("SCHINFOC");
    bool visibleInside = false;
    ui.ExpectModal("SCHINFOC", [&](QWidget* w) { visibleInside = w == &dialog && w->isVisible(); });
    Ui().ShowModal(&dialog);
    EXPECT_TRUE(visibleInside);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ScriptedStandIn, KeysAndPointer)
{
    ui.PressKey(vk::F10, 3);
    EXPECT_EQ(ui.pending(), 1u);
    std::vector<bool> polls;
    for (int i = 0; i < 4; ++i) polls.push_back(Ui().KeyPressed(vk::F10));
    EXPECT_EQ(polls, (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(ui.KeyAsks(vk::F10), 4);
    EXPECT_FALSE(Ui().KeyPressed(vk::Escape));
    ui.cursor = QPoint(120, 45);
    EXPECT_EQ(Ui().CursorPos(), QPoint(120, 45));
    // A beep is no question.
    Ui().Beep();
    EXPECT_EQ(ui.asked().back().kind, "Beep");
}

TEST_F(ScriptedStandIn, CommonDialogControl)
{
    CommonDialog dialog;
    dialog.DialogTitle = "Save Page Notes";
    dialog.Filter = "Notes (*.txt)|*.txt|All files|*.*";
    dialog.DefaultExt = "txt";
    dialog.Flags = winsys::ofn::OverwritePrompt | winsys::ofn::HideReadOnly;
    dialog.FileName = "page1";
    ui.ExpectFileDialog([](winsys::FileDialogRequest& r) {
        EXPECT_TRUE(r.save);
        EXPECT_EQ(r.title, "Save Page Notes");
        EXPECT_EQ(r.fileName, "page1");
        EXPECT_EQ(r.filter, "Notes (*.txt)|*.txt|All files|*.*");
        EXPECT_EQ(r.flags, winsys::ofn::OverwritePrompt | winsys::ofn::HideReadOnly);
        r.fileName = "/home/ann/page1.txt";
        r.filterIndex = 2;
        return true;
    });
    EXPECT_TRUE(dialog.SetAction(2));
    EXPECT_EQ(dialog.FileName, "/home/ann/page1.txt");
    EXPECT_EQ(dialog.FilterIndex, 2);

    // Cancel: false, or error 32755 with CancelError; nothing changes.
    ui.ExpectFileDialog("");
    EXPECT_FALSE(dialog.ShowOpen());
    dialog.CancelError = true;
    ui.ExpectFileDialog("");
    try {
        dialog.ShowOpen();
        ADD_FAILURE() << "cancel must raise";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), errnum::CancelSelected);
    }
    EXPECT_EQ(dialog.FileName, "/home/ann/page1.txt");

    ui.ExpectPrinterSetup([](winsys::PrinterSetupRequest& r) {
        EXPECT_EQ(r.orientation, 1);
        r.orientation = 2;
        r.copies = 3;
        r.printerName = "Office";
        return true;
    });
    EXPECT_TRUE(dialog.SetAction(5));
    EXPECT_EQ(dialog.Orientation, 2);
    EXPECT_EQ(dialog.Copies, 3);
    EXPECT_EQ(dialog.PrinterName, "Office");
    EXPECT_THROW(dialog.SetAction(3), RuntimeError);
}

TEST(Keyboard, VirtualKeysOfQtKeys)
{
    const struct {
        int qtKey;
        Qt::KeyboardModifiers modifiers;
        int virtualKey;
    } cases[] = {
        {Qt::Key_A, {}, 'A'},
        {Qt::Key_Z, Qt::ShiftModifier, 'Z'},
        {Qt::Key_5, {}, '5'},
        {Qt::Key_5, Qt::KeypadModifier, vk::Numpad0 + 5},
        {Qt::Key_Asterisk, Qt::ShiftModifier, '8'},
        {Qt::Key_Asterisk, Qt::KeypadModifier, vk::Multiply},
        {Qt::Key_F1, {}, vk::F1},
        {Qt::Key_F10, {}, vk::F10},
        {Qt::Key_F24, {}, 135},
        {Qt::Key_Escape, {}, vk::Escape},
        {Qt::Key_Return, {}, vk::Return},
        {Qt::Key_Enter, Qt::KeypadModifier, vk::Return},
        {Qt::Key_Delete, {}, vk::Delete},
        {Qt::Key_Left, {}, vk::Left},
        {Qt::Key_Shift, Qt::ShiftModifier, vk::Shift},
        {Qt::Key_Comma, {}, 188},
        {Qt::Key_Minus, Qt::KeypadModifier, vk::Subtract},
        {Qt::Key_Launch0, {}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(winsys::VirtualKey(c.qtKey, c.modifiers), c.virtualKey) << c.qtKey;
    EXPECT_EQ(winsys::ShiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(winsys::ShiftState(Qt::ControlModifier | Qt::KeypadModifier), 2);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QString(QChar(0xE9)));
    EXPECT_EQ(winsys::KeyAscii(typed), 0xE9);
    QKeyEvent euro(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QString(QChar(0x20AC)));
    EXPECT_EQ(winsys::KeyAscii(euro), 0);
}

// A long loop asks for F10: the key events waiting in the queue are taken
// in, other input waits until control is back in the event loop, and each
// key event counts once.
TEST(Keyboard, PollTakesInPendingKeysAndHoldsBackOtherInput)
{
    struct Receiver : QWidget {
        std::vector<std::string> heard;
        bool event(QEvent* e) override
        {
            if (e->type() == QEvent::KeyPress) heard.push_back("key " + std::to_string(static_cast<QKeyEvent*>(e)->key()));
            if (e->type() == QEvent::MouseButtonPress) heard.push_back("mouse");
            return QWidget::event(e);
        }
    } widget;
    widget.setFocusPolicy(Qt::StrongFocus);
    widget.resize(100, 100);
    widget.show();
    QApplication::setActiveWindow(&widget);
    widget.setFocus();
    QApplication::processEvents();
    winsys::StartKeyTracking();
    winsys::ResetKeyState();
    QWindow* window = widget.windowHandle();
    ASSERT_NE(window, nullptr);

    EXPECT_FALSE(winsys::KeyPressedSinceLastAsk(vk::F10));
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_F10, Qt::NoModifier));
    QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5),
                                                        Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, Qt::Key_F10, Qt::NoModifier));

    EXPECT_TRUE(winsys::KeyPressedSinceLastAsk(vk::F10));  // pressed since the last ask
    EXPECT_FALSE(winsys::KeyIsDown(vk::F10));              // and released again
    EXPECT_TRUE(widget.heard.empty()) << "input must wait for the event loop";
    EXPECT_FALSE(winsys::KeyPressedSinceLastAsk(vk::F10));

    // Back in the event loop, the held input arrives in order, and the key
    // is not counted a second time.
    for (int i = 0; i < 5 && widget.heard.size() < 2; ++i) QApplication::processEvents();
    EXPECT_EQ(widget.heard, (std::vector<std::string>{"key " + std::to_string(Qt::Key_F10), "mouse"}));
    EXPECT_FALSE(winsys::KeyPressedSinceLastAsk(vk::F10));

    // A key held down counts while it is down.
    QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(winsys::KeyPressedSinceLastAsk(vk::Escape));
    EXPECT_TRUE(winsys::KeyIsDown(vk::Escape));
    EXPECT_TRUE(winsys::KeyPressedSinceLastAsk(vk::Escape));
    // The Qt implementation of the interface answers the same way.
    EXPECT_TRUE(winsys::QtUi().KeyPressed(vk::Escape));
}

TEST(PrintScale, SheetsAtAScale)
{
    const struct {
        double drawingWidth, drawingHeight;
        int32_t numerator, denominator;
        int across, down;
    } cases[] = {
        {10, 7, 1, 1, 1, 1},     // fits on one sheet
        {16.5, 10.4, 1, 1, 2, 2}, // a bit larger than a sheet each way
        {16.5, 10.4, 1, 2, 1, 1}, // halved
        {10, 7, 2, 1, 2, 2},      // doubled
        {30, 7.5, 1, 1, 3, 1},
        {10.0005, 7, 1, 1, 1, 1},  // a sliver needs no sheet of its own
        {0, 0, 1, 1, 1, 1},
    };
    for (const auto& c : cases) {
        winsys::PrintScaleRequest r;
        r.drawingWidth = c.drawingWidth;
        r.drawingHeight = c.drawingHeight;
        r.sheetWidth = 10;
        r.sheetHeight = 7.5;
        r.numerator = c.numerator;
        r.denominator = c.denominator;
        EXPECT_EQ(winsys::PrintScaleDialog::SheetsAcross(r), c.across) << c.drawingWidth << " " << c.numerator;
        EXPECT_EQ(winsys::PrintScaleDialog::SheetsDown(r), c.down) << c.drawingHeight << " " << c.numerator;
    }
    winsys::PrintScaleRequest r;
    r.drawingWidth = 20;
    r.drawingHeight = 10;
    r.sheetWidth = 10;
    r.sheetHeight = 7.5;
    r.numerator = 3;
    r.denominator = 4;
    winsys::PrintScaleDialog dialog(r);
    EXPECT_EQ(dialog.Result().numerator, 3);
    dialog.findChild<QSpinBox*>("Denominator")->setValue(2);
    EXPECT_EQ(dialog.Result().denominator, 2);
}

}  // namespace
