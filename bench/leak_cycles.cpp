// Load, call, unload, over and over, as a host that keeps the library only while it needs it: the
// growth of this process's resident memory over the cycles is what each cycle leaves behind.
//
// usage: leak_cycles prelogin|redirect [--cycles N] [--warm W] [--limit-kib K] [--keep-loaded 0|1] [--out DIR]
//   N measured cycles (default 100) after W untimed ones (default 5) that let the libraries the
//   library keeps for the process's life (the toolkit, the web engine, libcurl) settle. Prints the
//   resident size before and after and exits 1 when it grew by more than K KiB (default 1024).
//   --keep-loaded 1 loads the library once and only calls in the cycles, which tells a growth of each
//   call from a growth of each load.
//   `redirect` needs a display (run it under xvfb-run); its exchange is answered with an error, so
//   each window ends on its own as soon as the upload has failed.
#include <dlfcn.h>
#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <tessaly/tessaly.h>

#include "IniEdit.h"
#include "PreLoginCall.h"

namespace {

struct LibraryCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

long ResidentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Heap bytes in use, mappings and threads: where a growth of the resident size comes from.
struct Census {
    long heapKiB, mappings, threads;
};

long CountLines(const char* path)
{
    std::ifstream in(path);
    long lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

Census Take()
{
    long threads = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Threads:", 0) == 0)
            threads = std::atol(line.c_str() + 8);
    return {static_cast<long>(mallinfo2().uordblks / 1024), CountLines("/proc/self/maps"), threads};
}

int Fail(const std::string& what)
{
    std::fprintf(stderr, "leak_cycles: %s\n", what.c_str());
    return 2;
}

// One cycle: load, one call, unload. False when the call did not behave as expected.
bool Cycle(const std::string& libraryPath, bool redirect, const std::string& passwordHex)
{
    std::unique_ptr<void, LibraryCloser> library(dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library)
        return false;
    if (redirect) {
        const auto run = reinterpret_cast<int (*)()>(dlsym(library.get(), "Redirect"));
        return run && run() == 1;
    }
    const auto preLogin = reinterpret_cast<tessaly::bench::PreLoginFn>(dlsym(library.get(), "PreLogin"));
    std::int32_t code = -1;
    return preLogin && tessaly::bench::CallPreLogin(preLogin, "alice", passwordHex.c_str(), code) == 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Fail("usage: leak_cycles prelogin|redirect [--cycles N] [--warm W] [--limit-kib K] [--keep-loaded 0|1] [--out DIR]");
    const std::string mode = argv[1];
    int cycles = 100, warm = 5;
    long limitKiB = 1024;
    bool keepLoaded = false;
    std::string out = TESSALY_OUT_DIR;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--cycles")
            cycles = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--warm")
            warm = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--limit-kib")
            limitKiB = std::atol(argv[i + 1]);
        else if (option == "--keep-loaded")
            keepLoaded = std::atoi(argv[i + 1]) != 0;
        else if (option == "--out")
            out = argv[i + 1];
        else
            return Fail("unknown option " + option);
    }
    if (mode != "prelogin" && mode != "redirect")
        return Fail("the mode is prelogin or redirect");
    const bool redirect = mode == "redirect";

    std::string error;
    const auto setup = tessaly::bench::LoginSetup::Make(out, "wonderland", error);
    if (!setup)
        return Fail(error);
    const auto& install = setup->install;
    if (redirect) {
        // An error status: the upload fails, the target is empty and the window ends with 1 at once.
        const auto cfg = install->Root() / "Config" / "orvane.cfg";
        std::ifstream in(cfg);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream(cfg, std::ios::trunc) << tessaly::host::SetIniValue(
            text, "WebUrl", "PreLoginFromInternet", setup->service->BaseUrl() + "/status/500");
    }
    const std::string& passwordHex = setup->passwordHex;
    const std::string libraryPath = install->LibraryPath().string();
    // Held for the whole run with --keep-loaded: the cycles' own dlclose then never unloads.
    std::unique_ptr<void, LibraryCloser> held(keepLoaded ? dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL) : nullptr);

    for (int i = 0; i < warm; ++i)
        if (!Cycle(libraryPath, redirect, passwordHex))
            return Fail("warm-up cycle " + std::to_string(i) + " failed (is Cyvelle.so beside this program?)");
    const long before = ResidentKiB();
    const Census first = Take();
    for (int i = 0; i < cycles; ++i)
        if (!Cycle(libraryPath, redirect, passwordHex))
            return Fail("cycle " + std::to_string(i) + " failed");
    const long after = ResidentKiB();
    const Census last = Take();
    std::printf("%s: resident %ld KiB after %d warm-up cycles, %ld KiB after %d more: growth %ld KiB (limit %ld)\n",
                mode.c_str(), before, warm, after, cycles, after - before, limitKiB);
    std::printf("  heap in use %+ld KiB, mappings %+ld, threads %+ld\n", last.heapKiB - first.heapKiB,
                last.mappings - first.mappings, last.threads - first.threads);
    std::printf("RESULT leak-%s %ld\n", mode.c_str(), after - before);
    return after - before > limitKiB ? 1 : 0;
}
