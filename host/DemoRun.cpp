#include "ArgList.h"
#include "CipherTool.h"
#include "DemoSystem.h"
#include "HostCommands.h"
#include "HostPaths.h"
#include "HostSession.h"
#include "HostSystem.h"
#include "PrivateInstall.h"
#include "WindowCloser.h"

#include <iostream>
#include <optional>

namespace tessaly::host {
namespace {

constexpr const char* kDemoUser = "alice";
constexpr const char* kDemoPassword = "wonderland";
constexpr const char* kWrongPassword = "not-the-password";
constexpr int kDefaultCloseAfter = 60;

void Say(const std::string& text) { std::cout << "demo: " << text << std::endl; }

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
        Say("Redirect returned -1: the redirect window is not available" + NoWindowHint());
        return false;
    }
    Say("Redirect returned " + std::to_string(code) + " (" + DescribeEndCode(code) + ")");
    return true;
}

int DemoUsageError(const std::string& problem)
{
    std::cerr << "tessaly-host: " << problem << "\n\n" << WithSystemNames(DemoUsage());
    return kExitUsage;
}

}  // namespace

int RunDemoCommand(const HostOptions& options, std::vector<std::string> words)
{
    const std::vector<std::string> original = words;
    ArgList args(std::move(words));
    if (args.TakeFlag("--help")) {
        std::cout << WithSystemNames(DemoUsage());
        return kExitOk;
    }
    bool missing = false;
    const auto closeAfterText = args.TakeOption("--close-after", missing);
    int closeAfter = kDefaultCloseAfter;
    if (missing || (closeAfterText && !ParseSeconds(*closeAfterText, closeAfter)))
        return DemoUsageError("bad demo arguments");
    std::string serviceUrl, problem;
    if (!TakeDemoServiceOptions(args, serviceUrl, problem))
        return DemoUsageError(problem);
    if (!args.Rest().empty())
        return DemoUsageError("bad demo arguments");
    PrepareDemoDisplay(options, original);

    std::string error;
    const auto service = OpenDemoService(serviceUrl, error);
    if (!service) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    Say(service->Opening());
    const auto install = PrivateInstall::Make(PathFromUtf8(options.libraryPath).parent_path(), error);
    if (!install || !install->PointAt(service->BaseUrl(), error)) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    Say("private copy of the install folder in " + Utf8Path(install->Root()) + ", orvane.cfg points at the service");

    bool allWell = true;
    {
        const auto session = HostSession::Open(Utf8Path(install->LibraryPath()), error);
        if (!session) {
            std::cerr << "tessaly-host: " << error << '\n';
            return kExitFailed;
        }
        const std::string cipher = Utf8Path(install->Root() / Names().cipher);
        allWell &= RunLogin(*session, cipher, kWrongPassword, -102, "alice with a wrong password");
        allWell &= RunLogin(*session, cipher, kDemoPassword, 0, "alice with her password");
        allWell &= RunRedirect(*session, closeAfter);
    }
    Say(service->Closing() + "; " +
        (allWell ? "every step did what it should" : "some steps did not do what they should (see above)"));
    return allWell ? kExitOk : kExitFailed;
}

}  // namespace tessaly::host
