// A host without a toolkit. Modes:
//   once    Redirect on the main thread;
//   hop     on the main thread, then on another thread, then on the main thread again, then from two
//           threads at once;
//   locale  on the main thread of a process whose environment names a German locale, with LC_TIME
//           set by the host: afterwards every category must be what it was;
//   census  one window to warm up, then twenty; prints the threads and descriptors before and after
//           ("census-before|census-after <threads> <WebKit IPC threads> <descriptors>"), the latter
//           once they have settled (at most 30 s: idle pool threads of GLib end after 15 s).
#include <chrono>
#include <clocale>
#include <cstdio>
#include <string>
#include <thread>

#include "common/ProcessCensus.h"
#include "hosts/HostLibrary.h"

namespace {

using tessaly::testhost::Report;

constexpr int kCategories[] = {LC_CTYPE, LC_NUMERIC, LC_TIME, LC_COLLATE, LC_MONETARY, LC_MESSAGES};

std::string Locales()
{
    std::string all;
    for (int category : kCategories)
        all += std::string(std::setlocale(category, nullptr)) + ";";
    return all;
}

int Locale(tessaly::testhost::RedirectFn redirect)
{
    if (!std::setlocale(LC_TIME, "de_DE.UTF-8")) {
        std::fprintf(stderr, "the locale de_DE.UTF-8 is missing (scripts/install-deps.sh makes it)\n");
        return 4;
    }
    const std::string before = Locales();
    Report("main", redirect());
    const std::string after = Locales();
    char number[32];
    std::snprintf(number, sizeof number, "%.2f", 3.25);
    std::printf("locales-before %s\nlocales-after %s\nnumber %s\n", before.c_str(), after.c_str(), number);
    return 0;
}

struct Census {
    int threads = 0;
    int ipcThreads = 0;  // WebKit's receive threads, one per connection to a helper process
    int fds = 0;
};

Census Take()
{
    Census census;
    census.threads = tessaly::test::ThreadCount();
    census.ipcThreads = tessaly::test::ThreadsNamed("ReceiveQueue");
    // WebKit's memory monitor keeps statistics files of /proc and /sys open; they are not counted.
    census.fds = static_cast<int>(tessaly::test::OpenDescriptors({"/proc/", "/sys/"}).size());
    return census;
}

void Print(const char* label, const Census& census)
{
    std::printf("%s %d %d %d\n", label, census.threads, census.ipcThreads, census.fds);
}

int TwentyWindows(tessaly::testhost::RedirectFn redirect)
{
    Report("warm-up", redirect());
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const Census before = Take();
    Print("census-before", before);
    for (int i = 0; i < 20; ++i)
        Report("run", redirect());
    Census after;
    tessaly::test::WaitUntil(
        [&] {
            after = Take();
            return after.threads - after.ipcThreads <= before.threads - before.ipcThreads;
        },
        std::chrono::seconds(30));
    Print("census-after", after);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const auto redirect = tessaly::testhost::LoadRedirect(argv[1]);
    const std::string mode = argv[2];
    if (mode == "once") {
        Report("main", redirect());
    } else if (mode == "hop") {
        Report("main", redirect());
        std::thread([&] { Report("thread", redirect()); }).join();
        Report("main-again", redirect());
        std::thread first([&] { Report("together", redirect()); });
        std::thread second([&] { Report("together", redirect()); });
        first.join();
        second.join();
    } else if (mode == "locale") {
        return Locale(redirect);
    } else if (mode == "census") {
        return TwentyWindows(redirect);
    } else {
        return 2;
    }
    return 0;
}
