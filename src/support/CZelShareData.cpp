#include "support/CZelShareData.h"

#include <tessaly/tessaly.h>

#include <atomic>
#include <cstring>

#include "platform/ProcessIdentity.h"

namespace tessaly {

namespace {

constexpr std::size_t kFieldBytes = 8;

std::uint64_t ReadField(const platform::SharedMemoryBlock& block, std::size_t offset)
{
    std::uint64_t value = 0;
    for (std::size_t i = kFieldBytes; i-- > 0;)
        value = (value << 8) | block.data()[offset + i];
    return value;
}

void WriteField(const platform::SharedMemoryBlock& block, std::size_t offset, std::uint64_t value)
{
    for (std::size_t i = 0; i < kFieldBytes; ++i)
        block.data()[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace

std::string CZelShareData::BlockName()
{
    return TESSALY_SHARED_BLOCK_PREFIX "." + std::to_string(platform::OwnProcessIdentity().pid);
}

bool CZelShareData::CarriesOwnIdentity(const platform::SharedMemoryBlock& block)
{
    if (!block.valid() || !block.privateToUser() || block.size() < TESSALY_SHARED_START_TIME_OFFSET + kFieldBytes)
        return false;
    const platform::ProcessIdentity own = platform::OwnProcessIdentity();
    return own.startTime != 0 && ReadField(block, TESSALY_SHARED_PID_OFFSET) == own.pid &&
           ReadField(block, TESSALY_SHARED_START_TIME_OFFSET) == own.startTime;
}

int CZelShareData::OpenOrCreate()
{
    if (m_hMapping.valid())
        return 1;
    m_hMapping = platform::SharedMemoryBlock::OpenOrCreate(BlockName(), TESSALY_SHARED_BLOCK_SIZE, true);
    if (m_hMapping.created()) {
        const platform::ProcessIdentity own = platform::OwnProcessIdentity();
        WriteField(m_hMapping, TESSALY_SHARED_PID_OFFSET, own.pid);
        WriteField(m_hMapping, TESSALY_SHARED_START_TIME_OFFSET, own.startTime);
    }
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
