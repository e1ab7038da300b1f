#include "platform/winsys/keyboard.h"
#include "platform/winsys/nested_runs.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <memory>
#include <set>
#include <vector>

namespace winsys {

int VirtualKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    const bool keypad = modifiers & Qt::KeypadModifier;
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return vk::Numpad0 + (qtKey - Qt::Key_0);
        switch (qtKey) {
        case Qt::Key_Asterisk: return vk::Multiply;
        case Qt::Key_Plus: return vk::Add;
        case Qt::Key_Minus: return vk::Subtract;
        case Qt::Key_Period:
        case Qt::Key_Comma: return vk::Decimal;
        case Qt::Key_Slash: return vk::Divide;
        case Qt::Key_Enter: return vk::Return;
        default: break;  // keypad navigation keys map as the main ones
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vk::F1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return vk::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::Tab;
    case Qt::Key_Clear: return vk::Clear;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::Return;
    case Qt::Key_Shift: return vk::Shift;
    case Qt::Key_Control: return vk::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return vk::Menu;
    case Qt::Key_Pause: return vk::Pause;
    case Qt::Key_CapsLock: return vk::Capital;
    case Qt::Key_Escape: return vk::Escape;
    case Qt::Key_Space: return vk::Space;
    case Qt::Key_PageUp: return vk::Prior;
    case Qt::Key_PageDown: return vk::Next;
    case Qt::Key_End: return vk::End;
    case Qt::Key_Home: return vk::Home;
    case Qt::Key_Left: return vk::Left;
    case Qt::Key_Up: return vk::Up;
    case Qt::Key_Right: return vk::Right;
    case Qt::Key_Down: return vk::Down;
    case Qt::Key_Insert: return vk::Insert;
    case Qt::Key_Delete: return vk::Delete;
    case Qt::Key_NumLock: return vk::NumLock;
    case Qt::Key_ScrollLock: return vk::Scroll;
    // The shifted digits of a US keyboard are their digit keys.
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    // Punctuation keys (the system's "OEM" codes).
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    default: return 0;
    }
}

int ShiftState(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier) shift |= shiftmask::Shift;
    if (modifiers & Qt::ControlModifier) shift |= shiftmask::Ctrl;
    if (modifiers & Qt::AltModifier) shift |= shiftmask::Alt;
    return shift;
}

int KeyAscii(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.size() != 1) return 0;
    const char16_t c = text.at(0).unicode();
    if (c == 0 || c > 0xFF) return 0;
    return c;
}

namespace {

bool IsDeferredEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::ContextMenu:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::Close:
    case QEvent::WindowStateChange: return true;
    default: return false;
    }
}

// Follows key presses and releases; while a poll takes in the pending key
// events, holds back every other input so that nothing runs inside the
// polling loop, and hands it on when control is back in the event loop.
class KeyTracker : public QObject {
public:
    KeyTracker()
    {
        flush_.setSingleShot(true);
        flush_.setInterval(0);
        QObject::connect(&flush_, &QTimer::timeout, this, [this] { Flush(); });
    }

    void Poll()
    {
        if (polling_) return;
        polling_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{polling_};
        // Counted as a nested run: nothing that waits for the event loop to
        // unwind runs inside the poll (a paint polls between its stages).
        NestedRun run;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    void Reset()
    {
        down_.fill(false);
        pressed_.fill(false);
    }

    bool Down(int key) const { return down_[key]; }
    bool TakePressed(int key)
    {
        const bool result = down_[key] || pressed_[key];
        pressed_[key] = false;
        return result;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease) Track(static_cast<QKeyEvent*>(event));
        if (!polling_) return false;
        // A timer whose event is held back fires again later; the one that
        // hands the held input on fires only once the poll is over.
        if (type == QEvent::Timer) return true;
        if (!watched->isWindowType() || !IsDeferredEvent(type)) return false;
        held_.push_back({QPointer<QObject>(watched), std::unique_ptr<QEvent>(event->clone())});
        flush_.start();
        return true;
    }

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
    };
    struct Seen {
        const void* address = nullptr;
        int type = 0;
        int key = 0;
        quint64 timestamp = 0;
        bool operator==(const Seen&) const = default;
    };

    void Track(const QKeyEvent* event)
    {
        // The window and then the focus widget receive the same event; it
        // counts once. Events held back by a poll were counted when held.
        const Seen seen{event, event->type(), event->key(), event->timestamp()};
        if (seen == last_) return;
        last_ = seen;
        if (counted_.erase(event)) return;
        const int key = VirtualKey(event->key(), event->modifiers());
        if (key <= 0 || key >= vk::Count) return;
        if (event->type() == QEvent::KeyPress) {
            down_[key] = true;
            pressed_[key] = true;
        } else if (!event->isAutoRepeat()) {
            down_[key] = false;
        }
    }

    void Flush()
    {
        std::vector<Held> held = std::move(held_);
        held_.clear();
        for (Held& h : held) {
            if (!h.receiver) continue;
            QEvent* event = h.event.release();
            if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) counted_.insert(event);
            QCoreApplication::postEvent(h.receiver, event);
        }
    }

    std::array<bool, vk::Count> down_{};
    std::array<bool, vk::Count> pressed_{};
    std::vector<Held> held_;
    std::set<const void*> counted_;
    Seen last_;
    QTimer flush_;
    bool polling_ = false;
};

KeyTracker* g_tracker = nullptr;

}  // namespace

void StartKeyTracking()
{
    if (g_tracker || !QCoreApplication::instance()) return;
    g_tracker = new KeyTracker;
    // The tracker goes with the application object.
    g_tracker->setParent(QCoreApplication::instance());
    QObject::connect(g_tracker, &QObject::destroyed, [] { g_tracker = nullptr; });
    QCoreApplication::instance()->installEventFilter(g_tracker);
}

bool KeyIsDown(int virtualKey)
{
    if (!g_tracker || virtualKey <= 0 || virtualKey >= vk::Count) return false;
    return g_tracker->Down(virtualKey);
}

bool KeyPressedSinceLastAsk(int virtualKey)
{
    StartKeyTracking();
    if (!g_tracker || virtualKey <= 0 || virtualKey >= vk::Count) return false;
    g_tracker->Poll();
    return g_tracker->TakePressed(virtualKey);
}

void ResetKeyState()
{
    if (g_tracker) g_tracker->Reset();
}

}  // namespace winsys
