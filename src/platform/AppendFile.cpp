// What an append-only file does the same on every system: handing its handle on when moved.
#include "platform/AppendFile.h"

#include <utility>

namespace tessaly::platform {

AppendFile::~AppendFile() { Close(); }

AppendFile::AppendFile(AppendFile&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

AppendFile& AppendFile::operator=(AppendFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

}  // namespace tessaly::platform
