#include "editor/shell/controls.h"

#include "editor/shell/errors.h"
#include "editor/shell/forms.h"
#include "editor/shell/menus.h"
#include "platform/winsys/keyboard.h"
#include "platform/winsys/latin1.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QToolButton>
#include <QVariant>

namespace {

constexpr const char* kTagProperty = "Tag";

// Runs a control's KeyPress for a key that types a character. Returns true
// when the control is to handle the event as it is; false when the
// procedure kept the key from it (KeyAscii 0) or gave it another character,
// which has then been delivered in its place.
bool PassKeyPress(Event<int&>& keyPress, QWidget* target, QKeyEvent* event, bool& replacing,
                  void (*deliver)(QWidget*, QKeyEvent*))
{
    const int typed = winsys::KeyAscii(*event);
    if (typed == 0 || replacing || !keyPress.HasHandlers()) return true;
    int keyAscii = typed;
    RunEventProcedure([&] { keyPress.Raise(keyAscii); }, target);
    if (keyAscii == typed) return true;
    DeliverReplacedKey(*event, keyAscii, [&](QKeyEvent* changed) {
        replacing = true;
        deliver(target, changed);
        replacing = false;
    });
    return false;
}

}  // namespace

int MouseButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int MouseButtonsCode(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

void DeliverReplacedKey(const QKeyEvent& key, int keyAscii, const std::function<void(QKeyEvent*)>& deliver)
{
    if (keyAscii <= 0 || keyAscii > 0xFF) return;
    QKeyEvent changed(QEvent::KeyPress, key.key(), key.modifiers(), QString(QChar(static_cast<char16_t>(keyAscii))),
                      key.isAutoRepeat());
    deliver(&changed);
}

void RaiseMouseEvent(const MouseEvent& handlers, const QMouseEvent& event, const QObject* source, QPointF origin)
{
    const int button =
        event.type() == QEvent::MouseMove ? MouseButtonsCode(event.buttons()) : MouseButtonCode(event.button());
    const int shift = winsys::ShiftState(event.modifiers());
    const QPointF at = event.position() - origin;
    RunEventProcedure([&] { handlers.Raise(button, shift, at.x(), at.y()); }, source);
}

bool HasCaption(const QObject* control)
{
    if (dynamic_cast<const MenuItem*>(control)) return true;
    if (qobject_cast<const QToolButton*>(control)) return false;  // picture buttons
    if (qobject_cast<const QAbstractButton*>(control) || qobject_cast<const QLabel*>(control) ||
        qobject_cast<const QGroupBox*>(control))
        return true;
    const auto* widget = qobject_cast<const QWidget*>(control);
    return widget && widget->isWindow();
}

std::string ControlCaption(const QObject* control)
{
    if (const auto* item = dynamic_cast<const MenuItem*>(control)) return item->Caption();
    if (qobject_cast<const QToolButton*>(control)) return {};
    if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return FromQ(button->text());
    if (const auto* label = qobject_cast<const QLabel*>(control)) return FromQ(label->text());
    if (const auto* group = qobject_cast<const QGroupBox*>(control)) return FromQ(group->title());
    if (const auto* widget = qobject_cast<const QWidget*>(control); widget && widget->isWindow())
        return FromQ(widget->windowTitle());
    return {};
}

void SetControlCaption(QObject* control, const std::string& caption)
{
    if (auto* item = dynamic_cast<MenuItem*>(control)) {
        item->SetCaption(caption);
    } else if (qobject_cast<QToolButton*>(control)) {
        return;
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(ToQ(caption));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(ToQ(caption));
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(ToQ(caption));
    } else if (auto* widget = qobject_cast<QWidget*>(control); widget && widget->isWindow()) {
        widget->setWindowTitle(ToQ(caption));
    }
}

std::string ControlTag(const QObject* control)
{
    if (!control) return {};
    const QByteArray tag = control->property(kTagProperty).toByteArray();
    return std::string(tag.constData(), static_cast<size_t>(tag.size()));
}

void SetControlTag(QObject* control, const std::string& tag)
{
    if (control) control->setProperty(kTagProperty, QByteArray(tag.data(), static_cast<qsizetype>(tag.size())));
}

// ---- TextBox ----------------------------------------------------------------

TextBox::TextBox(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (!settingFromCode_) RunEventProcedure([this] { Change.Raise(); }, this);
    });
}

std::string TextBox::Text() const
{
    return FromQ(text());
}

void TextBox::SetText(const std::string& value)
{
    const QString q = ToQ(value);
    if (q == text()) return;
    settingFromCode_ = true;
    setText(q);
    settingFromCode_ = false;
    Change.Raise();
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (PassKeyPress(KeyPress, this, event, replacing_,
                     [](QWidget* w, QKeyEvent* e) { static_cast<TextBox*>(w)->keyPressEvent(e); }))
        QLineEdit::keyPressEvent(event);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    if (signalsBlocked()) return;
    RunEventProcedure([this] { GotFocus.Raise(); });
}

void TextBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // A box of a window being unloaded (its signals blocked) reaches no
    // event procedure: the form has forgotten its controls.
    if (signalsBlocked()) return;
    RunEventProcedure([this] { LostFocus.Raise(); });
}

// ---- ComboBox ---------------------------------------------------------------

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this] {
        if (!leaving_) RunEventProcedure([this] { Click.Raise(); }, this);
    });
}

std::string ComboBox::Text() const
{
    return FromQ(currentText());
}

