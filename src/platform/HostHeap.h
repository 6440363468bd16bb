#pragma once
// The heap that the host and the library share for the window message list's storage: the C
// library's malloc heap on Linux, the process heap on Windows (every C runtime in a Windows process
// has a malloc heap of its own; the process heap is the one they all can reach).
#include <cstddef>

namespace tessaly::platform {

// Resizes `block` (null: a new block) to `bytes`; the added bytes are zero. Null when memory runs
// out; the old block is then untouched.
void* ResizeHostBlock(void* block, std::size_t oldBytes, std::size_t bytes) noexcept;

// Frees a block from ResizeHostBlock (or the host's own list storage). Null is ignored.
void FreeHostBlock(void* block) noexcept;

}  // namespace tessaly::platform
