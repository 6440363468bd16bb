#include "ArgList.h"
#include "CipherTool.h"
#include "HostCommands.h"
#include "HostPaths.h"
#include "HostSession.h"
#include "PrivateInstall.h"
#include "ServiceProcess.h"
#include "WindowCloser.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>

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
constexpr const char* kDemoUser = "alice";
constexpr const char* kDemoPassword = "wonderland";
constexpr const char* kWrongPassword = "not-the-password";
constexpr int kDefaultCloseAfter = 60;

void Say(const std::string& text) { std::cout << "demo: " << text << std::endl; }

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
    Say("no X display: running the demo again under xvfb-run");
    ::execvp(argv[0], argv.data());
    Say("could not start xvfb-run; going on without a display");
}

// The stand-in service answers -102 for a wrong password and 0 for the right one.
bool RunLogin(const HostSession& session, const std::string& cipherPath, const std::string& password, int expectedCode, const char* label)
{
    std::string error;
    const auto hex = EncryptToHex(cipherPath, password, error);
    if (!hex) {
        Say(std::string(label) + ": cannot encipher the password: " + error);
        return false;
    }
    const PreLoginOutcome outcome = session.PreLogin(kDemoUser, *hex);
    const bool asExpected = outcome.code == expectedCode && (outcome.result == 1) == (expectedCode == 0);
    Say(std::string(label) + ": PreLogin " + (outcome.result == 1 ? "accepted" : "refused") + " (code " +
        std::to_string(outcome.code) + ")" + (outcome.message.empty() ? "" : ", message \"" + outcome.message + "\"") +
        (asExpected ? ""
                    : outcome.code == -1 ? "  <-- no reply from the login service reached the host"
                                         : "  <-- expected code " + std::to_string(expectedCode)));
    return asExpected;
}

bool RunRedirect(const HostSession& session, int closeAfter)
{
    Say("Redirect: opening the redirect window (closes itself once the target page is done; "
        "the host closes it after " + std::to_string(closeAfter) + " s otherwise)");
    std::optional<WindowCloser> closer;
    closer.emplace(session.Windows(), std::chrono::seconds(closeAfter),
                   [](const std::string& what) { Say("close-after: " + what); });
    const int code = session.Redirect();
    closer.reset();
    if (code == -1) {
        Say(std::string("Redirect returned -1: the redirect window is not available") +
            (std::getenv("DISPLAY") ? "" : " (there is no X display)"));
        return false;
    }
    Say("Redirect returned " + std::to_string(code) + " (" + DescribeEndCode(code) + ")");
    return true;
}

}  // namespace

int RunDemoCommand(const HostOptions& options, std::vector<std::string> words, char** /*argv*/)
{
    const std::vector<std::string> original = words;
    ArgList args(std::move(words));
    if (args.TakeFlag("--help")) {
        std::cout << kDemoUsage;
        return kExitOk;
    }
    bool missing = false;
    const auto closeAfterText = args.TakeOption("--close-after", missing);
    int closeAfter = kDefaultCloseAfter;
    if (missing || !args.Rest().empty() || (closeAfterText && !ParseSeconds(*closeAfterText, closeAfter))) {
        std::cerr << "tessaly-host: bad demo arguments\n\n" << kDemoUsage;
        return kExitUsage;
    }
    if (!std::getenv("DISPLAY") && !std::getenv(kUnderXvfb) && FindOnPath("xvfb-run"))
        ReexecUnderXvfb(options, original);

    std::string error;
    const auto service = ServiceProcess::Start(ProgramFolder() + "/tessaly-service", {"--port", "0", "--auto-continue", "3"}, error);
    if (!service) {
        std::cerr << "tessaly-host: cannot start tessaly-service: " << error << '\n';
        return kExitFailed;
    }
    Say("tessaly-service listens on " + service->BaseUrl());
    const auto install = PrivateInstall::Make(std::filesystem::path(options.libraryPath).parent_path(), error);
    if (!install || !install->PointAt(service->BaseUrl(), error)) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    Say("private copy of the install folder in " + install->Root().string() + ", orvane.cfg points at the service");

    bool allWell = true;
    {
        const auto session = HostSession::Open(install->LibraryPath().string(), error);
        if (!session) {
            std::cerr << "tessaly-host: " << error << '\n';
            return kExitFailed;
        }
        const std::string cipher = (install->Root() / "Cyvelle.so").string();
        allWell &= RunLogin(*session, cipher, kWrongPassword, -102, "alice with a wrong password");
        allWell &= RunLogin(*session, cipher, kDemoPassword, 0, "alice with her password");
        allWell &= RunRedirect(*session, closeAfter);
    }
    Say(std::string("stopping the service and removing the private copy; ") +
        (allWell ? "every step did what it should" : "some steps did not do what they should (see above)"));
    return allWell ? kExitOk : kExitFailed;
}

}  // namespace tessaly::host
