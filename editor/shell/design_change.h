// An edit of many kernel steps made whole or undone. Every action a user
// starts runs in one change group opened where it starts (user_action.h);
// a DesignChange inside it is an edit that needs its own try-and-undo, and
// one opened outside any action (a procedure called from code) is a group
// of its own.
//
// By default the change finishes when it goes out of scope: what the edit
// changed stays unless one of its steps that change the design failed (a
// failure or refusal; an answer that only says nothing is there, such as
// nothing to mark or a delete of what is gone, is no failure: KERNEL.md,
// "Failure answers: outcomes and failures"); then
// what it changed goes back, and the failure is also the enclosing group's,
// so the whole action goes back with it. An edit that tries steps it
// expects to fail (a name that may be taken) opens the change with
// `Ending::Undo` and calls Keep() once it is whole; ending without Keep()
// puts back what it changed and the enclosing edit goes on (an entry of a
// list skipped while the others are made).
//
// When a failed step made the design go back, the editor is told
// (SetDesignPutBackHandler) so that it can say so and show the design as it
// is: by the outermost group, and by a change that went back unkept (Undo,
// or an `Ending::Undo` change ended without Keep()) after a step failed; a
// change finished inside another leaves that to the enclosing one. Putting back keeps the kernel handles
// of objects that stay; those of objects the edit made go stale.
#pragma once

#include <functional>

class DesignChange {
public:
    enum class Ending { Finish, Undo };
    explicit DesignChange(Ending ending = Ending::Finish);
    ~DesignChange();
    DesignChange(const DesignChange&) = delete;
    DesignChange& operator=(const DesignChange&) = delete;

    // The edit is whole: what it changed stays (as far as this change goes;
    // an enclosing change may still end unkept). Failed steps were answers
    // the edit expected.
    bool Keep();
    // Keeps what the edit changed unless one of its steps that change the
    // design failed; then puts it back and fails the enclosing change too.
    // True when kept.
    bool Finish();
    // Ends the change now, unkept: what the edit changed goes back. True
    // when something was put back.
    bool Undo();

private:
    bool open_ = false;
    bool outermost_ = false;
    Ending ending_;
};

// Why the design went back.
enum class PutBackReason {
    Refused,  // a step of the edit failed (the user is told)
    Error,    // the action ended by an error, already reported
    Closing,  // the application closed while the action waited
};
// Called after a put-back of a whole action, or of an edit whose step
// failed, with the reason; the editor shows the design as it is again.
void SetDesignPutBackHandler(std::function<void(PutBackReason)> handler);
// Tells the listeners, then the handler (if any), that the design went back.
void TellDesignPutBack(PutBackReason reason);
// A module that keeps something read from the design (a list loaded from a
// file object) hears of every put-back told, before the handler, so that
// it reads it again.
void AddDesignPutBackListener(std::function<void()> listener);
