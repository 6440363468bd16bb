// The UI thread on Windows: every Redirect window runs on a thread of its own that the library starts
// for the call, in a single-threaded apartment it initialises and balances, and ends before the call
// returns. So a caller without a message loop, or in no apartment or a multithreaded one, gets the
// same window, and no thread of ours outlives the call. While it waits the caller's own windows keep
// being served, as in any modal loop. The thread takes the caller's DPI awareness, so the window is
// scaled (or left to the system to stretch) as the caller's own windows are. One window at a time:
// a second call while one runs is refused.
#include <objbase.h>
#include <ole2.h>

#include <exception>
#include <mutex>

#include "platform/UiThread.h"
#include "platform/win32/DpiFunctions.h"
#include "platform/win32/Win32Support.h"

namespace tessaly::platform {
namespace {

std::mutex g_oneWindow;
thread_local bool t_onUiThread = false;

struct UiCall {
    const std::function<void()>* work;
    HANDLE dpiContext;  // the caller's, so the window scales as the caller's own windows would
    std::exception_ptr failure;
};

DWORD WINAPI UiThreadMain(void* parameter)
{
    auto* call = static_cast<UiCall*>(parameter);
    t_onUiThread = true;
    win32::EnterDpiContext(call->dpiContext);
    const HRESULT ole = OleInitialize(nullptr);
    try {
        (*call->work)();
    } catch (...) {
        call->failure = std::current_exception();
    }
    if (SUCCEEDED(ole))
        OleUninitialize();
    return 0;
}

// Waits for the thread while dispatching what arrives for the caller's own windows.
void WaitServingMessages(HANDLE thread)
{
    for (;;) {
        const DWORD woke = MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 1)
            return;
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The caller's loop must still see its quit; wait without serving from here on.
                PostQuitMessage(static_cast<int>(message.wParam));
                WaitForSingleObject(thread, INFINITE);
                return;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

}  // namespace

bool RunOnUiThread(const std::function<void()>& work, std::string& whyNot)
{
    if (t_onUiThread) {
        work();
        return true;
    }
    const std::unique_lock lock(g_oneWindow, std::try_to_lock);
    if (!lock.owns_lock()) {
        whyNot = "another window of the library is open";
        return false;
    }
    UiCall call{&work, win32::CurrentDpiContext(), nullptr};
    const win32::UniqueHandle thread(CreateThread(nullptr, 0, UiThreadMain, &call, 0, nullptr));
    if (!thread) {
        whyNot = "no thread for the window: " + win32::SystemErrorText(GetLastError());
        return false;
    }
    WaitServingMessages(thread.get());
    if (call.failure)
        std::rethrow_exception(call.failure);
    return true;
}

}  // namespace tessaly::platform
