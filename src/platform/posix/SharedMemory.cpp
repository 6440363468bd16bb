#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

namespace {

bool IsValidName(const std::string& name)
{
    return name.size() > 1 && name.size() < 255 && name[0] == '/' && name.find('/', 1) == std::string::npos &&
           name.find('\0') == std::string::npos;
}

// Maps `size` bytes of an object that holds at least that many; nullptr otherwise (mapping beyond
// the object's end would fault on access).
void* MapObject(int fd, std::size_t size)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size < 0 || static_cast<std::size_t>(st.st_size) < size)
        return nullptr;
    void* data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return data == MAP_FAILED ? nullptr : data;
}

}  // namespace

void SharedMemoryBlock::reset() noexcept
{
    if (data_)
        ::munmap(data_, size_);
    if (created_ && unlink_ && !name_.empty())
        ::shm_unlink(name_.c_str());
    data_ = nullptr;
    size_ = 0;
    name_.clear();
    created_ = false;
    unlink_ = false;
    private_ = false;
}

SharedMemoryBlock SharedMemoryBlock::OpenExisting(const std::string& name, std::size_t size)
{
    SharedMemoryBlock block;
    if (!IsValidName(name) || size == 0)
        return block;
    posix::UniqueFd fd(::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0));
    if (!fd.valid())
        return block;
    block.data_ = MapObject(fd.get(), size);
    if (block.data_) {
        block.size_ = size;
        block.name_ = name;
        struct stat st {};
        block.private_ = ::fstat(fd.get(), &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
    }
    return block;
}

SharedMemoryBlock SharedMemoryBlock::OpenOrCreate(const std::string& name, std::size_t size, bool unlinkIfCreated)
{
    if (!IsValidName(name) || size == 0)
        return SharedMemoryBlock();
    // Open first; create only when there is none, exclusively, so a block that another process made
    // in between is opened (and left as it is) rather than zero-filled.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SharedMemoryBlock existing = OpenExisting(name, size);
        if (existing.valid())
            return existing;
        posix::UniqueFd fd(::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd.valid()) {
            if (errno == EEXIST)
                continue;
            return SharedMemoryBlock();
        }
        SharedMemoryBlock block;
        block.name_ = name;
        block.created_ = true;
        block.private_ = true;
        block.unlink_ = true;  // until it is fully set up, a failure removes it again
        if (::ftruncate(fd.get(), static_cast<off_t>(size)) == 0)
            block.data_ = MapObject(fd.get(), size);
        if (!block.data_)
            return SharedMemoryBlock();  // `block` unlinks the half-made object on the way out
        block.size_ = size;
        std::memset(block.data_, 0, size);
        block.unlink_ = unlinkIfCreated;
        return block;
    }
    return SharedMemoryBlock();
}

}  // namespace tessaly::platform
