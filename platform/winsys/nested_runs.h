// The nested runs of the event loop: every modal dialog, message box, popup
// menu, wait for a window and keyboard poll runs events while the
// procedure that started it waits for it to end. This module counts them,
// ends them all when the application is asked to close, and runs work that
// must not happen inside one of them once they have all ended.
//
// A close that arrives while a dialog runs thus never pulls the windows
// away from under the procedure that opened it: the dialog ends as its
// Cancel would, that procedure finishes against windows that still exist,
// and the close itself runs afterwards from the event loop.
#pragma once

#include <functional>

class QWidget;

namespace winsys {

class NestedRun {
public:
    // `cancel` ends the run as its Cancel would (it is called at most once,
    // when a close is asked while the run is going); a run that ends by
    // itself, such as a keyboard poll, passes none.
    explicit NestedRun(std::function<void()> cancel = {});
    ~NestedRun();
    NestedRun(const NestedRun&) = delete;
    NestedRun& operator=(const NestedRun&) = delete;

    // True once the run has been ended by a close request.
    bool Cancelled() const { return cancelled_; }

private:
    friend void RequestClose();
    std::function<void()> cancel_;
    bool cancelled_ = false;
    NestedRun* outer_ = nullptr;
};

// The number of nested runs going now.
int NestedRunDepth();
// How many runs close requests have ended so far: a procedure that sees it
// grow while it ran knows that the application closed under one of its
// waits.
int RunsEndedByClose();

// The application is to close: every nested run going now ends as its
// Cancel would, innermost first, and until ClearCloseRequest every dialog,
// message box or question that would start ends at once, cancelled.
void RequestClose();
bool CloseRequested();
// The close did not happen after all (something refused it): dialogs show
// again.
void ClearCloseRequest();

// Runs `work` from the event loop once no nested run is going, and never
// before the procedure that asked for it has returned. Work items run one
// at a time, in the order they were asked for.
void RunWhenUnwound(std::function<void()> work);

// Ends a window as its Cancel would: a dialog is rejected (its Escape), any
// other window is closed (its close box); a window that refuses is hidden.
void CancelWindow(QWidget* window);

}  // namespace winsys
