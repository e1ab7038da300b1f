#include "editor/shell/forms.h"

#include "editor/shell/controls.h"
#include "editor/shell/errors.h"
#include "editor/shell/user_action.h"
#include "platform/winsys/interaction.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace {

std::vector<Form*>& LoadedForms()
{
    static std::vector<Form*> forms;
    return forms;
}

int g_screenPointer = mousepointer::Default;

Qt::CursorShape CursorShapeOf(int pointer)
{
    switch (pointer) {
    case mousepointer::Cross: return Qt::CrossCursor;
    case mousepointer::IBeam: return Qt::IBeamCursor;
    case mousepointer::Size:
    case mousepointer::SizeAll: return Qt::SizeAllCursor;
    case mousepointer::SizeNESW: return Qt::SizeBDiagCursor;
    case mousepointer::SizeNS: return Qt::SizeVerCursor;
    case mousepointer::SizeNWSE: return Qt::SizeFDiagCursor;
    case mousepointer::SizeWE: return Qt::SizeHorCursor;
    case mousepointer::UpArrow: return Qt::UpArrowCursor;
    case mousepointer::Hourglass: return Qt::WaitCursor;
    case mousepointer::NoDrop: return Qt::ForbiddenCursor;
    case mousepointer::ArrowHourglass: return Qt::BusyCursor;
    case mousepointer::ArrowQuestion: return Qt::WhatsThisCursor;
    default: return Qt::ArrowCursor;
    }
}

bool ValidPointer(int pointer)
{
    return (pointer >= mousepointer::Default && pointer <= mousepointer::SizeAll) || pointer == mousepointer::Custom;
}

void DefaultReporter(int number, const std::string& description)
{
    std::fprintf(stderr, "Palvane: error %d: %s\n", number, description.c_str());
    winsys::Ui().MessageBox(description, "Norvo32 - Error", winsys::mb::Critical);
}

EventErrorReporter& Reporter()
{
    static EventErrorReporter reporter = DefaultReporter;
    return reporter;
}

void Report(int number, const std::string& description)
{
    // A procedure that failed half-way may have left the hourglass up.
    if (g_screenPointer != mousepointer::Default) SetScreenMousePointer(mousepointer::Default);
    try {
        Reporter()(number, description);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Palvane: error %d: %s (not reported: %s)\n", number, description.c_str(), e.what());
    } catch (...) {
        std::fprintf(stderr, "Palvane: error %d: %s\n", number, description.c_str());
    }
}

Form* FormOfWindow(const QWidget* window)
{
    for (Form* f : LoadedForms())
        if (f->Window() == window) return f;
    return nullptr;
}

}  // namespace

// Turns window-system events of a form's window into its event procedures:
// the user's close request into an Unload the form may refuse, size changes
// of the client area into Form_Resize, activation into Form_Activate.
class FormEventFilter : public QObject {
public:
    explicit FormEventFilter(Form* form) : form_(form) {}
    // The form's window is going: nothing more reaches the form.
    void Detach() { form_ = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!form_) return false;
        QWidget* window = form_->Window();
        if (!window || form_->unloading_) return false;
        switch (event->type()) {
        case QEvent::Close: {
            if (watched != window) return false;
            // The close box of a window other than the one an action waits
            // for closes nothing meanwhile.
            bool closed = !RefusedWhileWaiting(window);
            if (closed) RunEventProcedure([&] { closed = form_->Unload(unloadmode::ControlMenu); });
            else winsys::Ui().Beep();
            if (closed)
                event->accept();
            else
                event->ignore();
            return true;
        }
        case QEvent::Resize:
            if (watched == form_->ClientArea()) RunWindowProcedure([this] { form_->Form_Resize(); });
            return false;
        case QEvent::WindowStateChange:
            // A minimised window keeps its size; its resize procedure still
            // hears of the change.
            if (watched == window && form_->WindowState() == winstate::Minimized)
                RunWindowProcedure([this] { form_->Form_Resize(); });
            return false;
        case QEvent::WindowActivate:
            if (watched != window) return false;
            // The activation Show asked for, whose procedure Show has run.
            if (form_->activationHeard_) {
                form_->activationHeard_ = false;
                return false;
            }
            RunWindowProcedure([this] { form_->Form_Activate(); });
            return false;
        case QEvent::WindowDeactivate:
            if (watched == window) form_->activationHeard_ = false;
            return false;
        default: return false;
        }
    }

