#include "platform/DynamicLibrary.h"

#include <dlfcn.h>
#include <link.h>

namespace tessaly::platform {

std::u16string LibraryFileName(std::u16string_view stem)
{
    return std::u16string(stem) + u".so";
}

namespace {

link_map* MapOf(LibraryHandle library)
{
    link_map* map = nullptr;
    if (::dlinfo(library, RTLD_DI_LINKMAP, &map) != 0)
        return nullptr;
    return map;
}

}  // namespace

LibraryHandle LoadLibraryByPath(const std::string& path, std::string* error)
{
    // Only full paths: a bare name would make the loader search LD_LIBRARY_PATH and the system
    // folders, and an empty name would answer the host program itself.
    if (path.empty() || path.find('\0') != std::string::npos || path.find('/') == std::string::npos) {
        if (error)
            *error = "not a path to a library: \"" + path.substr(0, path.find('\0')) + "\"";
        return nullptr;
    }
    ::dlerror();
    LibraryHandle handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) {
        const char* reason = ::dlerror();
        *error = reason ? reason : "unknown loader error";
    }
    return handle;
}

void* FindExport(LibraryHandle library, const char* name)
{
    if (!library || !name || !*name)
        return nullptr;
    ::dlerror();
    void* symbol = ::dlsym(library, name);
    if (!symbol)
        return nullptr;
    // dlsym also searches the library's dependencies (the C library, ...). Only a symbol defined by
    // the library itself counts as its export.
    Dl_info info {};
    link_map* owner = nullptr;
    if (::dladdr1(symbol, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) == 0 || owner != MapOf(library))
        return nullptr;
    return symbol;
}

void UnloadLibrary(LibraryHandle library)
{
    if (library)
        ::dlclose(library);
}

namespace {

const char* LoadedNameOf(const void* address)
{
    Dl_info info {};
    link_map* map = nullptr;
    if (!address || ::dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || !map)
        return nullptr;
    // The main program has an empty name in the link map; dlopen(nullptr) answers it.
    return (map->l_name && *map->l_name) ? map->l_name : "";
}

}  // namespace

bool PinLibraryForever(const void* address)
{
    const char* name = LoadedNameOf(address);
    if (!name)
        return false;
    LibraryHandle handle = ::dlopen(*name ? name : nullptr, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (!handle)
        return false;
    ::dlclose(handle);  // the flag stays; only the extra reference goes
    return true;
}

LibraryHandle PinLibraryContaining(const void* address)
{
    const char* name = LoadedNameOf(address);
    if (!name)
        return nullptr;
    return ::dlopen(*name ? name : nullptr, RTLD_NOW | RTLD_NOLOAD);
}

}  // namespace tessaly::platform
