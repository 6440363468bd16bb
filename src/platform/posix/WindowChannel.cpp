#include "platform/WindowChannel.h"

#include <glib-unix.h>
#include <glib.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

#include <tessaly/tessaly.h>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

namespace {

static_assert(kChannelWindowFlag == TESSALY_CHANNEL_WINDOW_FLAG);
static_assert(sizeof(TessalyWindowMessageRecord) == 32);

// Records handled in one wake-up, so a flood cannot starve the rest of the main context.
constexpr int kRecordsPerDispatch = 64;

struct Channel {
    posix::UniqueFd socket;
    std::string name;
    GSource* source = nullptr;
};

using SharedHandler = std::shared_ptr<const WindowChannelEntry::Handler>;

struct Registry {
    std::mutex mutex;
    std::shared_ptr<Channel> channel;
    std::map<std::uint32_t, SharedHandler> windows;
    std::uint32_t lastChannelValue = 0;
};

Registry& TheRegistry()
{
    static Registry registry;
    return registry;
}

// "tessaly.<pid>.<32 hex digits>"; empty when the system has no randomness to give.
std::string MakeName()
{
    unsigned char token[16];
    if (::getrandom(token, sizeof token, 0) != static_cast<ssize_t>(sizeof token))
        return {};
    std::string name = TESSALY_CHANNEL_NAME_PREFIX + std::to_string(::getpid()) + ".";
    static constexpr char kHex[] = "0123456789abcdef";
    for (const unsigned char byte : token) {
        name += kHex[byte >> 4];
        name += kHex[byte & 0xF];
    }
    return name;
}

enum class Received { Nothing, Dropped, Record };

// Reads one datagram. Only a whole record of the right magic, sent by this process, counts.
Received ReceiveRecord(int fd, TessalyWindowMessageRecord& record)
{
    alignas(cmsghdr) unsigned char control[CMSG_SPACE(sizeof(ucred))];
    iovec part{&record, sizeof record};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t n = ::recvmsg(fd, &message, MSG_DONTWAIT | MSG_TRUNC | MSG_CMSG_CLOEXEC);
    if (n < 0)
        return Received::Nothing;
    if (n != static_cast<ssize_t>(sizeof record) || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0 ||
        record.magic != TESSALY_CHANNEL_RECORD_MAGIC)
        return Received::Dropped;
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_CREDENTIALS || c->cmsg_len != CMSG_LEN(sizeof(ucred)))
            continue;
        ucred sender{};
        std::memcpy(&sender, CMSG_DATA(c), sizeof sender);
        return sender.pid == ::getpid() && sender.uid == ::getuid() ? Received::Record : Received::Dropped;
    }
    return Received::Dropped;
}

// The handler registered for `window` while `channel` is still the open one.
SharedHandler FindHandler(const std::shared_ptr<Channel>& channel, std::uint32_t window)
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (registry.channel != channel)
        return nullptr;
    const auto it = registry.windows.find(window);
    return it == registry.windows.end() ? nullptr : it->second;
}

gboolean OnReadable(gint fd, GIOCondition, gpointer data)
{
    // A copy: a handler may close the channel, which must not pull the socket from under this loop.
    const std::shared_ptr<Channel> channel = *static_cast<std::shared_ptr<Channel>*>(data);
    for (int i = 0; i < kRecordsPerDispatch; ++i) {
        TessalyWindowMessageRecord record{};
        const Received got = ReceiveRecord(fd, record);
        if (got == Received::Nothing)
            break;
        if (got == Received::Dropped)
            continue;
        if (const SharedHandler handler = FindHandler(channel, record.window))
            (*handler)(record.message, static_cast<std::uintptr_t>(record.wParam),
                       static_cast<std::intptr_t>(record.lParam));
    }
    return G_SOURCE_CONTINUE;
}

void ReleaseHolder(gpointer data)
{
    std::unique_ptr<std::shared_ptr<Channel>> holder(static_cast<std::shared_ptr<Channel>*>(data));
}

// Binds a fresh name and starts reading on the calling thread's main context; nullptr on failure.
std::shared_ptr<Channel> OpenChannel()
{
    auto channel = std::make_shared<Channel>();
    channel->socket = posix::UniqueFd(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    channel->name = MakeName();
    const int on = 1;
    if (!channel->socket.valid() || channel->name.empty() ||
        ::setsockopt(channel->socket.get(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on) != 0)
        return nullptr;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, channel->name.data(), channel->name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + channel->name.size());
    if (::bind(channel->socket.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0)
        return nullptr;
    channel->source = g_unix_fd_source_new(channel->socket.get(), G_IO_IN);
    auto holder = std::make_unique<std::shared_ptr<Channel>>(channel);
    g_source_set_callback(channel->source, G_SOURCE_FUNC(OnReadable),
                          holder.release(), &ReleaseHolder);
    GMainContext* context = g_main_context_ref_thread_default();
    g_source_attach(channel->source, context);
    g_main_context_unref(context);
    return channel;
}

void CloseChannel(Channel& channel)
{
    g_source_destroy(channel.source);
    g_source_unref(channel.source);
    channel.source = nullptr;
}

// A channel value that is neither zero nor registered; the registry's lock is held.
std::uint32_t NextChannelValue(Registry& registry)
{
    do
        registry.lastChannelValue = (registry.lastChannelValue + 1) & ~kChannelWindowFlag;
    while (registry.lastChannelValue == 0 || registry.windows.count(registry.lastChannelValue | kChannelWindowFlag));
    return registry.lastChannelValue | kChannelWindowFlag;
}

}  // namespace

WindowChannelEntry WindowChannelEntry::Add(std::uint32_t value, Handler handler)
{
    try {
        Registry& registry = TheRegistry();
        auto shared = std::make_shared<const Handler>(std::move(handler));
        std::lock_guard lock(registry.mutex);
        if (!registry.channel)
            registry.channel = OpenChannel();
        if (!registry.channel)
            return {};
        if (value == 0)
            value = NextChannelValue(registry);
        if (!registry.windows.emplace(value, std::move(shared)).second)
            return {};
        return WindowChannelEntry(value);
    } catch (const std::bad_alloc&) {
        return {};  // no memory for the handler, the registry entry or the channel's name
    } catch (const std::system_error&) {
        return {};  // the registry's lock could not be taken
    }
}

void WindowChannelEntry::Remove() noexcept
{
    if (m_value == 0)
        return;
    std::shared_ptr<Channel> closing;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        registry.windows.erase(m_value);
        if (registry.windows.empty())
            closing = std::move(registry.channel);
    }
    m_value = 0;
    if (closing)
        CloseChannel(*closing);
}

std::string WindowChannelName()
{
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.channel ? registry.channel->name : std::string();
}

}  // namespace tessaly::platform
