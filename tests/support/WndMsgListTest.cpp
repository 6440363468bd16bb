#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "support/HostList.h"
#include "support/WndMsgList.h"

namespace tessaly {
namespace {

constexpr std::uint32_t kClose = TESSALY_WM_PRELOGIN_CLOSE;


TEST(WndMsgList, GrowthRuleFromNoStorage)
{
    HostList h(0, 0, 0);
    ASSERT_EQ(RegisterCloseWindow(h.list, 0xA1), 1);
    EXPECT_EQ(h.list->capacity, 1);  // max(step 0, n + 1)
    ASSERT_EQ(RegisterCloseWindow(h.list, 0xA2), 1);
    EXPECT_EQ(h.list->capacity, 5);  // automatic step: 1 / 8 raised to 4
    EXPECT_EQ(h.list->count, 2);
    EXPECT_EQ(h.list->items[1].message, kClose);
    EXPECT_EQ(h.list->items[1].window, 0xA2u);
    // Entries beyond the count are zero.
    for (std::intptr_t i = h.list->count; i < h.list->capacity; ++i)
        EXPECT_EQ(h.list->items[i].message | h.list->items[i].window, 0u);

    HostList stepped(0, 0, 10);
    ASSERT_EQ(RegisterCloseWindow(stepped.list, 1), 1);
    EXPECT_EQ(stepped.list->capacity, 10);
}

TEST(WndMsgList, GrowthStepIsTheListsOwnOrAnEighthWithinBounds)
{
    struct Case {
        std::intptr_t count, growBy, capacityAfter;
    } cases[] = {{64, 0, 72}, {100, 0, 112}, {16000, 0, 17024}, {5, 3, 8}, {8, 0, 12}};
    for (const Case& c : cases) {
        HostList h(c.count, c.count, c.growBy);
        ASSERT_EQ(RegisterCloseWindow(h.list, 0xBEEF), 1);
        EXPECT_EQ(h.list->capacity, c.capacityAfter) << c.count;
        EXPECT_EQ(h.list->count, c.count + 1);
        EXPECT_EQ(h.list->items[0].window, 1u);  // old entries carried over
        EXPECT_EQ(h.list->items[c.count].window, 0xBEEFu);
        EXPECT_EQ(h.list->items[c.capacityAfter - 1].window, c.capacityAfter - 1 == c.count ? 0xBEEFu : 0u);
    }
    HostList roomy(2, 6, 0);
    ASSERT_EQ(RegisterCloseWindow(roomy.list, 9), 1);
    EXPECT_EQ(roomy.list->capacity, 6);
}

TEST(WndMsgList, DuplicateRegistrationChangesNothing)
{
    HostList h(0, 0, 0);
    ASSERT_EQ(RegisterCloseWindow(h.list, 0x77), 1);
    EXPECT_EQ(RegisterCloseWindow(h.list, 0x77), 0);
    EXPECT_EQ(h.list->count, 1);
    // The same window under another message is not a duplicate.
    HostList other(1, 1, 0);
    other.list->items[0] = {TESSALY_WM_PRELOGIN_INFO_DONE, 0x77};
    EXPECT_EQ(RegisterCloseWindow(other.list, 0x77), 1);
}

TEST(WndMsgList, UnregisterRemovesTheFirstMatchAndShiftsTheRest)
{
    HostList h(0, 0, 0);
    for (std::uint32_t w : {1u, 2u, 3u, 4u})
        ASSERT_EQ(RegisterCloseWindow(h.list, w), 1);
    h.list->items[3] = {kClose, 2};  // a second entry for window 2, put there by the host
    EXPECT_EQ(UnregisterCloseWindow(h.list, 2), 1);
    EXPECT_EQ(h.Windows(), (std::vector<std::uint32_t> {1, 3, 2}));
    EXPECT_EQ(UnregisterCloseWindow(h.list, 2), 1);
    EXPECT_EQ(h.Windows(), (std::vector<std::uint32_t> {1, 3}));
    EXPECT_EQ(UnregisterCloseWindow(h.list, 99), 0);
    EXPECT_EQ(h.list->count, 2);
    EXPECT_EQ(UnregisterCloseWindow(h.list, 3), 1);
    EXPECT_EQ(UnregisterCloseWindow(h.list, 1), 1);
    EXPECT_EQ(h.list->count, 0);
    EXPECT_EQ(UnregisterCloseWindow(h.list, 1), 0);
}

TEST(WndMsgList, ImplausibleListsAreNeverWritten)
{
    auto rejects = [](TessalyWndMsgList* list) {
        return RegisterCloseWindow(list, 5) == 0 && UnregisterCloseWindow(list, 5) == 0 && !IsPlausibleList(list);
    };
    EXPECT_TRUE(rejects(nullptr));
    {
        HostList h(3, 2, 0);  // count above capacity
        EXPECT_TRUE(rejects(h.list));
    }
    {
        HostList h(0, 0, 0);
        h.list->count = -1;
        EXPECT_TRUE(rejects(h.list));
        h.list->count = 0;
        h.list->growBy = -4;
        EXPECT_TRUE(rejects(h.list));
        h.list->growBy = std::intptr_t(1) << 40;
        EXPECT_TRUE(rejects(h.list));
        h.list->growBy = 0;
        h.list->capacity = 4;  // capacity without storage
        EXPECT_TRUE(rejects(h.list));
        h.list->capacity = std::intptr_t(1) << 40;
        EXPECT_TRUE(rejects(h.list));
        h.list->capacity = 0;
        EXPECT_TRUE(IsPlausibleList(h.list));
    }
    {
        // Storage that is not writable memory of this process.
        static const TessalyWndMsgItem readOnly[4] = {};
        HostList h(0, 0, 0);
        h.list->items = const_cast<TessalyWndMsgItem*>(readOnly);
        h.list->capacity = 4;
        EXPECT_TRUE(rejects(h.list));
        h.list->items = nullptr;
        h.list->capacity = 0;
    }
    // The object itself misaligned, read-only, or nowhere.
    alignas(16) unsigned char buffer[sizeof(TessalyWndMsgList) + 8] = {};
    EXPECT_TRUE(rejects(reinterpret_cast<TessalyWndMsgList*>(buffer + 4)));
    static const TessalyWndMsgList constant = {};
    EXPECT_TRUE(rejects(const_cast<TessalyWndMsgList*>(&constant)));
    EXPECT_TRUE(rejects(reinterpret_cast<TessalyWndMsgList*>(std::uintptr_t(0x1000))));
    EXPECT_TRUE(IsPlausibleList(reinterpret_cast<TessalyWndMsgList*>(buffer)));
}

}  // namespace
}  // namespace tessaly
