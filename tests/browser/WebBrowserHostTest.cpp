// The Windows browser host with the real WebBrowser control, in place in a window. The control's
// events are fired into the host's sink the way the control fires them (found through the control's
// own connection point), with frames and documents of the test's making where Wine's control has no
// page engine to produce them; a second sink of the test's records what the control itself reports.
#include <winsock2.h>
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <mshtmhst.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSystem.h"
#include "platform/TextEncoding.h"
#include "platform/win32/Win32Support.h"
#include "toolkit/win32/WebBrowserHost.h"

namespace tessaly::toolkit {
namespace {

using namespace std::chrono_literals;

constexpr std::int32_t kMemberId = 12345;

class RecordingEvents final : public BrowserEvents {
public:
    void OnLoadFinished() override { ++loads; }
    void OnProcessEnded() override {}
    std::int32_t ExternalMemberId(std::u16string_view name) const override
    {
        if (name == u"throw")
            throw std::runtime_error("lookup failed");
        return name.starts_with(u"xxy") ? kMemberId : -1;
    }
    std::optional<std::u16string> ExternalInvoke(std::int32_t id, bool call) const override
    {
        invocations.emplace_back(id, call);
        if (id == kMemberId && !call)
            return u"Wibble";
        return std::nullopt;
    }

    int loads = 0;
    mutable std::vector<std::pair<std::int32_t, bool>> invocations;
};

// Runs the thread's messages until `done` holds or `limit` has passed.
template <typename Predicate>
bool PumpUntil(Predicate done, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done())
            return true;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpFor(std::chrono::milliseconds time)
{
    PumpUntil([] { return false; }, time);
}

// A COM object of the test's: a frame other than the top one, or (Invoke overridden) a recorder of
// the control's events. It lives on the stack; the count only checks that holders give it back.
class TestDispatch : public IDispatch {
public:
    virtual ~TestDispatch() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != DIID_DWebBrowserEvents2) {
            *result = nullptr;
            return E_NOINTERFACE;
        }
        *result = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return S_OK;
    }

    long references = 0;
};

struct ControlEvent {
    DISPID id;
    std::u16string url;
    long status;
};

// Records what the control reports (the address of each event, NavigateError's status) while
// connected to it.
class EventRecorder final : public TestDispatch {
public:
    explicit EventRecorder(IWebBrowser2* browser)
    {
        const auto container = ComPtr<IWebBrowser2>::Share(browser).As<IConnectionPointContainer>();
        if (container && SUCCEEDED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, m_point.put())))
            m_point->Advise(static_cast<IDispatch*>(this), &m_cookie);
    }
    ~EventRecorder() override
    {
        if (m_cookie)
            m_point->Unadvise(m_cookie);
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override
    {
        if (id == DISPID_BEFORENAVIGATE2 || id == DISPID_DOCUMENTCOMPLETE || id == DISPID_NAVIGATEERROR)
            events.push_back({id, Text(Argument(*params, 1)),
                              id == DISPID_NAVIGATEERROR ? Number(Argument(*params, 3)) : 0});
        return S_OK;
    }

    bool Connected() const { return m_cookie != 0; }
    std::vector<ControlEvent> Of(DISPID id) const
    {
        std::vector<ControlEvent> found;
        std::copy_if(events.begin(), events.end(), std::back_inserter(found),
                     [id](const ControlEvent& e) { return e.id == id; });
        return found;
    }

    std::vector<ControlEvent> events;

private:
    static const VARIANT* Argument(const DISPPARAMS& params, UINT position)
    {
        if (position >= params.cArgs)
            return nullptr;
        const VARIANT* v = &params.rgvarg[params.cArgs - 1 - position];
        return V_VT(v) == (VT_BYREF | VT_VARIANT) ? V_VARIANTREF(v) : v;
    }
    static std::u16string Text(const VARIANT* v)
    {
        return v && V_VT(v) == VT_BSTR && V_BSTR(v) ? platform::win32::FromWide(V_BSTR(v)) : std::u16string();
    }
    static long Number(const VARIANT* v) { return v && V_VT(v) == VT_I4 ? V_I4(v) : 0; }

    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// The host's own sink, as the control holds it: the one connection the control has besides the test's.
ComPtr<IDispatch> HostSink(IWebBrowser2* browser)
{
    const auto container = ComPtr<IWebBrowser2>::Share(browser).As<IConnectionPointContainer>();
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    if (!container || FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.put())) ||
        FAILED(point->EnumConnections(connections.put())))
        return nullptr;
    CONNECTDATA data{};
    ULONG fetched = 0;
    if (connections->Next(1, &data, &fetched) != S_OK)
        return nullptr;
    const auto sink = ComPtr<IUnknown>::Adopt(data.pUnk).As<IDispatch>();
    return sink;
}

