#pragma once
// Owner of one file descriptor, closed on destruction.
#include <unistd.h>

#include <utility>

namespace tessaly::platform::posix {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset() noexcept
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// Reads up to `maxBytes` from `fd` until end of file; false on a read error or when more is there.
bool ReadAll(int fd, std::size_t maxBytes, std::string& out);

// Writes every byte, retrying after interruptions; false when not all could be written.
bool WriteAll(int fd, const char* data, std::size_t size);

}  // namespace tessaly::platform::posix
