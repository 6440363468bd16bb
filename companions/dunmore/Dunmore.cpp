// HTTP transfer library: uploads a block of name/value pairs as a form and stores the answer in a
// file, or downloads a URL into a file.

#include "CompanionExport.h"
#include "CurlEasy.h"
#include "FormBody.h"
#include "Utf16.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace {

constexpr std::size_t kMaxPathUnits = 4096;
constexpr std::size_t kMaxUrlUnits = 8192;
// A reply or download beyond this is refused rather than allowed to fill the disk.
constexpr std::uint64_t kMaxBodyBytes = 64ull * 1024 * 1024;

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

struct FileSink {
    int fd;
    std::uint64_t written;
};

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* sink = static_cast<FileSink*>(user);
    const std::size_t bytes = size * count;
    if (sink->written + bytes > kMaxBodyBytes)
        return 0;
    std::size_t done = 0;
    while (done < bytes) {
        const ssize_t n = ::write(sink->fd, data + done, bytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return 0;  // makes curl abort the transfer with a write error
        done += static_cast<std::size_t>(n);
    }
    sink->written += bytes;
    return bytes;
}

std::optional<std::string> Narrow(const char16_t* text, std::size_t limit)
{
    const auto length = companion::BoundedLength(text, limit);
    if (!length || *length == 0)
        return std::nullopt;
    return companion::ToUtf8({text, *length});
}

// Sends the prepared request and streams a 2xx body into `fd`.
bool TransferInto(CURL* curl, int fd)
{
    FileSink sink{fd, 0};
    companion::SetOption(curl, CURLOPT_WRITEFUNCTION, &WriteToFile);
    companion::SetOption(curl, CURLOPT_WRITEDATA, &sink);
    return companion::PerformOk(curl);
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

// Posts the pairs of `params` as a form to `url` and writes the answer into `replyPath`. Returns 1
// only when the server answered 2xx and the whole body is in the file; otherwise 0, with an existing
// reply file left empty.
COMPANION_EXPORT int HttpUpload(const char16_t* url, const char16_t* params, const char16_t* replyPath)
{
    const auto narrowUrl = Narrow(url, kMaxUrlUnits);
    const auto path = Narrow(replyPath, kMaxPathUnits);
    const auto fields = dunmore::ParseParamBlock(params);
    if (!narrowUrl || !path || !fields)
        return 0;
    ReplyFile reply = OpenReplyFile(*path);
    if (!reply.fd.valid())
        return 0;

    const std::string body = dunmore::EncodeForm(*fields);
    auto curl = companion::NewRequest(*narrowUrl);
    companion::CurlSlist headers(
        curl ? companion::Curl()->slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded") : nullptr);
    bool ok = false;
    if (curl && headers) {
        companion::SetOption(curl.get(), CURLOPT_HTTPHEADER, headers.get());
        companion::SetOption(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
        companion::SetOption(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
        ok = TransferInto(curl.get(), reply.fd.get());
    }
    if (!ok) {
        if (::ftruncate(reply.fd.get(), 0) != 0) {
            // Nothing more to do: the result already says the file is not to be trusted.
        }
        reply.fd.close();
        if (reply.created)
            ::unlink(path->c_str());
        return 0;
    }
    return reply.fd.close() ? 1 : 0;
}

// Fetches `url` into the file `path`. The body is written to a temporary file beside it and renamed
// into place only once complete, so a failure never leaves a partial or clobbered file. 1 on success.
COMPANION_EXPORT int HttpDownload(const char16_t* url, const char16_t* path)
{
    const auto narrowUrl = Narrow(url, kMaxUrlUnits);
    const auto target = Narrow(path, kMaxPathUnits);
    if (!narrowUrl || !target)
        return 0;
    std::string partial = *target + ".partXXXXXX";
    UniqueFd fd(::mkostemp(partial.data(), O_CLOEXEC));
    if (!fd.valid())
        return 0;
    auto curl = companion::NewRequest(*narrowUrl);
    const bool ok = curl && TransferInto(curl.get(), fd.get()) && fd.close() &&
                    ::rename(partial.c_str(), target->c_str()) == 0;
    if (!ok) {
        fd.close();
        ::unlink(partial.c_str());
        return 0;
    }
    return 1;
}