VARIANT DispatchArg(IDispatch* value)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_DISPATCH;
    V_DISPATCH(&v) = value;
    return v;
}

VARIANT TextArg(BSTR value)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = value;
    return v;
}

VARIANT CancelArg(VARIANT_BOOL* cancel)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&v) = cancel;
    return v;
}

VARIANT Empty()
{
    VARIANT v;
    ::VariantInit(&v);
    return v;
}

// Fires one event with its arguments in declared order (DISPPARAMS takes them last first).
HRESULT Fire(IDispatch* sink, DISPID id, std::vector<VARIANT> arguments)
{
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void FireDocumentComplete(IDispatch* sink, IDispatch* frame)
{
    ASSERT_EQ(Fire(sink, DISPID_DOCUMENTCOMPLETE, {DispatchArg(frame), Empty()}), S_OK);
}

void FireNavigateError(IDispatch* sink, IDispatch* frame)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    ASSERT_EQ(Fire(sink, DISPID_NAVIGATEERROR, {DispatchArg(frame), Empty(), Empty(), Empty(), CancelArg(&cancel)}),
              S_OK);
}

void FireBeforeNavigate(IDispatch* sink, IDispatch* frame)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    ASSERT_EQ(Fire(sink, DISPID_BEFORENAVIGATE2,
                   {DispatchArg(frame), Empty(), Empty(), Empty(), Empty(), Empty(), CancelArg(&cancel)}),
              S_OK);
}

// NewWindow3 as the control fires it; whether the new window was refused.
bool FireNewWindow(IDispatch* sink, const std::u16string& address)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;
    VARIANT windowArg = Empty();
    V_VT(&windowArg) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&windowArg) = &newWindow;
    UniqueBstr url(::SysAllocStringLen(platform::win32::Wide(address), static_cast<UINT>(address.size())));
    UniqueBstr context(::SysAllocString(L"http://127.0.0.1/opener"));
    VARIANT flags = Empty();
    V_VT(&flags) = VT_I4;
    V_I4(&flags) = 0;
    EXPECT_EQ(Fire(sink, DISPID_NEWWINDOW3,
                   {windowArg, CancelArg(&cancel), flags, TextArg(context.get()), TextArg(url.get())}),
              S_OK);
    return cancel == VARIANT_TRUE && newWindow == nullptr;
}

// A top-level window with a child slot the size of the dialog's browser slot.
class SlotWindow {
public:
    SlotWindow()
        : m_top(::CreateWindowExW(0, L"STATIC", L"browser host test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480,
                                  360, nullptr, nullptr, nullptr, nullptr)),
          m_slot(m_top ? ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 411,
                                           286, m_top, nullptr, nullptr, nullptr)
                       : nullptr)
    {
    }
    ~SlotWindow()
    {
        if (m_top)
            ::DestroyWindow(m_top);
    }
    SlotWindow(const SlotWindow&) = delete;
    SlotWindow& operator=(const SlotWindow&) = delete;

    HWND Top() const { return m_top; }
    HWND Slot() const { return m_slot; }

private:
    HWND m_top;
    HWND m_slot;
};

class WebBrowserHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        m_window = std::make_unique<SlotWindow>();
        ASSERT_NE(m_window->Slot(), nullptr) << "no window (is there a display?)";
    }

    void TearDown() override
    {
        host.reset();
        PumpFor(200ms);
        // Every site, handler, external object and sink of the host has been let go by the control.
        EXPECT_EQ(WebBrowserComObject::Alive(), 0);
        m_window.reset();
        ::OleUninitialize();
    }

    void MakeHost(BodyReader reader = ReadBodyMarkup)
    {
        host = WebBrowserHost::Make(events, std::move(reader));
        ASSERT_NE(host, nullptr) << "the WebBrowser control could not be made";
    }

    void AttachHost()
    {
        ASSERT_NO_FATAL_FAILURE(MakeHost());
        ASSERT_TRUE(host->AttachTo(Slot()));
        sink = HostSink(host->Browser());
        ASSERT_TRUE(sink);
    }

    HWND Slot() const { return m_window->Slot(); }

    RecordingEvents events;
    std::unique_ptr<WebBrowserHost> host;
    ComPtr<IDispatch> sink;

