#pragma once
// The library's one diagnostic log: time-stamped, thread-tagged text lines in one file and raw data
// dumps in a companion ".Dat" file. Off unless a settings-store switch turns it on.
#include <cstdint>
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

    bool Wants(int level) const { return m_bEnabled != 0 && (level & m_nLevelMask) != 0; }

    // Accessors for tests and the module.
    const std::u16string& FileName() const { return m_strFileName; }
    bool Enabled() const { return m_bEnabled != 0; }
    void SetEnabledForTesting(bool on) { m_bEnabled = on ? 1 : 0; }

private:
    void WriteLine(std::u16string_view format, std::span<const FormatArg> args) const;
    void WriteDump(std::u16string_view tag, int length, const void* data, int dumpNumber);

    std::u16string m_strFileName;
    std::uint32_t m_nMaxSize;
    int m_nLevelMask;
    int m_bEnabled;
};

extern CLogTrace g_LogTrace;

}  // namespace tessaly
