// The Windows host's own parts: the close message reaches a listed window through PostMessageW, and
// the list's storage comes from and goes back to the process heap the library fills it from.

#include "HostWindowList.h"
#include "WindowCloser.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly::host {
namespace {

// A message-only window of this thread (no display needed) that counts the close messages it gets.
class CloseTarget {
public:
    CloseTarget()
    {
        WNDCLASSW type{};
        type.lpfnWndProc = &CloseTarget::Procedure;
        type.hInstance = ::GetModuleHandleW(nullptr);
        type.lpszClassName = L"TessalyHostCloseTarget";
        ::RegisterClassW(&type);
        m_window = ::CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     type.hInstance, nullptr);
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~CloseTarget() { ::DestroyWindow(m_window); }
    CloseTarget(const CloseTarget&) = delete;
    CloseTarget& operator=(const CloseTarget&) = delete;

    std::uint32_t Handle() const { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(m_window)); }
    int Received() const { return m_received; }

    // Runs this thread's messages until `done` holds or `limit` has passed.
    template <typename Done>
    void PumpUntil(Done done, std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* self = reinterpret_cast<CloseTarget*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == TESSALY_WM_PRELOGIN_CLOSE) {
            ++self->m_received;
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    HWND m_window = nullptr;
    int m_received = 0;
};

// Gives the list heap storage holding `items`, as the library allocates it; the list frees it.
void Fill(HostWindowList& list, std::initializer_list<TessalyWndMsgItem> items)
{
    TessalyWndMsgList* raw = list.Address();
    raw->items = static_cast<TessalyWndMsgItem*>(
        ::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, items.size() * sizeof(TessalyWndMsgItem)));
    std::copy(items.begin(), items.end(), raw->items);
    raw->capacity = raw->count = static_cast<std::intptr_t>(items.size());
}

TEST(WindowCloserWin32Test, PostsTheCloseMessageToListedWindows)
{
    CloseTarget target;
    ASSERT_NE(target.Handle(), 0u);
    HostWindowList list;
    Fill(list, {{TESSALY_WM_PRELOGIN_INFO_DONE, target.Handle()}, {TESSALY_WM_PRELOGIN_CLOSE, target.Handle()}});
    std::mutex lock;
    std::vector<std::string> reports;
    {
        WindowCloser closer(list, std::chrono::milliseconds(50), [&](const std::string& report) {
            std::lock_guard guard(lock);
            reports.push_back(report);
        });
        target.PumpUntil([&] { return target.Received() > 0; }, std::chrono::seconds(30));
    }
    EXPECT_EQ(target.Received(), 1) << "only the close entry is sent";
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], "time is up: sent the close message to 1 window(s)");
}

TEST(WindowCloserWin32Test, AWindowThatIsGoneIsReportedAsUnreachable)
{
    std::uint32_t gone = 0;
    {
        CloseTarget target;
        gone = target.Handle();
    }
    HostWindowList list;
    Fill(list, {{TESSALY_WM_PRELOGIN_CLOSE, gone}});
    EXPECT_EQ(WindowCloser::SendClose({gone}), -1);
    std::mutex lock;
    std::condition_variable reported;
    std::string report;
    {
        WindowCloser closer(list, std::chrono::milliseconds(10), [&](const std::string& r) {
            std::lock_guard guard(lock);
            report = r;
            reported.notify_all();
        });
        std::unique_lock guard(lock);
        ASSERT_TRUE(reported.wait_for(guard, std::chrono::seconds(30), [&] { return !report.empty(); }));
    }
    EXPECT_NE(report.find("cannot be reached"), std::string::npos) << report;
}

}  // namespace
}  // namespace tessaly::host
