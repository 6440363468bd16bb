// The pieces of the stand-in host on their own: settings editing, the window message list, the
// shared data block and the close message.

#include "HostWindowList.h"
#include "IniEdit.h"
#include "SharedBlock.h"
#include "WindowCloser.h"
#include "common/ProcessCensus.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

namespace tessaly::host {
namespace {

TEST(IniEditTest, RewritesOnlyTheKeyOfTheRightSection)
{
    const std::string text = "; product settings\n[Other]\nVomoLoginUrl=keep\n[weburl]\n  vomologinurl = old \n"
                             "PreLoginFromInternet=http://x\n\n[Tail]\nA=1\n";
    EXPECT_EQ(SetIniValue(text, "WebUrl", "VomoLoginUrl", "http://new"),
              "; product settings\n[Other]\nVomoLoginUrl=keep\n[weburl]\nVomoLoginUrl=http://new\n"
              "PreLoginFromInternet=http://x\n\n[Tail]\nA=1\n");
}

TEST(IniEditTest, AddsMissingKeysAndSections)
{
    EXPECT_EQ(SetIniValue("[WebUrl]\nA=1\n\n[Next]\nB=2\n", "WebUrl", "C", "3"), "[WebUrl]\nA=1\nC=3\n\n[Next]\nB=2\n");
    EXPECT_EQ(SetIniValue("[WebUrl]\nA=1", "WebUrl", "C", "3"), "[WebUrl]\nA=1\nC=3\n");
    EXPECT_EQ(SetIniValue("[Other]\nA=1", "WebUrl", "C", "3"), "[Other]\nA=1\n[WebUrl]\nC=3\n");
    EXPECT_EQ(SetIniValue("", "WebUrl", "C", "3"), "[WebUrl]\nC=3\n");
    EXPECT_EQ(SetIniValue("[WebUrl]\r\n;C=commented\r\n", "WebUrl", "C", "3"), "[WebUrl]\r\n;C=commented\r\nC=3\r\n")
        << "a commented-out key is not the key, and the file's line endings are kept";
}

// Gives the list storage holding `items`, allocated as the library side does; the list frees it.
void Fill(HostWindowList& list, std::initializer_list<TessalyWndMsgItem> items)
{
    TessalyWndMsgList* raw = list.Address();
    raw->items = static_cast<TessalyWndMsgItem*>(std::malloc(items.size() * sizeof(TessalyWndMsgItem)));
    std::copy(items.begin(), items.end(), raw->items);
    raw->capacity = raw->count = static_cast<std::intptr_t>(items.size());
}

TEST(HostWindowListTest, OffersOnlyCloseEntriesOfAConsistentList)
{
    HostWindowList list;
    EXPECT_TRUE(list.CloseTargets().empty());
    Fill(list, {{TESSALY_WM_PRELOGIN_CLOSE, 0x400001}, {TESSALY_WM_PRELOGIN_INFO_DONE, 0x400002},
                {TESSALY_WM_PRELOGIN_CLOSE, 0x400003}});
    EXPECT_EQ(list.CloseTargets(), (std::vector<std::uint32_t>{0x400001, 0x400003}));
    list.Address()->count = 5;  // a count beyond the storage is never trusted
    EXPECT_TRUE(list.CloseTargets().empty());
    list.Address()->count = 3;
}

std::string OwnBlockName() { return TESSALY_SHARED_BLOCK_PREFIX "." + std::to_string(getpid()); }

TEST(SharedBlockTest, PublishesTheListAddressAndWithdrawsIt)
{
    TessalyWndMsgList list{};
    std::string error;
    {
        const auto block = SharedBlock::Publish(&list, error);
        ASSERT_TRUE(block) << error;
        const int fd = shm_open(OwnBlockName().c_str(), O_RDONLY, 0);
        ASSERT_GE(fd, 0);
        struct stat info {};
        ASSERT_EQ(fstat(fd, &info), 0);
        EXPECT_EQ(info.st_size, TESSALY_SHARED_BLOCK_SIZE);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
        void* view = mmap(nullptr, TESSALY_SHARED_BLOCK_SIZE, PROT_READ, MAP_SHARED, fd, 0);
        close(fd);
        ASSERT_NE(view, MAP_FAILED);
        std::uint64_t published[2] = {};
        std::memcpy(published, static_cast<char*>(view) + TESSALY_SHARED_LIST_OFFSET, sizeof published);
        EXPECT_EQ(published[0], reinterpret_cast<std::uintptr_t>(&list));
        EXPECT_EQ(published[1], static_cast<std::uint64_t>(getpid()));
        munmap(view, TESSALY_SHARED_BLOCK_SIZE);
    }
    EXPECT_LT(shm_open(OwnBlockName().c_str(), O_RDONLY, 0), 0) << "the block is gone with its host";
}

TEST(SharedBlockTest, ClaimsABlockLeftBehindAndRefusesAForeignOne)
{
    const int stale = shm_open(OwnBlockName().c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(stale, 0);
    ASSERT_EQ(ftruncate(stale, 16), 0) << "even a block of the wrong size";
    TessalyWndMsgList list{};
    std::string error;
    {
        const auto block = SharedBlock::Publish(&list, error);
        ASSERT_TRUE(block) << error;
        struct stat info {};
        ASSERT_EQ(fstat(stale, &info), 0);
        EXPECT_EQ(info.st_size, TESSALY_SHARED_BLOCK_SIZE);
    }
    close(stale);
    EXPECT_LT(shm_open(OwnBlockName().c_str(), O_RDONLY, 0), 0);

    const int loose = shm_open(OwnBlockName().c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(fchmod(loose, 0622), 0);
    close(loose);
    EXPECT_FALSE(SharedBlock::Publish(&list, error)) << "others could write into it";
    EXPECT_NE(error.find("cannot publish"), std::string::npos) << error;
    shm_unlink(OwnBlockName().c_str());
}

// A window of our own on the X display, and the close messages it receives.
class CloseMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display (the suite runs under xvfb-run)";
        // The X server resets when its last client leaves, and refuses connections meanwhile.
        test::WaitUntil(
            [&] {
                m_conn.reset(xcb_connect(nullptr, nullptr));
                return !xcb_connection_has_error(m_conn.get());
            },
            std::chrono::milliseconds(2500));
        ASSERT_FALSE(xcb_connection_has_error(m_conn.get()));
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_conn.get())).data;
        m_window = xcb_generate_id(m_conn.get());
        xcb_create_window(m_conn.get(), XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 10, 10, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_flush(m_conn.get());
        const char* name = TESSALY_WINDOW_MESSAGE_ATOM;
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
            xcb_intern_atom_reply(m_conn.get(), xcb_intern_atom(m_conn.get(), 0, std::strlen(name), name), nullptr),
            &std::free);
        ASSERT_TRUE(atom);
        m_atom = atom->atom;
    }

