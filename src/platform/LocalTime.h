#pragma once
// Calendar time for log lines.
#include <cstdint>
#include <string>

namespace tessaly::platform {

// Seconds since the epoch.
std::int64_t CurrentTimeSeconds();

// `seconds` as local time "YYYY-MM-DD HH:MM:SS"; empty when it cannot be converted.
std::string FormatLocalTime(std::int64_t seconds);

}  // namespace tessaly::platform