private:
    std::unique_ptr<SlotWindow> m_window;
};

TEST_F(WebBrowserHostTest, ControlIsActivatedInPlaceInTheSlotWithTheHostsSite)
{
    ASSERT_NO_FATAL_FAILURE(MakeHost());
    ASSERT_TRUE(host->AttachTo(Slot()));
    EXPECT_FALSE(host->AttachTo(Slot()));

    // The control's window lives inside the slot, and is what Tab moves the focus to.
    const TabStop stop = host->AsTabStop();
    const HWND control = stop.Data()->window;
    ASSERT_TRUE(::IsWindow(control));
    EXPECT_TRUE(::IsChild(Slot(), control));
    host->Focus();
    const HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == control || ::IsChild(control, focus));

    {
        ComPtr<IOleClientSite> site;
        ASSERT_EQ(ComPtr<IWebBrowser2>::Share(host->Browser()).As<IOleObject>()->GetClientSite(site.put()), S_OK);
        const auto handler = site.As<IDocHostUIHandler>();
        ASSERT_TRUE(handler);
        POINT at{5, 5};
        EXPECT_EQ(handler->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr), S_OK);  // no menu
    }

    // Someone else keeps the control: it still lets go of everything of the host's.
    const auto kept = ComPtr<IWebBrowser2>::Share(host->Browser());
    host.reset();
    PumpFor(100ms);
    EXPECT_EQ(WebBrowserComObject::Alive(), 0);
    EXPECT_FALSE(::IsWindow(control));
    EXPECT_EQ(stop.Data()->window, nullptr);
}

TEST_F(WebBrowserHostTest, OnlyTheTopFramesDocumentCompleteIsACompletedLoad)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    TestDispatch subframe;
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), &subframe));
    EXPECT_EQ(events.loads, 0);

    // The control names itself by any of its interfaces.
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), host->Browser()));
    EXPECT_EQ(events.loads, 1);
    const auto dispatch = ComPtr<IWebBrowser2>::Share(host->Browser()).As<IDispatch>();
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), dispatch.get()));
    EXPECT_EQ(events.loads, 2);
    EXPECT_EQ(subframe.references, 0);
}

TEST_F(WebBrowserHostTest, FailedLoadIsReportedOnceAndNotAgainForItsErrorPage)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    TestDispatch subframe;
    ASSERT_NO_FATAL_FAILURE(FireNavigateError(sink.get(), &subframe));
    EXPECT_EQ(events.loads, 0);

    ASSERT_NO_FATAL_FAILURE(FireNavigateError(sink.get(), host->Browser()));
    ASSERT_NO_FATAL_FAILURE(FireNavigateError(sink.get(), host->Browser()));
    EXPECT_EQ(events.loads, 1);
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), host->Browser()));  // its error page
    EXPECT_EQ(events.loads, 1);

    // A later failure counts again; a subframe's navigation does not end its error page, the next
    // top-frame navigation does.
    ASSERT_NO_FATAL_FAILURE(FireNavigateError(sink.get(), host->Browser()));
    EXPECT_EQ(events.loads, 2);
    ASSERT_NO_FATAL_FAILURE(FireBeforeNavigate(sink.get(), &subframe));
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), host->Browser()));
    EXPECT_EQ(events.loads, 2);
    ASSERT_NO_FATAL_FAILURE(FireNavigateError(sink.get(), host->Browser()));
    ASSERT_NO_FATAL_FAILURE(FireBeforeNavigate(sink.get(), host->Browser()));
    ASSERT_NO_FATAL_FAILURE(FireDocumentComplete(sink.get(), host->Browser()));
    EXPECT_EQ(events.loads, 4);
}

