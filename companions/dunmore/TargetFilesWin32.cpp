// Reply and download files on Windows file handles.
#include "TargetFiles.h"

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace dunmore {
namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

UniqueHandle Own(HANDLE handle) { return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle); }

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Others may read, write or delete the file while we write it, as they could before we opened it.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool WriteAll(HANDLE file, const char* data, std::size_t bytes)
{
    while (bytes > 0) {
        const DWORD chunk = bytes > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes);
        DWORD written = 0;
        if (!::WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        bytes -= written;
    }
    return true;
}

bool RunInto(const Transfer& transfer, HANDLE file)
{
    return transfer([file](const char* data, std::size_t size) { return WriteAll(file, data, size); });
}

bool Truncate(HANDLE file)
{
    LARGE_INTEGER start{};
    return ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
}

// Only a plain file on disk takes a reply: not a link or junction (opened as itself, never followed),
// a folder, a device such as NUL or CON, or a pipe. One with content is emptied.
bool EmptyReplyFile(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
        return false;
    return (info.nFileSizeHigh == 0 && info.nFileSizeLow == 0) || Truncate(file);
}

// The reply file normally exists already (the caller made it); one that does not is created, and
// removed again if the upload fails, so a failure leaves nothing new behind.
struct ReplyFile {
    UniqueHandle file;
    bool created = false;
};

ReplyFile OpenReplyFile(const std::u16string& path)
{
    ReplyFile reply;
    reply.file = Own(::CreateFileW(Wide(path), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (reply.file) {
        if (!EmptyReplyFile(reply.file.get()))
            reply.file.reset();
        return reply;
    }
    if (::GetLastError() == ERROR_FILE_NOT_FOUND) {
        reply.file = Own(::CreateFileW(Wide(path), GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
        reply.created = static_cast<bool>(reply.file);
    }
    return reply;
}

// A new file named after `target` with a ".part" suffix that no other file has.
UniqueHandle CreatePartial(const std::u16string& target, std::u16string& partial)
{
    static std::atomic<unsigned> s_counter{0};
    for (int attempt = 0; attempt < 32; ++attempt) {
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        const unsigned unique = static_cast<unsigned>(now.QuadPart) ^ (::GetCurrentProcessId() << 16) ^ ++s_counter;
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".part%08X", unique);
        partial = target + std::u16string(suffix, suffix + std::char_traits<char>::length(suffix));
        UniqueHandle file = Own(::CreateFileW(Wide(partial), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file || ::GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return nullptr;
}

}  // namespace

bool TransferIntoReplyFile(const std::u16string& path, const Transfer& transfer)
{
    ReplyFile reply = OpenReplyFile(path);
    if (!reply.file)
        return false;
    if (!RunInto(transfer, reply.file.get())) {
        Truncate(reply.file.get());  // the result already says the file is not to be trusted
        reply.file.reset();
        if (reply.created)
            ::DeleteFileW(Wide(path));
        return false;
    }
    return ::CloseHandle(reply.file.release()) != FALSE;
}

bool TransferIntoNewFile(const std::u16string& target, const Transfer& transfer)
{
    std::u16string partial;
    UniqueHandle file = CreatePartial(target, partial);
    if (!file)
        return false;
    const bool ok = RunInto(transfer, file.get()) && ::CloseHandle(file.release()) &&
                    ::MoveFileExW(Wide(partial), Wide(target), MOVEFILE_REPLACE_EXISTING);
    if (!ok) {
        file.reset();
        ::DeleteFileW(Wide(partial));
    }
    return ok;
}

}  // namespace dunmore
