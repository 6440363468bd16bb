#pragma once
// Narrow text as callers hand it over: the ANSI code page on Windows (the host's library converts its
// wide text with it), UTF-8 elsewhere.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>

#include <climits>

#include "Utf16.h"
#endif

#include <string>
#include <string_view>

namespace companion {

// The caller's narrow text in UTF-8.
inline std::string NarrowToUtf8(std::string_view text)
{
#ifdef _WIN32
    if (text.empty() || text.size() > INT_MAX / 2)
        return {};
    const int bytes = static_cast<int>(text.size());
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    if (units <= 0)
        return {};
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, reinterpret_cast<wchar_t*>(wide.data()), units);
    return ToUtf8(wide);
#else
    return std::string(text);
#endif
}

}  // namespace companion
