#pragma once
// A redirect window's place in the host's window message list, and the value the host uses to post
// to it. On X11 the entry holds the window's X11 id (the host may also send it X11 client messages);
// elsewhere it holds a fresh channel value. Either way the window is registered on the in-process
// channel, so TessalyPostWindowMessage of the public header reaches it. Nothing is registered when
// the host published no list.
#include <cstdint>
#include <string>

#include "platform/WindowChannel.h"

namespace tessaly {

class HostWindowEntry {
public:
    using Handler = platform::WindowChannelEntry::Handler;

    HostWindowEntry() = default;
    ~HostWindowEntry() { Unregister(); }
    HostWindowEntry(const HostWindowEntry&) = delete;
    HostWindowEntry& operator=(const HostWindowEntry&) = delete;

    // `x11Id` is the window's X11 id, 0 when it is not an X11 window. Call on the window's thread.
    void Register(std::uint32_t x11Id, Handler handler);
    // Takes the entry out of the list and the window off the channel (idempotent).
    void Unregister() noexcept;

    // The value in the host's list; 0 when none was registered.
    std::uint32_t Window() const { return m_window; }

private:
    platform::WindowChannelEntry m_channelEntry;
    std::string m_channelName;  // what this entry published in the shared data block
    std::uint32_t m_window = 0;
};

}  // namespace tessaly