private:
    Form* form_;
};

// Key preview: the key events of a form whose KeyPreview is set run its key
// procedures before the control with the focus receives them.
class FormsKeyPreview : public QObject {
public:
    static void Install()
    {
        static QPointer<FormsKeyPreview> installed;
        if (installed || !QCoreApplication::instance()) return;
        installed = new FormsKeyPreview;
        installed->setParent(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(installed);
        // Installed after the preview so that it runs first and sees every
        // key, also those a form keeps from its controls.
        winsys::StartKeyTracking();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || event == replacement_) return false;
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        // The event travels from the focus widget up to its parents; the
        // form sees it once, at the first widget that receives it.
        QWidget* focus = QApplication::focusWidget();
        if (focus ? widget != focus : !widget->isWindow()) return false;
        Form* form = FormOfWindow(widget->window());
        if (!form || !form->KeyPreview) return false;

        auto* key = static_cast<QKeyEvent*>(event);
        int keyCode = winsys::VirtualKey(key->key(), key->modifiers());
        int shift = winsys::ShiftState(key->modifiers());
        if (type == QEvent::KeyRelease) {
            if (keyCode == 0 || key->isAutoRepeat()) return false;
            RunEventProcedure([&] { form->Form_KeyUp(keyCode, shift); }, widget);
            return keyCode == 0;
        }
        if (keyCode != 0) {
            RunEventProcedure([&] { form->Form_KeyDown(keyCode, shift); }, widget);
            if (keyCode == 0) {
                const int typed = form->KeyPressAfterKeyDown ? winsys::KeyAscii(*key) : 0;
                if (typed != 0) {
                    int keyAscii = typed;
                    RunEventProcedure([&] { form->Form_KeyPress(keyAscii); }, widget);
                }
                return true;
            }
        }
        const int typed = winsys::KeyAscii(*key);
        if (typed == 0) return false;
        int keyAscii = typed;
        RunEventProcedure([&] { form->Form_KeyPress(keyAscii); }, widget);
        if (keyAscii == typed) return false;
        if (form->Window()) {
            // The control receives the character the procedure chose.
            DeliverReplacedKey(*key, keyAscii, [&](QKeyEvent* changed) {
                replacement_ = changed;
                QCoreApplication::sendEvent(widget, changed);
                replacement_ = nullptr;
            });
        }
        return true;
    }

private:
    const QEvent* replacement_ = nullptr;
};

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form()
{
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    controls_.clear();
    if (!window_) return;
    if (!QCoreApplication::instance()) {
        // Without an application no window can be destroyed safely; what is
        // left goes with the process.
        (void)window_.release();
        (void)eventFilter_.release();
        return;
    }
    DetachWindow();
}

void Form::DetachWindow()
{
    static_cast<FormEventFilter*>(eventFilter_.get())->Detach();
    window_->removeEventFilter(eventFilter_.get());
    if (client_ && client_ != window_.get()) client_->removeEventFilter(eventFilter_.get());
    client_ = nullptr;
    // The controls' members are already forgotten: no signal of a widget of
    // this window (a focus change while it hides, say) may reach an event
    // procedure any more.
    window_->blockSignals(true);
    for (QObject* child : window_->findChildren<QObject*>()) child->blockSignals(true);
    window_->hide();
    // The window may be destroyed from inside one of its own event handlers,
    // so it goes at the next turn of the event loop.
    window_.release()->deleteLater();
    eventFilter_.release()->deleteLater();
}

