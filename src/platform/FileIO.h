#pragma once
// Whole-file reading and replacing for the small text files the library reads (settings store, INI
// files) and the one it writes.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::platform {

// Largest settings or INI file read; a bigger file reads as missing.
inline constexpr std::size_t kMaxTextFileBytes = 4u << 20;

// The bytes of the regular file at `path` (UTF-8 path). Nothing when the file is missing, unreadable,
// not a regular file (a FIFO or device never blocks the caller) or larger than `maxBytes`.
std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes = kMaxTextFileBytes);

// The same, but only when the path itself names the file: a symbolic link is not followed. Used to
// read back a file that another component wrote into a private temporary file.
std::optional<std::string> ReadRegularFileNoFollow(const std::string& path, std::size_t maxBytes);

// True when something (a file, folder or link) exists at `path`.
bool PathExists(const std::string& path);

// Replaces the file's contents with `bytes` through a temporary file in the same folder and a rename,
// so a crash leaves either the old or the new contents. An existing file keeps its permissions; a new
// one gets 0644 less the umask. Symbolic links are followed and their target replaced, or made when
// the last link points at nothing yet; the link itself stays. A link of another user in a folder that
// anyone may write is not followed. False on failure (the old contents are then untouched).
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace tessaly::platform
