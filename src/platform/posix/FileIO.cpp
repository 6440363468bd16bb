#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

namespace posix {

bool ReadAll(int fd, std::size_t maxBytes, std::string& out)
{
    out.clear();
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

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace posix

namespace {

// Opens without blocking (O_NONBLOCK keeps a FIFO from blocking the open) and reads only a regular
// file of at most maxBytes.
std::optional<std::string> ReadRegularFile(const std::string& path, std::size_t maxBytes, int extraFlags)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return std::nullopt;
    posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | extraFlags));
    if (!fd.valid())
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > maxBytes)
        return std::nullopt;
    std::string bytes;
    if (!posix::ReadAll(fd.get(), maxBytes, bytes))
        return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t maxBytes)
{
    return ReadRegularFile(path, maxBytes, 0);
}

std::optional<std::string> ReadRegularFileNoFollow(const std::string& path, std::size_t maxBytes)
{
    return ReadRegularFile(path, maxBytes, O_NOFOLLOW);
}

bool PathExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && path.find('\0') == std::string::npos && ::lstat(path.c_str(), &st) == 0;
}

namespace {

std::string FolderPart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

// A link that another user placed in a folder anyone may write (a shared state folder, /tmp) is not
// followed: it could aim the write at any file of the calling user.
bool TrustedLink(const std::string& link)
{
    struct stat linkInfo {};
    struct stat folderInfo {};
    if (::lstat(link.c_str(), &linkInfo) != 0 || ::stat(FolderPart(link).c_str(), &folderInfo) != 0)
        return false;
    return (folderInfo.st_mode & S_IWOTH) == 0 || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == 0;
}

// The file a write to `path` has to replace. Symbolic links are followed one by one, also when the
// last one points at nothing yet (an installed Config/ entry may point at a state file that is still
// to be made), so a write never replaces a link with a plain file. Nothing for a loop.
std::optional<std::string> WriteTarget(std::string path)
{
    constexpr int kMaxLinks = 40;  // the kernel's own limit when it resolves a path
    for (int links = 0; links < kMaxLinks; ++links) {
        char text[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), text, sizeof text);
        if (n < 0)
            return errno == EINVAL || errno == ENOENT ? std::optional(path) : std::nullopt;
        if (static_cast<std::size_t>(n) >= sizeof text || !TrustedLink(path))
            return std::nullopt;
        const std::string link(text, static_cast<std::size_t>(n));
        path = link.front() == '/' ? link : path.substr(0, path.rfind('/') + 1) + link;
    }
    return std::nullopt;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    const auto resolved = WriteTarget(path);
    if (!resolved)
        return false;
    const std::string& target = *resolved;
    const std::string folder = FolderPart(target) + "/";
    std::string temp = folder + ".tessaly-XXXXXX";
    posix::UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return false;
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    const bool ok = ::fchmod(fd.get(), mode) == 0 && posix::WriteAll(fd.get(), bytes.data(), bytes.size()) &&
                    ::fsync(fd.get()) == 0;
    fd.reset();
    if (!ok || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace tessaly::platform
