// INI files on Windows: the system's profile functions, behind the same checks of what may be
// written as on Linux.
#include "platform/IniFile.h"

#include <vector>

#include "platform/TextEncoding.h"
#include "platform/win32/Win32Support.h"


namespace tessaly::platform {

namespace {

bool HasNul(std::u16string_view text)
{
    return text.find(u'\0') != std::u16string_view::npos;
}

}  // namespace

std::u16string ReadProfileString(std::u16string_view section, std::u16string_view key,
                                 std::u16string_view defaultValue, const std::u16string& path, std::size_t capacity)
{
    const std::u16string fallback(defaultValue.substr(0, capacity == 0 ? 0 : capacity - 1));
    if (capacity == 0 || path.empty() || section.empty() || key.empty() || HasNul(path) || HasNul(section) ||
        HasNul(key) || HasNul(defaultValue) || capacity > (1u << 20))
        return fallback;
    const std::u16string sectionName(section);
    const std::u16string keyName(key);
    std::vector<wchar_t> buffer(capacity, L'\0');
    const DWORD length = ::GetPrivateProfileStringW(win32::Wide(sectionName), win32::Wide(keyName),
                                                    win32::Wide(fallback), buffer.data(),
                                                    static_cast<DWORD>(capacity), win32::Wide(path));
    return win32::FromWide(buffer.data(), length);
}

bool WriteProfileEntry(std::u16string_view section, std::u16string_view key, std::u16string_view value,
                        const std::u16string& path)
{
    if (path.empty() || HasNul(path) || HasNul(section) || HasNul(key) || HasNul(value) ||
        !IsWritableProfileEntry(section, key, value))
        return false;
    const std::u16string sectionName(TrimBlanks(section));
    const std::u16string keyName(TrimBlanks(key));
    const std::u16string text(value);
    return ::WritePrivateProfileStringW(win32::Wide(sectionName), win32::Wide(keyName), win32::Wide(text),
                                        win32::Wide(path)) != 0;
}

}  // namespace tessaly::platform
