// The in-process window channel and the header's TessalyPostWindowMessage: live windows of both
// kinds get their messages; a stale entry, a made-up value, a record of the wrong shape or from
// another process, and a channel that is gone reach nothing.
#include <gtest/gtest.h>
#include <glib.h>

#include <chrono>
#include <cstring>
#include <map>
#include <vector>

#include <tessaly/tessaly.h>

#include "common/ChildProcess.h"
#include "common/MainLoop.h"
#include "platform/WindowChannel.h"
#include "support/CZelShareData.h"

namespace tessaly {
namespace {

using platform::WindowChannelEntry;

struct Received {
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

// One datagram to the channel `name`, bypassing the header's checks.
bool SendRaw(const std::string& name, const void* data, std::size_t size)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const bool sent = sendto(fd, data, size, 0, reinterpret_cast<sockaddr*>(&address), length) == static_cast<ssize_t>(size);
    close(fd);
    return sent;
}

int OpenDescriptorCount() { return static_cast<int>(test::OpenDescriptors().size()); }

class WindowChannel : public ::testing::Test {
protected:
    // Registers a window whose messages are collected under `tag`.
    WindowChannelEntry Add(std::uint32_t value, const char* tag)
    {
        WindowChannelEntry entry = WindowChannelEntry::Add(value, [this, tag](std::uint32_t m, std::uintptr_t w, std::intptr_t l) {
            m_received[tag].push_back({m, w, l});
        });
        // What the library does when it registers a window: the block names the channel.
        m_block.OpenOrCreate();
        m_block.WriteChannelName(platform::WindowChannelName());
        return entry;
    }

    // Runs the main context until `tag` has `count` messages (at most ten seconds).
    void WaitFor(const char* tag, std::size_t count)
    {
        test::PumpUntil([&] { return m_received[tag].size() >= count; }, std::chrono::seconds(10));
    }

    static int Post(std::uint32_t window, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
    {
        return TessalyPostWindowMessage(window, TESSALY_WM_PRELOGIN_CLOSE, wParam, lParam);
    }

    CZelShareData m_block;
    std::map<std::string, std::vector<Received>> m_received;
};

TEST_F(WindowChannel, LiveWindowsOfBothKindsGetTheirMessages)
{
    WindowChannelEntry wayland = Add(0, "wayland");
    WindowChannelEntry x11 = Add(0x04400001, "x11");
    WindowChannelEntry second = Add(0, "second");
    ASSERT_TRUE(wayland.valid() && x11.valid() && second.valid());
    EXPECT_NE(wayland.value() & TESSALY_CHANNEL_WINDOW_FLAG, 0u);
    EXPECT_NE(second.value(), wayland.value());
    EXPECT_EQ(x11.value(), 0x04400001u);
    EXPECT_EQ(WindowChannelEntry::Add(0x04400001, [](auto...) {}).valid(), false) << "a value is registered once";

    EXPECT_EQ(Post(wayland.value(), UINTPTR_MAX, -3), 1);
    EXPECT_EQ(Post(x11.value(), 7, INTPTR_MIN), 1);
    WaitFor("wayland", 1);
    WaitFor("x11", 1);
    ASSERT_EQ(m_received["wayland"].size(), 1u);
    EXPECT_EQ(m_received["wayland"][0].message, TESSALY_WM_PRELOGIN_CLOSE);
    EXPECT_EQ(m_received["wayland"][0].wParam, UINTPTR_MAX);
    EXPECT_EQ(m_received["wayland"][0].lParam, -3);
    ASSERT_EQ(m_received["x11"].size(), 1u);
    EXPECT_EQ(m_received["x11"][0].wParam, 7u);
    EXPECT_EQ(m_received["x11"][0].lParam, INTPTR_MIN);
    EXPECT_TRUE(m_received["second"].empty());
}

TEST_F(WindowChannel, StaleForgedAndForeignRecordsReachNothing)
{
    WindowChannelEntry gone = Add(0, "gone");
    WindowChannelEntry live = Add(0, "live");
    const std::uint32_t stale = gone.value();
    gone.Remove();
    const std::string name = platform::WindowChannelName();
    const int descriptors = OpenDescriptorCount();

    // The channel is still open for the live window, so these are delivered and dropped there.
    EXPECT_EQ(Post(stale), 1);
    EXPECT_EQ(Post(stale ^ 0x00F00000u), 1);  // a value that never was a window
    EXPECT_EQ(Post(0x04400001), 1);            // an X11 id that is not registered
    // A genuine record sent by another process, and records of the wrong shape from this one.
    TessalyWindowMessageRecord record{TESSALY_CHANNEL_RECORD_MAGIC, live.value(), TESSALY_WM_PRELOGIN_CLOSE, 0, 0, 0};
    EXPECT_EQ(test::RunInChild([&] { return SendRaw(name, &record, sizeof record) ? 0 : 1; }, std::chrono::seconds(30)).exitCode, 0);
    EXPECT_TRUE(SendRaw(name, &record, sizeof record - 1));
    record.magic ^= 1;
    EXPECT_TRUE(SendRaw(name, &record, sizeof record));

    // Records arrive in order: once this one is in, everything above has been handled.
    EXPECT_EQ(Post(live.value(), 42, 0), 1);
    WaitFor("live", 1);
    ASSERT_EQ(m_received["live"].size(), 1u) << "only the genuine record counts";
    EXPECT_EQ(m_received["live"][0].wParam, 42u);
    EXPECT_TRUE(m_received["gone"].empty());
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a post leaves no descriptor behind";
}

TEST_F(WindowChannel, OnlyTheChannelOfThisProcessWhileItIsOpenIsUsed)
{
    WindowChannelEntry entry = Add(0, "only");
    const std::uint32_t value = entry.value();
    const std::string name = platform::WindowChannelName();
    ASSERT_EQ(name.rfind("tessaly." + std::to_string(getpid()) + ".", 0), 0u) << name;

    // The name of another process is never used; a name of this one that nothing is bound to takes
    // the record nowhere.
    ASSERT_TRUE(m_block.WriteChannelName("tessaly.1." + name.substr(name.rfind('.') + 1)));
    EXPECT_EQ(Post(value), 0);
    ASSERT_TRUE(m_block.WriteChannelName(name.substr(0, name.rfind('.') + 1) + "0123"));
    EXPECT_EQ(Post(value), 0);

    // After the last window the channel is gone: a post to its old name fails and delivers nothing,
    // and the next channel has a name of its own.
    ASSERT_TRUE(m_block.WriteChannelName(name));
    entry.Remove();
    EXPECT_EQ(platform::WindowChannelName(), "");
    EXPECT_EQ(Post(value), 0);
    WindowChannelEntry next = Add(0, "next");
    EXPECT_NE(platform::WindowChannelName(), name);
    EXPECT_NE(next.value(), value) << "a value is never handed out twice";
    g_main_context_iteration(nullptr, FALSE);
    EXPECT_TRUE(m_received["only"].empty());
}

}  // namespace
}  // namespace tessaly
