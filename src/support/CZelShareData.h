#pragma once
// The shared data block through which the host publishes its window message list. The block is
// scoped to the host process: its name carries the process id, and the address inside it counts only
// when the block also carries this process's identity (pid and start time).
#include <cstdint>
#include <string>

#include "platform/SharedMemory.h"

namespace tessaly {

class CZelShareData {
public:
    CZelShareData() = default;
    virtual ~CZelShareData() = default;

    // Makes sure this process's block exists and keeps it mapped. Always 1; a block that cannot be
    // opened or created leaves the object empty. A block made here is zero-filled, carries this
    // process's identity, and is removed again when the object goes away.
    int OpenOrCreate();

    // The pointer-sized value at byte offset 32 (0 when the block is not available).
    std::uintptr_t ReadListAddress() const;

    bool IsOpen() const { return m_hMapping.valid(); }

    // This process's block name: the fixed prefix, '.', the pid in decimal.
    static std::string BlockName();

    // True when `block` is private to this user and its identity fields name this very process.
    static bool CarriesOwnIdentity(const platform::SharedMemoryBlock& block);

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
