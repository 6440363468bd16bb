// The redirect window on Windows with the shipped skin: the host's list, its close, Cancel, the close
// box, apartments, one window at a time.
#include "RedirectWindowHarness.h"

#include <fstream>
#include <iterator>

namespace tessaly::test {
namespace {

// Whether the stand-in service's request log (named by tests/wine/with-service.sh) holds `request`.
bool ServiceSaw(const std::string& request)
{
    const char* log = std::getenv("TESSALY_TEST_SERVICE_LOG");
    if (!log || !*log)
        return false;
    std::ifstream in(std::string("Z:") + log);  // a Linux path; Wine shows the Linux root as drive Z:
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.find(request) != std::string::npos;
}

TEST_F(RedirectWindow, ListedWhileOpenTheHostsCloseEndsItWithOneAndAStaleHandleReachesNothing)
{
    HostSide host(m_redirect, ~0u);  // a thread in no apartment, without a message loop
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
    // The worker's exchange reaches the service, and the browser control then asks it for the target.
    EXPECT_TRUE(WaitUntil([] { return ServiceSaw("POST /prelogin/exchange?"); }, std::chrono::seconds(20)));
    EXPECT_TRUE(WaitUntil([] { return ServiceSaw("GET /welcome "); }, std::chrono::seconds(20)));

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
        HostSide host(m_redirect, apartment);
        HWND window = host.Window();
        ASSERT_NE(window, nullptr);
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(host.Result(), 2) << "apartment " << apartment;
    }
}

TEST_F(RedirectWindow, ASecondWindowWhileOneIsOpenIsRefusedWithMinusOne)
{
    HostSide first(m_redirect, ~0u);
    HWND window = first.Window();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_redirect(), -1);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.Result(), 2) << "the close box cancels";
}

}  // namespace
}  // namespace tessaly::test
