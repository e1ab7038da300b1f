#include "platform/winsys/nested_runs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <utility>

namespace winsys {

namespace {

NestedRun* g_innermost = nullptr;
int g_depth = 0;
bool g_closeRequested = false;
int g_runsEndedByClose = 0;

std::deque<std::function<void()>> g_waitingWork;
bool g_flushPosted = false;

void FlushWaitingWork();

void PostFlush()
{
    if (g_flushPosted || g_waitingWork.empty()) return;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    g_flushPosted = true;
    QTimer::singleShot(0, app, [] {
        g_flushPosted = false;
        FlushWaitingWork();
    });
}

void FlushWaitingWork()
{
    // A run that starts inside a work item stops the flush; the end of that
    // run posts it again, so the items keep their order and none runs inside
    // another one's dialog.
    while (!g_waitingWork.empty() && g_depth == 0) {
        std::function<void()> work = std::move(g_waitingWork.front());
        g_waitingWork.pop_front();
        if (work) work();
    }
}

}  // namespace

NestedRun::NestedRun(std::function<void()> cancel) : cancel_(std::move(cancel)), outer_(g_innermost)
{
    g_innermost = this;
    ++g_depth;
}

NestedRun::~NestedRun()
{
    // Runs end innermost first, as the stack unwinds.
    g_innermost = outer_;
    --g_depth;
    if (g_depth == 0) PostFlush();
}

int NestedRunDepth()
{
    return g_depth;
}

int RunsEndedByClose()
{
    return g_runsEndedByClose;
}

void RequestClose()
{
    g_closeRequested = true;
    // A cancel may start and end runs of its own (its Cancel handler asks a
    // question, which ends at once now); the chain is read as it stands
    // before each step.
    for (NestedRun* run = g_innermost; run; run = run->outer_) {
        if (run->cancelled_ || !run->cancel_) continue;
        run->cancelled_ = true;
        ++g_runsEndedByClose;
        std::function<void()> cancel = run->cancel_;
        cancel();
    }
}

bool CloseRequested()
{
    return g_closeRequested;
}

void ClearCloseRequest()
{
    g_closeRequested = false;
}

void RunWhenUnwound(std::function<void()> work)
{
    g_waitingWork.push_back(std::move(work));
    PostFlush();
}

void CancelWindow(QWidget* window)
{
    QPointer<QWidget> guard(window);
    if (!guard || !guard->isVisible()) return;
    if (auto* dialog = qobject_cast<QDialog*>(guard.data()))
        dialog->reject();
    else
        guard->close();
    if (guard && guard->isVisible()) guard->hide();
}

}  // namespace winsys
