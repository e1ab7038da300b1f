// An edit of many kernel steps made whole or undone. Open a DesignChange at
// the start of an edit a user starts. By default the change finishes when
// it goes out of scope: what the edit changed stays unless one of its steps
// that change the design failed, and then the design goes back as it was
// when the change began. An edit that tries steps it expects to fail (a
// name that may be taken) opens the change with `Ending::Undo` and calls
// Keep() once it is whole; ending without Keep() puts the design back.
// When a failed step made the design go back, the editor is told
// (SetDesignPutBackHandler) so that it can say so and show the design again.
//
// Changes nest: only the outermost one puts the design back. Putting the
// design back reads it anew, so the kernel handles held across it go stale;
// ids stay good.
#pragma once

#include <functional>

class DesignChange {
public:
    enum class Ending { Finish, Undo };
    explicit DesignChange(Ending ending = Ending::Finish);
    ~DesignChange();
    DesignChange(const DesignChange&) = delete;
    DesignChange& operator=(const DesignChange&) = delete;

    // The edit is whole: what it changed stays. False when an inner change
    // that ended unkept made the design go back instead.
    bool Keep();
    // Keeps what the edit changed unless one of its steps that change the
    // design failed; then puts the design back. For edits that try no step
    // they expect to fail. True when kept.
    bool Finish();
    // Ends the change now, unkept: the design goes back as it was when the
    // change began. True when it was put back.
    bool Undo();

private:
    bool open_ = false;
    Ending ending_;
};

// Called when a change ended unkept because one of its steps failed (the
// design put back, or nothing changed yet); never for an edit that ended
// early of its own accord.
void SetDesignPutBackHandler(std::function<void()> handler);
