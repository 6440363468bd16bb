// Redirect from call to end code, in this process, under the test display: the exchange through the
// real transfer and machine-information libraries against an in-process web server, the pages'
// markers, the host's close request, the close box, the skin's buttons, the template fall-backs, and
// what twenty runs leave behind.
#include <gtest/gtest.h>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <tessaly/tessaly.h>

#include "HostWindowList.h"
#include "browser/BrowserHosting.h"
#include "platform/SharedMemory.h"
#include "common/ProcessCensus.h"
#include "common/StandInService.h"
#include "redirect/RedirectHarness.h"

namespace tessaly::test {
namespace {

using namespace std::chrono_literals;

constexpr int kSheetWidth = 460;
constexpr int kSheetHeight = 320;

// A 460x320 skin with the browser at 10,40 300x200 (unless withItem1 is false) and one button per action in
// a row at y 260: IDOK, IDCANCEL, IDYES, IDNO, CLOSE.
std::string SkinXml(bool withItem1)
{
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<Config><CommonWindow><PreLoginFromInternetInfo>
  <WindowInfo>
    <Item ItemID="Title" Data="Redirect test"/>
    <Item ItemID="SheetSize" Data="460,320"/>
  </WindowInfo>
  <PosInfo>)";
    if (withItem1)
        xml += R"(<Item ItemID="ITEM1" Pos="10, 40, 300, 200"/>)";
    xml += R"(</PosInfo>
  <DynamicInfo><ButtonItem>
    <B Name="OK" ID="IDOK" Pos="10,260,60,24"/>
    <B Name="Cancel" ID="idcancel" Pos="80,260,60,24"/>
    <B Name="Yes" ID="IDYES" Pos="150,260,60,24"/>
    <B Name="No" ID="IDNO" Pos="220,260,60,24"/>
    <B Name="Close" ID="CLOSE" Pos="290,260,60,24"/>
  </ButtonItem></DynamicInfo>
</PreLoginFromInternetInfo></CommonWindow></Config>
)";
    return xml;
}

std::string CommentPage(const std::string& inner = std::string(kStart) + kEnd)
{
    return "<html><head><title>t</title></head><body><p>Target</p><!-- " + inner + " --></body></html>";
}

// The host's side of the close list, published in the shared data block while the object lives.
class HostList : public host::HostWindowList {
public:
    HostList() : m_valid(TessalyPublishWndMsgList(Address()) == 0) {}
    ~HostList()
    {
        if (m_valid)
            TessalyPublishWndMsgList(nullptr);
    }
    bool Valid() const { return m_valid; }
    bool Holds(std::uint32_t window) const { return std::ranges::count(CloseTargets(), window) > 0; }
    // Closes every listed window the way a host does.
    void CloseAll(WindowProbe& probe, long wParam, long lParam) const
    {
        for ([[maybe_unused]] std::uint32_t window : CloseTargets())
            probe.SendHostMessage(TESSALY_WM_PRELOGIN_CLOSE, wParam, lParam);
    }

private:
    bool m_valid;
};

class RedirectFlow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        StartBrowserHosting();
        s_server = std::make_unique<PageServer>();
    }
    static void TearDownTestSuite()
    {
        s_server.reset();
        StopBrowserHosting();
    }

    void SetUp() override
    {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
        m_install = std::make_unique<InstallFolder>(s_server->Url("/exchange"));
        m_install->WriteSkin(SkinXml(true));
        s_server->HoldExchange(false);
        s_server->SetReply("");
    }
    void TearDown() override
    {
        s_server->HoldExchange(false);
        m_install.reset();
    }

    // Sets the exchange reply to the served page `name` with `html`.
    void Target(const std::string& name, const std::string& html)
    {
        s_server->SetPage(name, html);
        s_server->SetReply(s_server->Url("/p/" + name));
    }

    static std::unique_ptr<PageServer> s_server;
    std::unique_ptr<InstallFolder> m_install;
};

std::unique_ptr<PageServer> RedirectFlow::s_server;

// Safety net: a window that outlives its test is closed by the box, and the test fails.
void FailAfter(WindowProbe& probe, std::chrono::milliseconds limit)
{
    if (probe.Elapsed() > limit) {
        ADD_FAILURE() << "window still open after " << limit.count() << " ms";
        probe.CloseBox();
    }
}

