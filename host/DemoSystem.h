#pragma once
// The demo's parts that depend on the system: where its stand-in service comes from and how it gets
// a display. The run itself (DemoRun.cpp) is the same on both systems.

#include "ArgList.h"
#include "HostCommands.h"

#include <memory>
#include <string>
#include <vector>

namespace tessaly::host {

// The stand-in service the demo signs in against, for as long as the object lives.
class DemoService {
public:
    virtual ~DemoService() = default;
    virtual std::string BaseUrl() const = 0;
    // What the demo says about the service as it starts, and at its end.
    virtual std::string Opening() const = 0;
    virtual std::string Closing() const = 0;
};

// The demo's help text on this system.
const char* DemoUsage();

// Takes this system's own demo options out of `args`; the service's address lands in `serviceUrl`
// (empty: the system's own way of getting a service). false, and `problem` says why, when they are
// malformed.
bool TakeDemoServiceOptions(ArgList& args, std::string& serviceUrl, std::string& problem);

// Called once the arguments are good: makes sure the demo has a display to show its window on.
// `words` are the demo's own arguments.
void PrepareDemoDisplay(const HostOptions& options, const std::vector<std::string>& words);

// The service for the run; nullptr, and `error` says why, when there is none.
std::unique_ptr<DemoService> OpenDemoService(const std::string& serviceUrl, std::string& error);

// Why Redirect could not make its window, as far as the host can tell (" (...)"), or empty.
std::string NoWindowHint();

}  // namespace tessaly::host
