// The library's folder and the machine id on Windows: the folder from the loader, the id from the
// installation's MachineGuid.
#include "SystemIdentity.h"

#include "Utf16.h"

#include <winsock2.h>
#include <windows.h>

#include <memory>
#include <vector>

namespace parvex {

std::filesystem::path LibraryFolder()
{
    HMODULE self = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              reinterpret_cast<LPCWSTR>(&LibraryFolder), &self))
        return {};
    std::vector<wchar_t> name(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(self, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0)
            return {};
        if (length < name.size())
            return std::filesystem::path(std::wstring(name.data(), length)).parent_path();
        if (name.size() >= 32768)
            return {};
        name.resize(name.size() * 2);
    }
}

namespace {

struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};

}  // namespace

// HKLM\SOFTWARE\Microsoft\Cryptography "MachineGuid", read from the 64-bit view: a 32-bit process on
// 64-bit Windows would otherwise be sent to Wow6432Node, which has no such value. (32-bit Windows
// ignores the view flag.)
std::optional<std::string> SystemMachineId()
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Cryptography", 0,
                        KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const std::unique_ptr<HKEY__, KeyCloser> key(opened);
    wchar_t guid[128] = {};
    DWORD size = sizeof guid;
    if (::RegGetValueW(key.get(), nullptr, L"MachineGuid", RRF_RT_REG_SZ, nullptr, guid, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return CleanMachineId(companion::ToUtf8(reinterpret_cast<const char16_t*>(guid)));
}

}  // namespace parvex
