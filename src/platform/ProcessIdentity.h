#pragma once
// Who this process is, in a form that outlives the reuse of its process id.
#include <cstdint>
#include <string_view>

namespace tessaly::platform {

struct ProcessIdentity {
    std::uint64_t pid = 0;
    // When the process started: clock ticks since boot on Linux (field 22 of /proc/<pid>/stat), the
    // creation FILETIME on Windows; 0 when unknown.
    std::uint64_t startTime = 0;
    bool operator==(const ProcessIdentity&) const = default;
};

// This process's id and start time. A start time of 0 means it could not be read.
ProcessIdentity OwnProcessIdentity() noexcept;

}  // namespace tessaly::platform
