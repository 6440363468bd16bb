// The redirect window under misbehaving companions and a nonsensical shared block, and run many times
// in one process. It must end with its documented code, never wait for a network call that does not
// come back, and leave no threads, descriptors or libraries behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include <tessaly/tessaly.h>

#include "common/ProcessCensus.h"
#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"

namespace tessaly::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// What the library's worker threads are called.
const std::string kWorkerThread = "tessaly-worker";

// Open descriptors once their number has stopped changing. The web engine ends each window's page
// process after the window has gone, and the process's handle and sockets close only when it has
// exited, a second or two later (measured: 50 right after twenty windows, 23 two seconds later).
// The engine's memory-pressure monitor opens the /proc and cgroup memory files once, on a timer of its
// own, and keeps them for the process's life; those are left out.
std::vector<std::string> SettledDescriptors()
{
    const auto list = [] {
        return OpenDescriptors({"/proc/meminfo", "/proc/zoneinfo", "/sys/fs/cgroup/", "/proc/" + std::to_string(::getpid()) + "/cgroup"});
    };
    std::size_t last = list().size();
    auto stableSince = std::chrono::steady_clock::now();
    WaitUntil([&] {
        const std::size_t now = list().size();
        if (now != last) {
            last = now;
            stableSince = std::chrono::steady_clock::now();
        }
        return std::chrono::steady_clock::now() - stableSince > 1500ms;
    }, 30s);
    return list();
}

class RedirectFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "no display (the suite runs under xvfb-run)";
        sandbox_.UseShippedConfig();
        std::string error;
        ASSERT_TRUE(sandbox_.Load(&error)) << error;
    }

    LibrarySandbox sandbox_{Companions::Fake};
};

// The fake transfer library answers an address that is not http, so each window ends with IDOK as
// soon as the worker reports.
TEST_F(RedirectFaultTest, TwentyRunsInOneProcessLeaveNothingBehind)
{
    FakeMode fake(sandbox_, "upload-reply:about:blank", /*record=*/false);
    // Warm-up: the web engine starts its network process and fills its cache of page processes.
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(sandbox_.CallRedirect(), 1);
    ASSERT_TRUE(WaitUntil([] { return ThreadsNamed(kWorkerThread) == 0; }, 60s));
    const std::vector<std::string> fdsBefore = SettledDescriptors();
    const ProcessCensus before = ProcessCensus::Take();
    const int threadsBefore = test::ThreadCount();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(sandbox_.CallRedirect(), 1) << "run " << i;
    EXPECT_TRUE(WaitUntil([] { return ThreadsNamed(kWorkerThread) == 0; }, 60s)) << "worker threads left running";
    const std::vector<std::string> fdsAfter = SettledDescriptors();
    const ProcessCensus after = ProcessCensus::Take();
    std::string opened;
    for (const std::string& fd : NewDescriptors(fdsBefore, fdsAfter))
        opened += fd + "\n";
    EXPECT_LT(fdsAfter.size(), fdsBefore.size() + 6) << "opened since:\n" << opened;
    std::string newLibraries;
    for (const auto& file : after.mappedFiles)
        if (!before.mappedFiles.count(file) && file.find(".so") != std::string::npos)
            newLibraries += file + "\n";
    EXPECT_EQ(newLibraries, "");
    EXPECT_LE(test::ThreadCount(), threadsBefore + 2) << "worker threads left running";
}

