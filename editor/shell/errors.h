// The editor's runtime errors.
//
// Procedures raise RuntimeError with the runtime's error number (9 for an
// index out of range, 5 for an invalid call, 9999 for an abandoned start-up).
// Errors are caught at the boundaries: the event-procedure slots
// (RunEventProcedure, forms.h), the host link class, and the procedures that
// skip failing statements one by one (ResumeNext, which skips nothing but
// RuntimeError). The policy as a whole is in docs/ARCHITECTURE.md. Procedures restore their own flags
// with the guards of scope_guard.h.
#pragma once

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>

class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const std::string& description);
    int number() const { return number_; }

private:
    int number_;
};

namespace errnum {
constexpr int InvalidCall = 5;
constexpr int Overflow = 6;
constexpr int SubscriptOutOfRange = 9;
constexpr int ControlArrayElementMissing = 340;
constexpr int FormUnloaded = 364;
constexpr int InvalidPropertyValue = 380;
constexpr int TextPropertyReadOnly = 383;
constexpr int CancelSelected = 32755;  // a common dialog's Cancel with CancelError set
constexpr int StartupAbandoned = 9999;
}  // namespace errnum

// Raises the runtime error `number` with its standard description.
[[noreturn]] void RaiseError(int number);

// The standard description of a runtime error number.
std::string ErrorDescription(int number);

// Runs each step in turn; a step that raises a RuntimeError (BindError
// included) is skipped and the next one runs. Only the editor's runtime
// errors are skipped: any other exception (std::logic_error, std::bad_alloc
// ...) propagates to the boundary that reports it.
void ResumeNext(std::initializer_list<std::function<void()>> steps);
