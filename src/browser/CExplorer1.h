#pragma once
// The embedded browser: a view of the toolkit's browser engine that navigates to a file path or an
// address, reports every completed main-frame load, hands out the markup of the page body, shows no
// context menu, and gives pages the external object. A page's request for a new window (a link with
// target="_blank", window.open) loads in this same view, as a navigation like any other. Every call,
// the last release included, belongs on the thread that called Create.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/BrowserView.h"

namespace tessaly {

class CExplorer1 : private toolkit::BrowserEvents {
public:
    using BodyCallback = toolkit::BrowserView::BodyCallback;

    CExplorer1() = default;
    ~CExplorer1();
    CExplorer1(const CExplorer1&) = delete;
    CExplorer1& operator=(const CExplorer1&) = delete;

    // Makes the view (once). Needs a running toolkit. False when the view could not be made.
    bool Create();

    // The view for the dialog to place, or nullptr before Create / after Destroy.
    toolkit::BrowserView* View() const { return m_view.get(); }

    // Starts loading `target`: an absolute file path, or an address (a bare host name gets http://).
    // False for empty or unusable text, or when there is no view.
    bool Navigate(std::u16string_view target);

    // The URI that Navigate would load for `target`; empty when it cannot be loaded.
    static std::string TargetToUri(std::u16string_view target);

    // Reads document.body.outerHTML of the current page. `done` runs later on this thread with the
    // markup, or with nothing when the page has no body or the call failed; it never runs after
    // Destroy.
    void GetBodyMarkup(BodyCallback done);

    // Runs after every completed main-frame load, failed loads included.
    void SetDownloadCompleteHandler(std::function<void()> handler) { m_onDownloadComplete = std::move(handler); }

    // Runs when the page's helper process has ended unexpectedly.
    void SetProcessTerminatedHandler(std::function<void()> handler) { m_onTerminated = std::move(handler); }

    // Gives the view the keyboard focus.
    void Focus();

    // Stops loading, drops pending body reads and releases the view (idempotent).
    void Destroy();

private:
    void OnLoadFinished() override;
    void OnProcessEnded() override;
    std::int32_t ExternalMemberId(std::u16string_view name) const override;
    std::optional<std::u16string> ExternalInvoke(std::int32_t id, bool call) const override;

    std::unique_ptr<toolkit::BrowserView> m_view;
    std::function<void()> m_onDownloadComplete;
    std::function<void()> m_onTerminated;
};

}  // namespace tessaly
