// The UI thread on Windows: the thread that runs the dialog (see platform/UiThread.h) gets a
// message-only window, and work posted from other threads arrives there as messages, also while a
// move or a menu runs a modal loop of the system's own.
#include <atomic>
#include <memory>

#include "support/SwallowedException.h"
#include "toolkit/ToolkitPin.h"
#include "toolkit/UserInterface.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {
namespace {

constexpr UINT kRunTask = WM_APP + 1;
constexpr wchar_t kPostClass[] = L"TessalyUiPost";

using Task = std::function<void()>;

std::atomic<HWND> g_postWindow{nullptr};

LRESULT CALLBACK PostWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != kRunTask)
        return DefWindowProcW(window, message, wParam, lParam);
    const std::unique_ptr<Task> task(reinterpret_cast<Task*>(lParam));
    try {
        (*task)();
    } catch (...) {
        TraceSwallowed(u"PostToUiThread", u"a posted task failed");
    }
    return 0;
}

// The calling thread's post window, made at its first use and gone with the thread; tasks still
// queued for it then are dropped unrun.
class PostWindow {
public:
    PostWindow()
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = PostWindowProc;
        windowClass.hInstance = ToolkitInstance();
        windowClass.lpszClassName = kPostClass;
        RegisterClassExW(&windowClass);  // fails harmlessly when another thread registered it
        m_window = CreateWindowExW(0, kPostClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ToolkitInstance(), nullptr);
        g_postWindow.store(m_window);
    }
    ~PostWindow()
    {
        if (!m_window)
            return;
        HWND expected = m_window;
        g_postWindow.compare_exchange_strong(expected, nullptr);
        MSG message{};
        while (PeekMessageW(&message, m_window, kRunTask, kRunTask, PM_REMOVE))
            std::unique_ptr<Task>(reinterpret_cast<Task*>(message.lParam)).reset();
        DestroyWindow(m_window);
        UnregisterClassW(kPostClass, ToolkitInstance());  // fails while another thread still has one
    }
    PostWindow(const PostWindow&) = delete;
    PostWindow& operator=(const PostWindow&) = delete;
    HWND Window() const { return m_window; }

private:
    HWND m_window = nullptr;
};

}  // namespace

bool StartUserInterface(std::string& whyNot)
{
    thread_local PostWindow postWindow;
    // The thread that starts the interface is the one its windows run on from now on.
    g_postWindow.store(postWindow.Window());
    if (!postWindow.Window()) {
        whyNot = "no message window could be made on this thread";
        return false;
    }
    return true;
}

// Delivers what is already queued for this thread's windows (a closing browser's last messages),
// for a bounded time.
void DrainPendingWork()
{
    const ULONGLONG end = GetTickCount64() + 200;
    MSG message{};
    while (GetTickCount64() < end && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void PostToUiThread(std::function<void()> task)
{
    auto owned = std::make_unique<Task>(std::move(task));
    HWND target = g_postWindow.load();
    if (target && PostMessageW(target, kRunTask, 0, reinterpret_cast<LPARAM>(owned.get())))
        owned.release();  // the post window's procedure owns it now
}

// Windows keeps system libraries loaded by reference counts of their own; nothing to pin.
void PinToolkitLibraries() noexcept {}

}  // namespace tessaly::toolkit
