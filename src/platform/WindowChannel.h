#pragma once
// The in-process channel on which the host posts window messages (TessalyPostWindowMessage of the
// public header). One datagram socket per process in the abstract namespace, named
// "tessaly.<pid>.<random token>", open while at least one window is registered. It is read on the
// main context of the thread that opened it; each record is checked (its size, its magic, and that
// it was sent by this very process) and then handed to the window whose value it names. A value that
// is not registered is dropped, so a stale or forged value reaches nothing.
#include <cstdint>
#include <functional>
#include <string>

namespace tessaly::platform {

// A window value with this bit set belongs to the channel; X11 ids keep their top three bits clear.
inline constexpr std::uint32_t kChannelWindowFlag = 0x80000000u;

class WindowChannelEntry {
public:
    using Handler = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

    // Registers a live window. `value` 0 gives the window a fresh channel value (flag set, never
    // handed out twice in this process); any other value (an X11 id) is taken as it is. Opens the
    // channel when it is the first entry. An empty entry when the channel cannot be opened or the
    // value is registered already. Call on the thread whose main context runs the window.
    static WindowChannelEntry Add(std::uint32_t value, Handler handler);

    WindowChannelEntry() = default;
    ~WindowChannelEntry() { Remove(); }
    WindowChannelEntry(WindowChannelEntry&& other) noexcept;
    WindowChannelEntry& operator=(WindowChannelEntry&& other) noexcept;
    WindowChannelEntry(const WindowChannelEntry&) = delete;
    WindowChannelEntry& operator=(const WindowChannelEntry&) = delete;

    bool valid() const { return m_value != 0; }
    std::uint32_t value() const { return m_value; }

    // Unregisters the window (idempotent); the last entry to go closes the channel. A message for
    // the value that is still queued is dropped from then on.
    void Remove() noexcept;

private:
    explicit WindowChannelEntry(std::uint32_t value) : m_value(value) {}
    std::uint32_t m_value = 0;
};

// The abstract socket name of the open channel (without the leading NUL), empty while it is closed.
std::string WindowChannelName();

}  // namespace tessaly::platform
