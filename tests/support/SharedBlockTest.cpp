#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/SharedMemory.h"
#include "support/HostList.h"
#include "support/CZelShareData.h"
#include "support/WndMsgList.h"

namespace tessaly {
namespace {

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
