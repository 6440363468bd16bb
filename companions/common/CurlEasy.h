#pragma once

#include "CurlLibrary.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace companion {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { Curl()->easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { Curl()->slist_free_all(list); }
};
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

constexpr long kConnectTimeoutMs = 5000;
constexpr long kTotalTimeoutMs = 20000;

// Total time-out in milliseconds. TESSALY_COMPANION_TIMEOUT_MS may lower or raise it (tests use it
// to exercise a slow server without waiting the full time); nonsense values are ignored.
inline long TotalTimeoutMs()
{
    if (const char* text = std::getenv("TESSALY_COMPANION_TIMEOUT_MS")) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (end != text && *end == 0 && value > 0 && value <= 600000)
            return value;
    }
    return kTotalTimeoutMs;
}

// A fresh easy handle with the settings every request of the companions shares: plain HTTP(S)
// only, redirects not followed (a redirect answer is an error, not a silent change of server),
// bounded connect and total time, no signals (the host may run us on any thread).
inline CurlEasy NewRequest(const std::string& url)
{
    const CurlApi* api = Curl();
    if (!api)
        return nullptr;
    CurlEasy curl(api->easy_init());
    if (!curl)
        return curl;
    const long total = TotalTimeoutMs();
    api->easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    api->easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    api->easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
    api->easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    api->easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, total < kConnectTimeoutMs ? total : kConnectTimeoutMs);
    api->easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, total);
    api->easy_setopt(curl.get(), CURLOPT_USERAGENT, "Tessaly-companion/1.0");
    return curl;
}

// Sets one option of a handle made by NewRequest (so libcurl is bound).
template <class Value>
void SetOption(CURL* curl, CURLoption option, Value value)
{
    Curl()->easy_setopt(curl, option, value);
}

// Runs the request; true only when the transfer completed and the server answered 2xx.
inline bool PerformOk(CURL* curl)
{
    const CurlApi* api = Curl();
    if (api->easy_perform(curl) != CURLE_OK)
        return false;
    long status = 0;
    api->easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

}  // namespace companion
