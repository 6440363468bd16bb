#include "platform/ProcessMemory.h"

#include <fcntl.h>

#include <new>
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
    } catch (const std::bad_alloc&) {
        return false;  // only the text can fail: without it nothing can be vouched for
    }
}

}  // namespace tessaly::platform
