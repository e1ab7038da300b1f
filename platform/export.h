// Shared macros for the platform libraries' function lists.
//
// Each library keeps one X-macro list of its exported functions, in the form
//   X(result type, name, (parameters), (argument names))
// From that single list come the library's exported prototypes (below) and
// the editor's late-bound call thunks (editor/shell/binding.h), so the two
// can never drift apart.
#pragma once

#define PLATFORM_EXPORT extern "C" __attribute__((visibility("default")))

// The exported prototype. No C++ exception may cross it, so it is noexcept;
// a definition that differs in any way fails to compile against it.
#define PLATFORM_DECLARE_EXPORT(ret, name, params, args) PLATFORM_EXPORT ret name params noexcept;

// The prototype as a function type, for the thunks' compile-time check.
#define PLATFORM_DECLARE_PROTO(ret, name, params, args) using name = ret params;
