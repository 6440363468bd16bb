#include "platform/ProcessMemory.h"

#include <fcntl.h>

#include <string>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

bool IsWritableRange(const void* address, std::size_t length) noexcept
{
    try {
        posix::UniqueFd fd(::open("/proc/self/maps", O_RDONLY | O_CLOEXEC));
        std::string maps;
        if (!fd.valid() || !posix::ReadAll(fd.get(), 64u << 20, maps))
            return false;
        return IsWritableRangeIn(maps, address, length);
    } catch (...) {
        return false;  // out of memory: nothing can be vouched for
    }
}

}  // namespace tessaly::platform
