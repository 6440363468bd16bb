#pragma once
// Shared by the fake companion libraries: appends one line per event to the file named by
// FAKE_LOGIN_LOG (nothing when it is unset), so the record survives the library being unloaded.
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fake {

inline void Record(const std::string& line)
{
    const char* path = std::getenv("FAKE_LOGIN_LOG");
    if (!path || !*path)
        return;
    if (FILE* f = std::fopen(path, "ab")) {  // binary: one LF per line on every system
        std::fputs(line.c_str(), f);
        std::fputc('\n', f);
        std::fclose(f);
    }
}

inline std::string Hex(const unsigned char* data, long length)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (long i = 0; i < length; ++i) {
        out.push_back(digits[data[i] >> 4]);
        out.push_back(digits[data[i] & 15]);
    }
    return out;
}

inline const char* Env(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

}  // namespace fake
