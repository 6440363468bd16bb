// Runs one example host end to end: a stand-in service whose welcome page continues on its own, a
// private copy of the install pointed at it, and the example given on the command line, loading that
// copy. Succeeds when the example exits with 0 and wrote no GLib, GTK or Qt critical message.
//
//   tessaly-example-run <program> [arguments...]

#include "PrivateInstall.h"
#include "ServiceProcess.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string Quote(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs the command with stdout and stderr together; returns its exit code (-1 for a signal).
int Run(const std::vector<std::string>& command, std::string& output)
{
    std::string line;
    for (const auto& word : command)
        line += Quote(word) + " ";
    FILE* pipe = popen((line + "2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    while (const std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: tessaly-example-run <program> [arguments...]\n";
        return 2;
    }
    std::string error;
    const std::string out = TESSALY_OUT_DIR;
    auto service = tessaly::host::ServiceProcess::Start(out + "/tessaly-service", {"--port", "0", "--auto-continue", "1"},
                                                        error);
    auto install = service ? tessaly::host::PrivateInstall::Make(out, error) : nullptr;
    if (!install || !install->PointAt(service->BaseUrl(), error)) {
        std::cerr << error << '\n';
        return 1;
    }
    ::setenv("TESSALY_MODULE", install->LibraryPath().c_str(), 1);

    std::string output;
    const int code = Run(std::vector<std::string>(argv + 1, argv + argc), output);
    std::cout << output;
    const bool critical = output.find("-CRITICAL **") != std::string::npos || output.find("QFATAL") != std::string::npos;
    std::cout << "example exited with " << code << (critical ? ", with a critical message" : "") << std::endl;
    return code == 0 && !critical ? 0 : 1;
}
