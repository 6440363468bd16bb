// The Windows browser host with the real WebBrowser control, in place in a window. Events are fired
// into the host's sink the way the control fires them, with frames and a body reader of the test's
// making where Wine's control has no page engine to produce them; a second sink of the test's,
// connected to the control, records what the control itself reports.
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
// the control's events. It lives on the stack; the count checks that holders give it back.
class TestDispatch : public IDispatch {
public:
    virtual ~TestDispatch() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        const bool known = iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2;
        *result = known ? static_cast<IDispatch*>(this) : nullptr;
        if (known)
            AddRef();
        return known ? S_OK : E_NOINTERFACE;
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

// Records the address of each load event the control itself fires while connected to it.
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
        // The address is the second argument, a VARIANT passed by reference.
        const VARIANT* url = params->cArgs >= 2 ? &params->rgvarg[params->cArgs - 2] : nullptr;
        if (url && V_VT(url) == (VT_BYREF | VT_VARIANT))
            url = V_VARIANTREF(url);
        if (id == DISPID_BEFORENAVIGATE2 || id == DISPID_DOCUMENTCOMPLETE || id == DISPID_NAVIGATEERROR)
            events.emplace_back(id, url && V_VT(url) == VT_BSTR ? platform::win32::FromWide(V_BSTR(url)) : u"");
        return S_OK;
    }

    bool Connected() const { return m_cookie != 0; }
    std::vector<std::u16string> AddressesOf(DISPID id) const
    {
        std::vector<std::u16string> found;
        for (const auto& [event, address] : events)
            if (event == id)
                found.push_back(address);
        return found;
    }

    std::vector<std::pair<DISPID, std::u16string>> events;

private:
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

// A variant holding a pointer (an interface, a string, a reference) of the given type.
VARIANT Var(VARTYPE type, void* value = nullptr)
{
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = type;
    V_BYREF(&v) = value;
    return v;
}

// Fires one event with its arguments in declared order (DISPPARAMS holds them last first).
HRESULT Fire(IDispatch* sink, DISPID id, std::vector<VARIANT> arguments)
{
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    return sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

// BeforeNavigate2, DocumentComplete or NavigateError about `frame`, shaped as the control fires them.
void FireFrameEvent(IDispatch* sink, DISPID id, IDispatch* frame)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    const std::size_t count = id == DISPID_BEFORENAVIGATE2 ? 7 : id == DISPID_NAVIGATEERROR ? 5 : 2;
    std::vector<VARIANT> arguments(count, Var(VT_EMPTY));
    arguments.front() = Var(VT_DISPATCH, frame);
    if (count > 2)
        arguments.back() = Var(VT_BYREF | VT_BOOL, &cancel);
    ASSERT_EQ(Fire(sink, id, arguments), S_OK);
}

// NewWindow3 (or, without an address, NewWindow2) as the control fires it; whether the window was
// refused.
bool FireNewWindow(IDispatch* sink, std::optional<std::u16string> address)
{
    VARIANT_BOOL cancel = VARIANT_FALSE;
    IDispatch* newWindow = nullptr;
    std::vector<VARIANT> arguments{Var(VT_BYREF | VT_DISPATCH, &newWindow), Var(VT_BYREF | VT_BOOL, &cancel)};
    UniqueBstr url(address ? ::SysAllocStringLen(platform::win32::Wide(*address), static_cast<UINT>(address->size()))
                           : nullptr);
    if (address) {
        arguments.insert(arguments.end(), {Var(VT_EMPTY), Var(VT_EMPTY), Var(VT_BSTR, url.get())});
    }
    EXPECT_EQ(Fire(sink, address ? DISPID_NEWWINDOW3 : DISPID_NEWWINDOW2, arguments), S_OK);
    return cancel == VARIANT_TRUE && newWindow == nullptr;
}

class WebBrowserHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(::OleInitialize(nullptr)));
        // A top-level window with a child slot the size of the dialog's browser slot.
        window = ::CreateWindowExW(0, L"STATIC", L"browser host test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 480, 360,
                                  nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr) << "no window (is there a display?)";
        slot = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10, 411, 286, window,
                                   nullptr, nullptr, nullptr);
    }

    void TearDown() override
    {
        sink.reset();
        host.reset();
        PumpFor(200ms);
        // The control has let go of every site, handler, external object and sink of the host's.
        EXPECT_EQ(WebBrowserComObject::Alive(), 0);
        if (window)
            ::DestroyWindow(window);
        ::OleUninitialize();
    }

    void MakeHost(BodyReader reader = ReadBodyMarkup)
    {
        host = WebBrowserHost::Make(events, std::move(reader));
        ASSERT_NE(host, nullptr) << "the WebBrowser control could not be made";
    }

    void AttachHost(BodyReader reader = ReadBodyMarkup)
    {
        ASSERT_NO_FATAL_FAILURE(MakeHost(std::move(reader)));
        ASSERT_TRUE(host->AttachTo(slot));
        sink = ComPtr<IDispatch>::Share(host->EventSink());
    }

    void Fire(DISPID id, IDispatch* frame) { ASSERT_NO_FATAL_FAILURE(FireFrameEvent(sink.get(), id, frame)); }

    // The site the control was given, as the control itself hands it out.
    ComPtr<IDocHostUIHandler> SiteHandler() const
    {
        ComPtr<IOleClientSite> site;
        ComPtr<IWebBrowser2>::Share(host->Browser()).As<IOleObject>()->GetClientSite(site.put());
        return site.As<IDocHostUIHandler>();
    }

    RecordingEvents events;
    std::unique_ptr<WebBrowserHost> host;
    ComPtr<IDispatch> sink;
    HWND window = nullptr;
    HWND slot = nullptr;
};

