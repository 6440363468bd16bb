// The companions' HTTP requests on libcurl, bound at run time (CurlLibrary.h).
#include "CurlLibrary.h"
#include "HttpTransfer.h"

#include <memory>

namespace companion {
namespace {

struct CurlEasyDeleter {
    void operator()(CURL* handle) const { Curl()->easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

struct CurlSlistDeleter {
    void operator()(curl_slist* list) const { Curl()->slist_free_all(list); }
};
using CurlSlist = std::unique_ptr<curl_slist, CurlSlistDeleter>;

std::size_t DeliverBody(char* data, std::size_t size, std::size_t count, void* user)
{
    const std::size_t bytes = size * count;
    return (*static_cast<const BodySink*>(user))(data, bytes) ? bytes : 0;  // 0 makes curl abort
}

// A fresh easy handle with the shared settings. No signals: the host may run us on any thread.
CurlEasy NewRequest(const CurlApi& api, const std::string& url)
{
    CurlEasy curl(api.easy_init());
    if (!curl)
        return curl;
    const long total = TotalTimeoutMs();
    api.easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    api.easy_setopt(curl.get(), CURLOPT_PROTOCOLS_STR, "http,https");
    api.easy_setopt(curl.get(), CURLOPT_FOLLOWLOCATION, 0L);
    api.easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    api.easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs(total));
    api.easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, total);
    api.easy_setopt(curl.get(), CURLOPT_USERAGENT, "Tessaly-companion/1.0");
    return curl;
}

}  // namespace

bool HttpPerform(const HttpRequest& request, const BodySink& sink)
{
    const CurlApi* api = Curl();
    if (!api)
        return false;
    CurlEasy curl = NewRequest(*api, request.url);
    if (!curl)
        return false;
    CurlSlist headers;
    if (request.form) {
        headers.reset(api->slist_append(nullptr, "Content-Type: application/x-www-form-urlencoded"));
        if (!headers)
            return false;
        api->easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get());
        api->easy_setopt(curl.get(), CURLOPT_POSTFIELDS, request.form->c_str());
        api->easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.form->size()));
    }
    api->easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &DeliverBody);
    api->easy_setopt(curl.get(), CURLOPT_WRITEDATA, &sink);
    if (api->easy_perform(curl.get()) != CURLE_OK)
        return false;
    long status = 0;
    api->easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
    return status >= 200 && status < 300;
}

}  // namespace companion