void Form::Load()
{
    if (window_ || loading_) return;
    loading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{loading_};
    FormsKeyPreview::Install();
    controls_.clear();
    window_ = CreateWindow();
    window_->setObjectName(ToQ(name_));
    eventFilter_ = std::make_unique<FormEventFilter>(this);
    window_->installEventFilter(eventFilter_.get());
    client_ = ClientArea();
    if (client_ && client_ != window_.get()) client_->installEventFilter(eventFilter_.get());
    if (mousePointer_ != mousepointer::Default) SetMousePointer(mousePointer_);
    LoadedForms().push_back(this);
    Form_Load();
}

bool Form::Unload(int mode)
{
    if (!window_ || unloading_) return true;
    unloading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{unloading_};
    int cancel = 0;
    Form_QueryUnload(cancel, mode);
    if (cancel) return false;
    // While Form_Unload takes the form apart, a focus change (another window
    // activated, a dialog of the form unloaded) must not run a control's
    // event procedure against half-released state: the window's widgets
    // stay quiet, and speak again only if the form refuses to go.
    std::vector<QPointer<QObject>> quieted;
    if (window_) {
        for (QObject* o : window_->findChildren<QObject*>())
            if (!o->signalsBlocked()) quieted.emplace_back(o);
        for (const auto& o : quieted) o->blockSignals(true);
    }
    Form_Unload(cancel);
    if (cancel) {
        for (const auto& o : quieted)
            if (o) o->blockSignals(false);
        return false;
    }
    DestroyWindow();
    return true;
}

void Form::DestroyWindow()
{
    activationHeard_ = false;
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    ForgetControls();
    mousePointer_ = mousepointer::Default;
    if (!window_) {
        controls_.clear();
        return;
    }
    controls_.clear();
    DetachWindow();
}

void Form::Show()
{
    Load();
    if (!window_) RaiseError(errnum::FormUnloaded);
    QWidget* window = window_.get();
    const bool wasActive = QApplication::activeWindow() == window;
    // The active window stays as it is: showing it again activates nothing.
    if (window->isVisible() && wasActive) return;
    activationHeard_ = false;
    window->show();
    window->raise();
    window->activateWindow();
    // A window system that activated the window at once has run the
    // procedure through the window's own activation.
    if (!wasActive && QApplication::activeWindow() == window) return;
    // Otherwise the activation comes later, or not at all when the window
    // system keeps the focus where it is; the form is the active one for
    // the code that showed it, as the runtime's Show makes it.
    activationHeard_ = true;
    Form_Activate();
}

void Form::ShowModal()
{
    Load();
    if (!window_) RaiseError(errnum::FormUnloaded);
    const ModalWait wait(window_.get());
    winsys::Ui().ShowModal(window_.get());
}

void Form::Hide()
{
    activationHeard_ = false;
    if (window_) window_->hide();
}

bool Form::IsLoaded() const
{
    return window_ != nullptr;
}

bool Form::Visible() const
{
    return window_ && window_->isVisible();
}

int Form::WindowState() const
{
    if (!window_) return winstate::Normal;
    const Qt::WindowStates s = window_->windowState();
    if (s & Qt::WindowMinimized) return winstate::Minimized;
    if (s & Qt::WindowMaximized) return winstate::Maximized;
    return winstate::Normal;
}

void Form::SetWindowState(int state)
{
    EnsureLoaded();
    Qt::WindowStates s = window_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == winstate::Minimized)
        s |= Qt::WindowMinimized;
    else if (state == winstate::Maximized)
        s |= Qt::WindowMaximized;
    else if (state != winstate::Normal)
        RaiseError(errnum::InvalidCall);
    window_->setWindowState(s);
}

void Form::SetFocus()
{
    if (!Visible()) RaiseError(errnum::InvalidCall);
    window_->activateWindow();
    window_->setFocus(Qt::OtherFocusReason);
}

std::string Form::Caption() const
{
    return window_ ? FromQ(window_->windowTitle()) : std::string();
}

void Form::SetCaption(const std::string& caption)
{
    EnsureLoaded();
    window_->setWindowTitle(ToQ(caption));
}

