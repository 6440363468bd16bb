// The demo on Linux: it starts tessaly-service beside tessaly-host itself, and runs itself again
// under a virtual X display when there is none.

#include "DemoSystem.h"

#include "HostPaths.h"
#include "ServiceProcess.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <sstream>

namespace tessaly::host {
namespace {

constexpr const char* kDemoUsage = R"(usage: tessaly-host [--library PATH] demo [--close-after SECONDS]

Runs the whole system on this machine: starts tessaly-service (beside tessaly-host) on a free port,
copies the install folder of libtessaly.so (library, companions, Config/) to a temporary folder and
points the copy's orvane.cfg at the service, runs a refused and an accepted PreLogin for the user
"alice", then Redirect. The target page continues by itself after a few seconds, which leads to the
page that closes the window; --close-after (default 60) closes it through the host's window message
list should that not happen. Without an X display the demo runs itself again under "xvfb-run -a"
when that is installed. Finally it stops the service and removes the temporary folder.
Exit code 0 when every step did what it should, 1 otherwise.
)";

constexpr const char* kUnderXvfb = "TESSALY_HOST_UNDER_XVFB";

// tessaly-service as a child of this process, stopped when the object goes away.
class LocalService : public DemoService {
public:
    explicit LocalService(std::unique_ptr<ServiceProcess> process) : m_process(std::move(process)) {}
    std::string BaseUrl() const override { return m_process->BaseUrl(); }
    std::string Opening() const override { return "tessaly-service listens on " + BaseUrl(); }
    std::string Closing() const override { return "stopping the service and removing the private copy"; }

private:
    std::unique_ptr<ServiceProcess> m_process;
};

// True when `name` is an executable file in one of the folders of $PATH.
bool FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

// Replaces this process with the same demo under a virtual X display; returns only if that fails.
void ReexecUnderXvfb(const HostOptions& options, const std::vector<std::string>& words)
{
    std::vector<std::string> command{"xvfb-run", "-a", ProgramPath(), "--library", options.libraryPath, "demo"};
    command.insert(command.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (auto& word : command)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    ::setenv(kUnderXvfb, "1", 1);
    std::cout << "demo: no X display: running the demo again under xvfb-run" << std::endl;
    ::execvp(argv[0], argv.data());
    std::cout << "demo: could not start xvfb-run; going on without a display" << std::endl;
}

}  // namespace

const char* DemoUsage() { return kDemoUsage; }

bool TakeDemoServiceOptions(ArgList&, std::string&, std::string&) { return true; }

void PrepareDemoDisplay(const HostOptions& options, const std::vector<std::string>& words)
{
    if (!std::getenv("DISPLAY") && !std::getenv(kUnderXvfb) && FindOnPath("xvfb-run"))
        ReexecUnderXvfb(options, words);
}

std::unique_ptr<DemoService> OpenDemoService(const std::string&, std::string& error)
{
    auto process = ServiceProcess::Start(ProgramFolder() + "/tessaly-service", {"--port", "0", "--auto-continue", "3"}, error);
    if (!process) {
        error = "cannot start tessaly-service: " + error;
        return nullptr;
    }
    return std::make_unique<LocalService>(std::move(process));
}

std::string NoWindowHint() { return std::getenv("DISPLAY") ? "" : " (there is no X display)"; }

}  // namespace tessaly::host
