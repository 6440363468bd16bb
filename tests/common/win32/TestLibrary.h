#pragma once
// Opening DLLs for tests, Windows side.
#include <winsock2.h>
#include <windows.h>

#include <filesystem>
#include <string>

namespace tessaly::test::system {

using LibraryHandle = HMODULE;

// The DLL at `path` (either separator), or null with the loader's error code in `error`.
inline LibraryHandle OpenLibrary(const std::string& path, std::string& error)
{
    const std::wstring file = std::filesystem::path(path).make_preferred().wstring();
    const HMODULE module = ::LoadLibraryW(file.c_str());
    if (!module)
        error = "LoadLibrary(" + path + ") failed with error " + std::to_string(::GetLastError());
    return module;
}

inline void* LibrarySymbol(LibraryHandle handle, const char* name)
{
    return reinterpret_cast<void*>(::GetProcAddress(handle, name));
}

inline void CloseLibrary(LibraryHandle handle) { ::FreeLibrary(handle); }

}  // namespace tessaly::test::system
