#pragma once
// A snapshot of what this process holds: resident memory, open descriptors and
// mapped files. Comparing two snapshots shows what a run of calls left behind.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>
#include <thread>

#include "common/Polling.h"

namespace tessaly::test {

// Bytes handed out by malloc and not yet freed.
inline std::size_t HeapInUse() { return ::mallinfo2().uordblks; }

struct ProcessCensus {
    std::size_t residentKiB = 0;
    std::size_t openFds = 0;
    std::set<std::string> mappedFiles;

    static ProcessCensus Take()
    {
        ProcessCensus c;
        std::ifstream statm("/proc/self/statm");
        std::size_t size = 0, resident = 0;
        statm >> size >> resident;
        c.residentKiB = resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) / 1024;
        for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
            ++c.openFds;
        std::ifstream maps("/proc/self/maps");
        for (std::string line; std::getline(maps, line);) {
            const std::size_t slash = line.find('/');
            if (slash != std::string::npos)
                c.mappedFiles.insert(line.substr(slash));
        }
        return c;
    }
};

// Files mapped in `after` but not in `before`, one per line.
inline std::string NewMappings(const ProcessCensus& before, const ProcessCensus& after)
{
    std::ostringstream out;
    for (const auto& file : after.mappedFiles)
        if (!before.mappedFiles.count(file))
            out << file << '\n';
    return out.str();
}

// "<fd> <target>" for each open descriptor whose target starts with none of `skipped`.
inline std::vector<std::string> OpenDescriptors(std::initializer_list<std::string_view> skipped = {})
{
    std::vector<std::string> out;
    std::error_code ignored;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd", ignored)) {
        const std::string target = std::filesystem::read_symlink(fd.path(), ignored).string();
        if (ignored)
            continue;  // closed meanwhile
        bool skip = false;
        for (std::string_view prefix : skipped)
            skip = skip || target.starts_with(prefix);
        if (!skip)
            out.push_back(fd.path().filename().string() + " " + target);
    }
    return out;
}

// The entries of `after` (as OpenDescriptors lists them) that `before` does not hold.
inline std::vector<std::string> NewDescriptors(const std::vector<std::string>& before, const std::vector<std::string>& after)
{
    std::vector<std::string> out;
    for (const std::string& fd : after)
        if (std::find(before.begin(), before.end(), fd) == before.end())
            out.push_back(fd);
    return out;
}

// Threads of this process.
inline int ThreadCount()
{
    int n = 0;
    std::error_code ignored;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored))
        ++n;
    return n;
}

// The names of this process's threads (as /proc/self/task/*/comm shows them), one per thread.
inline std::multiset<std::string> ThreadNames()
{
    std::multiset<std::string> names;
    std::error_code ignored;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ignored)) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        if (std::getline(comm, line))
            names.insert(line);
    }
    return names;
}

// Threads of this process that carry `name`.
inline int ThreadsNamed(const std::string& name) { return static_cast<int>(ThreadNames().count(name)); }

// "name ×n" for each thread name that `after` holds more often than `before`.
inline std::string NewThreads(const std::multiset<std::string>& before, const std::multiset<std::string>& after)
{
    std::string out;
    for (auto it = after.begin(); it != after.end(); it = after.upper_bound(*it))
        if (after.count(*it) > before.count(*it))
            out += *it + " +" + std::to_string(after.count(*it) - before.count(*it)) + "\n";
    return out;
}


}  // namespace tessaly::test
