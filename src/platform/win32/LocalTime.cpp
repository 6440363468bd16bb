#include "platform/LocalTime.h"

#include <ctime>

namespace tessaly::platform {

std::int64_t CurrentTimeSeconds()
{
    return static_cast<std::int64_t>(::_time64(nullptr));
}

std::string FormatLocalTime(std::int64_t seconds)
{
    const __time64_t t = seconds;
    std::tm local {};
    if (::_localtime64_s(&local, &t) != 0)
        return {};
    char text[32] = {};
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return {};
    return text;
}

}  // namespace tessaly::platform
