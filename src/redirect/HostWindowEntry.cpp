#include "redirect/HostWindowEntry.h"

#include "support/CLogTrace.h"
#include "support/CZelShareData.h"
#include "support/SwallowedException.h"
#include "support/WndMsgList.h"

namespace tessaly {

void HostWindowEntry::Register(std::uint32_t x11Id, Handler handler)
{
    Unregister();
    TessalyWndMsgList* list = GetWndMsgList();
    if (!list) {
        g_LogTrace.Trace(4, u"--No window message list published by the host: the window is not listed");
        return;
    }
    m_channelEntry = platform::WindowChannelEntry::Add(x11Id, std::move(handler));
    if (m_channelEntry.valid() && !platform::WindowChannelName().empty()) {
        m_channelName = platform::WindowChannelName();
        CZelShareData share;
        share.OpenOrCreate();
        share.WriteChannelName(m_channelName);
    }
    const std::uint32_t window = x11Id != 0 ? x11Id : m_channelEntry.value();
    if (window == 0)
        return;  // neither an X11 window nor a channel: the host has no way to reach it
    if (!RegisterCloseWindow(list, window)) {
        g_LogTrace.Trace(4, u"--The window 0X%X could not be added to the host's window message list", window);
        return;
    }
    m_window = window;
}

void HostWindowEntry::Unregister() noexcept
{
    m_channelEntry.Remove();
    // The name goes from the block with the channel itself (when this was its last window).
    try {
        if (!m_channelName.empty() && platform::WindowChannelName() != m_channelName) {
            CZelShareData share;
            share.OpenOrCreate();
            share.ClearChannelName(m_channelName);
        }
    } catch (...) {
        // The name stays, and a post to it finds no channel.
        TraceSwallowed(u"HostWindowEntry", u"the channel name could not be cleared from the shared block");
    }
    m_channelName.clear();
    if (m_window == 0)
        return;
    // Read the list again: the host may have replaced it while the window was open.
    if (TessalyWndMsgList* list = GetWndMsgList())
        UnregisterCloseWindow(list, m_window);
    m_window = 0;
}

}  // namespace tessaly
