#include "editor/shell/errors.h"

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), number_(number)
{
}

std::string ErrorDescription(int number)
{
    switch (number) {
    case errnum::InvalidCall: return "Invalid procedure call or argument";
    case errnum::Overflow: return "Overflow";
    case errnum::SubscriptOutOfRange: return "Subscript out of range";
    case errnum::ControlArrayElementMissing: return "Control array element doesn't exist";
    case errnum::FormUnloaded: return "Object was unloaded";
    case errnum::InvalidPropertyValue: return "Invalid property value";
    case errnum::TextPropertyReadOnly: return "'Text' property is read-only";
    case errnum::CancelSelected: return "Cancel was selected.";
    case errnum::StartupAbandoned: return "Start-up abandoned";
    default: return "Application-defined or object-defined error";
    }
}

void RaiseError(int number)
{
    throw RuntimeError(number, ErrorDescription(number));
}

void ResumeNext(std::initializer_list<std::function<void()>> steps)
{
    for (const auto& step : steps) {
        try {
            step();
        } catch (const RuntimeError&) {
            // Skipped on purpose: the caller asked for statement-by-statement
            // error skipping. Anything else (a broken invariant, an index
            // the code computed itself out of range) is a defect and goes on
            // to the boundary that reports it.
        }
    }
}
