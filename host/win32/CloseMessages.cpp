// Closing the host's redirect windows on Windows: the header's helper posts to each window's HWND.

#include "WindowCloser.h"

#include "tessaly/tessaly.h"

namespace tessaly::host {

int WindowCloser::SendClose(const std::vector<std::uint32_t>& windows)
{
    int sent = 0;
    for (const std::uint32_t window : windows)
        sent += TessalyPostWindowMessage(window, TESSALY_WM_PRELOGIN_CLOSE, 0, 0);
    return sent == 0 ? -1 : sent;
}

const char* WindowCloser::UnreachableReason() { return "PostMessageW reached none of the listed windows"; }

}  // namespace tessaly::host
