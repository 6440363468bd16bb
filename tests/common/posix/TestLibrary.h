#pragma once
// Opening shared libraries for tests, Linux side.
#include <dlfcn.h>

#include <string>

namespace tessaly::test::system {

using LibraryHandle = void*;

// The library at `path`, or null with the loader's reason in `error`.
inline LibraryHandle OpenLibrary(const std::string& path, std::string& error)
{
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        if (const char* reason = dlerror())
            error = reason;
    return handle;
}

inline void* LibrarySymbol(LibraryHandle handle, const char* name) { return dlsym(handle, name); }

inline void CloseLibrary(LibraryHandle handle) { dlclose(handle); }

}  // namespace tessaly::test::system
