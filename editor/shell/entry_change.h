// One entry of an edit that keeps the entries it made when a later one
// fails (the copies of an array, the lines of a create list), or one try of
// a dialog's Accept that the user may make again. The entry stays only when
// every step of it succeeded (a read the kernel refused counts as well);
// otherwise it goes back alone and the enclosing edit goes on, what was
// made before staying and the failure not held against it.
//
// Two change groups do it: the entry's own, ended unkept on a failure so
// that the failure stays the entry's, and inside it the steps, finished as
// a whole so that a failed step of any kind shows at their end.
#pragma once

#include "editor/shell/design_change.h"

#include <optional>

class EntryChange {
public:
    EntryChange() { steps_.emplace(); }
    ~EntryChange() { Drop(); }
    EntryChange(const EntryChange&) = delete;
    EntryChange& operator=(const EntryChange&) = delete;

    // The entry is done: it stays unless one of its steps failed; then what
    // it changed goes back. True when it stays.
    bool End()
    {
        if (ended_) return kept_;
        ended_ = true;
        kept_ = steps_->Finish();
        steps_.reset();
        if (kept_)
            kept_ = entry_.Keep();
        else
            entry_.Undo();
        return kept_;
    }
    // The entry is given up: what it changed goes back.
    void Drop()
    {
        if (ended_) return;
        ended_ = true;
        steps_->Undo();
        steps_.reset();
        entry_.Undo();
    }

private:
    DesignChange entry_{DesignChange::Ending::Undo};
    std::optional<DesignChange> steps_;
    bool ended_ = false;
    bool kept_ = false;
};
