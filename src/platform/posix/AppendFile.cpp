#include "platform/AppendFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {


AppendFile AppendFile::Open(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return AppendFile();
    // O_NONBLOCK: opening a FIFO for writing would otherwise wait for a reader (regular files ignore it).
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0)
        return AppendFile();
    // Only regular files: a FIFO or device under the log's name is not written to.
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return AppendFile();
    }
    return AppendFile(fd);
}

std::optional<std::uint64_t> AppendFile::Size() const
{
    struct stat st {};
    if (fd_ < 0 || ::fstat(static_cast<int>(fd_), &st) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

bool AppendFile::Append(std::string_view bytes) const
{
    if (fd_ < 0)
        return false;
    for (;;) {
        const ssize_t n = ::write(static_cast<int>(fd_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        return n >= 0 && static_cast<std::size_t>(n) == bytes.size();
    }
}

void AppendFile::Close() noexcept
{
    if (fd_ >= 0)
        ::close(static_cast<int>(fd_));
    fd_ = -1;
}

bool RemoveEntry(const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    return ::unlink(path.c_str()) == 0;
}

}  // namespace tessaly::platform
