#pragma once
// Reading back a file that another component wrote into a private temporary file.
#include <cstddef>
#include <optional>
#include <string>

namespace tessaly::platform {

// The bytes of the file at `path` (UTF-8 path), but only when the path itself names a regular file:
// a symbolic link is not followed, and a FIFO, device or folder is not read (and never blocks the
// caller). Nothing when the file cannot be opened or holds more than `maxBytes` bytes.
std::optional<std::string> ReadRegularFileNoFollow(const std::string& path, std::size_t maxBytes);

}  // namespace tessaly::platform
