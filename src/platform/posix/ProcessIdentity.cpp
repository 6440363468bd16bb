#include "platform/ProcessIdentity.h"
#include "platform/posix/ProcStat.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <new>
#include <string>

#include "platform/posix/UniqueFd.h"

namespace tessaly::platform {

std::uint64_t StartTimeFromStat(std::string_view statText) noexcept
{
    // The command name (field 2) is in parentheses and may itself hold spaces and ')', so fields are
    // counted from the last ')'.
    const std::size_t close = statText.rfind(')');
    if (close == std::string_view::npos)
        return 0;
    std::size_t pos = close + 1;
    for (int field = 2; field < 22; ++field) {
        pos = statText.find(' ', pos);
        if (pos == std::string_view::npos)
            return 0;
        ++pos;
    }
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(statText.data() + pos, statText.data() + statText.size(), value);
    return error == std::errc() && (end == statText.data() + statText.size() || *end == ' ') ? value : 0;
}

ProcessIdentity OwnProcessIdentity() noexcept
{
    ProcessIdentity identity;
    identity.pid = static_cast<std::uint64_t>(::getpid());
    try {
        posix::UniqueFd fd(::open("/proc/self/stat", O_RDONLY | O_CLOEXEC));
        std::string text;
        if (fd.valid() && posix::ReadAll(fd.get(), 64u << 10, text))
            identity.startTime = StartTimeFromStat(text);
    } catch (const std::bad_alloc&) {
        // Only the text can fail. The start time stays unknown, and an unknown identity matches no block.
    }
    return identity;
}

}  // namespace tessaly::platform
