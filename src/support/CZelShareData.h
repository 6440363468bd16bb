#pragma once
// The named shared data block through which the host publishes its window message list.
#include <cstdint>

#include "platform/SharedMemory.h"

namespace tessaly {

class CZelShareData {
public:
    CZelShareData() = default;
    virtual ~CZelShareData() = default;

    // Makes sure the block exists and keeps it mapped. Always 1; a block that cannot be opened or
    // created leaves the object empty.
    int OpenOrCreate();

    // The pointer-sized value at byte offset 32 (0 when the block is not available).
    std::uintptr_t ReadListAddress() const;

    bool IsOpen() const { return m_hMapping.valid(); }

private:
    platform::SharedMemoryBlock m_hMapping;
};

}  // namespace tessaly
