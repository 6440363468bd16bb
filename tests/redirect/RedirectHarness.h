#pragma once
// Runs Redirect in this process against a private install folder (Config/, the machine-information
// and transfer libraries) and a small in-process web server, and lets a test act on the open window
// from inside the modal loop.
#include <gtk/gtk.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/types.h>

#include "common/TempDir.h"

namespace httplib {
class Server;
}

namespace tessaly::test {

// Web server on 127.0.0.1: POST /exchange answers the configured reply (optionally held until
// released), GET /p/<name> answers the named page.
class PageServer {
public:
    PageServer();
    ~PageServer();
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const;

    void SetReply(std::string reply);
    void HoldExchange(bool hold);  // while held, /exchange answers only on release or shut-down
    void SetPage(const std::string& name, std::string html);
    int ExchangeCount() const { return m_exchanges.load(); }
    int PageCount(const std::string& name) const;

private:
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_hold = false;
    bool m_stopping = false;
    std::string m_reply;
    std::map<std::string, std::string> m_pages;
    std::map<std::string, int> m_pageHits;
    std::atomic<int> m_exchanges{0};
};

// A temporary install folder that the library's folder lookups point at while it lives.
class InstallFolder {
public:
    // `exchangeUrl` goes to orvane.cfg as the exchange address.
    explicit InstallFolder(const std::string& exchangeUrl);
    ~InstallFolder();
    const std::string& Dir() const { return m_dir; }
    std::string ConfigDir() const { return m_dir + "Config/"; }
    void WriteWaitPage(const std::string& html);
    void WriteSkin(const std::string& xml);  // VomoLoginCfg.xml
    void RemoveSkin();

private:
    TempDir m_root;
    std::string m_dir;  // m_root ending in '/'
};

// What a test sees and does while the window is open.
class WindowProbe {
public:
    GtkWindow* Window() const { return m_window; }
    std::chrono::milliseconds Elapsed() const;
    std::uint32_t XWindowId() const;
    std::string Title() const;
    GtkAllocation ClientAllocation() const;  // the window's content size
    GtkWidget* Browser() const;              // the web view inside the window
    // The browser's place inside the client area.
    GtkAllocation BrowserAllocation() const;

    void CloseBox();  // as the window manager's close button does
    // The host's way: an X11 client message to the window id.
    void SendHostMessage(std::uint32_t message, long wParam, long lParam) const;
    // Clicks (press and release of the left button) the control under client point x, y; false
    // when no control is there.
    bool ClickAt(int x, int y) const;

    GtkWindow* m_window = nullptr;
    std::chrono::steady_clock::time_point m_start;
};

// Tells when the window has read the body of a page whose address contains `part` (and so has looked
// for the markers in it). After each finished load of such a page it reads the body itself, the way
// the window does and in the same script world; the web process answers in order, so the window's own
// answer has arrived when this one does.
class PageReadWatch {
public:
    explicit PageReadWatch(std::string part);
    ~PageReadWatch();
    PageReadWatch(const PageReadWatch&) = delete;
    PageReadWatch& operator=(const PageReadWatch&) = delete;

    // Call on each tick: follows the window's browser once there is one.
    void Follow(const WindowProbe& probe);
    // Bodies of matching pages read so far.
    int Reads() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

// Calls Redirect; `onTick` runs about every 25 ms while a redirect window is shown (not before).
// Returns the end code. The call is abandoned (test failure) only by the caller's own time-outs.
int RunRedirectWith(const std::function<void(WindowProbe&)>& onTick);

// Runs the default main context for `ms` milliseconds.
void Pump(int ms);

// Counts of what a process can leak: threads, open descriptors, toplevel windows, child processes.
struct ResourceCounts {
    int threads = 0;
    int fds = 0;
    int windows = 0;
    int children = 0;
};
ResourceCounts CountResources();
// "<fd> <target>" for each open descriptor counted by CountResources: all but the statistics files of
// WebKit's process-wide memory monitor, which it opens once, some seconds after its first view, and
// keeps for the life of the process.
std::vector<std::string> CountedDescriptors();

// Marker texts as pages write them.
inline constexpr const char* kStart = "<<<617458A4-8957-4a97-A646-AACC83D5DD38";
inline constexpr const char* kEnd = "617458A4-8957-4a97-A646-AACC83D5DD38>>>";

}  // namespace tessaly::test
