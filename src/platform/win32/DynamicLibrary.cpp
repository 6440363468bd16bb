#include "platform/DynamicLibrary.h"

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

std::u16string LibraryFileName(std::u16string_view stem)
{
    return std::u16string(stem) + u".dll";
}

using win32::Wide;
using win32::WidePath;

LibraryHandle LoadLibraryByPath(const std::string& path, std::string* error)
{
    // A full path only: a bare name would search the system's folders and the host's current folder.
    const std::u16string wide = WidePath(path);
    if (path.empty() || wide.find(u'\0') != std::u16string::npos) {
        if (error)
            *error = "not a full path";
        return nullptr;
    }
    // The library's own dependencies are looked for beside it first, as a companion expects.
    HMODULE module = ::LoadLibraryExW(Wide(wide), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module && error)
        *error = win32::SystemErrorText(::GetLastError());
    return reinterpret_cast<LibraryHandle>(module);
}

void* FindExport(LibraryHandle library, const char* name)
{
    if (!library || !name || !*name)
        return nullptr;
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

void UnloadLibrary(LibraryHandle library)
{
    if (library)
        ::FreeLibrary(static_cast<HMODULE>(library));
}

LibraryHandle PinLibraryContaining(const void* address)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, static_cast<LPCWSTR>(address), &module))
        return nullptr;
    return reinterpret_cast<LibraryHandle>(module);
}

bool PinLibraryForever(const void* address)
{
    HMODULE module = nullptr;
    return ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                static_cast<LPCWSTR>(address), &module) != 0;
}

}  // namespace tessaly::platform
