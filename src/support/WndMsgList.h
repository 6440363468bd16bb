#pragma once
// The host's window message list, reached through the shared data block. None of these throws: a
// failure (memory exhausted included) reads as "no list" or "not changed".
#include <cstdint>

#include <tessaly/tessaly.h>

namespace tessaly {

// The list's address from the shared data block, or nullptr when there is none or the value there is
// not a plausible list in this process (see IsPlausibleList).
TessalyWndMsgList* GetWndMsgList() noexcept;

// True when `list` points at writable memory of this process, is aligned, and its fields are sane
// (0 <= count <= capacity, storage present when capacity > 0 and itself writable, sizes bounded).
bool IsPlausibleList(const TessalyWndMsgList* list) noexcept;

// Adds {0x2402, window} unless that exact entry is present. 1 when added, 0 otherwise (also when
// memory runs out).
int RegisterCloseWindow(TessalyWndMsgList* list, std::uint32_t window) noexcept;

// Removes the first {0x2402, window} entry, moving later entries down. 1 when removed, 0 otherwise.
int UnregisterCloseWindow(TessalyWndMsgList* list, std::uint32_t window) noexcept;

}  // namespace tessaly
