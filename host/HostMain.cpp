// tessaly-host: a stand-in for the desktop client that loads libtessaly.so.

#include "HostCommands.h"
#include "HostPaths.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(usage: tessaly-host [--library PATH] COMMAND [options]

Loads libtessaly.so (from the folder of tessaly-host, else from ../lib/tessaly/ beside that folder as
installed, or PATH) with dlopen as a desktop client
would, publishes the shared data block with the host's window message list, and calls the library.

commands:
  prelogin --user NAME (--password CLEAR | --password-hex HEX)
                                   call PreLogin and print the outcome
  redirect [--close-after SECONDS] call Redirect; optionally close its window after a while
  encrypt CLEAR                    print CLEAR enciphered as PreLogin expects its password
  demo [--close-after SECONDS]     run service, PreLogin and Redirect end to end

"tessaly-host COMMAND --help" tells more. Exit codes: 0 success, 1 failure, 2 bad arguments,
3 login refused.
)";

}  // namespace

int main(int argc, char** argv)
{
    using namespace tessaly::host;
    std::vector<std::string> words(argv + 1, argv + argc);
    HostOptions options{DefaultLibraryPath()};
    if (words.size() >= 2 && words[0] == "--library") {
        options.libraryPath = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        std::cout << kUsage;
        return words.empty() ? kExitUsage : kExitOk;
    }
    const std::string command = words[0];
    words.erase(words.begin());
    if (command == "prelogin")
        return RunPreLoginCommand(options, std::move(words));
    if (command == "redirect")
        return RunRedirectCommand(options, std::move(words));
    if (command == "encrypt")
        return RunEncryptCommand(options, std::move(words));
    if (command == "demo")
        return RunDemoCommand(options, std::move(words), argv);
    std::cerr << "tessaly-host: unknown command \"" << command << "\"\n\n" << kUsage;
    return kExitUsage;
}
