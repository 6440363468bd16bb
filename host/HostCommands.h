#pragma once

#include <string>
#include <vector>

namespace tessaly::host {

// Exit codes of tessaly-host.
enum ExitCode : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitRefused = 3 };

struct HostOptions {
    std::string libraryPath;  // libtessaly.so to load
};

int RunPreLoginCommand(const HostOptions& options, std::vector<std::string> words);
int RunRedirectCommand(const HostOptions& options, std::vector<std::string> words);
int RunEncryptCommand(const HostOptions& options, std::vector<std::string> words);
int RunDemoCommand(const HostOptions& options, std::vector<std::string> words, char** argv);

// Parses a whole number of seconds in 0..86400.
bool ParseSeconds(const std::string& text, int& seconds);

}  // namespace tessaly::host