TEST_F(WebBrowserHostTest, ControlIsActivatedInPlaceInTheSlotAndLetsGoOfTheHostWithTheView)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    EXPECT_FALSE(host->AttachTo(slot));

    // The control's window lives inside the slot, and is what Tab moves the focus to.
    const TabStop stop = host->AsTabStop();
    const HWND control = stop.Data()->window;
    ASSERT_TRUE(::IsWindow(control));
    EXPECT_TRUE(::IsChild(slot, control));
    host->Focus();
    const HWND focus = ::GetFocus();
    EXPECT_TRUE(focus == control || ::IsChild(control, focus));
    POINT at{5, 5};
    EXPECT_EQ(SiteHandler()->ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr), S_OK);  // no menu

    // Someone else keeps the control: it still holds nothing of the host's.
    const auto kept = ComPtr<IWebBrowser2>::Share(host->Browser());
    sink.reset();
    host.reset();
    PumpFor(100ms);
    EXPECT_EQ(WebBrowserComObject::Alive(), 0);
    EXPECT_FALSE(::IsWindow(control));
    EXPECT_EQ(stop.Data()->window, nullptr);
}

TEST_F(WebBrowserHostTest, CompletedLoadsAreTheTopFramesAndAFailureCountsOnce)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    IWebBrowser2* top = host->Browser();
    TestDispatch subframe;
    Fire(DISPID_DOCUMENTCOMPLETE, &subframe);
    Fire(DISPID_NAVIGATEERROR, &subframe);
    EXPECT_EQ(events.loads, 0);
    // The control names itself by any of its interfaces.
    Fire(DISPID_DOCUMENTCOMPLETE, top);
    Fire(DISPID_DOCUMENTCOMPLETE, ComPtr<IWebBrowser2>::Share(top).As<IDispatch>().get());
    EXPECT_EQ(events.loads, 2);

    // A failure is one load, its error page none; a sub-frame's navigation does not end the error
    // page, the next top-frame navigation does.
    Fire(DISPID_NAVIGATEERROR, top);
    Fire(DISPID_NAVIGATEERROR, top);
    EXPECT_EQ(events.loads, 3);
    Fire(DISPID_BEFORENAVIGATE2, &subframe);
    Fire(DISPID_DOCUMENTCOMPLETE, top);
    EXPECT_EQ(events.loads, 3);
    Fire(DISPID_NAVIGATEERROR, top);
    Fire(DISPID_BEFORENAVIGATE2, top);
    Fire(DISPID_DOCUMENTCOMPLETE, top);
    EXPECT_EQ(events.loads, 5);
    EXPECT_EQ(subframe.references, 0);
}

TEST_F(WebBrowserHostTest, BodyReadsAnswerLaterInOrderAndNeverAfterTheView)
{
    int reads = 0;
    ASSERT_NO_FATAL_FAILURE(AttachHost([&reads](IWebBrowser2&) -> std::optional<std::u16string> {
        return u"<body>" + std::u16string(1, static_cast<char16_t>(u'0' + ++reads)) + u"</body>";
    }));
    std::vector<std::optional<std::u16string>> answers;
    const auto record = [&answers](std::optional<std::u16string> markup) { answers.push_back(std::move(markup)); };
    host->ReadBody(record);
    host->ReadBody(record);
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(PumpUntil([&] { return answers.size() == 2; }, 5s));
    EXPECT_EQ(answers, (std::vector<std::optional<std::u16string>>{u"<body>1</body>", u"<body>2</body>"}));

    // A read that ends the view is the last one to run.
    host->ReadBody([&](std::optional<std::u16string> markup) {
        record(std::move(markup));
        sink.reset();
        host.reset();
    });
    host->ReadBody(record);
    ASSERT_TRUE(PumpUntil([&] { return host == nullptr; }, 5s));
    PumpFor(100ms);
    EXPECT_EQ(answers.size(), 3u);
}

