// Dialog services: the yes/no question, the modal show that keeps the
// modal depth and the published state right however the dialog ends, the
// report window, and the input box driven through the scripted stand-in.
#include "editor/dialogs/schinfob.h"
#include "editor/shell/applink.h"
#include "editor/shell/controls.h"
#include "editor/shell/dlgservices.h"
#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textarea.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/latin1.h"
#include "tests/shell/env_guard.h"
#include "tests/support/editor_fixture.h"
#include "tests/support/kernel_fixture.h"
#include "tests/support/screenshot.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

namespace mb = winsys::mb;
using Dialogs = palvane_test::KernelTest;
using palvane_test::EnvGuard;

std::string Published()
{
    const char* record = E_GetString("PALVANE");
    return record ? record : "(unset)";
}

// A dialog whose load can be made to fail.
class TestDialog : public Form {
public:
    TestDialog() : Form("TESTDLG") {}
    bool failLoad = false;
    QSize size{300, 200};

protected:
    std::unique_ptr<QWidget> CreateWindow() override
    {
        auto window = std::make_unique<QDialog>();
        window->resize(size);
        return window;
    }
    void Form_Load() override
    {
        if (failLoad) RaiseError(errnum::InvalidCall);
    }
};

QRect ScreenArea()
{
    return QGuiApplication::primaryScreen()->geometry();
}

// The window frame is known only once a window is shown, so a place worked
// out before may be off by the frame's width.
void ExpectNear(QPoint actual, QPoint expected, const char* what)
{
    EXPECT_NEAR(actual.x(), expected.x(), 4) << what;
    EXPECT_NEAR(actual.y(), expected.y(), 4) << what;
}

TEST_F(Dialogs, AskYesNoAndTheWords)
{
    g_Prompt = "Components";
    ui.ExpectMessageBox(mb::AnswerYes, "Delete U1?");
    EXPECT_TRUE(AskYesNo("Delete U1?"));
    EXPECT_EQ(ui.asked().back().caption, "Components");
    EXPECT_EQ(ui.asked().back().style, 36);
    ui.ExpectMessageBox(mb::AnswerNo);
    EXPECT_FALSE(AskYesNo("Delete U2?"));

    EnvGuard env;
    env.Locale("C");
    EXPECT_EQ(YesNoText(true), "Yes");
    EXPECT_EQ(YesNoText(false), "No ");
    env.Locale("de_DE.UTF-8");
    env.Set("PALVANE_DATA_DIR", PALVANE_TEST_DATA_DIR);
    EXPECT_EQ(YesNoText(true), "Ja");
    EXPECT_EQ(YesNoText(false), "Nein ");
}

TEST_F(Dialogs, ShowModalRaisesTheDepthWhileOpenAndUnloadsTheDialog)
{
    TestDialog dialog;
    g_ModalDepth = 0;
    g_DlgOpening = false;
    ui.ExpectModal("TESTDLG", [&](QWidget* window) {
        EXPECT_EQ(g_ModalDepth, 1);
        EXPECT_TRUE(g_DlgOpening);
        EXPECT_EQ(Published(), ", 0, 0,-1, 1");
        EXPECT_EQ(ScreenMousePointer(), mousepointer::Default);
        const QRect area = ScreenArea();
        ExpectNear(window->pos(), QPoint(area.x() + (area.width() - window->frameGeometry().width()) / 2,
                                         area.y() + (area.height() - window->frameGeometry().height()) / 2),
                   "centred");
        // A dialog opened from this one counts too.
        TestDialog inner;
        ui.ExpectModal("TESTDLG", [&](QWidget*) { EXPECT_EQ(g_ModalDepth, 2); });
        ShowModal(inner);
        EXPECT_FALSE(inner.IsLoaded());
        EXPECT_EQ(g_ModalDepth, 1);
    });
    ShowModal(dialog);
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_EQ(g_ModalDepth, 0);
    EXPECT_EQ(Published(), ", 0, 0,-1, 0");
}

