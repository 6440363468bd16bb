// The demo on Windows: the stand-in service is a Linux program, so the demo is told where it runs
// (--service, else TESSALY_SERVICE_URL) instead of starting it. Windows always has a display.

#include "DemoSystem.h"

#include "win32/WideText.h"

namespace tessaly::host {
namespace {

constexpr const char* kDemoUsage = R"(usage: tessaly-host [--library PATH] demo [--service URL] [--close-after SECONDS]

Runs the whole system against the stand-in service: copies the folder of Tessaly.dll (library,
companions, Config\) to a temporary folder and points the copy's orvane.cfg at the service, runs a
refused and an accepted PreLogin for the user "alice", then Redirect. URL is the service's address,
such as http://127.0.0.1:8470; without --service it is taken from the environment variable
TESSALY_SERVICE_URL. The service is tessaly-service of the Linux build, started with
"--port 0 --auto-continue 3" (its first line names the port it listens on). The target page
continues by itself after a few seconds, which leads to the page that closes the window;
--close-after (default 60) closes it through the host's window message list should that not happen.
Finally it removes the temporary folder.
Exit code 0 when every step did what it should, 1 otherwise, 2 when no service address is given.
)";

constexpr const wchar_t* kServiceVariable = L"TESSALY_SERVICE_URL";

// A service that runs elsewhere: the demo only uses it.
class GivenService : public DemoService {
public:
    explicit GivenService(std::string url) : m_url(std::move(url)) {}
    std::string BaseUrl() const override { return m_url; }
    std::string Opening() const override { return "signing in against the stand-in service at " + m_url; }
    std::string Closing() const override { return "removing the private copy"; }

private:
    std::string m_url;
};

std::string EnvironmentText(const wchar_t* name)
{
    const DWORD need = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (need == 0)
        return {};
    std::wstring value(need, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, value.data(), need);
    value.resize(length < need ? length : 0);
    return win32::Utf8FromWide(value);
}

bool IsWebAddress(const std::string& url)
{
    for (const std::string scheme : {"http://", "https://"})
        if (url.size() > scheme.size() && url.compare(0, scheme.size(), scheme) == 0)
            return true;
    return false;
}

}  // namespace

const char* DemoUsage() { return kDemoUsage; }

bool TakeDemoServiceOptions(ArgList& args, std::string& serviceUrl, std::string& problem)
{
    bool missing = false;
    const auto given = args.TakeOption("--service", missing);
    if (missing) {
        problem = "--service needs the service's address, such as http://127.0.0.1:8470";
        return false;
    }
    std::string url = given ? *given : EnvironmentText(kServiceVariable);
    if (url.empty()) {
        problem = "the demo needs the stand-in service's address: give --service URL or set TESSALY_SERVICE_URL";
        return false;
    }
    while (url.size() > 1 && url.back() == '/')
        url.pop_back();
    if (!IsWebAddress(url)) {
        problem = "the service's address is not an http:// or https:// address: " + url;
        return false;
    }
    serviceUrl = url;
    return true;
}

void PrepareDemoDisplay(const HostOptions&, const std::vector<std::string>&) {}

std::unique_ptr<DemoService> OpenDemoService(const std::string& serviceUrl, std::string&)
{
    return std::make_unique<GivenService>(serviceUrl);
}

std::string NoWindowHint() { return {}; }

}  // namespace tessaly::host
