#include "support/WndMsgList.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/HostHeap.h"
#include "platform/ProcessMemory.h"
#include "platform/SharedMemory.h"
#include "support/CZelShareData.h"
#include "support/SwallowedException.h"

namespace tessaly {

namespace {

// Bounds a real list stays far below; anything larger is taken for garbage.
constexpr std::intptr_t kMaxEntries = std::intptr_t(1) << 20;

bool IsAligned(const void* p, std::size_t alignment)
{
    return reinterpret_cast<std::uintptr_t>(p) % alignment == 0;
}

bool IsOurEntry(const TessalyWndMsgItem& item, std::uint32_t window)
{
    return item.message == TESSALY_WM_PRELOGIN_CLOSE && item.window == window;
}

// Makes room for one more entry by the growth rule and raises the count. False when memory runs out
// or the list would outgrow the bound.
bool GrowByOne(TessalyWndMsgList& list)
{
    const std::intptr_t n = list.count;
    if (n + 1 > kMaxEntries)
        return false;
    std::intptr_t capacity = list.capacity;
    if (!list.items)
        capacity = std::max(list.growBy, n + 1);
    else if (n + 1 > list.capacity)
        capacity = std::max(list.capacity + (list.growBy != 0 ? list.growBy : std::clamp<std::intptr_t>(n / 8, 4, 1024)), n + 1);
    if (!list.items || capacity != list.capacity) {
        const std::size_t oldBytes = list.items ? static_cast<std::size_t>(list.capacity) * sizeof(TessalyWndMsgItem) : 0;
        auto* storage = static_cast<TessalyWndMsgItem*>(platform::ResizeHostBlock(
            list.items, oldBytes, static_cast<std::size_t>(capacity) * sizeof(TessalyWndMsgItem)));
        if (!storage)
            return false;
        list.items = storage;
        list.capacity = capacity;
    }
    list.items[n] = TessalyWndMsgItem {0, 0};
    list.count = n + 1;
    return true;
}

// The address at offset 32 of this process's block, read through a second, short-lived view by name
// while the library's own handle keeps the block alive. It counts only when the block carries this
// process's identity: a block left by an earlier process of the same pid holds an address into
// memory that is no longer that process's.
TessalyWndMsgList* ReadPublishedList()
{
    CZelShareData share;
    share.OpenOrCreate();
    const platform::SharedMemoryBlock view =
        platform::SharedMemoryBlock::OpenExisting(CZelShareData::BlockName(), TESSALY_SHARED_BLOCK_SIZE);
    if (!CZelShareData::CarriesOwnIdentity(view))
        return nullptr;
    // Eight bytes, little-endian, whatever the pointer width: a 32-bit host's upper half is 0.
    std::uint64_t address = 0;
    for (int i = 7; i >= 0; --i)
        address = (address << 8) | view.data()[TESSALY_SHARED_LIST_OFFSET + i];
    if (address > UINTPTR_MAX)
        return nullptr;
    auto* list = reinterpret_cast<TessalyWndMsgList*>(static_cast<std::uintptr_t>(address));
    return IsPlausibleList(list) ? list : nullptr;
}

}  // namespace

bool IsPlausibleList(const TessalyWndMsgList* list) noexcept
{
    if (!list || !IsAligned(list, alignof(TessalyWndMsgList)) || !platform::IsWritableRange(list, sizeof *list))
        return false;
    const std::intptr_t count = list->count;
    const std::intptr_t capacity = list->capacity;
    if (count < 0 || capacity < count || capacity > kMaxEntries || list->growBy < 0 || list->growBy > kMaxEntries)
        return false;
    // Storage is present exactly when there is capacity.
    if (capacity == 0)
        return list->items == nullptr;
    return list->items != nullptr && IsAligned(list->items, alignof(TessalyWndMsgItem)) &&
           platform::IsWritableRange(list->items, static_cast<std::size_t>(capacity) * sizeof(TessalyWndMsgItem));
}

TessalyWndMsgList* GetWndMsgList() noexcept
{
    try {
        return ReadPublishedList();
    } catch (...) {
        TraceSwallowed(u"GetWndMsgList", u"the shared block could not be read; no list");
        return nullptr;
    }
}

int RegisterCloseWindow(TessalyWndMsgList* list, std::uint32_t window) noexcept
{
    if (!IsPlausibleList(list))
        return 0;
    for (std::intptr_t i = 0; i < list->count; ++i)
        if (IsOurEntry(list->items[i], window))
            return 0;
    if (!GrowByOne(*list))
        return 0;
    list->items[list->count - 1] = TessalyWndMsgItem {TESSALY_WM_PRELOGIN_CLOSE, window};
    return 1;
}

int UnregisterCloseWindow(TessalyWndMsgList* list, std::uint32_t window) noexcept
{
    if (!IsPlausibleList(list))
        return 0;
    for (std::intptr_t i = 0; i < list->count; ++i) {
        if (!IsOurEntry(list->items[i], window))
            continue;
        std::memmove(list->items + i, list->items + i + 1, static_cast<std::size_t>(list->count - i - 1) * sizeof(TessalyWndMsgItem));
        --list->count;
        return 1;
    }
    return 0;
}

}  // namespace tessaly
