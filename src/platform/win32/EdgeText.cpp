// The narrow text at the in-house libraries' edges is in the ANSI code page on Windows.
#include <winsock2.h>
#include <windows.h>

#include <climits>

#include "platform/TextEncoding.h"

namespace tessaly::platform {

std::string ToEdgeText(std::u16string_view text)
{
    if (text.empty() || text.size() > INT_MAX / 4)
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, units, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::u16string FromEdgeText(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX)
        return {};
    const int bytes = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0)
        return {};
    std::u16string out(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, reinterpret_cast<wchar_t*>(out.data()), units);
    return out;
}

}  // namespace tessaly::platform
