#pragma once
// A settings store with the tracing switch on, and a trace log pointed into a scratch folder.
#include <string>
#include <vector>

#include "common/ScopedEnv.h"
#include "common/TempDir.h"
#include "common/TracingStore.h"
#include "support/CLogTrace.h"

namespace tessaly::test {

// Lines of a text file without their line feeds.
inline std::vector<std::string> Lines(const std::string& path)
{
    std::vector<std::string> lines;
    std::string text = ReadFile(path);
    for (std::size_t start = 0; start < text.size();) {
        const auto end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

// The message part of a trace line (after the five spaces that follow the time stamp).
inline std::string MessageOf(const std::string& line)
{
    const auto at = line.find("]     ");
    return at == std::string::npos ? std::string() : line.substr(at + 6);
}

// Points a log object at <dir>/UILogTrace.txt with tracing switched on through the settings store.
inline void EnableTracing(CLogTrace& log, const TempDir& dir, std::uint32_t maxSize = 0xA00000, int levelMask = -1)
{
    system::ScopedSettingsStore store(dir.path(), kDebugOn);
    log.Init(W(dir.file("UILogTrace.txt")), levelMask, maxSize);
}

}  // namespace tessaly::test
