#pragma once
// Temporary files and file removal.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::platform {

// The temporary folder: $TMPDIR when set and non-empty, else /tmp; always ends in '/'.
std::u16string TempFolder();

// Creates a new, empty, uniquely named file in TempFolder() whose name starts with the first three
// characters of `prefix`; owner-only permissions (0600). Returns its full path, or nothing.
std::optional<std::u16string> CreateUniqueTempFile(std::u16string_view prefix);

// Removes a file even when it is read-only. Failures are ignored. A symbolic link is removed itself,
// never its target.
void ForceRemoveFile(const std::u16string& path);

}  // namespace tessaly::platform
