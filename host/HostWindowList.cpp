#include "HostWindowList.h"

#include "HostSystem.h"

namespace tessaly::host {

HostWindowList::~HostWindowList()
{
    FreeListStorage(m_list.items);
    m_list = TessalyWndMsgList{};
}

std::vector<std::uint32_t> HostWindowList::CloseTargets() const
{
    std::vector<std::uint32_t> windows;
    const TessalyWndMsgItem* items = m_list.items;
    const intptr_t count = m_list.count;
    if (!items || count <= 0 || count > m_list.capacity)
        return windows;
    for (intptr_t i = 0; i < count; ++i)
        if (items[i].message == TESSALY_WM_PRELOGIN_CLOSE && items[i].window != 0)
            windows.push_back(items[i].window);
    return windows;
}

}  // namespace tessaly::host
