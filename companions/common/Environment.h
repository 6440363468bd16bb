#pragma once
// The process's environment, read where each system keeps it: on Windows the process block (what
// SetEnvironmentVariable changes, whichever C runtime the host uses), elsewhere getenv.
#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>

#include "Utf16.h"
#else
#include <cstdlib>
#endif

#include <filesystem>
#include <optional>
#include <string>

namespace companion {

#ifdef _WIN32
inline std::optional<std::wstring> NativeEnvironmentValue(const char* name)
{
    const std::wstring key(name, name + std::char_traits<char>::length(name));
    const DWORD needed = ::GetEnvironmentVariableW(key.c_str(), nullptr, 0);
    if (needed == 0)
        return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(key.c_str(), value.data(), needed);
    if (length >= needed)
        return std::nullopt;
    value.resize(length);
    return value;
}
#else
inline std::optional<std::string> NativeEnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}
#endif

// The variable's value in UTF-8, or nullopt when it is not set.
inline std::optional<std::string> EnvironmentValue(const char* name)
{
    const auto value = NativeEnvironmentValue(name);
#ifdef _WIN32
    if (value)
        return ToUtf8(std::u16string(value->begin(), value->end()));
    return std::nullopt;
#else
    return value;
#endif
}

// The variable's value as a file name, or nullopt when it is not set.
inline std::optional<std::filesystem::path> EnvironmentPath(const char* name)
{
    const auto value = NativeEnvironmentValue(name);
    return value ? std::optional<std::filesystem::path>(*value) : std::nullopt;
}

}  // namespace companion