TEST_F(WebBrowserHostTest, BodyReadsAnswerLaterInOrderAndNeverAfterTheView)
{
    int reads = 0;
    ASSERT_NO_FATAL_FAILURE(MakeHost([&reads](IWebBrowser2&) -> std::optional<std::u16string> {
        return u"<body>read " + std::u16string(1, static_cast<char16_t>(u'0' + ++reads)) + u"</body>";
    }));
    ASSERT_TRUE(host->AttachTo(Slot()));
    std::vector<std::optional<std::u16string>> answers;
    host->ReadBody([&answers](std::optional<std::u16string> markup) { answers.push_back(std::move(markup)); });
    host->ReadBody([&answers](std::optional<std::u16string> markup) { answers.push_back(std::move(markup)); });
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(PumpUntil([&] { return answers.size() == 2; }, 5s));
    EXPECT_EQ(answers[0], u"<body>read 1</body>");
    EXPECT_EQ(answers[1], u"<body>read 2</body>");

    // A read that ends the view is the last one to run.
    host->ReadBody([this, &answers](std::optional<std::u16string> markup) {
        answers.push_back(std::move(markup));
        host.reset();
    });
    host->ReadBody([&answers](std::optional<std::u16string> markup) { answers.push_back(std::move(markup)); });
    ASSERT_TRUE(PumpUntil([&] { return host == nullptr; }, 5s));
    PumpFor(100ms);
    EXPECT_EQ(answers.size(), 3u);
}

TEST_F(WebBrowserHostTest, BodyReadOfAControlWithoutADocumentGivesNothing)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    bool answered = false;
    std::optional<std::u16string> markup = u"unset";
    host->ReadBody([&](std::optional<std::u16string> read) {
        answered = true;
        markup = std::move(read);
    });
    ASSERT_TRUE(PumpUntil([&] { return answered; }, 5s));
    EXPECT_EQ(markup, std::nullopt);
}

