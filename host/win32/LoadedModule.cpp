#include "LoadedModule.h"

#include "HostPaths.h"
#include "win32/WideText.h"

namespace tessaly::host {

std::unique_ptr<LoadedModule> LoadedModule::Open(const std::string& path, std::string& error)
{
    // A full path with the system's separators: a relative one would send LoadLibraryW through the
    // DLL search order.
    std::error_code ec;
    const std::filesystem::path full = std::filesystem::absolute(PathFromUtf8(path), ec).make_preferred();
    HMODULE module = ec ? nullptr : ::LoadLibraryW(full.c_str());
    const DWORD failure = ec ? ERROR_BAD_PATHNAME : ::GetLastError();
    if (!module) {
        error = "cannot load " + path + ": " + win32::SystemErrorText(failure);
        return nullptr;
    }
    return std::make_unique<LoadedModule>(Key{}, module);
}

LoadedModule::~LoadedModule() { ::FreeLibrary(static_cast<HMODULE>(m_handle)); }

LoadedModule::AnyFunction LoadedModule::Find(const char* name) const
{
    return reinterpret_cast<AnyFunction>(::GetProcAddress(static_cast<HMODULE>(m_handle), name));
}

}  // namespace tessaly::host
