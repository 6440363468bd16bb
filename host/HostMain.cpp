// tessaly-host: a stand-in for the desktop client that loads the library.

#include "HostCommands.h"
#include "HostPaths.h"
#include "HostSystem.h"

#include <iostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = R"(usage: tessaly-host [--library PATH] COMMAND [options]

Loads {library} with {loader} as a desktop client would, publishes the shared data block with
the host's window message list, and calls the library. Without --library, {library} is taken
{whereabouts}.

commands:
  prelogin --user NAME (--password CLEAR | --password-hex HEX)
                                   call PreLogin and print the outcome
  redirect [--close-after SECONDS] call Redirect; optionally close its window after a while
  encrypt CLEAR                    print CLEAR enciphered as PreLogin expects its password
{demo}
"tessaly-host COMMAND --help" tells more. Exit codes: 0 success, 1 failure, 2 bad arguments,
3 login refused.
)";

}  // namespace

int main(int argc, char** argv)
{
    using namespace tessaly::host;
    std::vector<std::string> words = StartProgram(argc, argv);
    HostOptions options{DefaultLibraryPath()};
    if (words.size() >= 2 && words[0] == "--library") {
        options.libraryPath = words[1];
        words.erase(words.begin(), words.begin() + 2);
    }
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        std::cout << WithSystemNames(kUsage);
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
        return RunDemoCommand(options, std::move(words));
    std::cerr << "tessaly-host: unknown command \"" << command << "\"\n\n" << WithSystemNames(kUsage);
    return kExitUsage;
}
