#pragma once
// What every file of the Windows backend shares: the owner of a kernel handle, the owner of a
// registry key, the view of the library's UTF-16 text as the API's wchar_t, and the system's reason
// for an error.
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <cwchar>
#include <string_view>
#include <utility>

namespace tessaly::platform::win32 {

// Owns one kernel handle (file, mapping, thread); both "no handle" values count as empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = other.release();
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }
    void reset() noexcept
    {
        if (m_handle)
            ::CloseHandle(m_handle);
        m_handle = nullptr;
    }

private:
    HANDLE m_handle = nullptr;
};

// Owns one open registry key.
class UniqueRegKey {
public:
    UniqueRegKey() = default;
    ~UniqueRegKey()
    {
        if (m_key)
            ::RegCloseKey(m_key);
    }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;

    HKEY get() const { return m_key; }
    HKEY* put() { return &m_key; }

private:
    HKEY m_key = nullptr;
};

// The library's UTF-16 text as the wide API sees it (both are 16-bit units on Windows).
inline const wchar_t* Wide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

inline std::u16string FromWide(const wchar_t* text, std::size_t length)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

inline std::u16string FromWide(const wchar_t* text)
{
    return text ? FromWide(text, std::wcslen(text)) : std::u16string();
}

// A UTF-8 path of the portable layer as the wide API wants it.
std::u16string WidePath(const std::string& utf8Path);

// The system's text for an error code, in UTF-8 ("error 5" when it has none).
std::string SystemErrorText(DWORD code);

}  // namespace tessaly::platform::win32
