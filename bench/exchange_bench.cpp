// The pre-login exchange alone: the identity block uploaded through Dunmore.so to tessaly-service and
// the reply address read back from the temporary reply file, next to a bare libcurl POST of the same
// form to the same address; and loading and freeing Dunmore.so alone, next to the same POST.
//
// usage: exchange_bench [--calls N] [Google Benchmark flags]   (default 200)
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdio>
#include <memory>
#include <string>

#include "BenchRun.h"
#include "ServiceProcess.h"
#include "platform/ModulePaths.h"
#include "prelogin/CGetPreloginInfo.h"
#include "support/WideText.h"

namespace {

struct CurlCloser {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* sink)
{
    static_cast<std::string*>(sink)->append(data, size * count);
    return size * count;
}

bool BarePost(const std::string& url)
{
    std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, "PCID=bench-pc&OEMCode=OEM1&ChanCode=CH1");
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    return curl_easy_perform(curl.get()) == CURLE_OK && body.rfind("http:", 0) == 0;
}

// What every exchange has to do by design, alone: load and free the transfer library.
bool LoadAndFreeTransferLibrary(const std::string& path)
{
    return std::unique_ptr<void, LibraryCloser>(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) != nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace tessaly;
    const int calls = bench::TakeCount(argc, argv, "--calls", 200);
    const std::string out = TESSALY_OUT_DIR;
    std::string error;
    const auto service = host::ServiceProcess::Start(out + "/tessaly-service", {"--port", "0"}, error);
    if (!service) {
        std::fprintf(stderr, "exchange_bench: %s\n", error.c_str());
        return 1;
    }
    // Dunmore.so is taken from the library's folder: here, the build's output folder.
    platform::OverrideModuleFolders(FromUtf8(out + "/"), FromUtf8(out + "/"));
    const std::string url = service->BaseUrl() + "/prelogin/exchange";
    const std::u16string wideUrl = FromUtf8(url);
    const std::string transfer = out + "/Dunmore.so";

    auto exchange = [&wideUrl] {
        CGetPreloginInfo info;
        info.LoadHttpDll();
        std::u16string result;
        return info.GetAdInfo(wideUrl, u"bench-pc", u"OEM1", u"CH1", result) && result.rfind(u"http:", 0) == 0;
    };
    auto post = [&url] { return BarePost(url); };
    auto load = [&transfer] { return LoadAndFreeTransferLibrary(transfer); };
    curl_global_init(CURL_GLOBAL_DEFAULT);
    // Untimed rounds first: warm caches on both sides, and proof that the set-up works.
    for (int i = 0; i < 5; ++i)
        if (!exchange() || !post() || !load()) {
            std::fprintf(stderr, "exchange_bench: the warm-up exchange failed (is Dunmore.so in %s?)\n", out.c_str());
            return 1;
        }
    bench::RegisterCalls("exchange", calls, "the exchange failed", exchange);
    bench::RegisterCalls("bare-libcurl-POST", calls, "the bare POST failed", post);
    bench::RegisterCalls("transfer-library-load-and-free", calls, "Dunmore.so could not be loaded", load);
    const int status = bench::RunBenchmarks(argc, argv);
    curl_global_cleanup();
    return status;
}
