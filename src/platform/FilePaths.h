#pragma once
// Joining configured relative names onto folders.
#include <string>
#include <string_view>

namespace tessaly::platform {

// The system's folder separator: '/' on Linux, '\\' on Windows. Folders the platform hands out end in it.
extern const char16_t kPathSeparator;

// True for a full path: one from the root on Linux; a drive or UNC path on Windows. A relative name
// would resolve against whatever folder the host happens to run in.
bool IsAbsolutePath(std::u16string_view path);

// Turns a relative file name taken from configuration into this system's form: either slash is read
// as a folder separator, so names written for Windows ("PreLoginWait\\wait.htm") work unchanged.
std::u16string NativeRelativePath(std::u16string_view configured);

// folder + NativeRelativePath(relative): plain concatenation, the folder already ends in a separator.
std::u16string JoinConfigPath(std::u16string_view folder, std::u16string_view relative);

}  // namespace tessaly::platform
