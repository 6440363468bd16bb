// The browser view against real pages under the test display: loads, body markup, the external
// object as page scripts see it, and the refused context menu.
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "browser/BrowserHosting.h"
#include "browser/CExplorer1.h"
#include "toolkit/gtk/WebKitBrowserView.h"
#include "common/MainLoop.h"
#include "common/TempDir.h"

namespace tessaly {
namespace {

using namespace std::chrono_literals;
using test::PumpUntil;

class ExplorerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartBrowserHosting(); }
    static void TearDownTestSuite() { StopBrowserHosting(); }

    void SetUp() override
    {
        if (!gtk_init_check(nullptr, nullptr))
            GTEST_SKIP() << "no display";
        m_window = gtk_offscreen_window_new();
        gtk_window_set_default_size(GTK_WINDOW(m_window), 400, 300);
        ASSERT_TRUE(m_explorer.Create());
        gtk_container_add(GTK_CONTAINER(m_window), ViewWidget());
        gtk_widget_show_all(m_window);
        m_explorer.SetDownloadCompleteHandler([this] { ++m_loads; });
    }

    void TearDown() override
    {
        m_explorer.Destroy();
        if (m_window)
            gtk_widget_destroy(m_window);
        while (g_main_context_pending(nullptr))
            g_main_context_iteration(nullptr, FALSE);
    }

    std::string WritePage(const std::string& name, const std::string& html)
    {
        test::WriteFile(m_dir.file(name), html);
        return m_dir.file(name);
    }

    // Loads the file and waits for the completed load.
    void Load(const std::string& path)
    {
        const int before = m_loads;
        ASSERT_TRUE(m_explorer.Navigate(std::u16string(path.begin(), path.end())));
        ASSERT_TRUE(PumpUntil([&] { return m_loads > before; }, 20s));
    }

    std::optional<std::u16string> Body()
    {
        bool finished = false;
        std::optional<std::u16string> markup;
        m_explorer.GetBodyMarkup([&](std::optional<std::u16string> text) {
            markup = std::move(text);
            finished = true;
        });
        EXPECT_TRUE(PumpUntil([&] { return finished; }, 20s));
        return markup;
    }

    test::TempDir m_dir;
    // The explorer's WebKit view; null before Create and after Destroy.
    GtkWidget* ViewWidget() const { return m_explorer.View() ? toolkit::BrowserWidget(*m_explorer.View()) : nullptr; }

    GtkWidget* m_window = nullptr;
    CExplorer1 m_explorer;
    int m_loads = 0;
};

TEST(ExplorerTargets, FilePathsAddressesAndBareHostNames)
{
    EXPECT_EQ(CExplorer1::TargetToUri(u"/opt/x y/wait.htm"), "file:///opt/x%20y/wait.htm");
    EXPECT_EQ(CExplorer1::TargetToUri(u"http://127.0.0.1:8470/welcome"), "http://127.0.0.1:8470/welcome");
    EXPECT_EQ(CExplorer1::TargetToUri(u"HTTPS://example.test/a?b=c"), "HTTPS://example.test/a?b=c");
    EXPECT_EQ(CExplorer1::TargetToUri(u"example.test/page"), "http://example.test/page");
    EXPECT_EQ(CExplorer1::TargetToUri(u"127.0.0.1:8470/x"), "http://127.0.0.1:8470/x");
    EXPECT_EQ(CExplorer1::TargetToUri(u""), "");
    EXPECT_EQ(CExplorer1::TargetToUri(std::u16string(u"/a\0b", 4)), "");
    EXPECT_EQ(CExplorer1::TargetToUri(u"relative/wait.htm"), "http://relative/wait.htm");
}

TEST_F(ExplorerTest, PageScriptsSeeTheExternalMemberAndNothingElse)
{
    const std::string page = WritePage("ext.htm", R"(<html><body><div id="out"></div><script>
        var r = [];
        r.push(window.external.xxyyzz);
        r.push(window.external.xxyANY);
        r.push(String(window.external.other));
        r.push(String(window.external.XXYyzz));
        window.external.xxyyzz = 'changed';
        r.push(window.external.xxyyzz);
        try { window.external(); r.push('call-ok'); } catch (e) { r.push('call-threw'); }
        var v = window.external.xxyyzz;
        r.push(String(v), v == 'Wibble');
        try { r.push(typeof window.external.xxyyzz(1, 'a')); } catch (e) { r.push('method-threw'); }
        document.getElementById('out').textContent = r.join('|');
    </script></body></html>)");
    Load(page);
    const auto body = Body();
    ASSERT_TRUE(body.has_value());
    EXPECT_NE(body->find(u"Wibble|Wibble|undefined|undefined|Wibble|call-ok|Wibble|true|undefined"),
              std::u16string::npos)
        << "body differs";
}

