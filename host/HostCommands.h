#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaly::host {

// Exit codes of tessaly-host.
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitRefused = 3 };

struct HostOptions {
    std::string libraryPath;  // the library to load (UTF-8)
};

int RunPreLoginCommand(const HostOptions& options, std::vector<std::string> words);
int RunRedirectCommand(const HostOptions& options, std::vector<std::string> words);
int RunEncryptCommand(const HostOptions& options, std::vector<std::string> words);
int RunDemoCommand(const HostOptions& options, std::vector<std::string> words);

// Parses a whole number of seconds in 0..86400.
bool ParseSeconds(const std::string& text, int& seconds);

// A help text with this system's names put in for {library}, {cipher}, {loader}, {whereabouts}
// and {demo} (see SystemNames).
std::string WithSystemNames(std::string_view text);

}  // namespace tessaly::host