    // The close messages that have reached our window. Whatever the X server delivered to it before it
    // answers a request of ours is in our queue by the time that answer is read.
    int ReceivedCloseMessages()
    {
        std::free(xcb_get_input_focus_reply(m_conn.get(), xcb_get_input_focus(m_conn.get()), nullptr));
        int received = 0;
        while (true) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_queued_event(m_conn.get()),
                                                                             &std::free);
            if (!event)
                break;
            if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE)
                continue;
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event.get());
            EXPECT_EQ(message->window, m_window);
            EXPECT_EQ(message->type, m_atom);
            EXPECT_EQ(message->format, 32);
            EXPECT_EQ(message->data.data32[0], TESSALY_WM_PRELOGIN_CLOSE);
            ++received;
        }
        return received;
    }

    struct Disconnect {
        void operator()(xcb_connection_t* c) const { xcb_disconnect(c); }
    };
    std::unique_ptr<xcb_connection_t, Disconnect> m_conn;
    xcb_window_t m_window = 0;
    xcb_atom_t m_atom = 0;
};

TEST_F(CloseMessageTest, ListedWindowsAreClosedWhenTheTimeIsUp)
{
    HostWindowList list;
    // The second window does not exist: harmless.
    Fill(list, {{TESSALY_WM_PRELOGIN_CLOSE, m_window}, {TESSALY_WM_PRELOGIN_CLOSE, 0x7FFFFF}});
    std::vector<std::string> reports;
    std::mutex lock;
    std::condition_variable reported;
    {
        WindowCloser closer(list, std::chrono::milliseconds(100), [&](const std::string& r) {
            std::lock_guard guard(lock);
            reports.push_back(r);
            reported.notify_all();
        });
        // The closer reports after the X server has taken its messages.
        std::unique_lock guard(lock);
        ASSERT_TRUE(reported.wait_for(guard, std::chrono::seconds(60), [&] { return !reports.empty(); }));
    }
    EXPECT_EQ(ReceivedCloseMessages(), 1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("2 window(s)"), std::string::npos) << reports[0];
}

TEST_F(CloseMessageTest, ACancelledTimerSendsNothing)
{
    HostWindowList list;
    Fill(list, {{TESSALY_WM_PRELOGIN_CLOSE, m_window}});
    int reports = 0;
    {
        WindowCloser closer(list, std::chrono::seconds(30), [&](const std::string&) { ++reports; });
    }  // the window closed on its own before the time was up; the closer's thread has ended
    EXPECT_EQ(ReceivedCloseMessages(), 0);
    EXPECT_EQ(reports, 0);
}

}  // namespace
}  // namespace tessaly::host
