#pragma once
// A trace line for an exception a no-throw path swallows, so that no failure passes unseen.
#include <string_view>

namespace tessaly {

// What kind of exception is being handled: "out of memory", a standard exception or an unknown one.
// Call only from inside a catch block. Allocates nothing.
const char16_t* CurrentExceptionKind() noexcept;

// Writes "--<where>: <what> (<kind>)" at level 4. The call site builds no text, so it is safe where
// the failure may be memory running out; a line that cannot be made is dropped.
void TraceSwallowed(std::u16string_view where, std::u16string_view what, const char16_t* kind) noexcept;

// The same with the kind of the exception being handled.
void TraceSwallowed(std::u16string_view where, std::u16string_view what) noexcept;

}  // namespace tessaly
