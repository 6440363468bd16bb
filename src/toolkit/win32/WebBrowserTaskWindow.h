#pragma once
// Runs work later on the UI thread: a message-only window that takes queued tasks from the message
// loop, after the call that queued them has returned. Tasks that have not run when the window goes
// are dropped, so none of them outlives its owner.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

namespace tessaly::toolkit {

class WebBrowserTaskWindow {
    struct Token {};

public:
    // Null when the window cannot be made.
    static std::unique_ptr<WebBrowserTaskWindow> Make();
    WebBrowserTaskWindow(Token, HWND window) : m_window(window) {}
    ~WebBrowserTaskWindow();
    WebBrowserTaskWindow(const WebBrowserTaskWindow&) = delete;
    WebBrowserTaskWindow& operator=(const WebBrowserTaskWindow&) = delete;

    void Post(std::function<void()> task);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunTasks();

    HWND m_window;
    std::deque<std::function<void()>> m_tasks;
    bool m_wakePosted = false;
    // Expires when the window goes, which a task may bring about.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace tessaly::toolkit
