// Runs one example host end to end: a stand-in service whose welcome page continues on its own, a
// private copy of the install pointed at it, and the example given on the command line, loading that
// copy. Succeeds when the example exits with 0 and wrote no GLib or GTK critical message.
//
//   tessaly-example-run <program> [arguments...]

#include "common/CommandRun.h"
#include "common/StandInService.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: tessaly-example-run <program> [arguments...]\n";
        return 2;
    }
    std::string error;
    auto service = tessaly::test::StartService(error, {"--auto-continue", "1"});
    auto install = service ? tessaly::test::InstallFor(*service, error) : nullptr;
    if (!install) {
        std::cerr << error << '\n';
        return 1;
    }
    ::setenv("TESSALY_MODULE", install->LibraryPath().c_str(), 1);

    std::string command;
    for (int i = 1; i < argc; ++i)
        command += tessaly::test::ShellQuote(argv[i]) + " ";
    const auto [code, output] = tessaly::test::RunningCommand(command).Await();
    std::cout << output;
    const bool critical = output.find("-CRITICAL **") != std::string::npos;
    std::cout << "example exited with " << code << (critical ? ", with a critical message" : "") << std::endl;
    return code == 0 && !critical ? 0 : 1;
}
