#include "platform/PrivateFileRead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tessaly::platform {

namespace {

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads to the end; false on an error or when more than maxBytes arrive (the file grew after the
// size check).
bool ReadToEnd(int fd, std::size_t maxBytes, std::string& out)
{
    char chunk[16384];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (out.size() + static_cast<std::size_t>(n) > maxBytes)
            return false;
        out.append(chunk, static_cast<std::size_t>(n));
    }
}

}  // namespace

std::optional<std::string> ReadRegularFileNoFollow(const std::string& path, std::size_t maxBytes)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::nullopt;
    // O_NONBLOCK: a FIFO put in the file's place must not block the open.
    FdCloser fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return std::nullopt;
    std::string bytes;
    if (!ReadToEnd(fd.get(), maxBytes, bytes))
        return std::nullopt;
    return bytes;
}

}  // namespace tessaly::platform
