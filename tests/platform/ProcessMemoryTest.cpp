#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ProcessIdentity.h"
#include "platform/ProcessMemory.h"
#include "platform/posix/ProcStat.h"

namespace tessaly::platform {
namespace {

const void* At(std::uintptr_t a) { return reinterpret_cast<const void*>(a); }

constexpr std::string_view kMaps =
    "00400000-00452000 r-xp 00000000 08:02 173521      /usr/bin/host\n"
    "00651000-00652000 rw-p 00051000 08:02 173521      /usr/bin/host\n"
    "00652000-00655000 rw-p 00000000 00:00 0           [heap]\n"
    "00655000-00656000 r--p 00000000 00:00 0\n"
    "7f0000000000-7f0000001000 rw-s 00000000 00:05 42  /dev/shm/x\n"
    "garbage line\n";

TEST(ProcessMemory, RangesMustLieInReadWriteMappings)
{
    EXPECT_TRUE(IsWritableRangeIn(kMaps, At(0x651000), 8));
    EXPECT_TRUE(IsWritableRangeIn(kMaps, At(0x654ff8), 8));
    EXPECT_TRUE(IsWritableRangeIn(kMaps, At(0x7f0000000010), 40));
    // Across two adjacent writable mappings.
    EXPECT_TRUE(IsWritableRangeIn(kMaps, At(0x651ff8), 16));
    // Code, read-only, past the end, unmapped, wrapping and null.
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(0x400000), 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(0x654ffc), 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(0x655000), 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(0x1000), 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(UINTPTR_MAX - 3), 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, nullptr, 8));
    EXPECT_FALSE(IsWritableRangeIn(kMaps, At(0x651000), 0));
    EXPECT_FALSE(IsWritableRangeIn("", At(0x651000), 8));
}

TEST(ProcessMemory, ChecksThisProcess)
{
    auto heap = std::make_unique<std::uint64_t[]>(4);
    std::uint64_t stack[4] = {};
    EXPECT_TRUE(IsWritableRange(heap.get(), sizeof(std::uint64_t) * 4));
    EXPECT_TRUE(IsWritableRange(stack, sizeof stack));
    static const char constant[] = "read only";
    EXPECT_FALSE(IsWritableRange(constant, sizeof constant));
    EXPECT_FALSE(IsWritableRange(reinterpret_cast<const void*>(&IsWritableRange), 8));
    EXPECT_FALSE(IsWritableRange(At(0x10), 8));
    void* page = ::mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    EXPECT_FALSE(IsWritableRange(page, 8));
    ::munmap(page, 4096);
    EXPECT_FALSE(IsWritableRange(page, 8));
}

}  // namespace
}  // namespace tessaly::platform

namespace tessaly::platform {
namespace {

TEST(ProcessIdentityTest, StartTimeIsFieldTwentyTwoCountedFromTheLastParenthesis)
{
    // A command name may hold spaces and parentheses of its own.
    const std::string tail = " S 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 987654 19 20\n";
    EXPECT_EQ(StartTimeFromStat("4242 (host) x) (y)" + tail), 987654u);
    EXPECT_EQ(StartTimeFromStat("4242 (host)" + tail), 987654u);
    EXPECT_EQ(StartTimeFromStat("4242 (host) S 1 2 3"), 0u);
    EXPECT_EQ(StartTimeFromStat("no parenthesis" + tail), 0u);
    const ProcessIdentity own = OwnProcessIdentity();
    EXPECT_EQ(own.pid, static_cast<std::uint64_t>(::getpid()));
    EXPECT_NE(own.startTime, 0u);
}

}  // namespace
}  // namespace tessaly::platform
