// Load, call, unload, over and over, as a host that keeps the library only while it needs it: the
// growth of this process's resident memory over the cycles is what each cycle leaves behind.
//
// usage: leak_cycles prelogin|redirect [--cycles N] [--warm W] [--window K] [--limit-kib L]
//                    [--keep-loaded 0|1] [--series 0|1] [--out DIR]
//   N measured cycles (default 100) after W unmeasured ones (default 5) that let the libraries the
//   library keeps for the process's life (the toolkit, the web engine, libcurl) settle. Exits 1 when
//   the resident size or the heap in use grew by more than L KiB (default 1024).
//   Every measured cycle is followed by a reading. The resident size is read once the allocator has
//   handed its free pages back to the system (malloc_trim): freed memory the allocator keeps is not
//   left behind by anyone. The growth compares the median of the first K readings (default 15)
//   with the median of the last K. What a cycle leaves behind raises every later reading and so the
//   median; caches that the toolkit and the web engine fill and empty again now and then (up to
//   0.4 MiB of heap and 1.6 MiB resident for a cycle or a few) would move a single pair of readings
//   by more than the limit either way, but not the medians.
//   --keep-loaded 1 loads the library once and only calls in the cycles, which tells a growth of each
//   call from a growth of each load. --series 1 prints every reading to stderr.
//   `redirect` needs a display (run it under xvfb-run); its exchange is answered with an error, so
//   each window ends on its own as soon as the upload has failed.
#include <dlfcn.h>
#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

long CountLines(const char* path)
{
    std::ifstream in(path);
    long lines = 0;
    for (std::string line; std::getline(in, line);)
        ++lines;
    return lines;
}

// The resident size as it stands and once the allocator's free pages are back with the system, the
// heap bytes in use, mappings and threads: where a growth of the resident size comes from.
struct Reading {
    long residentKiB, trimmedKiB, heapKiB, mappings, threads;
};

Reading Take()
{
    const long resident = ResidentKiB();
    malloc_trim(0);
    long threads = 0;
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Threads:", 0) == 0)
            threads = std::atol(line.c_str() + 8);
    return {resident, ResidentKiB(), static_cast<long>(mallinfo2().uordblks / 1024), CountLines("/proc/self/maps"),
            threads};
}

// The median of one field over readings [from, to).
long Median(const std::vector<Reading>& readings, std::size_t from, std::size_t to, long Reading::*field)
{
    std::vector<long> values;
    for (std::size_t i = from; i < to; ++i)
        values.push_back(readings[i].*field);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
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
        return Fail("usage: leak_cycles prelogin|redirect [--cycles N] [--warm W] [--window K] [--limit-kib L] [--keep-loaded 0|1] [--series 0|1] [--out DIR]");
    const std::string mode = argv[1];
    int cycles = 100, warm = 5, window = 15;
    long limitKiB = 1024;
    bool keepLoaded = false, series = false;
    std::string out = TESSALY_OUT_DIR;
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--cycles")
            cycles = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--warm")
            warm = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--window")
            window = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--limit-kib")
            limitKiB = std::atol(argv[i + 1]);
        else if (option == "--keep-loaded")
            keepLoaded = std::atoi(argv[i + 1]) != 0;
        else if (option == "--series")
            series = std::atoi(argv[i + 1]) != 0;
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
    window = std::min(window, cycles);
    std::vector<Reading> readings;
    for (int i = 0; i < cycles; ++i) {
        if (!Cycle(libraryPath, redirect, passwordHex))
            return Fail("cycle " + std::to_string(i) + " failed");
        readings.push_back(Take());
        if (series)
            std::fprintf(stderr, "cycle %d: resident %ld KiB, trimmed %ld KiB, heap in use %ld KiB, threads %ld\n",
                         i + 1, readings.back().residentKiB, readings.back().trimmedKiB, readings.back().heapKiB,
                         readings.back().threads);
    }
    const std::size_t n = readings.size(), k = static_cast<std::size_t>(window);
    const auto growth = [&](long Reading::*field) { return Median(readings, n - k, n, field) - Median(readings, 0, k, field); };
    const long before = Median(readings, 0, k, &Reading::trimmedKiB), after = Median(readings, n - k, n, &Reading::trimmedKiB);
    const long heapGrowth = growth(&Reading::heapKiB);
    std::printf("%s: resident %ld KiB over the first %d of %d cycles (after %d warm-up cycles), %ld KiB over the last %d:"
                " growth %ld KiB (limit %ld)\n",
                mode.c_str(), before, window, cycles, warm, after, window, after - before, limitKiB);
    std::printf("  untrimmed resident %+ld KiB, heap in use %+ld KiB, mappings %+ld, threads %+ld (medians)\n",
                growth(&Reading::residentKiB), heapGrowth, growth(&Reading::mappings), growth(&Reading::threads));
    std::printf("RESULT leak-%s %ld\n", mode.c_str(), after - before);
    return after - before > limitKiB || heapGrowth > limitKiB ? 1 : 0;
}
