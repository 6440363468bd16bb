#include "platform/FileIO.h"

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

namespace {

using win32::UniqueHandle;
using win32::Wide;

bool UsablePath(const std::string& path, std::u16string& wide)
{
    wide = win32::WidePath(path);
    return !path.empty() && wide.find(u'\0') == std::u16string::npos;
}

// Reads the whole of an open regular file of at most `maxBytes`; nothing for anything else (a pipe, a
// device, a folder) or a file that changed size underneath.
std::optional<std::string> ReadOpenFile(HANDLE file, std::size_t maxBytes)
{
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > maxBytes)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
            return std::nullopt;
        if (got == 0)
            break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

UniqueHandle OpenForReading(const std::u16string& path, DWORD extraFlags)
{
    return UniqueHandle(::CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | extraFlags, nullptr));
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    std::u16string wide;
    if (!UsablePath(path, wide))
        return std::nullopt;
    const UniqueHandle file = OpenForReading(wide, 0);
    if (!file)
        return std::nullopt;
    return ReadOpenFile(file.get(), maxBytes);
}

std::optional<std::string> ReadRegularFileNoFollow(const std::string& path, std::size_t maxBytes)
{
    std::u16string wide;
    if (!UsablePath(path, wide))
        return std::nullopt;
    const UniqueHandle file = OpenForReading(wide, FILE_FLAG_OPEN_REPARSE_POINT);
    BY_HANDLE_FILE_INFORMATION info {};
    if (!file || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return std::nullopt;
    return ReadOpenFile(file.get(), maxBytes);
}

bool PathExists(const std::string& path)
{
    std::u16string wide;
    return UsablePath(path, wide) && ::GetFileAttributesW(Wide(wide)) != INVALID_FILE_ATTRIBUTES;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    std::u16string wide;
    if (!UsablePath(path, wide) || bytes.size() > MAXDWORD)
        return false;
    const auto slash = wide.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? u"." : wide.substr(0, slash + 1);
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(Wide(folder), L"tsy", 0, temporary))
        return false;
    bool written = false;
    {
        const UniqueHandle file(::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD done = 0;
        written = file && ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                  done == bytes.size() && ::FlushFileBuffers(file.get());
    }
    // ReplaceFileW keeps the old file's attributes and security; a file that did not exist yet is
    // simply moved into place.
    const bool replaced =
        written && (::GetFileAttributesW(Wide(wide)) != INVALID_FILE_ATTRIBUTES
                        ? ::ReplaceFileW(Wide(wide), temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                        : ::MoveFileExW(temporary, Wide(wide), MOVEFILE_WRITE_THROUGH));
    if (!replaced)
        ::DeleteFileW(temporary);
    return replaced != 0;
}

}  // namespace tessaly::platform
