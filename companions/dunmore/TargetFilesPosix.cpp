// Reply and download files on POSIX file descriptors.
#include "TargetFiles.h"
#include "Utf16.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace dunmore {
namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            close();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether everything written reached the file system.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, const char* data, std::size_t bytes)
{
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(fd, data + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool RunInto(const Transfer& transfer, int fd)
{
    return transfer([fd](const char* data, std::size_t size) { return WriteAll(fd, data, size); });
}

// The reply file normally exists already (the caller made it); one that does not is created, and
// removed again if the upload fails, so a failure leaves nothing new behind.
struct ReplyFile {
    UniqueFd fd;
    bool created = false;
};

// An existing file is emptied only when it has content. Truncating a file, even an empty one, makes
// ext4 write it back at once when it is closed (its guard for files rewritten in place), which costs
// more than the whole upload; the caller's fresh file is empty already and needs none of that.
bool EmptyReplyFile(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    return status.st_size == 0 || ::ftruncate(fd, 0) == 0;
}

ReplyFile OpenReplyFile(const std::string& path)
{
    ReplyFile file;
    file.fd = UniqueFd(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (file.fd.valid()) {
        if (!EmptyReplyFile(file.fd.get()))
            file.fd = UniqueFd();
        return file;
    }
    if (errno == ENOENT) {
        file.fd = UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        file.created = file.fd.valid();
    }
    return file;
}

}  // namespace

bool TransferIntoReplyFile(const std::u16string& widePath, const Transfer& transfer)
{
    const std::string path = companion::ToUtf8(widePath);
    ReplyFile reply = OpenReplyFile(path);
    if (!reply.fd.valid())
        return false;
    if (!RunInto(transfer, reply.fd.get())) {
        if (::ftruncate(reply.fd.get(), 0) != 0) {
            // Nothing more to do: the result already says the file is not to be trusted.
        }
        reply.fd.close();
        if (reply.created)
            ::unlink(path.c_str());
        return false;
    }
    return reply.fd.close();
}

bool TransferIntoNewFile(const std::u16string& widePath, const Transfer& transfer)
{
    const std::string target = companion::ToUtf8(widePath);
    std::string partial = target + ".partXXXXXX";
    UniqueFd fd(::mkostemp(partial.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    const bool ok = RunInto(transfer, fd.get()) && fd.close() && ::rename(partial.c_str(), target.c_str()) == 0;
    if (!ok) {
        fd.close();
        ::unlink(partial.c_str());
    }
    return ok;
}

}  // namespace dunmore
