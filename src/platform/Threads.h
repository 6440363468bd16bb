#pragma once
// Thread identity and a monotonic tick count.
#include <cstdint>

namespace tessaly::platform {

// The kernel's id of the calling thread (what tools such as top and gdb show).
long CurrentThreadId();

// Milliseconds since system start, wrapping at 2^32 like a 32-bit tick counter.
std::uint32_t TickCount();

}  // namespace tessaly::platform
