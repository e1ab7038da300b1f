// The forms runtime: windows that behave as the editor's procedures expect.
//
// A form's instance lives apart from its window: Load builds the window and
// its controls and runs Form_Load; Unload runs Form_QueryUnload and
// Form_Unload and destroys the window, while the instance (and every
// reference held to it) stays valid and can be loaded again. Loaded forms
// are kept in the forms collection in load order.
#pragma once

#include <memory>
#include <typeindex>
#include <string>
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
    // Loads the form when needed and shows it. Raises error 364 when the
    // form unloaded itself while loading.
    void Show();
    void Hide();

    bool IsLoaded() const;
    bool Visible() const;
    int WindowState() const;
    void SetWindowState(int state);
    // Gives the window the input focus; raises error 5 when it is not shown.
    void SetFocus();

    // The form's window while loaded, else null.
    QWidget* Window() const;

protected:
    // Builds the window with its controls. Called by Load.
    virtual std::unique_ptr<QWidget> CreateWindow() = 0;
    // Forgets the pointers to the controls of the window being destroyed.
    virtual void ForgetControls() {}

    virtual void Form_Load() {}
    virtual void Form_QueryUnload(int& /*cancel*/, int /*mode*/) {}
    virtual void Form_Unload(int& /*cancel*/) {}

    // Loads the form if it is not loaded: code that touches a control of an
    // unloaded form loads it first.
    void EnsureLoaded();

private:
    friend class FormCloseFilter;
    void DestroyWindow();

    std::string name_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<QObject> closeFilter_;
    bool loading_ = false;
    bool unloading_ = false;
};

// The loaded forms in load order.
const std::vector<Form*>& Forms();

// The screen's mouse pointer: 11 the hourglass, 0 the default.
void SetScreenMousePointer(int pointer);
int ScreenMousePointer();

#include <functional>

// Runs an event procedure for a window-system event: an error that escapes
// it is reported and the window stays usable.
void RunEventProcedure(const std::function<void()>& procedure);

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
