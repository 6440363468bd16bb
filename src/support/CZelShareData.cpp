#include "support/CZelShareData.h"

#include <tessaly/tessaly.h>

#include <atomic>
#include <cstring>

namespace tessaly {

int CZelShareData::OpenOrCreate()
{
    if (!m_hMapping.valid())
        m_hMapping = platform::SharedMemoryBlock::OpenOrCreate(TESSALY_SHARED_BLOCK_NAME, TESSALY_SHARED_BLOCK_SIZE, true);
    return 1;
}

std::uintptr_t CZelShareData::ReadListAddress() const
{
    if (!m_hMapping.valid() || m_hMapping.size() < TESSALY_SHARED_LIST_OFFSET + sizeof(std::uintptr_t))
        return 0;
    std::uintptr_t address = 0;
    std::memcpy(&address, m_hMapping.data() + TESSALY_SHARED_LIST_OFFSET, sizeof address);
    return address;
}

bool CZelShareData::WriteChannelName(const std::string& name)
{
    constexpr std::size_t kEnd = TESSALY_SHARED_CHANNEL_OFFSET + TESSALY_SHARED_CHANNEL_SIZE;
    if (!m_hMapping.valid() || m_hMapping.size() < kEnd || name.empty() || name.size() >= TESSALY_SHARED_CHANNEL_SIZE)
        return false;
    // The first byte goes last, so a reader in between sees an empty or a whole name; a torn mix of
    // two names of this process names no channel at all.
    unsigned char* field = m_hMapping.data() + TESSALY_SHARED_CHANNEL_OFFSET;
    field[0] = 0;
    std::atomic_thread_fence(std::memory_order_release);
    std::memset(field + 1, 0, TESSALY_SHARED_CHANNEL_SIZE - 1);
    std::memcpy(field + 1, name.data() + 1, name.size() - 1);
    std::atomic_thread_fence(std::memory_order_release);
    field[0] = static_cast<unsigned char>(name[0]);
    return true;
}

void CZelShareData::ClearChannelName(const std::string& name)
{
    if (!name.empty() && ReadChannelName() == name)
        std::memset(m_hMapping.data() + TESSALY_SHARED_CHANNEL_OFFSET, 0, TESSALY_SHARED_CHANNEL_SIZE);
}

std::string CZelShareData::ReadChannelName() const
{
    if (!m_hMapping.valid() || m_hMapping.size() < TESSALY_SHARED_CHANNEL_OFFSET + TESSALY_SHARED_CHANNEL_SIZE)
        return {};
    const auto* field = reinterpret_cast<const char*>(m_hMapping.data() + TESSALY_SHARED_CHANNEL_OFFSET);
    const auto* end = static_cast<const char*>(std::memchr(field, 0, TESSALY_SHARED_CHANNEL_SIZE));
    return end ? std::string(field, end) : std::string();
}

}  // namespace tessaly
