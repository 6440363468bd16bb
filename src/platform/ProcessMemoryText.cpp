// The maps-file parser behind IsWritableRange, kept free of system calls so tests can feed it text.
#include <cstdint>
#include <string_view>

#include "platform/ProcessMemory.h"

namespace tessaly::platform {

namespace {

bool ParseHex(std::string_view text, std::uintptr_t& value)
{
    if (text.empty() || text.size() > sizeof(std::uintptr_t) * 2)
        return false;
    value = 0;
    for (char c : text) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        value = (value << 4) | digit;
    }
    return true;
}

struct Mapping {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    bool readWrite = false;
};

// "start-end perms offset dev inode [path]"; false for a line of another shape.
bool ParseLine(std::string_view line, Mapping& out)
{
    const auto dash = line.find('-');
    const auto space = line.find(' ');
    if (dash == std::string_view::npos || space == std::string_view::npos || dash > space)
        return false;
    if (!ParseHex(line.substr(0, dash), out.start) || !ParseHex(line.substr(dash + 1, space - dash - 1), out.end))
        return false;
    const std::string_view perms = line.substr(space + 1, 4);
    if (perms.size() < 4 || out.end <= out.start)
        return false;
    out.readWrite = perms[0] == 'r' && perms[1] == 'w';
    return true;
}

}  // namespace

bool IsWritableRangeIn(std::string_view mapsText, const void* address, std::size_t length)
{
    auto begin = reinterpret_cast<std::uintptr_t>(address);
    if (begin == 0 || length == 0 || begin + length < begin)
        return false;
    const std::uintptr_t end = begin + length;
    // Mappings are listed in ascending order; the range may run across adjacent writable ones.
    while (!mapsText.empty()) {
        const auto newline = mapsText.find('\n');
        const std::string_view line = mapsText.substr(0, newline);
        mapsText = newline == std::string_view::npos ? std::string_view() : mapsText.substr(newline + 1);
        Mapping m;
        if (!ParseLine(line, m) || m.end <= begin || m.start > begin)
            continue;
        if (!m.readWrite)
            return false;
        if (end <= m.end)
            return true;
        begin = m.end;
    }
    return false;
}

}  // namespace tessaly::platform
