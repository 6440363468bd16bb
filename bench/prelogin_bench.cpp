// Times PreLogin of libtessaly.so (dlopen'ed from a private copy of the output folder, pointed at a
// tessaly-service on a free port) next to a bare libcurl GET of the same request URL, in the same run.
// Prints the median of each and their ratio.
//
// usage: prelogin_bench [--calls N] [--out DIR]   (N >= 1, default 200; DIR defaults to the build's out/)
#include <dlfcn.h>

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <tessaly/tessaly.h>

#include "CipherTool.h"
#include "PreLoginCall.h"
#include "PrivateInstall.h"
#include "ServiceProcess.h"
#include "login/AdapterIdentity.h"
#include "login/PercentEncode.h"
#include "support/WideText.h"

namespace {

using Clock = std::chrono::steady_clock;
using tessaly::bench::PreLoginFn;

constexpr char kUser[] = "alice";
constexpr char kPassword[] = "wonderland";

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
struct CurlCloser {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};

double MedianMicros(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const std::size_t mid = samples.size() / 2;
    return samples.size() % 2 ? samples[mid] : (samples[mid - 1] + samples[mid]) / 2;
}

// Runs `call` `count` times; false as soon as one call does not give the expected outcome.
bool Time(int count, const std::function<bool()>& call, std::vector<double>& micros)
{
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        const bool ok = call();
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
        if (!ok)
            return false;
    }
    return true;
}

// What every call has to do by design, timed alone: load and free the two companions it uses.
bool LoadAndFreeCompanions(const std::string& agent, const std::string& cipher)
{
    for (const std::string& path : {agent, cipher}) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return false;
        dlclose(handle);
    }
    return true;
}

bool CallPreLogin(PreLoginFn preLogin, const std::string& passwordHex)
{
    std::int32_t code = -1;
    return tessaly::bench::CallPreLogin(preLogin, kUser, passwordHex.c_str(), code) == 1 && code == 0;
}

size_t Collect(char* data, size_t size, size_t count, void* sink)
{
    static_cast<std::string*>(sink)->append(data, size * count);
    return size * count;
}

bool BareGet(const std::string& url)
{
    std::unique_ptr<CURL, CurlCloser> curl(curl_easy_init());
    std::string body;
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &body);
    return curl_easy_perform(curl.get()) == CURLE_OK && body == "0";
}

// The URL the shipped pattern makes for the benchmark's user on this machine.
std::string RequestUrl(const std::string& base)
{
    std::u16string ip;
    tessaly::GetLocalIpAddress(&ip);
    return base + "/login?user=" + kUser + "&pwd=" + kPassword + "&ip=" + tessaly::ToUtf8(tessaly::PercentEncode(ip));
}

int Fail(const std::string& what)
{
    std::fprintf(stderr, "prelogin_bench: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    int calls = 200;
    std::string out = TESSALY_OUT_DIR;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--calls")
            calls = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--out")
            out = argv[i + 1];
        else
            return Fail("unknown option " + option);
    }

    std::string error;
    const auto setup = tessaly::bench::LoginSetup::Make(out, kPassword, error);
    if (!setup)
        return Fail(error);
    const auto& install = setup->install;
    const auto& service = setup->service;
    const std::optional<std::string> passwordHex = setup->passwordHex;

    std::unique_ptr<void, LibraryCloser> library(dlopen(install->LibraryPath().c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library)
        return Fail(std::string("cannot load libtessaly.so: ") + dlerror());
    const auto preLogin = reinterpret_cast<PreLoginFn>(dlsym(library.get(), "PreLogin"));
    if (!preLogin)
        return Fail("libtessaly.so has no PreLogin");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string url = RequestUrl(service->BaseUrl());

    // The first call of a fresh process is timed on its own (cold); then a few untimed rounds, so
    // both sides start with warm caches.
    std::vector<double> cold, warmUp, preLoginMicros, curlMicros, loaderMicros;
    const std::string agent = (install->Root() / "Trelvin.so").string();
    const std::string cipher = out + "/Cyvelle.so";
    if (!Time(1, [&] { return CallPreLogin(preLogin, *passwordHex); }, cold) ||
        !Time(5, [&] { return CallPreLogin(preLogin, *passwordHex); }, warmUp) ||
        !Time(5, [&] { return BareGet(url); }, warmUp))
        return Fail("the warm-up calls were not accepted (is Cyvelle.so beside this program?)");
    // Interleave the two so drifts of the machine's load affect both alike.
    for (int i = 0; i < calls; ++i) {
        if (!Time(1, [&] { return CallPreLogin(preLogin, *passwordHex); }, preLoginMicros))
            return Fail("PreLogin refused call " + std::to_string(i));
        if (!Time(1, [&] { return BareGet(url); }, curlMicros))
            return Fail("bare GET failed on call " + std::to_string(i));
        if (!Time(1, [&] { return LoadAndFreeCompanions(agent, cipher); }, loaderMicros))
            return Fail("the companions could not be loaded");
    }
    curl_global_cleanup();

    const double a = MedianMicros(preLoginMicros), b = MedianMicros(curlMicros);
    std::printf("calls: %d each, URL %s\n", calls, url.c_str());
    std::printf("PreLogin median:        %10.1f us\n", a);
    std::printf("bare libcurl GET median: %9.1f us\n", b);
    std::printf("ratio PreLogin / GET:    %9.2f\n", a / b);
    std::printf("first PreLogin of the process: %9.1f us\n", cold.front());
    std::printf("RESULT prelogin %.1f bare-libcurl-GET %.1f\n", a, b);
    std::printf("RESULT companions-load-and-free %.1f bare-libcurl-GET %.1f\n", MedianMicros(loaderMicros), b);
    std::printf("RESULT prelogin-cold-first-call %.1f prelogin-warm-median %.1f\n", cold.front(), a);
    return 0;
}