TEST_F(Dialogs, ShowModalKeepsTheDepthRightWhenTheDialogFails)
{
    TestDialog dialog;
    g_ModalDepth = 0;
    ui.ExpectModal("TESTDLG", [](QWidget*) { RaiseError(errnum::SubscriptOutOfRange); });
    EXPECT_THROW(ShowModal(dialog), RuntimeError);
    EXPECT_EQ(g_ModalDepth, 0);
    EXPECT_EQ(Published(), ", 0, 0,-1, 0");
    EXPECT_FALSE(dialog.IsLoaded());
    EXPECT_EQ(ScreenMousePointer(), mousepointer::Default);

    // A dialog that fails to load never counted.
    TestDialog broken;
    broken.failLoad = true;
    E_SetString("PALVANE", "untouched");
    EXPECT_THROW(ShowModal(broken), RuntimeError);
    EXPECT_EQ(g_ModalDepth, 0);
    EXPECT_EQ(Published(), "untouched");
    EXPECT_EQ(ScreenMousePointer(), mousepointer::Default);
    broken.Unload();
}

TEST_F(Dialogs, CenterFormKeepsALargeFormAtANonNegativePlace)
{
    const QRect area = ScreenArea();
    TestDialog large;
    large.size = QSize(area.width() + 400, area.height() + 300);
    CenterForm(large);
    EXPECT_EQ(large.Window()->pos(), QPoint(area.x() + 200, area.y() + 150));
    large.Unload();
}

TEST_F(Dialogs, ShowModalHidesTheReportWindow)
{
    ShowReport("report");
    SCHINFOB& report = FormInstance<SCHINFOB>();
    ASSERT_TRUE(IsFormShown(report));
    TestDialog dialog;
    ui.ExpectModal("TESTDLG", [&](QWidget*) { EXPECT_FALSE(IsFormShown(report)); });
    ShowModal(dialog);
    EXPECT_TRUE(report.IsLoaded());
}

