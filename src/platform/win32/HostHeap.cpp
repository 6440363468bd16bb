#include "platform/HostHeap.h"

#include <winsock2.h>
#include <windows.h>

namespace tessaly::platform {

void* ResizeHostBlock(void* block, std::size_t, std::size_t bytes) noexcept
{
    HANDLE heap = ::GetProcessHeap();
    if (bytes == 0)
        bytes = 1;
    return block ? ::HeapReAlloc(heap, HEAP_ZERO_MEMORY, block, bytes) : ::HeapAlloc(heap, HEAP_ZERO_MEMORY, bytes);
}

void FreeHostBlock(void* block) noexcept
{
    if (block)
        ::HeapFree(::GetProcessHeap(), 0, block);
}

}  // namespace tessaly::platform
