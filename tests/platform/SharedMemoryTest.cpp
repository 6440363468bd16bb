#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/SharedMemory.h"

namespace tessaly::platform {
namespace {

// A name of its own per test process, so parallel runs cannot meet.
std::string TestName(const char* tag) { return "/tessaly-test-" + std::string(tag) + "-" + std::to_string(::getpid()); }

bool Exists(const std::string& name)
{
    const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

TEST(SharedMemory, CreatedBlockIsZeroedOwnerOnlyAndUnlinkedWhenReleased)
{
    const std::string name = TestName("create");
    {
        SharedMemoryBlock block = SharedMemoryBlock::OpenOrCreate(name, 1024, true);
        ASSERT_TRUE(block.valid());
        EXPECT_TRUE(block.created());
        EXPECT_EQ(block.size(), 1024u);
        for (std::size_t i = 0; i < block.size(); ++i)
            ASSERT_EQ(block.data()[i], 0) << i;
        const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
        ASSERT_GE(fd, 0);
        struct stat st {};
        ::fstat(fd, &st);
        ::close(fd);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        // A second opener sees the same bytes and does not own the name.
        SharedMemoryBlock view = SharedMemoryBlock::OpenExisting(name, 1024);
        ASSERT_TRUE(view.valid());
        EXPECT_FALSE(view.created());
        block.data()[32] = 0x5A;
        EXPECT_EQ(view.data()[32], 0x5A);
    }
    EXPECT_FALSE(Exists(name));
}

TEST(SharedMemory, ExistingBlockIsOpenedUnchangedAndKept)
{
    const std::string name = TestName("existing");
    SharedMemoryBlock host = SharedMemoryBlock::OpenOrCreate(name, 1024, false);
    ASSERT_TRUE(host.created());
    std::memset(host.data(), 0xAB, 1024);
    {
        SharedMemoryBlock library = SharedMemoryBlock::OpenOrCreate(name, 1024, true);
        ASSERT_TRUE(library.valid());
        EXPECT_FALSE(library.created());
        EXPECT_EQ(library.data()[0], 0xAB);
        EXPECT_EQ(library.data()[1023], 0xAB);
    }
    EXPECT_TRUE(Exists(name));  // not the library's to remove
    host = SharedMemoryBlock();
    EXPECT_TRUE(Exists(name));  // created without unlinkIfCreated
    ::shm_unlink(name.c_str());
}

TEST(SharedMemory, RejectsBadNamesMissingAndUndersizedObjects)
{
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate("", 1024, true).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate("no-slash", 1024, true).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate("/a/b", 1024, true).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate(TestName("zero"), 0, true).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenExisting(TestName("absent"), 1024).valid());
    EXPECT_FALSE(Exists(TestName("absent")));
    // An object smaller than asked would fault on access: it is not mapped.
    const std::string name = TestName("small");
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 16), 0);
    ::close(fd);
    EXPECT_FALSE(SharedMemoryBlock::OpenExisting(name, 1024).valid());
    EXPECT_FALSE(SharedMemoryBlock::OpenOrCreate(name, 1024, true).valid());
    EXPECT_TRUE(Exists(name));
    ::shm_unlink(name.c_str());
}

}  // namespace
}  // namespace tessaly::platform
