#pragma once
// The library's one diagnostic log: time-stamped, thread-tagged text lines in one file and raw data
// dumps in a companion ".Dat" file. Off unless a settings-store switch turns it on.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "support/SafeFormat.h"

namespace tessaly {

class CLogTrace {
public:
    CLogTrace();
    virtual ~CLogTrace();

    // Stores the file name, level mask and size limit, then reads the two tracing switches.
    void Init(std::u16string fileName, int levelMask, std::uint32_t maxSize);

    // Writes one line when enabled and `level & mask` is non-zero. The format follows SafeFormat.
    // Never throws: a line that cannot be made (memory exhausted) is dropped like one that cannot be
    // written, so tracing is safe from destructors and other no-throw paths.
    template <typename... Args>
    void Trace(int level, std::u16string_view format, const Args&... args) noexcept
    {
        if (!Wants(level))
            return;
        const FormatArg list[] = {FormatArg(args)..., FormatArg(0)};
        TraceArgs(level, format, std::span<const FormatArg>(list, sizeof...(Args)));
    }

    void TraceArgs(int level, std::u16string_view format, std::span<const FormatArg> args) noexcept;

    // Writes a header line to the text log and, for non-null data with a positive length, one record
    // to the dump file.
    void TraceBinary(std::u16string_view tag, int length, const void* data) noexcept;

    bool Wants(int level) const { return m_bEnabled.load() != 0 && (level & m_nLevelMask) != 0; }

    // Switches the log off for good and lets go of the file name. A line traced afterwards, from any
    // thread, is dropped; one being written meanwhile is finished first.
    void Close() noexcept;

    // Accessors for tests and the module.
    const std::u16string& FileName() const { return m_strFileName; }
    bool Enabled() const { return m_bEnabled.load() != 0; }
    void SetEnabledForTesting(bool on) { m_bEnabled.store(on ? 1 : 0); }

private:
    void WriteLine(std::u16string_view format, std::span<const FormatArg> args);
    void WriteDump(std::u16string_view tag, int length, const void* data, int dumpNumber);

    std::u16string m_strFileName;
    std::uint32_t m_nMaxSize;
    int m_nLevelMask;
    std::atomic<int> m_bEnabled;
    // Held from opening a file to closing it, so that a thread that finds the file over the limit
    // and replaces it never deletes a line another thread has just written, and a line is never
    // written into a file that has just been deleted. Recursive: a dump writes its header line.
    std::recursive_mutex m_writeLock;
};

// The library's log. It is never destroyed: a worker thread that outlives the host's exit() may
// still trace, and then finds a closed log (the library's shut-down calls Close) instead of freed
// memory.
extern CLogTrace& g_LogTrace;

}  // namespace tessaly
