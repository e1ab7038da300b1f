// Late binding of the platform libraries.
//
// The editor never links against the kernel, the router, the placement
// engine or the localisation library. It calls thunks that carry the
// libraries' own function names; the first call of a thunk opens the
// library (once per process) and looks the function up by name. A missing
// library or function raises BindError at that call.
//
// Thunks have hidden visibility: they are private to libPalvane and never
// interpose the libraries' own exported symbols.
#pragma once

#include "editor/shell/errors.h"

#include <string>
#include <type_traits>

namespace binding {

// Raised when a library cannot be opened or lacks a function. Its number is
// the runtime's "file not found" (53) for a missing library and "can't find
// entry point" (453) for a missing function.
class BindError : public RuntimeError {
public:
    BindError(int number, std::string library, std::string function, const std::string& detail);
    const std::string& library() const { return library_; }
    const std::string& function() const { return function_; }

private:
    std::string library_;
    std::string function_;
};

// Returns the address of `function` in `library` (a file name such as
// "libNVOKernel32.so", looked for in libPalvane's own folder first). The
// library is opened at most once per process. Throws BindError.
void* Resolve(const char* library, const char* function);

// How many times `library` has actually been opened (0 or 1): tests use it
// to check that a library is opened once however many functions are bound.
int OpenCount(const char* library);

}  // namespace binding

#define BINDING_HIDDEN __attribute__((visibility("hidden")))

// Declares one thunk (used in the headers through which the editor calls a
// library).
#define BINDING_DECLARE_THUNK(ret, name, params, args) extern "C" BINDING_HIDDEN ret name params;

// Defines one thunk of `lib` (a file name) and checks it against the
// library's prototype type in namespace `protons` at compile time.
#define BINDING_DEFINE_THUNK(lib, protons, ret, name, params, args)                              \
    extern "C" BINDING_HIDDEN ret name params                                                     \
    {                                                                                             \
        static_assert(std::is_same_v<decltype(name), protons::name>,                              \
                      "thunk " #name " differs from the library's prototype");                   \
        using Fn = ret(*) params;                                                                 \
        static Fn fn = nullptr;                                                                   \
        if (!fn) fn = reinterpret_cast<Fn>(::binding::Resolve(lib, #name));                       \
        return fn args;                                                                           \
    }
