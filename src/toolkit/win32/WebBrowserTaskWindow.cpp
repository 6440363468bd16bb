#include "toolkit/win32/WebBrowserTaskWindow.h"

#include <utility>

#include "support/SwallowedException.h"

namespace tessaly::toolkit {
namespace {

constexpr const wchar_t* kClassName = L"TessalyBrowserTasks";
constexpr UINT kRunTasks = WM_APP + 1;

// The module this code lives in: the library, not the host's executable.
HINSTANCE OwnModule(const void* address)
{
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCWSTR>(address), &module);
    return module;
}

}  // namespace

std::unique_ptr<WebBrowserTaskWindow> WebBrowserTaskWindow::Make()
{
    const HINSTANCE module = OwnModule(reinterpret_cast<const void*>(&WebBrowserTaskWindow::Procedure));
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WebBrowserTaskWindow::Procedure;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kClassName;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    const HWND window = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    if (!window) {
        ::UnregisterClassW(kClassName, module);
        return nullptr;
    }
    auto owner = std::make_unique<WebBrowserTaskWindow>(Token{}, window);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner.get()));
    return owner;
}

WebBrowserTaskWindow::~WebBrowserTaskWindow()
{
    m_alive.reset();
    ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    ::DestroyWindow(m_window);
    // A class a library registers outlives the library unless it is taken back; this fails, and
    // does no harm, while another view's window still uses it.
    ::UnregisterClassW(kClassName, OwnModule(reinterpret_cast<const void*>(&WebBrowserTaskWindow::Procedure)));
}

void WebBrowserTaskWindow::Post(std::function<void()> task)
{
    m_tasks.push_back(std::move(task));
    // One wake-up at a time runs everything queued; a wake-up that could not be posted is tried again
    // with the next task.
    if (!m_wakePosted)
        m_wakePosted = ::PostMessageW(m_window, kRunTasks, 0, 0) != FALSE;
}

void WebBrowserTaskWindow::RunTasks()
{
    m_wakePosted = false;
    std::deque<std::function<void()>> due;
    due.swap(m_tasks);
    const std::weak_ptr<int> alive = m_alive;
    for (auto& task : due) {
        try {
            task();
        } catch (...) {
            TraceSwallowed(u"WebBrowserTaskWindow::RunTasks", u"a browser task failed");
        }
        if (alive.expired())
            return;  // the task ended the owner, and with it every other task
    }
}

LRESULT CALLBACK WebBrowserTaskWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunTasks) {
        if (auto* owner = reinterpret_cast<WebBrowserTaskWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            owner->RunTasks();
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace tessaly::toolkit
