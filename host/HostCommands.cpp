#include "HostCommands.h"

#include "ArgList.h"
#include "CipherTool.h"
#include "HostPaths.h"
#include "HostSession.h"
#include "HostSystem.h"
#include "WindowCloser.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <utility>

namespace tessaly::host {
namespace {

constexpr const char* kPreLoginUsage = R"(usage: tessaly-host [--library PATH] prelogin --user NAME (--password CLEAR | --password-hex HEX)

Calls PreLogin of {library} with the user name and the enciphered password. --password enciphers
CLEAR with {cipher} beside {library} first; --password-hex passes HEX unchanged. Prints whether
the login was accepted or refused, the reply code and the message. Exit code 0 accepted, 3 refused.
)";

constexpr const char* kRedirectUsage = R"(usage: tessaly-host [--library PATH] redirect [--close-after SECONDS]

Calls Redirect of {library} and prints the window's end code. With --close-after, every window in
the host's window message list is sent the close message once SECONDS have passed. Needs a display
(on Linux an X display). Exit code 0 when the window ran, 1 when it could not be created.
)";

constexpr const char* kEncryptUsage = R"(usage: tessaly-host encrypt CLEAR

Prints CLEAR enciphered with Zel_Encrypt of {cipher} beside {library}, as hexadecimal text:
the form PreLogin expects its password in.
)";

int UsageError(const std::string& message, const char* usage)
{
    std::cerr << "tessaly-host: " << message << "\n\n" << WithSystemNames(usage);
    return kExitUsage;
}

// The cipher library that ships beside the library being loaded, wherever that was installed.
std::string CipherLibraryPath(const HostOptions& options) { return BesideFile(options.libraryPath, Names().cipher); }

void PrintUsage(const char* usage) { std::cout << WithSystemNames(usage); }

}  // namespace

std::string WithSystemNames(std::string_view text)
{
    const SystemNames& names = Names();
    const std::pair<std::string_view, std::string_view> fields[] = {
        {"{library}", names.library}, {"{cipher}", names.cipher}, {"{loader}", names.loader},
        {"{whereabouts}", names.whereabouts}, {"{demo}", names.demoLine}};
    std::string out(text);
    for (const auto& [key, value] : fields)
        for (auto at = out.find(key); at != std::string::npos; at = out.find(key, at + value.size()))
            out.replace(at, key.size(), value);
    return out;
}

bool ParseSeconds(const std::string& text, int& seconds)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty() && seconds >= 0 && seconds <= 86400;
}

int RunPreLoginCommand(const HostOptions& options, std::vector<std::string> words)
{
    ArgList args(std::move(words));
    if (args.TakeFlag("--help")) {
        PrintUsage(kPreLoginUsage);
        return kExitOk;
    }
    bool missing = false;
    const auto user = args.TakeOption("--user", missing);
    const auto clear = args.TakeOption("--password", missing);
    const auto hex = args.TakeOption("--password-hex", missing);
    if (missing || !args.Rest().empty())
        return UsageError(missing ? "an option lacks its value" : "unexpected argument: " + args.Rest().front(),
                          kPreLoginUsage);
    if (!user || clear.has_value() == hex.has_value())
        return UsageError("give --user and exactly one of --password and --password-hex", kPreLoginUsage);

    std::string error;
    std::string passwordHex = hex.value_or("");
    if (clear) {
        const auto enciphered = EncryptToHex(CipherLibraryPath(options), *clear, error);
        if (!enciphered) {
            std::cerr << "tessaly-host: " << error << '\n';
            return kExitFailed;
        }
        passwordHex = *enciphered;
    }
    const auto session = HostSession::Open(options.libraryPath, error);
    if (!session) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    const PreLoginOutcome outcome = session->PreLogin(*user, passwordHex);
    std::cout << "PreLogin: " << (outcome.result == 1 ? "accepted" : "refused") << " (code " << outcome.code << ")\n"
              << "message: " << outcome.message << std::endl;
    return outcome.result == 1 ? kExitOk : kExitRefused;
}

int RunRedirectCommand(const HostOptions& options, std::vector<std::string> words)
{
    ArgList args(std::move(words));
    if (args.TakeFlag("--help")) {
        PrintUsage(kRedirectUsage);
        return kExitOk;
    }
    bool missing = false;
    const auto closeAfter = args.TakeOption("--close-after", missing);
    int seconds = 0;
    if (missing || !args.Rest().empty() || (closeAfter && !ParseSeconds(*closeAfter, seconds)))
        return UsageError(missing || closeAfter ? "--close-after needs a number of seconds (0 to 86400)"
                                                : "unexpected argument: " + args.Rest().front(),
                          kRedirectUsage);
    std::string error;
    const auto session = HostSession::Open(options.libraryPath, error);
    if (!session) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    std::optional<WindowCloser> closer;
    if (closeAfter)
        closer.emplace(session->Windows(), std::chrono::seconds(seconds),
                       [](const std::string& what) { std::cout << "close-after: " << what << std::endl; });
    const int code = session->Redirect();
    closer.reset();
    std::cout << "Redirect returned " << code << " (" << DescribeEndCode(code) << ")" << std::endl;
    return code == -1 ? kExitFailed : kExitOk;
}

int RunEncryptCommand(const HostOptions& options, std::vector<std::string> words)
{
    ArgList args(std::move(words));
    if (args.TakeFlag("--help")) {
        PrintUsage(kEncryptUsage);
        return kExitOk;
    }
    // Everything that is not --help is the clear text, which may itself start with "--".
    if (args.Rest().size() != 1)
        return UsageError("encrypt takes exactly one text", kEncryptUsage);
    std::string error;
    const auto hex = EncryptToHex(CipherLibraryPath(options), args.Rest().front(), error);
    if (!hex) {
        std::cerr << "tessaly-host: " << error << '\n';
        return kExitFailed;
    }
    std::cout << *hex << std::endl;
    return kExitOk;
}

}  // namespace tessaly::host
