#pragma once
// UTF-8 text of the host and the UTF-16 text of the Windows API, and the system's words for an error.

#include <windows.h>

#include <string>
#include <string_view>

namespace tessaly::host::win32 {

inline std::string Utf8FromWide(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int need = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(need > 0 ? need : 0), '\0');
    if (need > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), need, nullptr, nullptr);
    return out;
}

inline std::wstring WideFromUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int need = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(need > 0 ? need : 0), L'\0');
    if (need > 0)
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), need);
    return out;
}

// The system's message for `code` without its line break, or "error N" when it has none.
inline std::string SystemErrorText(DWORD code)
{
    wchar_t buffer[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                    buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' '))
        --length;
    return length > 0 ? Utf8FromWide(std::wstring_view(buffer, length)) : "error " + std::to_string(code);
}

}  // namespace tessaly::host::win32
