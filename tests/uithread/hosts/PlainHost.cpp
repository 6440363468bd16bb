// A host without a toolkit. Modes:
//   once    Redirect on the main thread;
//   hop     on the main thread, then on another thread, then on the main thread again, then from two
//           threads at once;
//   locale  on the main thread of a process whose environment names a German locale, with LC_TIME
//           set by the host: afterwards every category must be what it was.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

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
    } else {
        return 2;
    }
    return 0;
}
