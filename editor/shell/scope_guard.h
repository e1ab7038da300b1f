// Scope guards: what a procedure must undo however it ends - normally or by
// an error that leaves it - is undone when its scope ends.
//
//   auto closeDc = OnExit([] { CloseCanvasDC(); });
//   RestoreOnExit busy(m_RedrawBusy, -1);   // set now, old value back at exit
#pragma once

#include <exception>
#include <utility>

template <class F>
class ScopeGuard {
public:
    explicit ScopeGuard(F action) : action_(std::move(action)), exceptions_(std::uncaught_exceptions()) {}
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    // Runs the action. While an error is leaving the scope, an error of the
    // action itself is dropped so that the first one goes on; otherwise it
    // propagates.
    ~ScopeGuard() noexcept(false)
    {
        if (!active_) return;
        if (std::uncaught_exceptions() > exceptions_) {
            try {
                action_();
            } catch (...) {
            }
        } else {
            action_();
        }
    }

    // The action will not run.
    void Dismiss() { active_ = false; }

private:
    F action_;
    int exceptions_;
    bool active_ = true;
};

template <class F>
[[nodiscard]] ScopeGuard<F> OnExit(F action)
{
    return ScopeGuard<F>(std::move(action));
}

// Keeps a variable's value and puts it back when the scope ends; the second
// form also sets a new value for the length of the scope.
template <class T>
class RestoreOnExit {
public:
    explicit RestoreOnExit(T& variable) : variable_(variable), saved_(variable) {}
    template <class V>
    RestoreOnExit(T& variable, V&& value) : variable_(variable), saved_(variable)
    {
        variable_ = std::forward<V>(value);
    }
    RestoreOnExit(const RestoreOnExit&) = delete;
    RestoreOnExit& operator=(const RestoreOnExit&) = delete;
    ~RestoreOnExit() { variable_ = std::move(saved_); }

private:
    T& variable_;
    T saved_;
};
