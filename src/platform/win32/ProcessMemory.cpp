#include "platform/ProcessMemory.h"

#include <winsock2.h>
#include <windows.h>

#include <cstdint>

namespace tessaly::platform {

namespace {

bool IsWritableProtection(DWORD protect)
{
    if (protect & (PAGE_GUARD | PAGE_NOACCESS))
        return false;
    return (protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

}  // namespace

// Walks the regions the range touches: each must be committed and writable.
bool IsWritableRange(const void* address, std::size_t length) noexcept
{
    auto start = reinterpret_cast<std::uintptr_t>(address);
    if (start == 0 || length == 0 || start + length < start)
        return false;
    const std::uintptr_t end = start + length;
    while (start < end) {
        MEMORY_BASIC_INFORMATION region {};
        if (::VirtualQuery(reinterpret_cast<const void*>(start), &region, sizeof region) != sizeof region)
            return false;
        if (region.State != MEM_COMMIT || !IsWritableProtection(region.Protect))
            return false;
        const auto regionEnd = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        if (regionEnd <= start)
            return false;
        start = regionEnd;
    }
    return true;
}

}  // namespace tessaly::platform
