#pragma once

#include "tessaly/tessaly.h"

#include <cstdint>
#include <vector>

namespace tessaly::host {

// The host's window message list: the array object whose address the host publishes in the shared
// data block. Redirect windows add and remove their own entries in place (from the heap the header
// names for the list's storage), so the object must stay at one address for as long as it is
// published; the storage is freed here.
class HostWindowList {
public:
    HostWindowList() = default;
    HostWindowList(const HostWindowList&) = delete;
    HostWindowList& operator=(const HostWindowList&) = delete;
    ~HostWindowList();

    TessalyWndMsgList* Address() { return &m_list; }

    // The windows that currently ask to be told TESSALY_WM_PRELOGIN_CLOSE. The library changes the
    // list without a lock; this copies it in one pass and ignores entries that look torn.
    std::vector<std::uint32_t> CloseTargets() const;

private:
    TessalyWndMsgList m_list{};
};

}  // namespace tessaly::host
