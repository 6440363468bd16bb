#pragma once

#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace companion {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
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

// libcurl asks to be initialised once per program and cleaned up only when no part of the program
// uses it any more, which a library loaded into someone else's process cannot know. The companions
// are loaded and freed on every call, so libcurl is kept resident instead: pinned in the process
// (RTLD_NODELETE), it keeps its initialisation, and its TLS and other libraries stay with it, across
// the companion's unload. The next load of the companion then finds everything mapped and ready, and
// its own initialisation below only counts once more in libcurl's reference count. No global clean-up
// is ever made: the host or another library may still be using libcurl.
inline bool CurlReady()
{
    static const bool ready = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&curl_easy_init), &info) != 0 && info.dli_fname != nullptr) {
            if (void* pin = dlopen(info.dli_fname, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
                dlclose(pin);  // the flag stays; only the extra reference is given back
        }
        return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    }();
    return ready;
}

// A fresh easy handle with the settings every request of the companions shares: plain HTTP(S)
// only, redirects not followed (a redirect answer is an error, not a silent change of server),
// bounded connect and total time, no signals (the host may run us on any thread).
inline CurlEasy NewRequest(const std::string& url)
{
    if (!CurlReady())
        return nullptr;
    CurlEasy curl(curl_easy_init());
    if (!curl)
        return curl;
    const long total = TotalTimeoutMs();
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, total < kConnectTimeoutMs ? total : kConnectTimeoutMs);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, total);
    curl_easy_setopt(curl.get(), CURLOPT_USERAGENT, "Tessaly-companion/1.0");
    return curl;
}

// Runs the request; true only when the transfer completed and the server answered 2xx.
inline bool PerformOk(CURL* curl)
{
    if (curl_easy_perform(curl) != CURLE_OK)
        return false;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

}  // namespace companion
