#pragma once
// The named shared data block through which the host publishes its window message list.
#include <cstdint>
#include <string>

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

    // The name of the library's in-process window channel, kept from TESSALY_SHARED_CHANNEL_OFFSET
    // on while a window is registered, so that the host's TessalyPostWindowMessage finds it. Write
    // fails (false) when the block is not open or the name does not fit; Clear leaves the field alone
    // unless it still holds `name`.
    bool WriteChannelName(const std::string& name);
    void ClearChannelName(const std::string& name);
    std::string ReadChannelName() const;

private:
    platform::SharedMemoryBlock m_hMapping;
};

}  // namespace tessaly
