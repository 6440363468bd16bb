// The redirect window on Windows, in the test's own process: Tessaly.dll from a private install
// pointed at the suite's stand-in service, Redirect called on a thread of the test, the window found
// through its entry in the host's window message list.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <thread>

#include "common/LoadedLibrary.h"
#include "common/Polling.h"
#include "common/ServiceInstall.h"
#include "tessaly/tessaly.h"

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

struct WindowSearch {
    const wchar_t* title;
    HWND found;
};

BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) && std::wstring(text) == search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of this process with the given title; null when there is none.
HWND FindOwnWindow(const wchar_t* title)
{
    WindowSearch search{title, nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A host's side of one Redirect: its window list (published before the library is loaded, as a host
// does at start) and the call running on a thread of its own in the apartment asked for.
class HostSide {
public:
    HostSide(TessalyWndMsgList& list, TessalyRedirectProc redirect, DWORD apartment) : m_list(list)
    {
        m_thread = std::thread([this, redirect, apartment, done = std::move(m_done)]() mutable {
            const bool initialised = apartment != ~0u && SUCCEEDED(CoInitializeEx(nullptr, apartment));
            done.set_value(redirect());
            if (initialised)
                CoUninitialize();
        });
    }
    ~HostSide()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    HostSide(const HostSide&) = delete;
    HostSide& operator=(const HostSide&) = delete;

    // The window once it is on screen (a visible top-level window of this process with the skin's
    // title); null when none came within 30 s.
    HWND Window()
    {
        HWND found = nullptr;
        WaitUntil([&found] { return (found = FindOwnWindow(L"Tessaly Sign-in Helper")) != nullptr; }, 30s);
        return found;
    }
    // The end code, or -100 when Redirect did not return within 30 s.
    int Result() { return m_result.wait_for(30s) == std::future_status::ready ? m_result.get() : -100; }

private:
    TessalyWndMsgList& m_list;
    std::promise<int> m_done;
    std::future<int> m_result = m_done.get_future();
    std::thread m_thread;
};

class RedirectWindow : public ServiceInstallSuite {
protected:
    void SetUp() override
    {
        ServiceInstallSuite::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_EQ(TessalyPublishWndMsgList(&m_list), 0);
        m_library = std::make_unique<LoadedLibrary>(m_install->LibraryPath().string());
        ASSERT_TRUE(m_library->ok()) << m_library->error();
        m_redirect = m_library->Get<TessalyRedirectProc>("Redirect");
        ASSERT_NE(m_redirect, nullptr);
    }

    void TearDown() override
    {
        m_library.reset();
        TessalyPublishWndMsgList(nullptr);
        HeapFree(GetProcessHeap(), 0, m_list.items);
    }

    TessalyWndMsgList m_list{};
    std::unique_ptr<LoadedLibrary> m_library;
    TessalyRedirectProc m_redirect = nullptr;
};

TEST_F(RedirectWindow, ListedWhileOpenTheHostsCloseEndsItWithOneAndAStaleHandleReachesNothing)
{
    HostSide host(m_list, m_redirect, ~0u);  // a thread in no apartment, without a message loop
    HWND window = host.Window();
    ASSERT_NE(window, nullptr) << "the window never appeared";
    ASSERT_EQ(m_list.count, 1) << "the window is in the host's list";
    EXPECT_EQ(m_list.items[0].window, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)));
    EXPECT_EQ(m_list.items[0].message, TESSALY_WM_PRELOGIN_CLOSE);
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 640) << "the shipped skin's sheet";
    EXPECT_EQ(client.bottom, 480);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    EXPECT_EQ(std::wstring(title), L"Tessaly Sign-in Helper");

    EXPECT_EQ(TessalyPostWindowMessage(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)),
                                       TESSALY_WM_PRELOGIN_CLOSE, 0, 0),
              1);
    EXPECT_EQ(host.Result(), 1);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(m_list.count, 0) << "the window left the list when it ended";
    EXPECT_EQ(TessalyPostWindowMessage(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window)),
                                       TESSALY_WM_PRELOGIN_CLOSE, 0, 0),
              0)
        << "a stale handle reaches nothing";
}

TEST_F(RedirectWindow, CancelEndsItWithTwoAlsoFromAMultithreadedApartment)
{
    for (DWORD apartment : {static_cast<DWORD>(COINIT_MULTITHREADED), static_cast<DWORD>(COINIT_APARTMENTTHREADED)}) {
        HostSide host(m_list, m_redirect, apartment);
        HWND window = host.Window();
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(host.Result(), 2) << "apartment " << apartment;
    }
}

TEST_F(RedirectWindow, ASecondWindowWhileOneIsOpenIsRefusedWithMinusOne)
{
    HostSide first(m_list, m_redirect, ~0u);
    HWND window = first.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_redirect(), -1);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Result(), 2) << "the close box cancels";
}

}  // namespace
}  // namespace tessaly::test
