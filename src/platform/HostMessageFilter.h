#pragma once
// Receives the messages a host sends to one of the library's toplevel windows (see
// SendWindowMessage) and hands them to the owner on the UI thread. Removed again when the filter
// object goes or the window is destroyed.
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace tessaly::platform {

class HostMessageFilter {
public:
    using Handler = std::function<void(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

    HostMessageFilter();
    ~HostMessageFilter();
    HostMessageFilter(const HostMessageFilter&) = delete;
    HostMessageFilter& operator=(const HostMessageFilter&) = delete;

    // Starts receiving for the realized toplevel `window`. False when the window system gives this
    // window no way to be addressed by a host.
    bool Install(GtkWidget* window, Handler handler);

    // Stops receiving (idempotent).
    void Remove();

private:
    struct Receiver;  // the window system's own part
    std::unique_ptr<Receiver> m_receiver;
};

}  // namespace tessaly::platform