// Identity buffers filled to the last unit without a terminator: what goes up is cut inside the
// buffer, never read past it.
TEST_F(RedirectFaultTest, IdentityWithoutTerminatorsStaysInsideItsBuffers)
{
    FakeMode fake(sandbox_, "identity-garbage");
    EXPECT_EQ(sandbox_.CallRedirect(), 1);
    const std::string record = fake.Record();
    const std::size_t upload = record.find("HttpUpload ");
    ASSERT_NE(upload, std::string::npos) << record;
    const std::string line = record.substr(upload, record.find('\n', upload) - upload);
    // "PCID|<value>|OEMCode|<value>|ChanCode|<value>|"
    std::size_t longest = 0, run = 0;
    for (char c : line) {
        run = c == 'G' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_GT(longest, 0u) << line;
    EXPECT_LT(longest, 256u) << "an identity value ran past its 256-unit buffer";
}

// An upload that never returns: the window must still close (here: the wait page itself carries both
// markers), the call must return, and the worker's late end must not reach anything that is gone.
TEST_F(RedirectFaultTest, UploadThatNeverReturnsDoesNotHoldTheWindow)
{
    const fs::path release = sandbox_.Root() / "release-upload";
    ScopedEnv releaseWhen("TESSALY_FAKE_RELEASE", release.string());
    sandbox_.WriteConfigFile("PreLoginWait/wait.htm",
                             "<html><body>waiting<!-- <<<617458A4-8957-4a97-A646-AACC83D5DD38 "
                             "617458A4-8957-4a97-A646-AACC83D5DD38>>> --></body></html>");
    FakeMode fake(sandbox_, "upload-hang");
    EXPECT_EQ(sandbox_.CallRedirect(), 1);
    EXPECT_EQ(fake.Record().find("HttpUpload released"), std::string::npos) << "the window waited for the upload";
    // Let the stuck upload finish now that nobody waits for it, then make sure the process is sound.
    std::ofstream(release.c_str()) << "go";
    EXPECT_TRUE(WaitUntil([] { return ThreadsNamed(kWorkerThread) == 0; }, 60s)) << "the released worker never ended";
    sandbox_.WriteConfigFile("PreLoginWait/wait.htm", "<html><body>waiting</body></html>");
    FakeMode again(sandbox_, "upload-reply:about:blank");
    EXPECT_EQ(sandbox_.CallRedirect(), 1);
}

// Replaces this process's shared block for one test and removes it afterwards.
class SharedBlockOverride {
public:
    explicit SharedBlockOverride(std::size_t size) : name_(TESSALY_SHARED_BLOCK_PREFIX "." + std::to_string(::getpid()))
    {
        ::shm_unlink(name_.c_str());
        fd_ = ::shm_open(name_.c_str(), O_RDWR | O_CREAT | O_EXCL, 0600);
        if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~SharedBlockOverride()
    {
        if (fd_ >= 0)
            ::close(fd_);
        ::shm_unlink(name_.c_str());
    }
    SharedBlockOverride(const SharedBlockOverride&) = delete;
    SharedBlockOverride& operator=(const SharedBlockOverride&) = delete;

    bool valid() const { return fd_ >= 0; }
    void WriteAt(std::size_t offset, const void* data, std::size_t length) const
    {
        (void)!::pwrite(fd_, data, length, static_cast<off_t>(offset));
    }

private:
    std::string name_;
    int fd_ = -1;
};

TEST_F(RedirectFaultTest, SharedBlockHoldingNonsenseIsNoList)
{
    // Addresses that are no list of this process: unmapped, read-only code, and a "list" whose count
    // exceeds its capacity and whose storage points nowhere.
    static const char kReadOnly[64] = "read-only";
    static TessalyWndMsgList broken{nullptr, reinterpret_cast<TessalyWndMsgItem*>(0x10), 1000, 2, 0};
    const std::uintptr_t addresses[] = {0x4141414141414141u, 0x1000u, reinterpret_cast<std::uintptr_t>(kReadOnly),
                                        reinterpret_cast<std::uintptr_t>(&broken) + 3,
                                        reinterpret_cast<std::uintptr_t>(&broken)};
    FakeMode fake(sandbox_, "upload-reply:about:blank");
    for (const std::uintptr_t address : addresses) {
        SharedBlockOverride block(TESSALY_SHARED_BLOCK_SIZE);
        ASSERT_TRUE(block.valid());
        // This process's own identity, so only the address itself can make it "no list".
        static TessalyWndMsgList placeholder{};
        ASSERT_EQ(TessalyPublishWndMsgList(&placeholder), 0);
        std::vector<unsigned char> noise(TESSALY_SHARED_BLOCK_SIZE, 0xA5);
        block.WriteAt(0, noise.data(), TESSALY_SHARED_PID_OFFSET);
        block.WriteAt(TESSALY_SHARED_START_TIME_OFFSET + 8, noise.data(), TESSALY_SHARED_BLOCK_SIZE - 56);
        block.WriteAt(TESSALY_SHARED_LIST_OFFSET, &address, sizeof address);
        EXPECT_EQ(sandbox_.CallRedirect(), 1) << std::hex << address;
        EXPECT_EQ(broken.count, 1000) << "the library wrote into a list it should not trust";
    }
}

TEST_F(RedirectFaultTest, SharedBlockSmallerThanItsSizeIsNoList)
{
    // Mapping 1024 bytes of a 16-byte object and reading offset 32 would be a bus error. The call
    // stays in this process: a forked child cannot reach the UI thread, which the fork leaves behind.
    FakeMode fake(sandbox_, "upload-reply:about:blank");
    SharedBlockOverride block(16);
    ASSERT_TRUE(block.valid());
    EXPECT_EQ(sandbox_.CallRedirect(), 1);
}

}  // namespace
}  // namespace tessaly::test
