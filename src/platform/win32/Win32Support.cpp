#include "platform/win32/Win32Support.h"

#include "platform/TextEncoding.h"

namespace tessaly::platform::win32 {

std::u16string WidePath(const std::string& utf8Path)
{
    return Utf8ToUtf16(utf8Path);
}

std::string SystemErrorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer) {
        std::u16string_view message(reinterpret_cast<const char16_t*>(buffer), length);
        while (!message.empty() && (message.back() == u'\r' || message.back() == u'\n' || message.back() == u' '))
            message.remove_suffix(1);
        text = Utf16ToUtf8(message);
    }
    if (buffer)
        ::LocalFree(buffer);
    return text.empty() ? "error " + std::to_string(code) : text;
}

}  // namespace tessaly::platform::win32
