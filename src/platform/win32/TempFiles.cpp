#include "platform/TempFiles.h"

#include "platform/win32/Win32Support.h"

namespace tessaly::platform {

std::u16string TempFolder()
{
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH + 1)
        return {};
    std::u16string folder = win32::FromWide(buffer, length);
    if (folder.back() != u'\\')
        folder += u'\\';
    return folder;
}

std::optional<std::u16string> CreateUniqueTempFile(std::u16string_view prefix)
{
    // The system takes up to three characters of the prefix; a separator in them must not move the
    // file elsewhere.
    std::u16string head(prefix.substr(0, 3));
    for (char16_t& c : head)
        if (c == u'/' || c == u'\\' || c == u':' || c == 0)
            c = u'_';
    const std::u16string folder = TempFolder();
    wchar_t name[MAX_PATH + 1] = {};
    if (folder.empty() || !::GetTempFileNameW(win32::Wide(folder), win32::Wide(head), 0, name))
        return std::nullopt;
    return win32::FromWide(name);
}

void ForceRemoveFile(const std::u16string& path)
{
    if (path.empty() || path.find(u'\0') != std::u16string::npos)
        return;
    // Normal attributes first, so that a read-only file can go; a link is removed itself, and a
    // folder never (DeleteFileW refuses it).
    ::SetFileAttributesW(win32::Wide(path), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(win32::Wide(path));
}

}  // namespace tessaly::platform