TEST_F(Dialogs, ReportWindowStaysOnTopAndCloseHidesIt)
{
    ShowReport("first\r\nsecond line");
    SCHINFOB& report = FormInstance<SCHINFOB>();
    ASSERT_TRUE(report.Visible());
    EXPECT_TRUE(report.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(report.F_TxtBuffer()->Text(), "first\r\nsecond line");
    EXPECT_EQ(report.Caption(), "Norvo32 Info");
    EXPECT_FALSE(palvane_test::SaveScreenshot(report.Window(), "report-window").empty());
    ShowReport("replaced");
    EXPECT_EQ(report.F_TxtBuffer()->Text(), "replaced");

    report.F_Return()->Press();
    EXPECT_FALSE(report.Visible());
    EXPECT_TRUE(report.IsLoaded());
    EXPECT_FALSE(report.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    ShowReport("new report");
    EXPECT_TRUE(report.Visible());
    EXPECT_TRUE(report.Window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(report.F_TxtBuffer()->Text(), "new report");

    // Escape and Enter close it as the Close button does.
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        ShowReport("again");
        ASSERT_TRUE(report.Visible());
        QTest::keyClick(report.Window(), key);
        EXPECT_FALSE(report.Visible()) << key;
    }
}

// The input box while it is shown modally: `act` answers it.
void ExpectInputBox(winsys::ScriptedInteraction& ui, std::function<void(NvoInpBG&)> act)
{
    ui.ExpectModal("NvoInpBG", [act](QWidget*) { act(FormInstance<NvoInpBG>()); });
}

TEST_F(Dialogs, AskTextAnswers)
{
    g_ModalDepth = 0;
    const struct {
        const char* typed;
        const char* answer;
    } accepted[] = {{"U7", "U7"}, {"  U7 part  ", "U7 part"}, {"   ", ""}, {"", ""}};
    for (const auto& c : accepted) {
        ExpectInputBox(ui, [&](NvoInpBG& box) {
            EXPECT_EQ(box.InpPrompt()->Text(), "New page name: ");
            EXPECT_EQ(box.InpText()->Text(), "PAGE2");
            EXPECT_EQ(box.InpText()->selectedText(), "PAGE2");
            box.InpText()->SetText(c.typed);
            box.InpOK()->Press();
        });
        EXPECT_EQ(AskText("New page name: ", "  ", "PAGE2"), c.answer) << '"' << c.typed << '"';
        EXPECT_EQ(g_InputResult, "");
        EXPECT_FALSE(FormInstance<NvoInpBG>().IsLoaded());
    }
    // Cancel and closing the box give no answer.
    ExpectInputBox(ui, [](NvoInpBG& box) {
        box.InpText()->SetText("typed");
        box.InpCancel()->Press();
    });
    EXPECT_EQ(AskText("Name:", "", ""), "");
    ExpectInputBox(ui, [](NvoInpBG& box) {
        box.InpText()->SetText("typed");
        box.Window()->close();
    });
    EXPECT_EQ(AskText("Name:", "", ""), "");
    EXPECT_FALSE(FormInstance<NvoInpBG>().IsLoaded());
    EXPECT_EQ(g_ModalDepth, 0);  // the input box is not counted
}

TEST_F(Dialogs, AskTextHeadingOnTheFirstLineAndEnterAccepts)
{
    ExpectInputBox(ui, [](NvoInpBG& box) {
        EXPECT_EQ(box.InpPrompt()->Text(), "Rename PAGE2\r\nNew name:");
        QWidget* window = box.Window();
        EXPECT_FALSE(palvane_test::SaveScreenshot(window, "input-box").empty());
        window->activateWindow();
        QApplication::setActiveWindow(window);
        box.InpText()->setFocus();
        QTest::keyClicks(box.InpText(), "X");
        QTest::keyClick(box.InpText(), Qt::Key_Return);
        EXPECT_FALSE(box.IsLoaded());
    });
    EXPECT_EQ(AskText("New name:", "Rename PAGE2", "PAGE"), "X");
}

TEST_F(Dialogs, InputBoxCentredWhileAnotherDialogIsOpen)
{
    g_ModalDepth = 1;
    ExpectInputBox(ui, [](NvoInpBG& box) {
        const QRect area = ScreenArea();
        const QRect frame = box.Window()->frameGeometry();
        ExpectNear(frame.topLeft(), QPoint(area.x() + (area.width() - frame.width()) / 2,
                                           area.y() + (area.height() - frame.height()) / 2),
                   "centred");
        box.InpCancel()->Press();
    });
    EXPECT_EQ(AskText("Name:", "", ""), "");
    g_ModalDepth = 0;
}

using EditorDialogs = palvane_test::EditorTest;

TEST_F(EditorDialogs, InputBoxAtTheMainWindowCornerInsideTheScreen)
{
    const QRect area = ScreenArea();
    QWidget* mainWindow = Main().Window();
    struct Case {
        QPoint mainAt;
        bool pulledBack;
    };
    for (const Case& c : {Case{QPoint(area.x() + 40, area.y() + 30), false},
                          Case{QPoint(area.right() - 20, area.bottom() - 10), true}}) {
        mainWindow->move(c.mainAt);
        ExpectInputBox(ui, [&](NvoInpBG& box) {
            const QRect frame = box.Window()->frameGeometry();
            const QPoint corner = mainWindow->frameGeometry().topLeft();
            if (c.pulledBack)
                ExpectNear(frame.topLeft(), QPoint(area.x() + area.width() - frame.width(),
                                                   area.y() + area.height() - frame.height()),
                           "inside the screen");
            else
                ExpectNear(frame.topLeft(), corner, "at the corner");
            box.InpCancel()->Press();
        });
        EXPECT_EQ(AskText("Name:", "", ""), "");
    }
}

TEST_F(EditorDialogs, PublishedRecordCarriesTheMainWindowCaption)
{
    g_ModalDepth = 0;
    g_AppBusyFlag = 0;
    PublishAppState(-1, -1);
    EXPECT_EQ(Published(), Main().Caption() + ", 0, 0,-1, 0");
    Main().SetWindowState(winstate::Maximized);
    g_AppBusyFlag = -1;
    PublishAppState(-1, 0);
    EXPECT_EQ(Published(), Main().Caption() + ", 2,-1, 0, 0");
    g_AppBusyFlag = 0;
    PublishAppState(0, 0);
    EXPECT_EQ(Published(), "");
}

}  // namespace
