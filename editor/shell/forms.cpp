#include "editor/shell/forms.h"

#include "editor/shell/errors.h"
#include "platform/winsys/interaction.h"

#include <QApplication>
#include <QCloseEvent>
#include <QWidget>

#include <algorithm>
#include <cstdio>

namespace {

std::vector<Form*>& LoadedForms()
{
    static std::vector<Form*> forms;
    return forms;
}

int g_screenPointer = 0;

}  // namespace

// Turns the user's close request on a form's window into an Unload that the
// form may refuse.
class FormCloseFilter : public QObject {
public:
    explicit FormCloseFilter(Form* form) : form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close || watched != form_->Window() || form_->unloading_)
            return false;
        bool closed = true;
        RunEventProcedure([&] { closed = form_->Unload(unloadmode::ControlMenu); });
        if (closed)
            event->accept();
        else
            event->ignore();
        return true;
    }

private:
    Form* form_;
};

Form::Form(std::string name) : name_(std::move(name)) {}

Form::~Form()
{
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    if (!window_) return;
    if (!QCoreApplication::instance()) {
        // Without an application no window can be destroyed safely; what is
        // left goes with the process.
        (void)window_.release();
        (void)closeFilter_.release();
        return;
    }
    window_->removeEventFilter(closeFilter_.get());
    window_->hide();
    window_.release()->deleteLater();
    closeFilter_.release()->deleteLater();
}

void Form::Load()
{
    if (window_ || loading_) return;
    loading_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{loading_};
    window_ = CreateWindow();
    window_->setObjectName(QString::fromLatin1(name_.c_str()));
    closeFilter_ = std::make_unique<FormCloseFilter>(this);
    window_->installEventFilter(closeFilter_.get());
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
    Form_Unload(cancel);
    if (cancel) return false;
    DestroyWindow();
    return true;
}

void Form::DestroyWindow()
{
    auto& forms = LoadedForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
    ForgetControls();
    if (!window_) return;
    window_->removeEventFilter(closeFilter_.get());
    window_->hide();
    // The window may be destroyed from inside one of its own event handlers,
    // so it goes at the next turn of the event loop.
    window_.release()->deleteLater();
    closeFilter_.release()->deleteLater();
}

void Form::Show()
{
    Load();
    if (!window_) RaiseError(errnum::FormUnloaded);
    window_->show();
}

void Form::Hide()
{
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

QWidget* Form::Window() const
{
    return window_.get();
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
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        g_screenPointer = pointer;
        return;
    }
    if (pointer == 11 && g_screenPointer != 11)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (pointer != 11 && g_screenPointer == 11)
        QApplication::restoreOverrideCursor();
    g_screenPointer = pointer;
}

int ScreenMousePointer()
{
    return g_screenPointer;
}

void RunEventProcedure(const std::function<void()>& procedure)
{
    try {
        procedure();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "Palvane: %s\n", e.what());
        winsys::Ui().MessageBox(e.what(), "Norvo32 - Error", winsys::mb::Critical);
    }
}

namespace {

std::vector<std::pair<std::type_index, std::unique_ptr<Form>>>& Instances()
{
    static std::vector<std::pair<std::type_index, std::unique_ptr<Form>>> instances;
    return instances;
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
