// The companions' HTTP requests on WinHTTP, synchronous, one session per request.
#include "HttpTransfer.h"
#include "Utf16.h"

#include <winsock2.h>
#include <windows.h>
#include <winhttp.h>

#include <chrono>
#include <memory>
#include <optional>

namespace companion {
namespace {

struct InternetCloser {
    void operator()(HINTERNET handle) const { ::WinHttpCloseHandle(handle); }
};
using UniqueInternet = std::unique_ptr<void, InternetCloser>;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// WinHTTP limits each step of a request (connect, send, each receive), not the whole of it, so
// every step is given only what is left of the request's total time.
class Deadline {
public:
    explicit Deadline(long totalMs) : m_end(Clock::now() + std::chrono::milliseconds(totalMs)) {}

    // Milliseconds left; 0 when the time is up (never passed on: to WinHTTP 0 means no limit).
    int Left() const
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now()).count();
        return left > 0 ? static_cast<int>(left) : 0;
    }

private:
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_end;
};

bool LimitNextSteps(HINTERNET request, const Deadline& deadline)
{
    const int left = deadline.Left();
    DWORD headers = static_cast<DWORD>(left);
    const int connect = static_cast<int>(ConnectTimeoutMs(left));
    return left > 0 && ::WinHttpSetTimeouts(request, connect, connect, left, left) &&
           ::WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headers, sizeof headers);
}

struct Target {
    std::u16string host;
    INTERNET_PORT port = 0;
    std::u16string object;  // path and query
    bool secure = false;
};

// http and https addresses only; anything else (file:, ftp:, no scheme at all) is refused.
std::optional<Target> Crack(const std::u16string& url)
{
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (url.empty() || !::WinHttpCrackUrl(Wide(url), static_cast<DWORD>(url.size()), 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || parts.dwHostNameLength == 0)
        return std::nullopt;
    const auto piece = [](const wchar_t* at, DWORD length) {
        return at ? std::u16string(reinterpret_cast<const char16_t*>(at), length) : std::u16string();
    };
    Target target;
    target.host = piece(parts.lpszHostName, parts.dwHostNameLength);
    target.port = parts.nPort;
    target.object = piece(parts.lpszUrlPath, parts.dwUrlPathLength) + piece(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (target.object.empty())
        target.object = u"/";
    target.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return target;
}

// The session, the connection and the request, with the shared rules set: certificates verified
// (WinHTTP's default, never relaxed here), redirects never followed.
struct Exchange {
    UniqueInternet session, connection, request;
};

std::optional<Exchange> Open(const Target& target, bool post)
{
    Exchange exchange;
    exchange.session.reset(::WinHttpOpen(L"Tessaly-companion/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (exchange.session)
        exchange.connection.reset(::WinHttpConnect(exchange.session.get(), Wide(target.host), target.port, 0));
    if (exchange.connection)
        exchange.request.reset(::WinHttpOpenRequest(exchange.connection.get(), post ? L"POST" : L"GET",
                                                    Wide(target.object), nullptr, WINHTTP_NO_REFERER,
                                                    WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    target.secure ? WINHTTP_FLAG_SECURE : 0));
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    if (!exchange.request ||
        !::WinHttpSetOption(exchange.request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never))
        return std::nullopt;
    return exchange;
}

bool Send(HINTERNET request, const std::string* form)
{
    if (!form)
        return ::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0);
    if (form->size() > MAXDWORD)
        return false;
    const DWORD size = static_cast<DWORD>(form->size());
    return ::WinHttpSendRequest(request, L"Content-Type: application/x-www-form-urlencoded", DWORD(-1),
                                const_cast<char*>(form->data()), size, size, 0);
}

bool AnsweredSuccess(HINTERNET request)
{
    DWORD status = 0;
    DWORD size = sizeof status;
    return ::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                 WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) &&
           status >= 200 && status < 300;
}

bool ReadBody(HINTERNET request, const Deadline& deadline, const BodySink& sink)
{
    char buffer[16384];
    for (;;) {
        DWORD got = 0;
        if (!LimitNextSteps(request, deadline) || !::WinHttpReadData(request, buffer, sizeof buffer, &got))
            return false;
        if (got == 0)
            return true;
        if (!sink(buffer, got))
            return false;
    }
}

// The companion is loaded and freed on every call of its host, and WinHTTP may still be winding down
// a closed request on its own threads when that happens; so it stays loaded once it has been used.
void KeepWinHttpLoaded()
{
    HMODULE pinned = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"winhttp.dll", &pinned);
}

}  // namespace

bool HttpPerform(const HttpRequest& request, const BodySink& sink)
{
    const Deadline deadline(TotalTimeoutMs());
    const auto target = Crack(FromUtf8(request.url));
    if (!target)
        return false;
    KeepWinHttpLoaded();
    auto exchange = Open(*target, request.form != nullptr);
    if (!exchange)
        return false;
    HINTERNET handle = exchange->request.get();
    return LimitNextSteps(handle, deadline) && Send(handle, request.form) &&
           ::WinHttpReceiveResponse(handle, nullptr) && AnsweredSuccess(handle) && ReadBody(handle, deadline, sink);
}

}  // namespace companion