// A run that only waits for the window to end by itself.
int RunUntilItEnds() { return RunRedirectWith([](WindowProbe& p) { FailAfter(p, 20s); }); }

// x, y, width, height
std::array<int, 4> Box(const GtkAllocation& a) { return {a.x, a.y, a.width, a.height}; }

TEST_F(RedirectFlow, NoTargetEndsWithOkWithoutShowingAnotherPage)
{
    const int before = s_server->ExchangeCount();
    const int result = RunUntilItEnds();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(s_server->ExchangeCount(), before + 1);
}

TEST_F(RedirectFlow, MarkersInABodyCommentEndTheWindowWithOk)
{
    Target("done", CommentPage(std::string(kStart) + " payload " + kEnd));
    bool focused = false;
    const int result = RunRedirectWith([&](WindowProbe& p) {
        // The window's own choice of focus widget; whether the toplevel itself is active is up to the
        // window manager and the machine's load.
        if (GtkWidget* browser = p.Browser())
            focused = focused || gtk_widget_is_focus(browser);
        FailAfter(p, 20s);
    });
    EXPECT_EQ(result, 1);
    EXPECT_GE(s_server->PageCount("done"), 1);
    EXPECT_TRUE(focused) << "the browser was never the window's focus widget";
}

TEST_F(RedirectFlow, EndMarkerBeforeStartMarkerStillCloses)
{
    Target("reversed", CommentPage(std::string(kEnd) + " x " + kStart));
    EXPECT_EQ(RunUntilItEnds(), 1);
}

TEST_F(RedirectFlow, PageScriptReadsTheExternalMember)
{
    // The page writes the markers only when window.external.xxyyzz reads "Wibble".
    Target("external", std::string("<html><body><div id='d'></div><script>") +
                           "if (window.external.xxyyzz === 'Wibble' && window.external.other === undefined)"
                           " document.getElementById('d').appendChild(document.createComment('" +
                           kStart + "' + '" + kEnd + "'));</script></body></html>");
    EXPECT_EQ(RunUntilItEnds(), 1);
}

