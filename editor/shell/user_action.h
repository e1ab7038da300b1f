// Every action a user starts (a menu command, a click or key of a tool, a
// control's change, a dialog's Accept, a host command) runs as one kernel
// change group opened where it starts, so that no edit can be left half
// done by forgetting to open one. Edits that need their own try-and-undo
// open a DesignChange inside it (design_change.h).
#pragma once

#include <functional>

class QObject;
class QWidget;

// Runs `action` as one action of the user. What it changes stays unless a
// step failed that nothing inside took back: then the design goes back as
// it was before the action and the editor is told (TellDesignPutBack). An
// error escaping `action` puts the action back too and goes on to the
// caller. When the application was asked to close while the action waited
// (a dialog of it ended by the close), the action goes back as well, so the
// design written on closing is the one before it.
void RunAsUserAction(const std::function<void()>& action);

// Called as an action starts, before it runs (an action started inside
// another is part of that one): the editor notes what it shows beyond the
// design (its mode, the symbol it edits), so that an action that goes back
// as a whole comes back to it. Null: none.
void SetActionStartHandler(std::function<void()> handler);

// True when input on `source` is to start nothing now: an action waits for
// a window (ModalWait) and `source` lies on another one. Input without a
// known source is never refused.
bool RefusedWhileWaiting(const QObject* source);

// True while an action runs.
bool UserActionRunning();

// A window an action waits for, from its showing to its end. While it
// waits, input on other windows is refused (RefusedWhileWaiting): the
// mouse and the keyboard on the editor's other windows reach none of their
// controls (a press or a key beeps once), and an event procedure raised
// there by other means starts nothing.
class ModalWait {
public:
    explicit ModalWait(const QWidget* window);
    ~ModalWait();
    ModalWait(const ModalWait&) = delete;
    ModalWait& operator=(const ModalWait&) = delete;
};
