#include "SharedBlock.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tessaly::host {
namespace {

struct FdCloser {
    int fd;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::uint64_t ReadSlot(const void* mapping)
{
    std::uint64_t value = 0;
    std::memcpy(&value, static_cast<const char*>(mapping) + TESSALY_SHARED_LIST_OFFSET, sizeof value);
    return value;
}

void WriteSlot(void* mapping, std::uint64_t value)
{
    std::memcpy(static_cast<char*>(mapping) + TESSALY_SHARED_LIST_OFFSET, &value, sizeof value);
}

}  // namespace

std::unique_ptr<SharedBlock> SharedBlock::Publish(TessalyWndMsgList* list, std::string& error, std::string& note)
{
    bool created = true;
    FdCloser shm{::shm_open(TESSALY_SHARED_BLOCK_NAME, O_RDWR | O_CREAT | O_EXCL, 0600)};
    if (shm.fd < 0 && errno == EEXIST) {
        created = false;
        shm.fd = ::shm_open(TESSALY_SHARED_BLOCK_NAME, O_RDWR, 0600);
        note = "shared data block " TESSALY_SHARED_BLOCK_NAME " already existed (left by an earlier host?); taking it over";
    }
    struct stat info {};
    if (shm.fd < 0 || ::fstat(shm.fd, &info) != 0 ||
        (info.st_size < TESSALY_SHARED_BLOCK_SIZE && ::ftruncate(shm.fd, TESSALY_SHARED_BLOCK_SIZE) != 0)) {
        error = std::string("cannot create shared data block " TESSALY_SHARED_BLOCK_NAME ": ") + std::strerror(errno);
        if (created && shm.fd >= 0)
            ::shm_unlink(TESSALY_SHARED_BLOCK_NAME);
        return nullptr;
    }
    void* mapping = ::mmap(nullptr, TESSALY_SHARED_BLOCK_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, shm.fd, 0);
    if (mapping == MAP_FAILED) {
        error = std::string("cannot map shared data block: ") + std::strerror(errno);
        if (created)
            ::shm_unlink(TESSALY_SHARED_BLOCK_NAME);
        return nullptr;
    }
    WriteSlot(mapping, reinterpret_cast<std::uintptr_t>(list));
    return std::make_unique<SharedBlock>(Key{}, mapping, list);
}

SharedBlock::~SharedBlock()
{
    // Withdraw the address and remove the block only while it is still ours: a later host may have
    // taken it over. A block taken over from an earlier host is ours from then on.
    const bool stillOurs = ReadSlot(m_mapping) == reinterpret_cast<std::uintptr_t>(m_list);
    if (stillOurs)
        WriteSlot(m_mapping, 0);
    ::munmap(m_mapping, TESSALY_SHARED_BLOCK_SIZE);
    if (stillOurs)
        ::shm_unlink(TESSALY_SHARED_BLOCK_NAME);
}

}  // namespace tessaly::host
