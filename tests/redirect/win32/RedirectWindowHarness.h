#pragma once
// The redirect window on Windows, in the test's own process: Tessaly.dll from a private install
// pointed at the suite's stand-in service, Redirect called on a thread of the test, the window found
// by its title among this process's windows.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "common/LoadedLibrary.h"
#include "common/Polling.h"
#include "common/ServiceInstall.h"
#include "tessaly/tessaly.h"

namespace tessaly::test {

inline constexpr wchar_t kRedirectTitle[] = L"Tessaly Sign-in Helper";

struct WindowSearch {
    const wchar_t* title;
    HWND found;
};

inline BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM data)
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
inline HWND FindOwnWindow(const wchar_t* title)
{
    WindowSearch search{title, nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The DPI awareness contexts a host thread may be in (the values of DPI_AWARENESS_CONTEXT_*).
inline HANDLE const kDpiUnaware = reinterpret_cast<HANDLE>(-1);
inline HANDLE const kDpiPerMonitorAware = reinterpret_cast<HANDLE>(-4);

// Puts the calling thread in a DPI awareness context (Windows 10 1607 and later).
inline bool EnterDpiAwareness(HANDLE context)
{
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    const auto set = reinterpret_cast<SetContext>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    return set && set(context) != nullptr;
}

// A host's side of one Redirect: the call running on a thread of its own in the apartment asked for
// (~0u: none), in the DPI awareness context asked for (null: the process's).
class HostSide {
public:
    HostSide(TessalyRedirectProc redirect, DWORD apartment, HANDLE dpiContext = nullptr)
    {
        m_thread = std::thread([redirect, apartment, dpiContext, done = std::move(m_done)]() mutable {
            if (dpiContext)
                EnterDpiAwareness(dpiContext);
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

    // The window once it is on screen; null when none came within 30 s.
    HWND Window()
    {
        HWND found = nullptr;
        WaitUntil([&found] { return (found = FindOwnWindow(kRedirectTitle)) != nullptr; }, std::chrono::seconds(30));
        return found;
    }
    // The end code, or -100 when Redirect did not return within 30 s.
    int Result()
    {
        return m_result.wait_for(std::chrono::seconds(30)) == std::future_status::ready ? m_result.get() : -100;
    }
    // Whether Redirect is still running (the window has not ended).
    bool Running() const { return m_result.wait_for(std::chrono::seconds(0)) != std::future_status::ready; }

private:
    std::promise<int> m_done;
    std::future<int> m_result = m_done.get_future();
    std::thread m_thread;
};

// The host's window list, published before the library is loaded (as a host does at start), and
// the library's Redirect.
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

}  // namespace tessaly::test
