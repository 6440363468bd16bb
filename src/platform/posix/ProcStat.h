#pragma once
// Reading /proc/<pid>/stat, open to tests.
#include <cstdint>
#include <string_view>

namespace tessaly::platform {

// The start time (field 22) of a /proc/<pid>/stat text; 0 when the text holds none.
std::uint64_t StartTimeFromStat(std::string_view statText) noexcept;

}  // namespace tessaly::platform
