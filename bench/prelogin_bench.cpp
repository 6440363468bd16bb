// PreLogin of libtessaly.so (dlopen'ed from a private copy of the output folder, pointed at a
// tessaly-service on a free port) next to a bare libcurl GET of the same request URL; loading and
// freeing the two companions every call uses, next to the same GET; and the first PreLogin of a fresh
// process (this program started again for one call) next to the warm calls.
//
// usage: prelogin_bench [--calls N] [--out DIR] [Google Benchmark flags]
//        (N >= 1, default 200; DIR defaults to the build's out/)
#include <dlfcn.h>

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include <tessaly/tessaly.h>

#include "BenchRun.h"
#include "PreLoginCall.h"
#include "login/AdapterIdentity.h"
#include "login/PercentEncode.h"
#include "support/WideText.h"

namespace {

using tessaly::bench::PreLoginFn;

constexpr char kUser[] = "alice";
constexpr char kPassword[] = "wonderland";
constexpr char kColdCall[] = "--cold-call";

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};
using Library = std::unique_ptr<void, LibraryCloser>;
struct CurlCloser {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct PipeCloser {
    void operator()(FILE* pipe) const { pclose(pipe); }
};

// What every call has to do by design, alone: load and free the two companions it uses.
bool LoadAndFreeCompanions(const std::string& agent, const std::string& cipher)
{
    for (const std::string& path : {agent, cipher})
        if (!Library(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)))
            return false;
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

PreLoginFn FindPreLogin(const Library& library) { return reinterpret_cast<PreLoginFn>(dlsym(library.get(), "PreLogin")); }

// The child's side of a cold call: load the library as a host does, time its first PreLogin and
// print the microseconds. Exits non-zero when the call is not accepted.
int ColdCallChild(const std::string& libraryPath, const std::string& passwordHex)
{
    const Library library(dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL));
    const PreLoginFn preLogin = library ? FindPreLogin(library) : nullptr;
    if (!preLogin)
        return 1;
    const auto start = std::chrono::steady_clock::now();
    const bool accepted = CallPreLogin(preLogin, passwordHex);
    const auto micros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.1f\n", micros);
    return accepted ? 0 : 1;
}

// Starts this program again for one cold call; its time in microseconds, or nothing on failure.
// The temporary paths and the hex text hold no quote, so single quotes suffice for the shell.
std::optional<double> ColdCall(const std::string& self, const std::string& libraryPath, const std::string& passwordHex)
{
    const std::string command = "'" + self + "' " + kColdCall + " '" + libraryPath + "' " + passwordHex;
    std::unique_ptr<FILE, PipeCloser> child(popen(command.c_str(), "r"));
    double micros = -1;
    if (!child || std::fscanf(child.get(), "%lf", &micros) != 1)
        return std::nullopt;
    const int status = pclose(child.release());
    if (status != 0 || micros < 0)
        return std::nullopt;
    return micros;
}

int Fail(const std::string& what)
{
    std::fprintf(stderr, "prelogin_bench: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == kColdCall)
        return ColdCallChild(argv[2], argv[3]);
    const int calls = tessaly::bench::TakeCount(argc, argv, "--calls", 200);
    const std::string out = tessaly::bench::TakeOption(argc, argv, "--out").value_or(TESSALY_OUT_DIR);

    std::string error;
    const auto setup = tessaly::bench::LoginSetup::Make(out, kPassword, error);
    if (!setup)
        return Fail(error);
    const std::string libraryPath = setup->install->LibraryPath().string();
    const std::string& passwordHex = setup->passwordHex;
    const Library library(dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library)
        return Fail(std::string("cannot load libtessaly.so: ") + dlerror());
    const PreLoginFn preLogin = FindPreLogin(library);
    if (!preLogin)
        return Fail("libtessaly.so has no PreLogin");
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string url = RequestUrl(setup->service->BaseUrl());
    const std::string agent = (setup->install->Root() / "Trelvin.so").string();
    const std::string cipher = out + "/Cyvelle.so";
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

    // A few untimed rounds first, so that both sides start with warm caches; they also show that the
    // set-up works before anything is measured.
    for (int i = 0; i < 5; ++i)
        if (!CallPreLogin(preLogin, passwordHex) || !BareGet(url) || !LoadAndFreeCompanions(agent, cipher))
            return Fail("the warm-up calls were not accepted (is Cyvelle.so beside this program?)");
    if (!ColdCall(self, libraryPath, passwordHex))
        return Fail("the first call of a fresh process was not accepted");

    using tessaly::bench::RegisterCalls;
    RegisterCalls("prelogin", calls, "PreLogin refused a call", [&] { return CallPreLogin(preLogin, passwordHex); });
    RegisterCalls("bare-libcurl-GET", calls, "the bare GET failed", [&] { return BareGet(url); });
    RegisterCalls("companions-load-and-free", calls, "the companions could not be loaded",
                  [&] { return LoadAndFreeCompanions(agent, cipher); });
    // One fresh process per repetition; only its PreLogin is timed (by the child), not its start.
    tessaly::bench::Shape(benchmark::RegisterBenchmark("prelogin-cold-first-call", [&](benchmark::State& state) {
        for (auto _ : state) {
            const auto micros = ColdCall(self, libraryPath, passwordHex);
            if (!micros) {
                state.SkipWithError("the first call of a fresh process failed");
                break;
            }
            state.SetIterationTime(*micros / 1e6);
        }
    }), std::max(5, calls / 30))->UseManualTime();

    const int status = tessaly::bench::RunBenchmarks(argc, argv);
    curl_global_cleanup();
    return status;
}
