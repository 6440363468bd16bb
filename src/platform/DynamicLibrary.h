#pragma once
// Loading shared objects by full path. The portable layer checks its arguments; the backend only
// makes the operating-system call and reports the system's reason on failure.
#include <string>
#include <string_view>

namespace tessaly::platform {

using LibraryHandle = void*;

// The file name of a companion library of this system: "Trelvin" gives "Trelvin.so" on Linux and
// "Trelvin.dll" on Windows.
std::u16string LibraryFileName(std::u16string_view stem);

// Loads the library at `path` (UTF-8, used unchanged). Returns nullptr on failure and, when `error`
// is given, stores the loader's reason there.
LibraryHandle LoadLibraryByPath(const std::string& path, std::string* error = nullptr);

// Resolves an exported symbol; nullptr when the library has no such export.
void* FindExport(LibraryHandle library, const char* name);

// Drops one reference to the library. A null handle is ignored.
void UnloadLibrary(LibraryHandle library);

// Takes an extra reference on the shared object that contains `address` (so it stays mapped while a
// detached thread still runs its code). Returns nullptr when that is not possible.
LibraryHandle PinLibraryContaining(const void* address);

// Marks the already loaded shared object that contains `address` as never to be unloaded, for the
// rest of the process. False when there is no such object.
bool PinLibraryForever(const void* address);

}  // namespace tessaly::platform
