#pragma once
// Who this process is, in a form that outlives the reuse of its process id.
#include <cstdint>
#include <string_view>

namespace tessaly::platform {

struct ProcessIdentity {
    std::uint64_t pid = 0;
    std::uint64_t startTime = 0;  // clock ticks since boot; 0 when unknown
    bool operator==(const ProcessIdentity&) const = default;
};

// This process's id and start time. A start time of 0 means it could not be read.
ProcessIdentity OwnProcessIdentity() noexcept;

// The start time (field 22) of a /proc/<pid>/stat text; 0 when the text holds none.
std::uint64_t StartTimeFromStat(std::string_view statText) noexcept;

}  // namespace tessaly::platform
