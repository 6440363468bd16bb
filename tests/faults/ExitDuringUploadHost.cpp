// A host that exits while the redirect window's worker is still uploading: Redirect returns (the wait
// page carries both markers), the host calls exit() at once, and the upload comes back only after the
// library's static objects have been torn down. Nothing the worker does then may reach them.
//
// Under AddressSanitizer any such access is reported by the sanitizer. In the plain build the memory
// the library freed at shut-down is handed out again and filled with a path of this program's
// choosing, so a worker that still reads the trace log's file name opens that path.
//
// Exit codes: 0 nothing reached, 1 the scenario could not be set up, 3 the planted path was opened,
// 4 the worker still wrote to the trace log after shut-down, 77 no display.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <vector>

#include "faults/FakeMode.h"
#include "faults/LibrarySandbox.h"
#include "common/ProcessCensus.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using tessaly::test::WaitUntil;

// What the exit handler needs; filled in before exit() and never destroyed.
struct Scenario {
    fs::path root, releaseFile, traceFile, plantedFile;
    long workerThread = 0;
};
Scenario& TheScenario()
{
    static Scenario* scenario = new Scenario;
    return *scenario;
}

[[noreturn]] void Finish(int code, const char* why)
{
    if (why)
        std::fprintf(stderr, "exit-during-upload: %s\n", why);
    std::error_code ignored;
    fs::remove_all(TheScenario().root, ignored);
    std::_Exit(code);
}

// Registered before the library is loaded, so it runs after all of the library's shut-down.
void AfterLibraryShutDown()
{
    const Scenario& s = TheScenario();
    // Hand the freed blocks out again, each beginning with the planted path as UTF-16 text.
    const std::string planted = s.plantedFile.string();
    std::vector<void*> blocks;
    for (std::size_t size = 2 * planted.size(); size <= 4 * planted.size() + 64; size += 8)
        for (int i = 0; i < 16; ++i) {
            auto* block = static_cast<char16_t*>(std::calloc(size, 1));
            for (std::size_t c = 0; c < planted.size() && 2 * c + 2 < size; ++c)
                block[c] = static_cast<char16_t>(planted[c]);
            blocks.push_back(block);
        }
    std::ofstream(s.releaseFile) << "go";
    const std::string task = "/proc/self/task/" + std::to_string(s.workerThread);
    if (!WaitUntil([&] { return !fs::exists(task); }, 60s))
        Finish(1, "the worker did not end after its upload was released");
    if (fs::exists(s.plantedFile))
        Finish(3, "the worker opened a path read from memory the library had freed");
    if (tessaly::test::ReadFile(s.traceFile).find("--Finish call m_UpLoad") != std::string::npos)
        Finish(4, "the worker wrote to the trace log after the library had shut down");
    Finish(0, nullptr);
}

}  // namespace

int main()
{
    if (!std::getenv("DISPLAY"))
        return 77;
    std::atexit(&AfterLibraryShutDown);
    using namespace tessaly::test;
    // Owned by nobody: exit() below must not tear the sandbox down before the handler has looked.
    auto* sandbox = new LibrarySandbox(Companions::Fake, true);
    Scenario& s = TheScenario();
    s.root = sandbox->Root();
    s.releaseFile = s.root / "release-upload";
    s.traceFile = sandbox->TraceFile();
    // As long as the trace file's name, so it fits wherever that name was.
    s.plantedFile = sandbox->ConfigFolder() / "UILogTrace.UAF";
    ::setenv("TESSALY_FAKE_RELEASE", s.releaseFile.c_str(), 1);
    sandbox->UseShippedConfig();
    sandbox->WriteConfigFile("PreLoginWait/wait.htm",
                             "<html><body>waiting<!-- <<<617458A4-8957-4a97-A646-AACC83D5DD38 "
                             "617458A4-8957-4a97-A646-AACC83D5DD38>>> --></body></html>");
    auto* fake = new FakeMode(*sandbox, "upload-hang");
    std::string error;
    if (!sandbox->Load(&error))
        Finish(1, error.c_str());
    const int result = sandbox->CallRedirect();
    if (result != 1)
        Finish(1, ("Redirect returned " + std::to_string(result)).c_str());
    if (!WaitUntil([&] { return fake->Record().find("HttpUpload ") != std::string::npos; }, 60s))
        Finish(1, "the upload never started");
    std::smatch id;
    const std::string trace = ReadFile(s.traceFile);
    if (!std::regex_search(trace, id, std::regex("--Current Thread ID is 0X([0-9A-F]+) for CRedirectDlg")))
        Finish(1, "no worker thread id in the trace");
    s.workerThread = std::stol(id[1].str(), nullptr, 16);
    std::exit(0);  // the host is done, the upload is not
}
