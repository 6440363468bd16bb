#include "toolkit/win32/WebBrowserHost.h"

#include <mshtml.h>

#include "platform/TextEncoding.h"
#include "platform/win32/Win32Support.h"
#include "support/CLogTrace.h"

namespace tessaly::toolkit {
namespace {

using platform::win32::FromWide;
using platform::win32::Wide;

// {8856F961-340A-11D0-A96B-00C04FD705A2}
constexpr CLSID kWebBrowserClass = {0x8856f961, 0x340a, 0x11d0, {0xa9, 0x6b, 0x00, 0xc0, 0x4f, 0xd7, 0x05, 0xa2}};

// A page that asks for an empty window (to fill it by script) names nothing to load.
bool NamesAPage(const std::u16string& address)
{
    return !address.empty() && !platform::EqualsAsciiNoCase(address, u"about:blank");
}

}  // namespace

std::optional<std::u16string> ReadBodyMarkup(IWebBrowser2& browser)
{
    ComPtr<IDispatch> document;
    if (FAILED(browser.get_Document(document.put())) || !document)
        return std::nullopt;
    const auto html = document.As<IHTMLDocument2>();
    ComPtr<IHTMLElement> body;
    if (!html || FAILED(html->get_body(body.put())) || !body)
        return std::nullopt;
    UniqueBstr markup;
    if (FAILED(body->get_outerHTML(markup.put())))
        return std::nullopt;
    return markup.get() ? FromWide(markup.get(), markup.length()) : std::u16string();
}

std::unique_ptr<BrowserView> BrowserView::Create(BrowserEvents& events, const std::string&)
{
    // Pages reach the external object through the UI handler's GetExternal, not through a script.
    return WebBrowserHost::Make(events);
}

std::unique_ptr<WebBrowserHost> WebBrowserHost::Make(BrowserEvents& events, BodyReader readBody)
{
    ComPtr<IOleObject> object;
    const HRESULT created =
        ::CoCreateInstance(kWebBrowserClass, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, object.put_void());
    if (FAILED(created)) {
        g_LogTrace.Trace(4, u"--WebBrowser control not created, error 0X%X", static_cast<unsigned long>(created));
        return nullptr;
    }
    auto browser = object.As<IWebBrowser2>();
    auto tasks = WebBrowserTaskWindow::Make();
    if (!browser || !tasks)
        return nullptr;
    auto host = std::make_unique<WebBrowserHost>(Token{}, events, std::move(readBody), std::move(object),
                                                 std::move(browser), std::move(tasks));
    if (!host->Connect())
        return nullptr;
    return host;
}

WebBrowserHost::WebBrowserHost(Token, BrowserEvents& events, BodyReader readBody, ComPtr<IOleObject> object,
                               ComPtr<IWebBrowser2> browser, std::unique_ptr<WebBrowserTaskWindow> tasks)
    : m_events(events),
      m_readBody(std::move(readBody)),
      m_object(std::move(object)),
      m_browser(std::move(browser)),
      m_external(MakeComObject<WebBrowserExternal>(events)),
      m_site(MakeComObject<BrowserSite>(m_external)),
      m_sink(MakeComObject<WebBrowserEventSink>(static_cast<WebBrowserEventTarget&>(*this))),
      m_tabStop(std::make_shared<TabStopData>(TabStopData{nullptr})),
      m_tasks(std::move(tasks))
{
}

bool WebBrowserHost::Connect()
{
    // Script errors are not put up as dialogs.
    m_browser->put_Silent(VARIANT_TRUE);
    const auto points = m_browser.As<IConnectionPointContainer>();
    if (!points || FAILED(points->FindConnectionPoint(DIID_DWebBrowserEvents2, m_connection.put())))
        return false;
    if (FAILED(m_connection->Advise(ComPtr<IUnknown>(m_sink).get(), &m_cookie))) {
        m_connection.reset();
        return false;
    }
    return true;
}

WebBrowserHost::~WebBrowserHost()
{
    // Pending tasks (body reads, new-window loads) are dropped first: none may run on a host that is
    // half taken down.
    m_tasks.reset();
    m_tabStop->window = nullptr;
    Disconnect();
}

void WebBrowserHost::Disconnect()
{
    m_sink->Detach();
    if (m_connection && m_cookie)
        m_connection->Unadvise(m_cookie);
    m_connection.reset();
    if (m_attached)
        m_browser->Stop();
    // Close deactivates the control and destroys its windows; without the client site it then holds
    // no reference to anything of ours.
    m_object->Close(OLECLOSE_NOSAVE);
    m_object->SetClientSite(nullptr);
    m_site->Detach();
    m_external->Detach();
    m_browser.reset();
    m_object.reset();
}

void WebBrowserHost::Navigate(const std::string& uri)
{
    const std::u16string address = platform::Utf8ToUtf16(uri);
    if (!m_attached) {
        m_addressBeforeAttach = address;
        return;
    }
    NavigateTo(address);
}

void WebBrowserHost::NavigateTo(const std::u16string& address)
{
    UniqueBstr url(::SysAllocStringLen(Wide(address), static_cast<UINT>(address.size())));
    if (!url.get())
        return;
    VARIANT none;
    ::VariantInit(&none);
    const HRESULT result = m_browser->Navigate(url.get(), &none, &none, &none, &none);
    if (FAILED(result))
        g_LogTrace.Trace(4, u"--WebBrowser Navigate failed, error 0X%X", static_cast<unsigned long>(result));
}

void WebBrowserHost::ReadBody(BodyCallback done)
{
    m_tasks->Post([this, done = std::move(done)]() {
        std::optional<std::u16string> markup = m_browser ? m_readBody(*m_browser) : std::nullopt;
        // Last: the callback may end the view.
        done(std::move(markup));
    });
}

void WebBrowserHost::Focus()
{
    if (!m_attached)
        return;
    const HWND slot = m_site->Slot();
    RECT client{};
    ::GetClientRect(slot, &client);
    const HRESULT activated = m_object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, ComPtr<IOleClientSite>(m_site).get(), 0,
                                               slot, &client);
    const HWND focus = ::GetFocus();
    if (FAILED(activated) || !(focus == slot || ::IsChild(slot, focus)))
        ::SetFocus(ControlWindow());
}

