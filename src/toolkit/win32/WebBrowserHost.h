#pragma once
// The Windows browser view: the WebBrowser control with the host's own site, UI handler, external
// object and event sink. Completed loads are the top frame's DocumentComplete, or its NavigateError
// when a load fails (once: the error page the control may show after it is not reported again).
#include <windows.h>
#include <exdisp.h>
#include <ocidl.h>
#include <oleidl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "toolkit/win32/BrowserSite.h"
#include "toolkit/win32/ComPtr.h"
#include "toolkit/win32/WebBrowserEventSink.h"
#include "toolkit/win32/WebBrowserExternal.h"
#include "toolkit/win32/WebBrowserTaskWindow.h"
#include "toolkit/win32/Win32BrowserView.h"
#include "toolkit/win32/Win32Toolkit.h"

namespace tessaly::toolkit {

// Reads the markup of the page body from the control; nothing when there is none.
using BodyReader = std::function<std::optional<std::u16string>(IWebBrowser2& browser)>;

// The body element's outer HTML through the control's IHTMLDocument2.
std::optional<std::u16string> ReadBodyMarkup(IWebBrowser2& browser);

class WebBrowserHost final : public Win32BrowserView, private WebBrowserEventTarget {
    struct Token {};

public:
    // A control with its sink connected, ready for AttachTo; null when the control or the host's
    // task window cannot be made (no control class, no COM apartment on this thread).
    static std::unique_ptr<WebBrowserHost> Make(BrowserEvents& events, BodyReader readBody = ReadBodyMarkup);

    WebBrowserHost(Token, BrowserEvents& events, BodyReader readBody, ComPtr<IOleObject> object,
                   ComPtr<IWebBrowser2> browser, std::unique_ptr<WebBrowserTaskWindow> tasks);
    // Closes the control, takes back the site and the event connection, and lets every COM object go.
    ~WebBrowserHost() override;
    WebBrowserHost(const WebBrowserHost&) = delete;
    WebBrowserHost& operator=(const WebBrowserHost&) = delete;

    // An address asked for before AttachTo is loaded once the control is in place.
    void Navigate(const std::string& uri) override;
    void ReadBody(BodyCallback done) override;
    void Focus() override;
    // The control's own window once attached (the slot before), so that focusing it focuses the page.
    TabStop AsTabStop() const override;

    bool AttachTo(HWND slot) override;
    void FitTo(const RECT& client) override;
    bool TranslateAccelerator(MSG& message) override;

    // The control's automation interface (what the control's events name as the top frame), and the
    // sink its events arrive at.
    IWebBrowser2* Browser() const { return m_browser.get(); }
    IDispatch* EventSink() const { return m_sink.get(); }

private:
    bool Connect();
    void Disconnect();
    void NavigateTo(const std::u16string& address);
    bool IsTopFrame(IDispatch* frame) const;
    HWND ControlWindow() const;

    void OnNavigationStarting(IDispatch* frame) override;
    void OnDocumentComplete(IDispatch* frame) override;
    void OnNavigateError(IDispatch* frame) override;
    void OnNewWindow(const std::u16string& address) override;

    BrowserEvents& m_events;
    BodyReader m_readBody;
    ComPtr<IOleObject> m_object;
    ComPtr<IWebBrowser2> m_browser;
    ComPtr<WebBrowserExternal> m_external;
    ComPtr<BrowserSite> m_site;
    ComPtr<WebBrowserEventSink> m_sink;
    ComPtr<IConnectionPoint> m_connection;
    DWORD m_cookie = 0;
    bool m_attached = false;
    std::optional<std::u16string> m_addressBeforeAttach;
    // Set by a top-frame NavigateError until the next top-frame navigation starts: the document the
    // control completes meanwhile is its error page (or the server's) for a load already reported.
    bool m_failureReported = false;
    std::shared_ptr<TabStopData> m_tabStop;
    std::unique_ptr<WebBrowserTaskWindow> m_tasks;
};

}  // namespace tessaly::toolkit
