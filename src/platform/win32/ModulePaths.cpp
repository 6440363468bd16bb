#include "platform/ModulePaths.h"

#include <mutex>
#include <vector>

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

namespace {

struct Overrides {
    std::mutex lock;
    std::u16string library;
    std::u16string host;
};

// Never destroyed: the redirect worker may still ask for the library's folder while the process's
// exit tears the library's static objects down.
Overrides& TheOverrides()
{
    union Storage {
        Storage() : value() {}
        ~Storage() {}
        Overrides value;
    };
    static Storage storage;
    return storage.value;
}

// The full file name of a loaded module, however long.
std::u16string ModuleFileName(HMODULE module)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return win32::FromWide(buffer.data(), length);
        if (buffer.size() >= 32768)
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::u16string ModuleFolder(const void* address)
{
    Overrides& o = TheOverrides();
    {
        std::lock_guard guard(o.lock);
        const std::u16string& forced = address ? o.library : o.host;
        if (!forced.empty())
            return forced;
    }
    HMODULE module = nullptr;
    if (address && !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                         static_cast<LPCWSTR>(address), &module))
        return {};
    const std::u16string file = ModuleFileName(module);
    const auto slash = file.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : file.substr(0, slash + 1);
}

void OverrideModuleFolders(std::u16string library, std::u16string host)
{
    Overrides& o = TheOverrides();
    std::lock_guard guard(o.lock);
    o.library = std::move(library);
    o.host = std::move(host);
}

}  // namespace tessaly::platform
