#pragma once
// One HTTP request of the network companions, with the rules every request shares whatever carries
// it (libcurl on Linux, WinHTTP on Windows): plain HTTP or HTTPS with verified certificates only,
// redirects not followed (a redirect answer is an error, not a silent change of server), 5 s to
// connect and 20 s in all, and an answer other than 2xx is a failure.
#include "Environment.h"

#include <cstddef>
#include <cstdlib>
#include <functional>
#include <string>

namespace companion {

constexpr long kConnectTimeoutMs = 5000;
constexpr long kTotalTimeoutMs = 20000;

// Total time-out in milliseconds. TESSALY_COMPANION_TIMEOUT_MS may lower or raise it (tests use it
// to exercise a slow server without waiting the full time); nonsense values are ignored.
inline long TotalTimeoutMs()
{
    if (const auto text = EnvironmentValue("TESSALY_COMPANION_TIMEOUT_MS")) {
        char* end = nullptr;
        const long value = std::strtol(text->c_str(), &end, 10);
        if (end != text->c_str() && *end == 0 && value > 0 && value <= 600000)
            return value;
    }
    return kTotalTimeoutMs;
}

inline long ConnectTimeoutMs(long totalMs) { return totalMs < kConnectTimeoutMs ? totalMs : kConnectTimeoutMs; }

// Takes the body as it arrives; returning false aborts the transfer.
using BodySink = std::function<bool(const char* data, std::size_t size)>;

struct HttpRequest {
    std::string url;                    // UTF-8, nothing in it that cannot stand in a URL
    const std::string* form = nullptr;  // a form to POST (application/x-www-form-urlencoded); null: GET
};

// Runs the request and streams a 2xx body into `sink`. True only when the server answered 2xx and
// the whole body was received and taken.
bool HttpPerform(const HttpRequest& request, const BodySink& sink);

}  // namespace companion
