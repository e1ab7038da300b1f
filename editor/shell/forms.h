// The forms runtime: windows that behave as the editor's procedures expect.
//
// A form's instance lives apart from its window: Load builds the window and
// its controls and runs Form_Load; Unload runs Form_QueryUnload and
// Form_Unload and destroys the window, while the instance (and every
// reference held to it) stays valid and can be loaded again. Loaded forms
// are kept in the forms collection in load order.
//
// A form registers its controls in creation order (AddControl) so that they
// can be enumerated with their names, indexes, captions and tags (the
// localisation walks them). Window-system events reach the form's event
// procedures through RunEventProcedure, which reports what escapes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class QWidget;
class QObject;

// Unload modes passed to Form_QueryUnload.
namespace unloadmode {
constexpr int ControlMenu = 0;  // the user closed the window
constexpr int Code = 1;         // Unload from code
}  // namespace unloadmode

// Window states.
namespace winstate {
constexpr int Normal = 0;
constexpr int Minimized = 1;
constexpr int Maximized = 2;
}  // namespace winstate

// Mouse pointers, with the runtime's numbering.
namespace mousepointer {
constexpr int Default = 0;
constexpr int Arrow = 1;
constexpr int Cross = 2;
constexpr int IBeam = 3;
constexpr int Icon = 4;
constexpr int Size = 5;
constexpr int SizeNESW = 6;
constexpr int SizeNS = 7;
constexpr int SizeNWSE = 8;
constexpr int SizeWE = 9;
constexpr int UpArrow = 10;
constexpr int Hourglass = 11;
constexpr int NoDrop = 12;
constexpr int ArrowHourglass = 13;
constexpr int ArrowQuestion = 14;
constexpr int SizeAll = 15;
constexpr int Custom = 99;
}  // namespace mousepointer

class Form {
public:
    explicit Form(std::string name);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return name_; }

    // Builds the window and runs Form_Load; nothing when already loaded.
    void Load();
    // Asks Form_QueryUnload and Form_Unload; unless one of them cancels,
    // destroys the window. Returns false when the unload was cancelled.
    // Nothing happens (true) when the form is not loaded.
    bool Unload(int mode = unloadmode::Code);
    // Loads the form when needed, shows it and makes it the active window.
    // A form that was not the active window hears Form_Activate before Show
    // returns, whether it was just loaded, hidden or already shown behind
    // another window (a modeless tool window shown again for the next pick
    // sets itself up there); the window system's own report of that
    // activation is not heard a second time. Raises error 364 when the form
    // unloaded itself while loading.
    void Show();
    // Loads the form when needed and shows it modally through the
    // interaction interface; returns when it is hidden or unloaded.
    void ShowModal();
    void Hide();

    bool IsLoaded() const;
    bool Visible() const;
    int WindowState() const;
    void SetWindowState(int state);
    // Gives the window the input focus; raises error 5 when it is not shown.
    void SetFocus();

    // The window's title; setting it loads the form.
    std::string Caption() const;
    void SetCaption(const std::string& caption);

    // The form's mouse pointer (mousepointer::...), over the window and the
    // controls that have none of their own. Back to Default on unload.
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);

    // When true, the form's key events run before the control with the
    // focus sees the key; setting KeyCode or KeyAscii to 0 keeps it from
    // the control, another KeyAscii changes the character it gets.
    bool KeyPreview = false;
    // With key preview: when true, a character key whose KeyCode the form's
    // KeyDown set to 0 still reaches the form's KeyPress (the key stays kept
    // from the control), so that a key can be both consumed and typed.
    bool KeyPressAfterKeyDown = false;

    // The form's window while loaded, else null.
    QWidget* Window() const;

    // The controls in the order they were created, while loaded.
    struct ControlEntry {
        std::string name;
        int index = -1;  // index in its control array; -1 for a single control
        QObject* object = nullptr;
    };
    const std::vector<ControlEntry>& Controls() const { return controls_; }
    // A control by name (and index), else null.
    QObject* FindControl(const std::string& name, int index = -1) const;

protected:
    // Builds the window with its controls. Called by Load.
    virtual std::unique_ptr<QWidget> CreateWindow() = 0;
    // Forgets the pointers to the controls of the window being destroyed.
    virtual void ForgetControls() {}
    // The widget whose size changes run Form_Resize: the window, or the
    // client area of a main window.
    virtual QWidget* ClientArea() const { return Window(); }

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*mode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}
    virtual void Form_Resize() {}
    virtual void Form_Activate() {}
    virtual void Form_KeyDown(int& /*KeyCode*/, int& /*Shift*/) {}
    virtual void Form_KeyPress(int& /*KeyAscii*/) {}
    virtual void Form_KeyUp(int& /*KeyCode*/, int& /*Shift*/) {}

    // Registers a control of the window being built, in creation order.
    void AddControl(QObject* control, const std::string& name, int index = -1);

    // Loads the form if it is not loaded: code that touches a control of an
    // unloaded form loads it first.
    void EnsureLoaded();

private:
    friend class FormEventFilter;
    friend class FormsKeyPreview;
    void DestroyWindow();
    void DetachWindow();

    std::string name_;
    std::unique_ptr<QWidget> window_;
    QWidget* client_ = nullptr;
    std::unique_ptr<QObject> eventFilter_;
    std::vector<ControlEntry> controls_;
    int mousePointer_ = mousepointer::Default;
    bool loading_ = false;
    bool unloading_ = false;
    // Show ran Form_Activate itself: the activation the window system
    // reports next is that one.
    bool activationHeard_ = false;
};

// The loaded forms in load order.
const std::vector<Form*>& Forms();

// The screen's mouse pointer (mousepointer::...): any value but Default
// shows over every window of the application.
void SetScreenMousePointer(int pointer);
int ScreenMousePointer();

// Runs the event procedure of a user's input (a click, a key, a menu
// command, a control's change) as one action of the user: one change group
// for all it changes (user_action.h). What escapes it is reported through
// the event-error reporter, the screen's pointer goes back to the default,
// and the window stays usable. Input on `source` while an action waits for
// another window starts nothing: the user hears a beep.
void RunEventProcedure(const std::function<void()>& procedure, const QObject* source = nullptr);
// Runs the event procedure of a window-system event that is no action of
// the user (paint, resize, activation), reporting what escapes in the same
// way, without a change group of its own.
void RunWindowProcedure(const std::function<void()>& procedure);

// Reports an error that escaped an event procedure: `number` is the runtime
// error number (0 when the error carried none).
using EventErrorReporter = std::function<void(int number, const std::string& description)>;
// Replaces the reporter (null restores the built-in one, which writes to
// standard error and shows a message box); returns the one it replaces.
EventErrorReporter SetEventErrorReporter(EventErrorReporter reporter);

// The single program-wide instance of each form class, as every procedure
// reaches it by the form's name. Created on first use, not loaded.
Form* FindFormInstance(std::type_index type);
Form* AddFormInstance(std::type_index type, std::unique_ptr<Form> form);

template <class T>
T& FormInstance()
{
    if (Form* found = FindFormInstance(typeid(T))) return static_cast<T&>(*found);
    return static_cast<T&>(*AddFormInstance(typeid(T), std::make_unique<T>()));
}

// Destroys every form instance, last created first. Runs by itself when the
// application object is destroyed.
void ReleaseFormInstances();
