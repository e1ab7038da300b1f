#include "tests/host/host_fixture.h"

#include "editor/shell/controls.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "editor/shell/nvoinpbg.h"
#include "editor/shell/ribbon.h"
#include "editor/shell/schmain.h"
#include "editor/shell/textnum.h"
#include "editor/view/canvas.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/winsys/nested_runs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace palvane_test {

namespace {

constexpr int32_t kStep = 254000;  // 0.1 inch in database units

}  // namespace

void HostInProcess::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    const QString copy = dir.filePath("demo.nvd");
    ASSERT_TRUE(QFile::copy(COMPILED_DATA_DIR "/demo/demo.nvd", copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    design = copy.toStdString();
    ASSERT_EQ(pipe(input_), 0);
    // The job folder (temporary backups) is the test's own, never the
    // user's nor another test's running beside it.
    setenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit().constData(), 1);
    E_SetString("IniFile", COMPILED_DATA_DIR "/norvo32.ini");
    CatchEndSignals();
    // The close of an earlier test's host in this process stays requested
    // after its window has gone: every dialog of the next editor would end
    // at once.
    winsys::ClearCloseRequest();
}

void HostInProcess::TearDown()
{
    for (int& fd : input_) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

int HostInProcess::Run(const std::function<void(SCHMAIN&)>& started)
{
    HostOptions options;
    options.designFile = design;
    options.dataFolder = COMPILED_DATA_DIR;
    options.commandInput = input_[0];
    options.started = [&started](PalvaneInstance*) {
        // The user starts once the event loop runs.
        QTimer::singleShot(0, qApp, [&started] {
            if (g_MainForm) started(*g_MainForm);
        });
    };
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = RunHost(options);
    out = testing::internal::GetCapturedStdout();
    err = testing::internal::GetCapturedStderr();
    // What the test reported while the host's output was captured.
    if (HasFailure()) std::printf("host output:\n%s\nhost errors:\n%s\n", out.c_str(), err.c_str());
    return status;
}

void HostInProcess::Send(const std::string& line)
{
    const std::string text = line + "\n";
    ASSERT_EQ(write(input_[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::string HostInProcess::Errors() const
{
    std::string kept;
    size_t start = 0;
    while (start < err.size()) {
        size_t end = err.find('\n', start);
        if (end == std::string::npos) end = err.size();
        const std::string line = err.substr(start, end - start);
        if (line.rfind("This plugin does not support", 0) != 0) kept += line + "\n";
        start = end + 1;
    }
    return kept;
}

bool RunUntil(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(60000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void Trigger(MenuItem* item)
{
    ASSERT_TRUE(item);
    for (QObject* owner : item->Action()->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(owner)) emit menu->aboutToShow();
    ASSERT_TRUE(item->Action()->isEnabled());
    item->Action()->trigger();
}

void ChooseMode(SCHMAIN& main, int mode)
{
    main.M_FSI(mode)->Action()->trigger();
}

void PressFunction(SCHMAIN& main, int function)
{
    QTest::mouseClick(main.F_FSI(function), Qt::LeftButton);
}

void SetOption(SCHMAIN& main, int option, bool on)
{
    if (main.F_OST(option)->Value() != on) QTest::mouseClick(main.F_OST(option), Qt::LeftButton);
}

QPoint PixelOf(SCHMAIN& main, int32_t x, int32_t y)
{
    main.OpenCanvasDC();
    int32_t p[2] = {x, y};
    G_LPtoDP(p);
    main.CloseCanvasDC();
    return {p[0], p[1]};
}

void ClickPage(SCHMAIN& main, double stepsX, double stepsY)
{
    // A canvas resized and not yet painted ignores the pointer.
    if (main.m_ResizePending) main.RefreshCanvas();
    const QPoint p = PixelOf(main, static_cast<int32_t>(stepsX * kStep), static_cast<int32_t>(stepsY * kStep));
    EXPECT_TRUE(main.ViewPicture->rect().contains(p)) << p.x() << "," << p.y();
    QTest::mouseMove(main.ViewPicture, p);
    QTest::mouseClick(main.ViewPicture, Qt::LeftButton, {}, p);
}

void ChoosePage(SCHMAIN& main, const std::string& page)
{
    for (int i = 0; i < main.F_Pages->ListCount(); ++i)
        if (main.F_Pages->List(i) == page) {
            main.F_Pages->SetListIndex(i);
            return;
        }
    ADD_FAILURE() << "no page " << page << " in the page list";
}

void WhenShown(std::function<bool()> shown, std::function<void()> act)
{
    // A timer that looks at each turn of the loop, so that the user's steps
    // before the window (a pointer move, say) run on meanwhile.
    auto* poll = new QTimer(qApp);
    auto deadline = std::make_shared<QDeadlineTimer>(60000);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, deadline, shown = std::move(shown), act = std::move(act)] {
        if (shown()) {
            poll->stop();
            poll->deleteLater();
            act();
        } else if (deadline->hasExpired()) {
            poll->stop();
            poll->deleteLater();
            ADD_FAILURE() << "the window the step waits for did not show";
        }
    });
    poll->start(5);
}

void Answer(QMessageBox::StandardButton button, BoxSeen* seen)
{
    WhenShown([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; },
              [button, seen] {
                  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                  if (seen) *seen = {box->text().toStdString(), box->windowTitle().toStdString()};
                  QAbstractButton* answer = box->button(button);
                  ASSERT_TRUE(answer) << box->text().toStdString();
                  answer->click();
              });
}

void Type(const std::string& text)
{
    WhenShown([] { return FormInstance<NvoInpBG>().Visible(); },
              [text] {
                  NvoInpBG& input = FormInstance<NvoInpBG>();
                  input.InpText()->SetText(text);
                  input.InpOK()->click();
              });
}

void ChoosePopupItem(MenuItem* item)
{
    WhenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
              [item] {
                  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                  const QRect place = menu->actionGeometry(item->Action());
                  ASSERT_FALSE(place.isEmpty()) << item->Caption() << " is not in the popup menu";
                  QTest::mouseMove(menu, place.center());
                  QTest::mouseClick(menu, Qt::LeftButton, {}, place.center());
              });
}

std::vector<std::string> PagesInDatabase()
{
    std::vector<std::string> names;
    const int32_t map = DB_PageMap();
    int32_t position = OM_GetFirst(map);
    for (int32_t page; (page = OM_SearchMask(map, &position, 0, 0)) > 0;)
        names.push_back(PtrToStr(O_GetName(OM_Object(map, page))));
    return names;
}

std::vector<std::string> PageList(SCHMAIN& main)
{
    std::vector<std::string> names;
    for (int i = 0; i < main.F_Pages->ListCount(); ++i) names.push_back(main.F_Pages->List(i));
    return names;
}

}  // namespace palvane_test
