#include "platform/HostHeap.h"

#include <cstdlib>
#include <cstring>

namespace tessaly::platform {

void* ResizeHostBlock(void* block, std::size_t oldBytes, std::size_t bytes) noexcept
{
    void* resized = std::realloc(block, bytes);
    if (resized && bytes > oldBytes)
        std::memset(static_cast<unsigned char*>(resized) + oldBytes, 0, bytes - oldBytes);
    return resized;
}

void FreeHostBlock(void* block) noexcept
{
    std::free(block);
}

}  // namespace tessaly::platform