TabStop WebBrowserHost::AsTabStop() const { return TabStop(m_tabStop); }

bool WebBrowserHost::AttachTo(HWND slot)
{
    if (m_attached || !slot)
        return false;
    m_site->SetSlot(slot);
    const ComPtr<IOleClientSite> site(m_site);
    HRESULT result = m_object->SetClientSite(site.get());
    RECT client{};
    ::GetClientRect(slot, &client);
    if (SUCCEEDED(result))
        result = m_object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, slot, &client);
    if (FAILED(result)) {
        g_LogTrace.Trace(4, u"--WebBrowser not activated in place, error 0X%X", static_cast<unsigned long>(result));
        m_object->SetClientSite(nullptr);
        m_site->SetSlot(nullptr);
        return false;
    }
    m_attached = true;
    FitTo(client);
    m_tabStop->window = ControlWindow();
    if (m_addressBeforeAttach)
        NavigateTo(*std::exchange(m_addressBeforeAttach, std::nullopt));
    return true;
}

void WebBrowserHost::FitTo(const RECT& client)
{
    if (const auto placed = m_object.As<IOleInPlaceObject>())
        placed->SetObjectRects(&client, &client);
}

bool WebBrowserHost::TranslateAccelerator(MSG& message)
{
    if (!m_attached || message.message < WM_KEYFIRST || message.message > WM_KEYLAST)
        return false;
    const HWND slot = m_site->Slot();
    if (message.hwnd != slot && !::IsChild(slot, message.hwnd))
        return false;
    const auto active = m_object.As<IOleInPlaceActiveObject>();
    return active && active->TranslateAccelerator(&message) == S_OK;
}

HWND WebBrowserHost::ControlWindow() const
{
    HWND window = nullptr;
    if (const auto placed = m_object.As<IOleInPlaceObject>())
        placed->GetWindow(&window);
    return window ? window : m_site->Slot();
}

bool WebBrowserHost::IsTopFrame(IDispatch* frame) const { return SameObject(frame, m_browser.get()); }

void WebBrowserHost::OnNavigationStarting(IDispatch* frame)
{
    if (IsTopFrame(frame))
        m_failureReported = false;
}

void WebBrowserHost::OnDocumentComplete(IDispatch* frame)
{
    if (!IsTopFrame(frame) || std::exchange(m_failureReported, false))
        return;
    m_events.OnLoadFinished();
}

void WebBrowserHost::OnNavigateError(IDispatch* frame)
{
    // A failed load counts as completed, as a finished error page does elsewhere.
    if (!IsTopFrame(frame) || m_failureReported)
        return;
    m_failureReported = true;
    m_events.OnLoadFinished();
}

void WebBrowserHost::OnNewWindow(const std::u16string& address)
{
    // The dialog has no room for a second window: the page asked for loads here instead, once the
    // control has finished refusing the new window.
    if (NamesAPage(address))
        m_tasks->Post([this, address]() { NavigateTo(address); });
}

}  // namespace tessaly::toolkit
