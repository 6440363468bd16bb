#pragma once
// Thread identity and a monotonic tick count.
#include <cstdint>

namespace tessaly::platform {

// The kernel's id of the calling thread (what tools such as top and gdb show).
long CurrentThreadId();

// Names the calling thread for tools such as top, gdb and /proc/self/task/*/comm (at most 15
// bytes are kept).
void NameCurrentThread(const char* name);

// Milliseconds since system start, wrapping at 2^32 like a 32-bit tick counter.
std::uint32_t TickCount();

}  // namespace tessaly::platform