void Form::SetMousePointer(int pointer)
{
    if (!ValidPointer(pointer)) RaiseError(errnum::InvalidPropertyValue);
    mousePointer_ = pointer;
    if (!window_) return;
    // A custom pointer is the form's own business (a cursor made elsewhere);
    // the plain ones come from the window system.
    if (pointer == mousepointer::Default)
        window_->unsetCursor();
    else if (pointer != mousepointer::Custom)
        window_->setCursor(CursorShapeOf(pointer));
}

QWidget* Form::Window() const
{
    return window_.get();
}

QObject* Form::FindControl(const std::string& name, int index) const
{
    for (const ControlEntry& c : controls_)
        if (c.name == name && c.index == index) return c.object;
    return nullptr;
}

void Form::AddControl(QObject* control, const std::string& name, int index)
{
    controls_.push_back({name, index, control});
    if (control && control->objectName().isEmpty())
        control->setObjectName(ToQ(index >= 0 ? name + "(" + std::to_string(index) + ")" : name));
}

void Form::EnsureLoaded()
{
    Load();
    if (!window_) RaiseError(errnum::FormUnloaded);
}

const std::vector<Form*>& Forms()
{
    return LoadedForms();
}

void SetScreenMousePointer(int pointer)
{
    if (!ValidPointer(pointer)) RaiseError(errnum::InvalidPropertyValue);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        g_screenPointer = pointer;
        return;
    }
    const bool wasSet = g_screenPointer != mousepointer::Default;
    const bool set = pointer != mousepointer::Default;
    if (set && !wasSet)
        QApplication::setOverrideCursor(CursorShapeOf(pointer));
    else if (set && wasSet)
        QApplication::changeOverrideCursor(CursorShapeOf(pointer));
    else if (!set && wasSet)
        QApplication::restoreOverrideCursor();
    g_screenPointer = pointer;
}

int ScreenMousePointer()
{
    return g_screenPointer;
}

void RunWindowProcedure(const std::function<void()>& procedure)
{
    try {
        procedure();
    } catch (const RuntimeError& e) {
        Report(e.number(), e.what());
    } catch (const std::exception& e) {
        Report(0, e.what());
    } catch (...) {
        Report(0, "Unknown error");
    }
}

void RunEventProcedure(const std::function<void()>& procedure, const QObject* source)
{
    if (RefusedWhileWaiting(source)) {
        winsys::Ui().Beep();
        return;
    }
    RunWindowProcedure([&] { RunAsUserAction(procedure); });
}

EventErrorReporter SetEventErrorReporter(EventErrorReporter reporter)
{
    EventErrorReporter previous = std::move(Reporter());
    Reporter() = reporter ? std::move(reporter) : EventErrorReporter(DefaultReporter);
    return previous;
}

namespace {

// The list outlives every static object: the application object releases
// the forms from its destructor (a post routine), and a program may hold
// that object in a static made before the first form, which is destroyed
// after a static list would be.
std::vector<std::pair<std::type_index, std::unique_ptr<Form>>>& Instances()
{
    static auto* instances = new std::vector<std::pair<std::type_index, std::unique_ptr<Form>>>;
    return *instances;
}

}  // namespace

Form* FindFormInstance(std::type_index type)
{
    for (auto& [t, form] : Instances())
        if (t == type) return form.get();
    return nullptr;
}

Form* AddFormInstance(std::type_index type, std::unique_ptr<Form> form)
{
    // The windows must go while the application object still exists.
    static const bool cleanupRegistered = [] {
        qAddPostRoutine(&ReleaseFormInstances);
        return true;
    }();
    (void)cleanupRegistered;
    Instances().emplace_back(type, std::move(form));
    return Instances().back().second.get();
}

void ReleaseFormInstances()
{
    auto& instances = Instances();
    while (!instances.empty()) {
        std::unique_ptr<Form> last = std::move(instances.back().second);
        instances.pop_back();
        last.reset();
    }
    if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