TEST_F(WebBrowserHostTest, ExternalObjectAnswersThroughTheEventsAndGoesQuietAfterTheView)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    ComPtr<IDispatch> external;
    ASSERT_EQ(SiteHandler()->GetExternal(external.put()), S_OK);
    ASSERT_TRUE(external);
    EXPECT_EQ(static_cast<void*>(external.As<IUnknown>().get()), static_cast<void*>(external.get()));

    std::wstring member = L"xxyyzz", other = L"other", failing = L"throw";
    LPOLESTR names[] = {member.data(), other.data(), failing.data()};
    DISPID ids[2] = {0, 0};
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], kMemberId);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    // An exception in the dialog's answer stops at the COM boundary.
    EXPECT_TRUE(FAILED(external->GetIDsOfNames(IID_NULL, names + 2, 1, LOCALE_USER_DEFAULT, ids)));

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    ::VariantInit(&result);
    const auto invoke = [&](WORD flags) {
        ::VariantClear(&result);
        return external->Invoke(kMemberId, IID_NULL, 0, flags, &none, &result, nullptr, nullptr);
    };
    EXPECT_EQ(invoke(DISPATCH_PROPERTYGET | DISPATCH_METHOD), S_OK);
    ASSERT_EQ(V_VT(&result), VT_BSTR);
    EXPECT_EQ(platform::win32::FromWide(V_BSTR(&result)), u"Wibble");
    EXPECT_EQ(invoke(DISPATCH_METHOD), S_OK);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(invoke(DISPATCH_PROPERTYPUT), S_OK);
    EXPECT_EQ(events.invocations, (std::vector<std::pair<std::int32_t, bool>>{{kMemberId, false}, {kMemberId, true}}));

    // A page that keeps the object past the view reaches nothing of the dialog.
    sink.reset();
    host.reset();
    PumpFor(100ms);
    EXPECT_EQ(WebBrowserComObject::Alive(), 1);
    EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(invoke(DISPATCH_PROPERTYGET), S_OK);
    EXPECT_EQ(V_VT(&result), VT_EMPTY);
    EXPECT_EQ(events.invocations.size(), 2u);
}

class WebBrowserServiceTest : public WebBrowserHostTest {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(WebBrowserHostTest::SetUp());
        const char* url = std::getenv("TESSALY_TEST_SERVICE_URL");
        const char* log = std::getenv("TESSALY_TEST_SERVICE_LOG");
        ASSERT_TRUE(url && *url && log && *log) << "run through tests/wine/with-service.sh";
        service = url;
        m_log = std::string("Z:") + log;  // a Linux path; Wine shows the Linux root as drive Z:
    }

    bool ServiceAnswered(const std::string& path) const
    {
        std::ifstream log(m_log);
        const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
        return text.find("GET " + path + " ") != std::string::npos;
    }

    // The request reaches the service, the control ends the load (DocumentComplete on Windows; under
    // Wine, which has no page engine, NavigateError), and the host reports it once.
    void ExpectOneLoadOf(const EventRecorder& recorder, const std::string& path)
    {
        ASSERT_TRUE(PumpUntil([&] { return ServiceAnswered(path); }, 30s)) << "no request for " << path;
        const DISPID ending = test::system::UnderWine() ? DISPID_NAVIGATEERROR : DISPID_DOCUMENTCOMPLETE;
        ASSERT_TRUE(PumpUntil([&] { return !recorder.AddressesOf(ending).empty(); }, 30s)) << "the load did not end";
        PumpFor(500ms);
        EXPECT_EQ(recorder.AddressesOf(ending), std::vector<std::u16string>{platform::Utf8ToUtf16(service + path)});
        EXPECT_EQ(events.loads, 1);
    }

    std::string service;

private:
    std::string m_log;
};

TEST_F(WebBrowserServiceTest, PageAskedForBeforeAttachLoadsOnceFromTheService)
{
    ASSERT_NO_FATAL_FAILURE(MakeHost());
    EventRecorder recorder(host->Browser());
    ASSERT_TRUE(recorder.Connected());
    host->Navigate(service + "/welcome");
    PumpFor(200ms);
    EXPECT_TRUE(recorder.events.empty());
    ASSERT_TRUE(host->AttachTo(slot));
    ASSERT_NO_FATAL_FAILURE(ExpectOneLoadOf(recorder, "/welcome"));

    // The real reader: without a document (under Wine, after any load) there is no body.
    std::optional<std::optional<std::u16string>> markup;
    host->ReadBody([&markup](std::optional<std::u16string> read) { markup = std::move(read); });
    ASSERT_TRUE(PumpUntil([&] { return markup.has_value(); }, 5s));
    if (test::system::UnderWine()) {
        EXPECT_EQ(*markup, std::nullopt);
    }
}

TEST_F(WebBrowserServiceTest, NewWindowIsRefusedAndItsPageLoadsInPlace)
{
    ASSERT_NO_FATAL_FAILURE(AttachHost());
    EventRecorder recorder(host->Browser());
    ASSERT_TRUE(recorder.Connected());

    // Requests that name no page open nothing and load nothing.
    EXPECT_TRUE(FireNewWindow(sink.get(), u""));
    EXPECT_TRUE(FireNewWindow(sink.get(), u"about:blank"));
    EXPECT_TRUE(FireNewWindow(sink.get(), std::nullopt));
    PumpFor(500ms);
    EXPECT_TRUE(recorder.events.empty());

    EXPECT_TRUE(FireNewWindow(sink.get(), platform::Utf8ToUtf16(service + "/done")));
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
