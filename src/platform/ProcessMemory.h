#pragma once
// Questions about this process's own address space.
#include <cstddef>
#include <string_view>

namespace tessaly::platform {

// True when [address, address + length) lies inside one readable and writable private or shared
// mapping of this process (checked against /proc/self/maps). False when that cannot be read.
bool IsWritableRange(const void* address, std::size_t length) noexcept;

// The same test over the text of a maps file (for tests).
bool IsWritableRangeIn(std::string_view mapsText, const void* address, std::size_t length);

}  // namespace tessaly::platform
