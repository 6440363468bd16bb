#include "platform/AppendFile.h"

#include <utility>

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

namespace {

HANDLE AsHandle(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

}  // namespace


AppendFile AppendFile::Open(const std::string& path)
{
    const std::u16string wide = win32::WidePath(path);
    if (path.empty() || wide.find(u'\0') != std::u16string::npos)
        return AppendFile();
    // Append-only access: every write lands at the end, whoever else writes. Others may read, write
    // and delete the file meanwhile, as a log shared by threads and processes needs. The reparse-point
    // flag opens a link itself, which is then refused.
    win32::UniqueHandle file(::CreateFileW(win32::Wide(wide), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file)
        return AppendFile();
    BY_HANDLE_FILE_INFORMATION info {};
    if (::GetFileType(file.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return AppendFile();
    return AppendFile(reinterpret_cast<std::intptr_t>(file.release()));
}

std::optional<std::uint64_t> AppendFile::Size() const
{
    LARGE_INTEGER size {};
    if (fd_ < 0 || !::GetFileSizeEx(AsHandle(fd_), &size))
        return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
}

bool AppendFile::Append(std::string_view bytes) const
{
    if (fd_ < 0 || bytes.size() > MAXDWORD)
        return false;
    DWORD written = 0;
    return ::WriteFile(AsHandle(fd_), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

void AppendFile::Close() noexcept
{
    if (fd_ >= 0)
        ::CloseHandle(AsHandle(fd_));
    fd_ = -1;
}

bool RemoveEntry(const std::string& path)
{
    const std::u16string wide = win32::WidePath(path);
    if (path.empty() || wide.find(u'\0') != std::u16string::npos)
        return false;
    return ::DeleteFileW(win32::Wide(wide)) != 0;
}

}  // namespace tessaly::platform
