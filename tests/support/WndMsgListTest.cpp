#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/SharedMemory.h"
#include "support/CZelShareData.h"
#include "support/WndMsgList.h"

namespace tessaly {
namespace {

constexpr std::uint32_t kClose = TESSALY_WM_PRELOGIN_CLOSE;

// A list as a host keeps it: the object and its storage on the C heap.
struct HostList {
    HostList(std::intptr_t count, std::intptr_t capacity, std::intptr_t growBy)
    {
        list = static_cast<TessalyWndMsgList*>(std::calloc(1, sizeof(TessalyWndMsgList)));
        list->count = count;
        list->capacity = capacity;
        list->growBy = growBy;
        if (capacity > 0)
            list->items = static_cast<TessalyWndMsgItem*>(std::calloc(static_cast<std::size_t>(capacity), sizeof(TessalyWndMsgItem)));
        for (std::intptr_t i = 0; i < std::min(count, capacity); ++i)
            list->items[i] = {0x1000u, static_cast<std::uint32_t>(i + 1)};
    }
    ~HostList()
    {
        std::free(list->items);
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

// This process's shared block. A block of the same name left behind by an earlier process with this
// pid is removed first: it must neither skip nor disturb these tests.
class SharedBlock : public ::testing::Test {
protected:
    void SetUp() override { ::shm_unlink(CZelShareData::BlockName().c_str()); }
    void TearDown() override { ::shm_unlink(CZelShareData::BlockName().c_str()); }
    static bool BlockExists()
    {
        const int fd = ::shm_open(CZelShareData::BlockName().c_str(), O_RDONLY, 0);
        if (fd >= 0)
            ::close(fd);
        return fd >= 0;
    }
    static std::uint64_t Field(const platform::SharedMemoryBlock& block, std::size_t offset)
    {
        std::uint64_t value = 0;
        std::memcpy(&value, block.data() + offset, sizeof value);  // little-endian, as this machine
        return value;
    }
    static void SetField(const platform::SharedMemoryBlock& block, std::size_t offset, std::uint64_t value)
    {
        std::memcpy(block.data() + offset, &value, sizeof value);
    }
    static platform::SharedMemoryBlock View()
    {
        return platform::SharedMemoryBlock::OpenExisting(CZelShareData::BlockName(), TESSALY_SHARED_BLOCK_SIZE);
    }
};

TEST_F(SharedBlock, WithoutAHostTheLibrarysOwnBlockCarriesItsIdentityReadsZeroAndVanishes)
{
    HostList h(0, 0, 0);
    ASSERT_EQ(TessalyPublishWndMsgList(h.list), 0);
    std::uint64_t pid = 0, startTime = 0;
    {
        const auto published = View();
        pid = Field(published, TESSALY_SHARED_PID_OFFSET);
        startTime = Field(published, TESSALY_SHARED_START_TIME_OFFSET);
    }
    ASSERT_EQ(TessalyPublishWndMsgList(nullptr), 0);
    EXPECT_FALSE(BlockExists()) << "withdrawing removes the block";
    EXPECT_EQ(pid, static_cast<std::uint64_t>(::getpid()));
    EXPECT_NE(startTime, 0u);
    {
        CZelShareData share;
        EXPECT_EQ(share.OpenOrCreate(), 1);
        EXPECT_TRUE(share.IsOpen());
        EXPECT_EQ(share.ReadListAddress(), 0u);
        const auto own = View();
        ASSERT_TRUE(own.valid());
        EXPECT_EQ(Field(own, TESSALY_SHARED_PID_OFFSET), pid) << "the library and the header agree";
        EXPECT_EQ(Field(own, TESSALY_SHARED_START_TIME_OFFSET), startTime);
    }
    EXPECT_FALSE(BlockExists());
    EXPECT_EQ(GetWndMsgList(), nullptr);
    EXPECT_FALSE(BlockExists());
}

TEST_F(SharedBlock, PublishedAddressIsReturnedUnchangedAndTheBlockUntouched)
{
    HostList h(0, 0, 0);
    ASSERT_EQ(TessalyPublishWndMsgList(h.list), 0);
    const auto host = View();
    ASSERT_TRUE(host.valid());
    std::memset(host.data() + 56, 0xCD, TESSALY_SHARED_BLOCK_SIZE - 56);
    std::vector<unsigned char> before(host.data(), host.data() + TESSALY_SHARED_BLOCK_SIZE);

    EXPECT_EQ(GetWndMsgList(), h.list);
    EXPECT_EQ(std::vector<unsigned char>(host.data(), host.data() + TESSALY_SHARED_BLOCK_SIZE), before);
    EXPECT_TRUE(BlockExists());  // the library did not create it, so it does not remove it
    ASSERT_EQ(RegisterCloseWindow(GetWndMsgList(), 0x4400001), 1);
    EXPECT_EQ(h.list->items[0].window, 0x4400001u);

    // Nonsense in the block is "no list", never a write.
    const auto address = reinterpret_cast<std::uintptr_t>(h.list);
    for (std::uintptr_t junk : {std::uintptr_t(0x1234), std::uintptr_t(0xCDCDCDCDCDCDCDCD), address + 1,
                                reinterpret_cast<std::uintptr_t>(&RegisterCloseWindow)}) {
        SetField(host, TESSALY_SHARED_LIST_OFFSET, junk);
        EXPECT_EQ(GetWndMsgList(), nullptr) << std::hex << junk;
    }
    TessalyPublishWndMsgList(nullptr);
}

// A block left by a crashed process whose pid this process now has: its address may well land on
// memory of ours that looks like an empty list (zeroed heap), so only the identity can tell.
TEST_F(SharedBlock, AnotherProcesssBlockIsNoListEvenWhenItsAddressLooksRight)
{
    HostList zeroed(0, 0, 0);
    ASSERT_EQ(TessalyPublishWndMsgList(zeroed.list), 0);
    const auto block = View();
    const std::uint64_t pid = Field(block, TESSALY_SHARED_PID_OFFSET);
    const std::uint64_t startTime = Field(block, TESSALY_SHARED_START_TIME_OFFSET);
    ASSERT_EQ(GetWndMsgList(), zeroed.list);

    const std::pair<std::uint64_t, std::uint64_t> strangers[] = {
        {pid, startTime - 1}, {pid, 0}, {pid + 1, startTime}, {0, 0}};
    for (const auto& [otherPid, otherStart] : strangers) {
        SetField(block, TESSALY_SHARED_PID_OFFSET, otherPid);
        SetField(block, TESSALY_SHARED_START_TIME_OFFSET, otherStart);
        EXPECT_EQ(GetWndMsgList(), nullptr) << otherPid << " started " << otherStart;
        EXPECT_EQ(RegisterCloseWindow(GetWndMsgList(), 0x4400002), 0);
        EXPECT_EQ(zeroed.list->count, 0);
    }

    // Publishing again clears what the stranger left and claims the block.
    std::memset(block.data() + 56, 0xEE, TESSALY_SHARED_BLOCK_SIZE - 56);
    ASSERT_EQ(TessalyPublishWndMsgList(zeroed.list), 0);
    EXPECT_EQ(GetWndMsgList(), zeroed.list);
    EXPECT_EQ(block.data()[TESSALY_SHARED_BLOCK_SIZE - 1], 0) << "a stale block is cleared, not merely reused";

    // A block that others may write to is not trusted either, nor published into.
    const int fd = ::shm_open(CZelShareData::BlockName().c_str(), O_RDONLY | O_CLOEXEC, 0);
    ASSERT_EQ(::fchmod(fd, 0666), 0);
    ::close(fd);
    EXPECT_EQ(GetWndMsgList(), nullptr);
    EXPECT_EQ(TessalyPublishWndMsgList(zeroed.list), -1);
    EXPECT_EQ(errno, EPERM);
}

}  // namespace
}  // namespace tessaly
