// tessaly-service: a stand-in for the operator's web services on the loopback interface.
// This is the only translation unit that includes the (large, header-only) HTTP server.

#include "UserTable.h"

#include <httplib.h>

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

namespace {

using tessaly::service::UserTable;

constexpr const char* kHost = "127.0.0.1";
constexpr const char* kStartMarker = "<<<617458A4-8957-4a97-A646-AACC83D5DD38";
constexpr const char* kEndMarker = "617458A4-8957-4a97-A646-AACC83D5DD38>>>";
constexpr long kMaxSlowMs = 60000;
constexpr long kMaxBigBytes = 16L * 1024 * 1024;

constexpr const char* kUsage = R"(usage: tessaly-service [options]

A stand-in for the operator's web services, listening on 127.0.0.1. The first line on standard
output is "listening on 127.0.0.1:<port>"; each request is logged on one line to standard error.
SIGINT or SIGTERM stops it cleanly.

options:
  --port N             port to listen on (default 8470; 0 picks a free one)
  --users FILE         accounts file (default: tessaly-service.users beside the program, else
                       ../share/tessaly/tessaly-service.users from the program's folder)
  --target PATH        path the identity exchange answers with (default /welcome)
  --auto-continue S    the welcome page follows its own button after S seconds (default: never)
  --help               this text

endpoints:
  GET  /login?user=&pwd=&ip=  the login reply code as the whole text/plain body: 0 accepted,
                              -101 unknown user, -102 wrong password, -103 ambiguous user,
                              -104 user not in use, -105 user not active (or the code:N of the user)
  POST /prelogin/exchange     form fields PCID, OEMCode, ChanCode; answers http://127.0.0.1:<port><target>
                              (400 when the PCID field is missing)
  GET  /welcome               the target page: a button leading to /done
  GET  /done                  a page carrying both reply markers inside an HTML comment in its body
  GET  /welcome-head          a page carrying both markers in its head only
for tests:
  GET|POST /slow?ms=N         answers "0" after N milliseconds (at most 60000)
  GET  /big?bytes=N           a body of N digits (at most 16 MiB)
  GET|POST /status/N          answers HTTP status N with a short body
  GET  /reply?text=T          answers T verbatim
  GET|POST /moved             a 302 redirect to /welcome
  POST /echo                  answers the decoded form fields, one "name=value" line each, in order
                              (415 unless the body is application/x-www-form-urlencoded)
)";

struct Options {
    int port = 8470;
    std::string usersPath;
    std::string target = "/welcome";
    int autoContinueSeconds = 0;
};

std::optional<long> ToNumber(const std::string& text)
{
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::string ProgramFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// The accounts file beside the program (a build tree), else the installed one in
// ../share/tessaly/ next to the program's folder.
std::string DefaultUsersPath()
{
    const std::filesystem::path folder = ProgramFolder();
    std::error_code ec;
    if (std::filesystem::exists(folder / "tessaly-service.users", ec))
        return (folder / "tessaly-service.users").string();
    return (folder.parent_path() / "share" / "tessaly" / "tessaly-service.users").string();
}

// Returns nullopt after printing a message; `exitCode` then says how to leave.
std::optional<Options> ParseArguments(int argc, char** argv, int& exitCode)
{
    Options options;
    options.usersPath = DefaultUsersPath();
    exitCode = 2;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            exitCode = 0;
            return std::nullopt;
        }
        if (i + 1 >= argc) {
            std::cerr << "tessaly-service: unknown option or missing value: " << arg << "\n(--help lists the options)\n";
            return std::nullopt;
        }
        const std::string value = argv[++i];
        const auto number = ToNumber(value);
        if (arg == "--port" && number && *number >= 0 && *number <= 65535) {
            options.port = static_cast<int>(*number);
        } else if (arg == "--users") {
            options.usersPath = value;
        } else if (arg == "--target" && !value.empty() && value.front() == '/') {
            options.target = value;
        } else if (arg == "--auto-continue" && number && *number >= 0 && *number <= 3600) {
            options.autoContinueSeconds = static_cast<int>(*number);
        } else {
            std::cerr << "tessaly-service: bad option or value: " << arg << ' ' << value
                      << "\n(--help lists the options)\n";
            return std::nullopt;
        }
    }
    return options;
}

std::string WelcomePage(int autoContinueSeconds)
{
    std::string page =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Welcome</title></head>\n"
        "<body style=\"font-family:sans-serif;text-align:center\">\n"
        "<h1>Welcome</h1>\n<p>Your device has been recognised. Press the button to finish signing in.</p>\n"
        "<p><a id=\"continue\" href=\"/done\"><button type=\"button\">Continue</button></a></p>\n";
    if (autoContinueSeconds > 0)
        page += "<script>setTimeout(function(){document.getElementById('continue').click();}, " +
                std::to_string(autoContinueSeconds * 1000) + ");</script>\n";
    return page + "</body></html>\n";
}

std::string DonePage()
{
    return std::string("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Done</title></head>\n<body>\n") +
           "<!-- " + kStartMarker + " signed-in " + kEndMarker + " -->\n" +
           "<p>All done. This window closes by itself.</p>\n</body></html>\n";
}

std::string HeadOnlyPage()
{
    return std::string("<!DOCTYPE html>\n<html><head><title>") + kStartMarker + " " + kEndMarker +
           "</title>\n<!-- " + kStartMarker + " " + kEndMarker + " -->\n</head>\n" +
           "<body><p>The markers of this page sit in its head only.</p></body></html>\n";
}

