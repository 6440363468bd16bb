#pragma once
// Joining configured relative names onto folders.
#include <string>
#include <string_view>

namespace tessaly::platform {

// The system's folder separator.
inline constexpr char16_t kPathSeparator = u'/';

// Turns a relative file name taken from configuration into this system's form: a backslash is read
// as a folder separator, so names written for Windows ("PreLoginWait\\wait.htm") work unchanged.
std::u16string NativeRelativePath(std::u16string_view configured);

// folder + NativeRelativePath(relative): plain concatenation, the folder already ends in a separator.
std::u16string JoinConfigPath(std::u16string_view folder, std::u16string_view relative);

}  // namespace tessaly::platform