TEST_F(RedirectFlow, MarkersOnlyInTheHeadKeepTheWindowUntilTheHostClosesIt)
{
    HostList host;
    ASSERT_TRUE(host.Valid());
    Target("head", std::string("<html><head><title>") + kStart + kEnd + "</title><script>var m='" + kStart + kEnd +
                       "';</script></head><body>no markers here</body></html>");
    std::uint32_t window = 0;
    bool registered = false;
    bool sent = false;
    PageReadWatch page("/p/head");
    int readTicks = 0;
    const int result = RunRedirectWith([&](WindowProbe& p) {
        window = p.XWindowId();
        registered = registered || host.Holds(window);
        page.Follow(p);
        // One tick after the window has read the page: a close it asked for itself would have come.
        if (!sent && page.Reads() > 0 && ++readTicks > 1) {
            sent = true;
            host.CloseAll(p, 7, -3);  // any wParam and lParam
        }
        FailAfter(p, 25s);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(sent) << "the window closed before the host asked";
    EXPECT_TRUE(registered) << "window " << window << " was not in the host's list";
    EXPECT_EQ(host.Address()->count, 0) << "the window left its entry behind";
}

TEST_F(RedirectFlow, LowerCaseMarkersAndEscapedTextDoNotCloseButTheCloseBoxCancels)
{
    std::string lower = std::string(kStart) + kEnd;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Target("lower", "<html><body><!-- " + lower + " --><p>&lt;&lt;&lt;617458A4-8957-4a97-A646-AACC83D5DD38 "
                        "617458A4-8957-4a97-A646-AACC83D5DD38&gt;&gt;&gt;</p></body></html>");
    bool closed = false;
    PageReadWatch page("/p/lower");
    int readTicks = 0;
    const int result = RunRedirectWith([&](WindowProbe& p) {
        page.Follow(p);
        if (!closed && page.Reads() > 0 && ++readTicks > 1) {
            closed = true;
            p.CloseBox();
        }
        FailAfter(p, 25s);
    });
    EXPECT_EQ(result, 2);
    EXPECT_TRUE(closed);
}

TEST_F(RedirectFlow, WaitPageWithMarkersEndsWhileTheUploadIsStillRunning)
{
    s_server->HoldExchange(true);
    m_install->WriteWaitPage(CommentPage());
    const int before = s_server->ExchangeCount();
    // The exchange is held until released, so a window that waited for it would run into FailAfter.
    const int result = RunUntilItEnds();
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(WaitUntil([&] { return s_server->ExchangeCount() == before + 1; }, 30s)) << "the upload never started";
    // The stopped worker's late answer reaches nothing.
    s_server->SetReply(s_server->Url("/p/never"));
    s_server->HoldExchange(false);
    EXPECT_TRUE(WaitUntil([] { return ThreadsNamed("tessaly-worker") == 0; }, 60s)) << "the worker never ended";
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
    EXPECT_EQ(s_server->PageCount("never"), 0);
}

struct ButtonCase {
    int x;
    int expected;
};

TEST_F(RedirectFlow, SkinButtonsEndTheWindowWithTheirResults)
{
    s_server->HoldExchange(true);  // stay on the wait page
    for (const ButtonCase& c : {ButtonCase{40, 1}, ButtonCase{110, 2}, ButtonCase{180, 6}, ButtonCase{250, 7},
                                ButtonCase{320, 2}}) {
        bool clicked = false;
        const int result = RunRedirectWith([&](WindowProbe& p) {
            if (!clicked)
                clicked = p.ClickAt(c.x, 272);  // as soon as the button is on screen
            FailAfter(p, 20s);
        });
        EXPECT_TRUE(clicked) << "no control at x " << c.x;
        EXPECT_EQ(result, c.expected) << "button at x " << c.x;
    }
}

TEST_F(RedirectFlow, TheSkinSizesTheWindowAndPlacesTheBrowserAtItem1OrTheTemplatePlace)
{
    s_server->HoldExchange(true);  // stay on the wait page
    for (const bool withItem1 : {true, false}) {
        m_install->WriteSkin(SkinXml(withItem1));
        GtkAllocation browser{}, client{};
        std::string title;
        gboolean menuRefused = FALSE;
        bool measured = false;
        const int result = RunRedirectWith([&](WindowProbe& p) {
            // The window is mapped (or the probe would not run); the browser's first real size
            // allocation is its final one (a widget not yet allocated has 1 x 1).
            if (!measured && p.Browser() && gtk_widget_get_allocated_width(p.Browser()) > 1 &&
                gtk_widget_get_allocated_height(p.Browser()) > 1) {
                measured = true;
                // What a right click asks the view: the window's browser answers "handled", no menu.
                WebKitContextMenu* menu = webkit_context_menu_new();
                g_signal_emit_by_name(p.Browser(), "context-menu", menu, nullptr, nullptr, &menuRefused);
                g_object_unref(menu);
                browser = p.BrowserAllocation();
                client = p.ClientAllocation();
                title = p.Title();
                p.SendHostMessage(TESSALY_WM_PRELOGIN_CLOSE, withItem1 ? 0 : 1, 0);
            }
            FailAfter(p, 20s);
        });
        EXPECT_EQ(result, 1);
        EXPECT_EQ(title, "Redirect test");
        EXPECT_TRUE(menuRefused);
        EXPECT_EQ(std::make_pair(client.width, client.height), std::make_pair(kSheetWidth, kSheetHeight));
        EXPECT_EQ(Box(browser), withItem1 ? Box({10, 40, 300, 200}) : Box({0, 0, 411, 286}))
            << "ITEM1 given: " << withItem1;
    }
}

TEST_F(RedirectFlow, WithoutTheSkinFileTheTemplateLookRemainsAndTheExchangeRuns)
{
    m_install->RemoveSkin();
    Target("plain", CommentPage());
    std::string title;
    GtkAllocation client{}, browser{};
    const int result = RunRedirectWith([&](WindowProbe& p) {
        title = p.Title();
        client = p.ClientAllocation();
        browser = p.BrowserAllocation();
        FailAfter(p, 20s);
    });
    EXPECT_EQ(result, 1);  // the target page's markers closed it
    EXPECT_EQ(title, "Dialog");
    EXPECT_EQ(std::make_pair(client.width, client.height), std::make_pair(422, 297));
    EXPECT_EQ(std::make_pair(browser.width, browser.height), std::make_pair(411, 286));
}

TEST_F(RedirectFlow, ACrashedPageProcessIsStartedAgainOnTheSamePage)
{
    Target("crash", "<html><body>first load, no markers</body></html>");
    bool crashed = false;
    PageReadWatch page("/p/crash");
    const int result = RunRedirectWith([&](WindowProbe& p) {
        page.Follow(p);
        if (!crashed && page.Reads() > 0) {
            crashed = true;
            s_server->SetPage("crash", CommentPage());
            webkit_web_view_terminate_web_process(WEBKIT_WEB_VIEW(p.Browser()));
        }
        FailAfter(p, 25s);
    });
    EXPECT_TRUE(crashed);
    EXPECT_EQ(result, 1);
    EXPECT_GE(s_server->PageCount("crash"), 2);
}

TEST_F(RedirectFlow, StandInServiceWelcomePageContinuesToTheDonePage)
{
    std::string error;
    const auto service = StartService(error, {"--auto-continue", "1"});
    ASSERT_TRUE(service) << error;
    m_install.reset();
    m_install = std::make_unique<InstallFolder>(service->BaseUrl() +
                                                "/prelogin/exchange");
    std::string shown;
    const int result = RunRedirectWith([&](WindowProbe& p) {
        if (GtkWidget* browser = p.Browser())
            if (const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(browser)))
                if (std::string(uri).find("/welcome") != std::string::npos)
                    shown = uri;
        FailAfter(p, 30s);
    });
    EXPECT_EQ(result, 1);
    EXPECT_NE(shown, "") << "the welcome page was never shown";
}

TEST_F(RedirectFlow, TwentyRunsLeaveNoThreadDescriptorWindowOrProcessBehind)
{
    Target("loop", CommentPage());
    ASSERT_EQ(RunUntilItEnds(), 1);  // warm-up: WebKit's own long-lived helpers start here
    Pump(1500);
    const ResourceCounts before = CountResources();
    const std::vector<std::string> fdsBefore = CountedDescriptors();
    const std::multiset<std::string> threadsBefore = ThreadNames();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(RunUntilItEnds(), 1) << "run " << i;
    // Helper processes and worker threads wind down asynchronously; give them a moment. The toolkit
    // keeps a pool thread or two that come and go on their own, and the web engine keeps a few wake-up
    // descriptors (eventfd) and a shared-memory buffer of its own beyond the first windows: measured
    // over ten full suite runs on two cores, threads +0 to +1 and descriptors +0 to +4 after twenty
    // windows. Something left behind per run would show twenty. Sanitizer runtimes keep threads and
    // descriptors of their own that come and go as well.
#ifdef TESSALY_SANITIZED
    constexpr int kThreadJitter = 8;
    constexpr int kFdJitter = 8;
#else
    constexpr int kThreadJitter = 2;
    constexpr int kFdJitter = 6;
#endif
    ResourceCounts after;
    for (int i = 0; i < 120; ++i) {  // up to 30 s on a loaded machine; usually done within a second
        Pump(250);
        after = CountResources();
        if (after.threads <= before.threads && after.fds <= before.fds && after.children <= before.children)
            break;
    }
    std::printf("after warm-up: %d threads, %d fds, %d windows, %d children; after 20 more runs: %d, %d, %d, %d\n",
                before.threads, before.fds, before.windows, before.children, after.threads, after.fds, after.windows,
                after.children);
    EXPECT_LE(after.threads, before.threads + kThreadJitter) << "new threads:\n" << NewThreads(threadsBefore, ThreadNames());
    EXPECT_LE(after.fds, before.fds + kFdJitter);
    if (after.fds > before.fds + kFdJitter)
        for (const std::string& fd : NewDescriptors(fdsBefore, CountedDescriptors()))
            ADD_FAILURE() << "new descriptor " << fd;
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_LE(after.children, before.children);
}

}  // namespace
}  // namespace tessaly::test