TEST_F(WebBrowserHostTest, ExternalObjectAnswersThroughTheEventsAndGoesQuietAfterTheView)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    ComPtr<IOleClientSite> site;
    ASSERT_EQ(ComPtr<IWebBrowser2>::Share(host->Browser()).As<IOleObject>()->GetClientSite(site.put()), S_OK);
    ComPtr<IDispatch> external;
    ASSERT_EQ(site.As<IDocHostUIHandler>()->GetExternal(external.put()), S_OK);
    site.reset();
    ASSERT_TRUE(external);
    EXPECT_EQ(static_cast<void*>(external.As<IUnknown>().get()), static_cast<void*>(external.get()));

    std::wstring member = L"xxyyzz", other = L"other";
    LPOLESTR names[] = {member.data(), other.data()};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kMemberId);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(external->Invoke(kMemberId, IID_NULL, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &result,
                               nullptr, nullptr),
              S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_EQ(platform::win32::FromWide(V_BSTR(&result)), u"Wibble");
    ::VariantClear(&result);
    EXPECT_EQ(external->Invoke(kMemberId, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(external->Invoke(kMemberId, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(events.invocations, (std::vector<std::pair<std::int32_t, bool>>{{kMemberId, false}, {kMemberId, true}}));

    // An exception in the dialog's answer stops at the COM boundary.
    std::wstring failing = L"throw";
    LPOLESTR failingName[] = {failing.data()};
    EXPECT_TRUE(FAILED(external->GetIDsOfNames(IID_NULL, failingName, 1, LOCALE_USER_DEFAULT, ids)));

    // A page that keeps the object past the view reaches nothing of the dialog.
    host.reset();
    PumpFor(100ms);
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(external->Invoke(kMemberId, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr), S_OK);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(events.invocations.size(), 2u);
    EXPECT_EQ(WebBrowserComObject::Alive(), 1);
}

class WebBrowserServiceTest : public WebBrowserHostTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(WebBrowserHostTest::SetUp());
        const char* url = std::getenv("TESSALY_TEST_SERVICE_URL");
        const char* log = std::getenv("TESSALY_TEST_SERVICE_LOG");
        ASSERT_TRUE(url && *url && log && *log) << "run through tests/wine/with-service.sh";
        service = platform::Utf8ToUtf16(url);
        // The log is a Linux path; Wine shows the Linux root as drive Z:.
        m_log = std::string("Z:") + log;
    }

    // Whether the service has answered a GET of `path`.
    bool ServiceAnswered(const std::string& path) const
    {
        std::ifstream log(m_log);
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        return text.find("GET " + path + " ") != std::string::npos;
    }

    // The request reaches the service, the control ends the load (DocumentComplete on Windows;
    // under Wine, which has no page engine, NavigateError), and the host reports it once.
    void ExpectOneLoadOf(const EventRecorder& recorder, const std::string& path)
    {
        ASSERT_TRUE(PumpUntil([&] { return ServiceAnswered(path); }, 30s)) << "no request for " << path;
        const DISPID ending = test::system::UnderWine() ? DISPID_NAVIGATEERROR : DISPID_DOCUMENTCOMPLETE;
        ASSERT_TRUE(PumpUntil([&] { return !recorder.Of(ending).empty(); }, 30s)) << "the load did not end";
        PumpFor(500ms);
        const auto ends = recorder.Of(ending);
        ASSERT_EQ(ends.size(), 1u);
        EXPECT_EQ(ends[0].url, service + platform::Utf8ToUtf16(path));
        EXPECT_EQ(events.loads, 1);
    }

    std::u16string service;

private:
    std::string m_log;
};

TEST_F(WebBrowserServiceTest, PageAskedForBeforeAttachLoadsOnceFromTheService)
{
    ASSERT_NO_FATAL_FAILURE(MakeHost());
    EventRecorder recorder(host->Browser());
    ASSERT_TRUE(recorder.Connected());
    host->Navigate(platform::Utf16ToUtf8(service) + "/welcome");
    PumpFor(200ms);
    EXPECT_TRUE(recorder.events.empty());
    EXPECT_FALSE(ServiceAnswered("/welcome"));
    ASSERT_TRUE(host->AttachTo(Slot()));
    ASSERT_NO_FATAL_FAILURE(ExpectOneLoadOf(recorder, "/welcome"));
}

TEST_F(WebBrowserServiceTest, NewWindowIsRefusedAndItsPageLoadsInPlace)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    EventRecorder recorder(host->Browser());
    ASSERT_TRUE(recorder.Connected());

    // Requests that name no page open nothing and load nothing.
    EXPECT_TRUE(FireNewWindow(sink.get(), u""));
    EXPECT_TRUE(FireNewWindow(sink.get(), u"about:blank"));
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;
    VARIANT windowArg = Empty();
    V_VT(&windowArg) = VT_BYREF | VT_DISPATCH;
    V_DISPATCHREF(&windowArg) = &newWindow;
    EXPECT_EQ(Fire(sink.get(), DISPID_NEWWINDOW2, {windowArg, CancelArg(&cancel)}), S_OK);
    EXPECT_EQ(cancel, VARIANT_TRUE);
    PumpFor(500ms);
    EXPECT_TRUE(recorder.events.empty());

    EXPECT_TRUE(FireNewWindow(sink.get(), service + u"/done"));
    EXPECT_TRUE(recorder.events.empty()) << "the page loads after the control has refused the window";
    ASSERT_NO_FATAL_FAILURE(ExpectOneLoadOf(recorder, "/done"));
}

TEST(WebBrowserFileUri, WindowsPathsBecomeFileUris)
{
    EXPECT_EQ(FileUri("C:\\x y\\wait.htm"), "file:///C:/x%20y/wait.htm");
    EXPECT_EQ(FileUri("c:/Config/wait.htm"), "file:///c:/Config/wait.htm");
    EXPECT_EQ(FileUri("C:\\100%\\#1?{a}[b]^`|\"<>.htm"),
              "file:///C:/100%25/%231%3F%7Ba%7D%5Bb%5D%5E%60%7C%22%3C%3E.htm");
    EXPECT_EQ(FileUri("C:\\a;b=c&d,e+f(g)!'~@\\p.htm"), "file:///C:/a;b=c&d,e+f(g)!'~@/p.htm");
    // Beyond ASCII the characters stay (UTF-8 in, UTF-8 out) for the control to hand on as they are.
    EXPECT_EQ(FileUri("C:\\Zo\xC3\xAB\\\xE5\xBE\x85.htm"), "file:///C:/Zo\xC3\xAB/\xE5\xBE\x85.htm");
    EXPECT_EQ(FileUri("\\\\server\\share name\\wait.htm"), "file://server/share%20name/wait.htm");
    EXPECT_EQ(FileUri("\\\\?\\C:\\long\\wait.htm"), "file:///C:/long/wait.htm");
    EXPECT_EQ(FileUri("\\\\?\\UNC\\server\\share\\wait.htm"), "file://server/share/wait.htm");

    for (const char* none : {"", "wait.htm", "Config\\wait.htm", "C:wait.htm", "\\Config\\wait.htm", "\\\\server",
                             "\\\\.\\pipe\\x", "/home/wait.htm"}) {
        EXPECT_EQ(FileUri(none), "") << none;
    }
    EXPECT_EQ(FileUri(std::string_view("C:\\a\0b", 6)), "");
}

}  // namespace
}  // namespace tessaly::toolkit
