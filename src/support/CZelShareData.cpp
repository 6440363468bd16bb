#include "support/CZelShareData.h"

#include <tessaly/tessaly.h>

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

}  // namespace tessaly
