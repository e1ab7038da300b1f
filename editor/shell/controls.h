// The controls the editor's forms are made of: Qt widgets with the
// properties and events the editor's procedures use.
//
// Setting a control's value from code raises its event at once, as the
// user's action would (a text box's Change, a list's Click, a check box's
// Click, a scroll bar's Change), and only when the value changes; such an
// event runs inside the code that set the value, so its errors go to that
// code. Events of the user's actions run through RunEventProcedure. Every
// text crosses the widget boundary as Latin-1 (ToQ/FromQ).
#pragma once

#include "editor/shell/event.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include <functional>
#include <optional>
#include <string>

class QKeyEvent;
class QMouseEvent;

// Mouse arguments of the runtime: Button 1 left, 2 right, 4 middle;
// Shift a sum of 1 Shift, 2 Ctrl, 4 Alt.
int MouseButtonCode(Qt::MouseButton button);
int MouseButtonsCode(Qt::MouseButtons buttons);

// Events of a pointer over a control: (Button, Shift, X, Y), X and Y in
// pixels of the control.
using MouseEvent = Event<int, int, double, double>;

// Raises `handlers` for a pointer event through RunEventProcedure: Button
// the button pressed or released (for a move, the buttons held down),
// Shift from the modifiers, X and Y the position less `origin` (the corner
// of the control's contents).
void RaiseMouseEvent(const MouseEvent& handlers, const QMouseEvent& event, const QObject* source, QPointF origin = {});

// A key procedure gave the typed key another character: when `keyAscii` is
// one (1..255), `deliver` receives a copy of the key press `key` that types
// it instead; any other value delivers nothing.
void DeliverReplacedKey(const QKeyEvent& key, int keyAscii, const std::function<void(QKeyEvent*)>& deliver);

// Captions and tags of any control, for the procedures that walk a form's
// controls (the localisation reads the tag as a message id).
bool HasCaption(const QObject* control);
std::string ControlCaption(const QObject* control);
void SetControlCaption(QObject* control, const std::string& caption);
std::string ControlTag(const QObject* control);
void SetControlTag(QObject* control, const std::string& tag);

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);
    std::string Text() const;
    // Raises Change when the text changes.
    void SetText(const std::string& text);

    Event<> Change;
    Event<int&> KeyPress;
    Event<> GotFocus;
    Event<> LostFocus;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool settingFromCode_ = false;
    bool replacing_ = false;
};

class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);

    // The text: the edit field of an editable list, else the selected item.
    std::string Text() const;
    // An editable list takes any text and raises Change; a fixed list
    // selects the item with that text (raising Click) or raises error 383.
    void SetText(const std::string& text);
    // -1 when nothing is selected. Setting it raises Click when it changes;
    // an index outside the list raises error 380.
    int ListIndex() const;
    void SetListIndex(int index);

    void AddItem(const std::string& text, int index = -1);
    void Clear();
    int ListCount() const;
    std::string List(int index) const;

    Event<> Click;
    Event<> Change;
    Event<int&> KeyPress;
    Event<> LostFocus;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool settingFromCode_ = false;
    bool replacing_ = false;
    bool leaving_ = false;  // inside the focus-out
};

class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const std::string& caption, QWidget* parent = nullptr);
    // 0 unchecked, 1 checked, 2 grey. Setting it raises Click when it changes.
    int Value() const;
    void SetValue(int value);

    Event<> Click;

private:
    bool settingFromCode_ = false;
};

class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const std::string& caption, QWidget* parent = nullptr);
    // What setting the button's Value to True does: raises Click.
    void Press();

    Event<> Click;
    MouseEvent MouseDown;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const std::string& caption = {}, QWidget* parent = nullptr);
    std::string Caption() const;
    void SetCaption(const std::string& caption);
    // Repaints at once, also inside a long loop; a label whose whole face
    // already shows its text as it is is not painted again.
    void Refresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The text the last paint of the whole label showed; unset when none
    // did, or when the look changed since.
    std::optional<QString> shown_;
};

class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);
    // Setting it raises Change when it changes; a value outside Min..Max
    // raises error 380.
    int Value() const { return value(); }
    void SetValue(int value);
    void SetRange(int min, int max);
    void SetSmallChange(int step) { setSingleStep(step); }
    void SetLargeChange(int step) { setPageStep(step); }

    // A new value: code, a click, a key, or the end of a drag.
    Event<> Change;
    // The thumb being dragged.
    Event<> Scroll;

private:
    bool settingFromCode_ = false;
};

// A frame holding other controls.
class Panel : public QFrame {
    Q_OBJECT
public:
    explicit Panel(QWidget* parent = nullptr);
    MouseEvent MouseDown;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
