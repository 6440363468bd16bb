// The settings store on Windows: the registry's HKEY_LOCAL_MACHINE. A 32-bit library on 64-bit
// Windows reads the 32-bit view (Wow6432Node), as the system arranges.
#include "platform/SettingsStore.h"

#include <cstring>
#include <vector>

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

std::optional<SettingValue> ReadSetting(std::u16string_view key, std::u16string_view name)
{
    const std::u16string keyPath(key);
    const std::u16string valueName = name == u"@" ? std::u16string() : std::u16string(name);
    if (keyPath.find(u'\0') != std::u16string::npos || valueName.find(u'\0') != std::u16string::npos)
        return std::nullopt;
    win32::UniqueRegKey opened;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, win32::Wide(keyPath), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    DWORD bytes = 0;
    if (::RegQueryValueExW(opened.get(), win32::Wide(valueName), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes > (1u << 20))
        return std::nullopt;
    std::vector<BYTE> data(bytes + sizeof(wchar_t), 0);
    if (::RegQueryValueExW(opened.get(), win32::Wide(valueName), nullptr, &type, data.data(), &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD && bytes == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return SettingValue(static_cast<std::uint32_t>(number));
    }
    if (type != REG_SZ)
        return std::nullopt;
    // A stored string need not end in a NUL; it ends at its first one when it does.
    const auto* text = reinterpret_cast<const wchar_t*>(data.data());
    const std::size_t units = bytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < units && text[length] != L'\0')
        ++length;
    return SettingValue(win32::FromWide(text, length));
}

}  // namespace tessaly::platform
