#include "support/CZelShareData.h"

#include <tessaly/tessaly.h>

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

}  // namespace tessaly
