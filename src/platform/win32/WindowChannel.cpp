// On Windows a host posts straight to the window's HWND (PostMessageW), so the in-process channel has
// nothing to carry: an entry only keeps the window's value, and no channel name is published.
#include "platform/WindowChannel.h"

#include <utility>

namespace tessaly::platform {

WindowChannelEntry WindowChannelEntry::Add(std::uint32_t value, Handler)
{
    return value != 0 ? WindowChannelEntry(value) : WindowChannelEntry();
}

void WindowChannelEntry::Remove() noexcept { m_value = 0; }

std::string WindowChannelName() { return {}; }

}  // namespace tessaly::platform
