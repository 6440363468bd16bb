#pragma once
// The toolkit's embedded browser: navigates, reports every completed main-frame load (failed loads
// included), reads the page body, shows no context menu, gives pages the external object, and loads a
// page's request for a new window in the same view. Every call belongs on the UI thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/TabStop.h"

namespace tessaly::toolkit {

class BrowserEvents {
public:
    virtual void OnLoadFinished() = 0;
    // The page's helper process ended unexpectedly.
    virtual void OnProcessEnded() = 0;
    // The external object, for engines that ask the host for it member by member (a page script's
    // window.external): the id of a member name (-1 for none), and what reading (`call` false) or
    // calling (`call` true) the member with that id gives (nothing: undefined).
    virtual std::int32_t ExternalMemberId(std::u16string_view name) const = 0;
    virtual std::optional<std::u16string> ExternalInvoke(std::int32_t id, bool call) const = 0;

protected:
    ~BrowserEvents() = default;
};

class BrowserView {
public:
    using BodyCallback = std::function<void(std::optional<std::u16string> markup)>;

    // A new view whose pages get the external object: engines that run a script at document start get
    // `externalScript` (none when empty), others ask `events` member by member. Null when the view
    // cannot be made. `events` must outlive the view.
    static std::unique_ptr<BrowserView> Create(BrowserEvents& events, const std::string& externalScript);
    // Stops loading, drops pending body reads and releases the view.
    virtual ~BrowserView() = default;

    // Starts loading an absolute URI.
    virtual void Navigate(const std::string& uri) = 0;
    // Reads document.body.outerHTML in a script world of its own. `done` runs later on this thread
    // with the markup, or with nothing when the page has no body or the read failed; never after the
    // view is gone.
    virtual void ReadBody(BodyCallback done) = 0;
    virtual void Focus() = 0;
    virtual TabStop AsTabStop() const = 0;
};

// The file: URI of an absolute path in UTF-8; empty when it has none.
std::string FileUri(std::string_view absolutePath);

}  // namespace tessaly::toolkit
