#include "editor/shell/user_action.h"

#include "editor/shell/design_change.h"
#include "editor/shell/forms.h"
#include "editor/shell/platform_calls.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/nested_runs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

namespace {

int g_actionDepth = 0;
std::function<void()> g_actionStart;
// The windows actions wait for, innermost last.
std::vector<const QWidget*> g_waits;

// The window a user's input on `source` is for: a popup menu counts as the
// window it opened from.
const QWidget* InputWindow(const QObject* source)
{
    const QObject* object = source;
    while (object && !object->isWidgetType()) object = object->parent();
    const QWidget* window = object ? static_cast<const QWidget*>(object)->window() : nullptr;
    while (window && window->windowType() == Qt::Popup && window->parentWidget())
        window = window->parentWidget()->window();
    return window;
}

// 3: put back after a failed step; 5: a step failed before anything
// changed; 4: put back.
constexpr int32_t kPutBackRefused = 3, kRefusedUnchanged = 5, kPutBack = 4;

bool IsEditorWindow(const QWidget* window)
{
    for (const Form* form : Forms())
        if (form->Window() == window) return true;
    return false;
}

// While an action waits for a window, the mouse and the keyboard on the
// editor's other windows reach nothing there: a button would take its
// pressed look, a list its new line, a box the key typed, before the event
// procedure that the input raises is refused. A press or a key is answered
// with one beep; a release, a move or the wheel quietly with nothing.
// Windows that are not the editor's (a message box the waited window asks)
// take their input as ever.
class InputOnOtherWindows : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        bool beep = false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            beep = true;
            break;
        case QEvent::KeyPress:
            beep = !static_cast<QKeyEvent*>(event)->isAutoRepeat();
            break;
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyRelease:
        case QEvent::ContextMenu:
            break;
        default:
            return false;
        }
        if (!watched->isWidgetType() || !RefusedWhileWaiting(watched) || !IsEditorWindow(InputWindow(watched)))
            return false;
        if (beep) winsys::Ui().Beep();
        return true;
    }
};

QPointer<InputOnOtherWindows> g_inputFilter;

}  // namespace

void RunAsUserAction(const std::function<void()>& action)
{
    struct Depth {
        Depth() { ++g_actionDepth; }
        ~Depth() { --g_actionDepth; }
    } depth;
    // Without a design there is nothing to keep whole.
    if (DB_BeginChange() != 1) {
        action();
        return;
    }
    const bool outermost = DB_ChangeDepth() == 1;
    if (outermost && g_actionStart) g_actionStart();
    const int endedByClose = winsys::RunsEndedByClose();
    try {
        action();
    } catch (...) {
        const int32_t result = DB_EndChange(0);
        if (outermost && (result == kPutBack || result == kPutBackRefused)) TellDesignPutBack(PutBackReason::Error);
        throw;
    }
    if (winsys::RunsEndedByClose() != endedByClose) {
        const int32_t result = DB_EndChange(0);
        if (outermost && (result == kPutBack || result == kPutBackRefused)) TellDesignPutBack(PutBackReason::Closing);
        return;
    }
    const int32_t result = DB_EndChange(2);
    if (outermost && (result == kPutBackRefused || result == kRefusedUnchanged))
        TellDesignPutBack(PutBackReason::Refused);
}

void SetActionStartHandler(std::function<void()> handler)
{
    g_actionStart = std::move(handler);
}

bool RefusedWhileWaiting(const QObject* source)
{
    if (g_waits.empty() || g_actionDepth == 0 || !source) return false;
    const QWidget* window = InputWindow(source);
    return window && window != g_waits.back();
}

bool UserActionRunning()
{
    return g_actionDepth > 0;
}

ModalWait::ModalWait(const QWidget* window)
{
    g_waits.push_back(window ? window->window() : nullptr);
    if (g_inputFilter || !qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    g_inputFilter = new InputOnOtherWindows;
    QCoreApplication::instance()->installEventFilter(g_inputFilter);
}

ModalWait::~ModalWait()
{
    g_waits.pop_back();
    if (g_waits.empty() && g_inputFilter) delete g_inputFilter.data();
}
