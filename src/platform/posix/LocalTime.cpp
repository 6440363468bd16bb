#include "platform/LocalTime.h"

#include <ctime>

namespace tessaly::platform {

std::int64_t CurrentTimeSeconds()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}

std::string FormatLocalTime(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts {};
    if (::localtime_r(&t, &parts) == nullptr)
        return {};
    char text[128];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    return std::string(text, n);
}

}  // namespace tessaly::platform