// One log line per request; the password of a login request is never written out.
void LogRequest(const httplib::Request& req, const httplib::Response& res)
{
    std::string query;
    for (const auto& [name, value] : req.params)
        query += (query.empty() ? "?" : "&") + name + "=" + (name == "pwd" ? std::string("***") : value);
    std::fprintf(stderr, "%s %s%s -> %d (%zu bytes)\n", req.method.c_str(), req.path.c_str(), query.c_str(),
                 res.status, res.body.size());
    std::fflush(stderr);
}

void AddLoginRoutes(httplib::Server& server, const UserTable& users)
{
    server.Get("/login", [&users](const httplib::Request& req, httplib::Response& res) {
        const int code = users.Check(req.get_param_value("user"), req.get_param_value("pwd"));
        res.set_content(std::to_string(code), "text/plain");
    });
}

void AddExchangeRoutes(httplib::Server& server, const Options& options, const int& port)
{
    server.Post("/prelogin/exchange", [&options, &port](const httplib::Request& req, httplib::Response& res) {
        if (!req.has_param("PCID")) {
            res.status = 400;
            res.set_content("missing PCID", "text/plain");
            return;
        }
        res.set_content("http://127.0.0.1:" + std::to_string(port) + options.target, "text/plain");
    });
    server.Get("/welcome", [&options](const httplib::Request&, httplib::Response& res) {
        res.set_content(WelcomePage(options.autoContinueSeconds), "text/html; charset=utf-8");
    });
    server.Get("/done", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(DonePage(), "text/html; charset=utf-8");
    });
    server.Get("/welcome-head", [](const httplib::Request&, httplib::Response& res) {
        res.set_content(HeadOnlyPage(), "text/html; charset=utf-8");
    });
}

// The failure helpers answer GET and POST alike, so both companions can be pointed at them.
void GetAndPost(httplib::Server& server, const std::string& pattern, const httplib::Server::Handler& handler)
{
    server.Get(pattern, handler);
    server.Post(pattern, handler);
}

void AddTestRoutes(httplib::Server& server)
{
    GetAndPost(server, "/slow", [](const httplib::Request& req, httplib::Response& res) {
        const long ms = std::clamp(ToNumber(req.get_param_value("ms")).value_or(1000), 0L, kMaxSlowMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        res.set_content("0", "text/plain");
    });
    server.Get("/big", [](const httplib::Request& req, httplib::Response& res) {
        const long bytes = std::clamp(ToNumber(req.get_param_value("bytes")).value_or(128), 0L, kMaxBigBytes);
        std::string body(static_cast<std::size_t>(bytes), '1');
        res.set_content(body, "text/plain");
    });
    GetAndPost(server, R"(/status/(\d{3}))", [](const httplib::Request& req, httplib::Response& res) {
        const int status = static_cast<int>(ToNumber(req.matches[1]).value_or(500));
        res.status = status >= 200 && status <= 599 ? status : 500;
        res.set_content("status " + std::to_string(res.status), "text/plain");
    });
    server.Get("/reply", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_param_value("text"), "text/plain");
    });
    GetAndPost(server, "/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/welcome"); });
    server.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
        if (req.get_header_value("Content-Type").rfind("application/x-www-form-urlencoded", 0) != 0) {
            res.status = 415;
            res.set_content("expected a form", "text/plain");
            return;
        }
        // Keep the order of the body: the server's parameter map is sorted by name.
        std::string lines;
        std::size_t at = 0;
        const std::string& body = req.body;
        while (at <= body.size() && !body.empty()) {
            const std::size_t end = std::min(body.find('&', at), body.size());
            const std::string pair = body.substr(at, end - at);
            const std::size_t eq = pair.find('=');
            lines += httplib::detail::decode_url(pair.substr(0, eq), true) + "=" +
                     (eq == std::string::npos ? "" : httplib::detail::decode_url(pair.substr(eq + 1), true)) + "\n";
            at = end + 1;
        }
        res.set_content(lines, "text/plain; charset=utf-8");
    });
}

// Waits for SIGINT/SIGTERM (blocked in every thread) and stops the server. A stop asked for before the
// server has begun to listen would be lost (the server only stops once it runs), so the watcher waits
// for it to run, or for the listening to have ended on its own.
std::thread StartSignalWatcher(httplib::Server& server, sigset_t signals, const std::atomic<bool>& listenEnded)
{
    return std::thread([&server, signals, &listenEnded] {
        int received = 0;
        sigwait(&signals, &received);
        while (!server.is_running() && !listenEnded)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        server.stop();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    int exitCode = 0;
    const auto options = ParseArguments(argc, argv, exitCode);
    if (!options)
        return exitCode;
    std::string error;
    const auto users = UserTable::Load(options->usersPath, error);
    if (!users) {
        std::cerr << "tessaly-service: " << error << '\n';
        return 1;
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    httplib::Server server;
    int port = options->port;
    AddLoginRoutes(server, *users);
    AddExchangeRoutes(server, *options, port);
    AddTestRoutes(server);
    server.set_logger(&LogRequest);

    port = options->port == 0 ? server.bind_to_any_port(kHost) : (server.bind_to_port(kHost, options->port) ? options->port : -1);
    if (port <= 0) {
        std::cerr << "tessaly-service: cannot listen on " << kHost << ':' << options->port << '\n';
        return 1;
    }
    std::cout << "listening on " << kHost << ':' << port << std::endl;

    std::atomic<bool> listenEnded{false};
    std::thread watcher = StartSignalWatcher(server, signals, listenEnded);
    const bool clean = server.listen_after_bind();
    listenEnded = true;
    // Wake the watcher if the server ended on its own, so it can be joined.
    kill(getpid(), SIGTERM);
    watcher.join();
    std::cerr << "tessaly-service: stopped\n";
    return clean ? 0 : 1;
}
