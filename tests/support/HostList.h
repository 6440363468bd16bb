#pragma once
// A window message list as a host keeps it, for the list and shared block tests.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include <tessaly/tessaly.h>

#include "platform/HostHeap.h"

namespace tessaly {

// A list as a host keeps it: the object, and its storage on the heap host and library share.
struct HostList {
    HostList(std::intptr_t count, std::intptr_t capacity, std::intptr_t growBy)
    {
        list = static_cast<TessalyWndMsgList*>(std::calloc(1, sizeof(TessalyWndMsgList)));
        list->count = count;
        list->capacity = capacity;
        list->growBy = growBy;
        if (capacity > 0)
            list->items = static_cast<TessalyWndMsgItem*>(platform::ResizeHostBlock(
                nullptr, 0, static_cast<std::size_t>(capacity) * sizeof(TessalyWndMsgItem)));
        for (std::intptr_t i = 0; i < std::min(count, capacity); ++i)
            list->items[i] = {0x1000u, static_cast<std::uint32_t>(i + 1)};
    }
    ~HostList()
    {
        platform::FreeHostBlock(list->items);
        std::free(list);
    }
    HostList(const HostList&) = delete;
    HostList& operator=(const HostList&) = delete;
    std::vector<std::uint32_t> Windows() const
    {
        std::vector<std::uint32_t> out;
        for (std::intptr_t i = 0; i < list->count; ++i)
            out.push_back(list->items[i].window);
        return out;
    }
    TessalyWndMsgList* list;
};

}  // namespace tessaly