TEST_F(ExplorerTest, BodyMarkupKeepsCommentsAndLeavesTheHeadOut)
{
    const std::string page = WritePage("c.htm",
        "<html><head><title>HEADMARK</title></head><body><p>a &lt;b</p><!-- note 42 --></body></html>");
    Load(page);
    const auto body = Body();
    ASSERT_TRUE(body.has_value());
    EXPECT_EQ(body->rfind(u"<body>", 0), 0u);
    EXPECT_NE(body->find(u"<!-- note 42 -->"), std::u16string::npos);
    EXPECT_NE(body->find(u"a &lt;b"), std::u16string::npos);
    EXPECT_EQ(body->find(u"HEADMARK"), std::u16string::npos);
}

TEST_F(ExplorerTest, AFailedLoadStillCountsAsACompletedDownload)
{
    Load(m_dir.file("missing.htm"));
    EXPECT_GE(m_loads, 1);
    // Each completed load reports again.
    const std::string page = WritePage("p.htm", "<html><body>x</body></html>");
    Load(page);
    Load(page);
    EXPECT_GE(m_loads, 3);
}

TEST_F(ExplorerTest, RequestsForANewWindowLoadInTheSameViewAsACompletedNavigation)
{
    auto* view = WEBKIT_WEB_VIEW(ViewWidget());
    // Here scripts stand in for the user's click, which would allow the new window anyway.
    webkit_settings_set_javascript_can_open_windows_automatically(webkit_web_view_get_settings(view), TRUE);
    WritePage("second.htm", "<html><body>SECOND</body></html>");
    WritePage("third.htm", "<html><body>THIRD</body></html>");
    Load(WritePage("first.htm", R"(<html><body><a id="l" target="_blank" href="second.htm">x</a></body></html>)"));
    for (const auto& [script, marker] : {std::pair{"document.getElementById('l').click()", u"SECOND"},
                                         std::pair{"window.open('third.htm')", u"THIRD"}}) {
        const int before = m_loads;
        webkit_web_view_evaluate_javascript(view, script, -1, nullptr, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(PumpUntil([&] { return m_loads > before; }, 20s)) << script;
        const auto body = Body();
        ASSERT_TRUE(body.has_value());
        EXPECT_NE(body->find(marker), std::u16string::npos) << script;
    }
}

TEST_F(ExplorerTest, TheContextMenuIsRefused)
{
    Load(WritePage("m.htm", "<html><body>menu</body></html>"));
    WebKitContextMenu* menu = webkit_context_menu_new();
    gboolean handled = FALSE;
    g_signal_emit_by_name(ViewWidget(), "context-menu", menu, nullptr, nullptr, &handled);
    g_object_unref(menu);
    EXPECT_TRUE(handled);
}

TEST_F(ExplorerTest, ABodyReadPendingAtDestroyNeverReportsAndNavigateFailsAfterwards)
{
    Load(WritePage("d.htm", "<html><body>d</body></html>"));
    bool called = false;
    m_explorer.GetBodyMarkup([&](std::optional<std::u16string>) { called = true; });
    m_explorer.Destroy();
    for (int i = 0; i < 200; ++i)
        g_main_context_iteration(nullptr, FALSE);
    EXPECT_FALSE(called);
    EXPECT_EQ(ViewWidget(), nullptr);
    EXPECT_FALSE(m_explorer.Navigate(u"/tmp/x.htm"));
    m_explorer.Destroy();  // idempotent
}

TEST_F(ExplorerTest, DestroyReleasesTheViewAndEveryWidgetItHoldsInternalOnesIncluded)
{
    Load(WritePage("r.htm", "<html><body><input autofocus></body></html>"));
    // forall, unlike foreach, lists the widgets the view keeps for itself.
    std::vector<GtkWidget*> held{ViewWidget()};
    gtk_container_forall(
        GTK_CONTAINER(ViewWidget()),
        [](GtkWidget* child, gpointer list) { static_cast<std::vector<GtkWidget*>*>(list)->push_back(child); },
        &held);
    ASSERT_GT(held.size(), 1u) << "the view holds no internal widget to check";
    for (GtkWidget*& widget : held)
        g_object_add_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(&widget));
    m_explorer.Destroy();
    const auto allGone = [&] {
        for (GtkWidget* widget : held)
            if (widget)
                return false;
        return true;
    };
    EXPECT_TRUE(PumpUntil(allGone, 5s));
    for (GtkWidget*& widget : held)
        if (widget) {
            ADD_FAILURE() << G_OBJECT_TYPE_NAME(widget) << " outlived the view";
            g_object_remove_weak_pointer(G_OBJECT(widget), reinterpret_cast<gpointer*>(&widget));
        }
}

}  // namespace
}  // namespace tessaly