void ComboBox::SetText(const std::string& value)
{
    const QString q = ToQ(value);
    if (isEditable()) {
        if (q == currentText()) return;
        settingFromCode_ = true;
        setEditText(q);
        settingFromCode_ = false;
        Change.Raise();
        return;
    }
    const int index = findText(q, Qt::MatchExactly);
    if (index < 0) RaiseError(errnum::TextPropertyReadOnly);
    SetListIndex(index);
}

int ComboBox::ListIndex() const
{
    return currentIndex();
}

void ComboBox::SetListIndex(int index)
{
    if (index < -1 || index >= count()) RaiseError(errnum::InvalidPropertyValue);
    if (index == currentIndex()) return;
    settingFromCode_ = true;
    setCurrentIndex(index);
    settingFromCode_ = false;
    Click.Raise();
}

void ComboBox::AddItem(const std::string& text, int index)
{
    if (index < -1 || index > count()) RaiseError(errnum::InvalidPropertyValue);
    insertItem(index < 0 ? count() : index, ToQ(text));
}

void ComboBox::Clear()
{
    clear();
    if (isEditable()) clearEditText();
}

int ComboBox::ListCount() const
{
    return count();
}

std::string ComboBox::List(int index) const
{
    if (index < 0 || index >= count()) return {};
    return FromQ(itemText(index));
}

void ComboBox::keyPressEvent(QKeyEvent* event)
{
    if (PassKeyPress(KeyPress, this, event, replacing_,
                     [](QWidget* w, QKeyEvent* e) { static_cast<ComboBox*>(w)->keyPressEvent(e); }))
        QComboBox::keyPressEvent(event);
}

void ComboBox::focusOutEvent(QFocusEvent* event)
{
    // An editable box that loses the focus selects the item its text names
    // and reports it as activated; no one clicked, so no Click (the
    // LostFocus procedure decides what the leaving means).
    leaving_ = true;
    QComboBox::focusOutEvent(event);
    leaving_ = false;
    if (signalsBlocked()) return;
    RunEventProcedure([this] { LostFocus.Raise(); });
}

// ---- CheckBox ---------------------------------------------------------------

CheckBox::CheckBox(const std::string& caption, QWidget* parent) : QCheckBox(ToQ(caption), parent)
{
    connect(this, &QCheckBox::clicked, this, [this] {
        if (!settingFromCode_) RunEventProcedure([this] { Click.Raise(); }, this);
    });
}

int CheckBox::Value() const
{
    switch (checkState()) {
    case Qt::Checked: return 1;
    case Qt::PartiallyChecked: return 2;
    default: return 0;
    }
}

void CheckBox::SetValue(int value)
{
    if (value < 0 || value > 2) RaiseError(errnum::InvalidPropertyValue);
    if (value == Value()) return;
    settingFromCode_ = true;
    if (value == 2) setTristate(true);
    setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    settingFromCode_ = false;
    Click.Raise();
}

// ---- CommandButton ----------------------------------------------------------

CommandButton::CommandButton(const std::string& caption, QWidget* parent) : QPushButton(ToQ(caption), parent)
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] { RunEventProcedure([this] { Click.Raise(); }, this); });
}

void CommandButton::Press()
{
    Click.Raise();
}

void CommandButton::mousePressEvent(QMouseEvent* event)
{
    RaiseMouseEvent(MouseDown, *event, this);
    QPushButton::mousePressEvent(event);
}

// ---- Label ------------------------------------------------------------------

Label::Label(const std::string& caption, QWidget* parent) : QLabel(ToQ(caption), parent)
{
    setTextFormat(Qt::PlainText);
}

std::string Label::Caption() const
{
    return FromQ(text());
}

void Label::SetCaption(const std::string& caption)
{
    setText(ToQ(caption));
}

void Label::Refresh()
{
    if (!isVisible() || shown_ == text()) return;
    repaint();
}

void Label::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (event->rect().contains(rect()))
        shown_ = text();
    else
        shown_.reset();
}

void Label::changeEvent(QEvent* event)
{
    shown_.reset();
    QLabel::changeEvent(event);
}

void Label::resizeEvent(QResizeEvent* event)
{
    shown_.reset();
    QLabel::resizeEvent(event);
}

// ---- ScrollBar --------------------------------------------------------------

ScrollBar::ScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent)
{
    // Change comes when the thumb is let go; Scroll while it is dragged.
    setTracking(false);
    connect(this, &QScrollBar::valueChanged, this, [this] {
        if (!settingFromCode_) RunEventProcedure([this] { Change.Raise(); }, this);
    });
    connect(this, &QScrollBar::sliderMoved, this, [this] { RunEventProcedure([this] { Scroll.Raise(); }, this); });
}

void ScrollBar::SetValue(int value)
{
    if (value < minimum() || value > maximum()) RaiseError(errnum::InvalidPropertyValue);
    if (value == this->value()) return;
    settingFromCode_ = true;
    setValue(value);
    settingFromCode_ = false;
    Change.Raise();
}

void ScrollBar::SetRange(int min, int max)
{
    settingFromCode_ = true;
    const int before = value();
    setRange(min, max);
    settingFromCode_ = false;
    // A range that leaves the old value outside moves it, as a change.
    if (value() != before) Change.Raise();
}

// ---- Panel ------------------------------------------------------------------

Panel::Panel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::StyledPanel);
    setFrameShadow(QFrame::Raised);
}

void Panel::mousePressEvent(QMouseEvent* event)
{
    RaiseMouseEvent(MouseDown, *event, this);
    QFrame::mousePressEvent(event);
}
