// What a channel entry does the same on every system: handing its value on when moved.
#include "platform/WindowChannel.h"

#include <utility>

namespace tessaly::platform {

WindowChannelEntry::WindowChannelEntry(WindowChannelEntry&& other) noexcept : m_value(std::exchange(other.m_value, 0)) {}

WindowChannelEntry& WindowChannelEntry::operator=(WindowChannelEntry&& other) noexcept
{
    if (this != &other) {
        Remove();
        m_value = std::exchange(other.m_value, 0);
    }
    return *this;
}

}  // namespace tessaly::platform
