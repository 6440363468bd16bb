#include "support/CLogTrace.h"

#include <atomic>

#include "platform/AppendFile.h"
#include "platform/FilePaths.h"
#include "platform/LocalTime.h"
#include "platform/Threads.h"
#include "support/PathHelpers.h"
#include "support/WideText.h"

namespace tessaly {

namespace {

// Holds the library's log without ever destroying it; at the library's shut-down only Close runs.
union TraceLogStorage {
    TraceLogStorage() : log() {}
    ~TraceLogStorage() { log.Close(); }
    CLogTrace log;
};

// Built before the application object (201) and the load hook (202), so InitInstance finds it ready,
// and so closed after every other static object of the library is gone.
TraceLogStorage s_traceLog __attribute__((init_priority(200)));

}  // namespace

constinit CLogTrace& g_LogTrace = s_traceLog.log;

namespace {

constexpr std::size_t kMessageChars = 1024;  // the message is cut to kMessageChars - 1
constexpr std::u16string_view kRegistryKey = u"SOFTWARE\\pelmorix\\Orvane3.0";
constexpr std::u16string_view kRootKey = u"SOFTWARE";
constexpr int kRegistryBufferBytes = 1024;
constexpr int kDumpLevel = 4;

// Numbers the binary dumps; only grows.
std::atomic<int> s_nDumpCount {0};

std::string ZeroPadded(long long value, std::size_t width)
{
    std::string digits = ToUtf8(ToWide(value < 0 ? -value : value));
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

// Opens the log for appending. A file already over `limit` is removed first, so the caller's record
// starts a new file; no backup is kept.
platform::AppendFile OpenWithLimit(const std::string& path, std::uint32_t limit)
{
    platform::AppendFile file = platform::AppendFile::Open(path);
    if (!file.valid())
        return file;
    const auto size = file.Size();
    if (size && *size > limit) {
        file.Close();
        platform::RemoveEntry(path);
        file = platform::AppendFile::Open(path);
    }
    return file;
}

bool SwitchIsOn(std::u16string_view key, std::u16string_view name)
{
    std::u16string value;
    ReadRegString(std::u16string(key), std::u16string(name), kRegistryBufferBytes, &value);
    return value == u"1";
}

}  // namespace

CLogTrace::CLogTrace() : m_nMaxSize(0xA00000), m_nLevelMask(-1), m_bEnabled(0) {}

CLogTrace::~CLogTrace() = default;

void CLogTrace::Close() noexcept
{
    std::lock_guard lock(m_writeLock);
    m_bEnabled.store(0);
    std::u16string().swap(m_strFileName);
}

void CLogTrace::Init(std::u16string fileName, int levelMask, std::uint32_t maxSize)
{
    std::lock_guard lock(m_writeLock);
    m_strFileName = std::move(fileName);
    m_nLevelMask = levelMask;
    m_nMaxSize = maxSize;
    if (SwitchIsOn(kRegistryKey, u"Debug"))
        m_bEnabled = 1;
    if (SwitchIsOn(kRootKey, u"QuillonDebugFlag"))
        m_bEnabled = 1;
}

void CLogTrace::TraceArgs(int level, std::u16string_view format, std::span<const FormatArg> args) noexcept
{
    if (!Wants(level))
        return;
    try {
        WriteLine(format, args);
    } catch (...) {
        // Out of memory while building the line: the line is lost, the caller carries on.
    }
}

void CLogTrace::WriteLine(std::u16string_view format, std::span<const FormatArg> args)
{
    std::u16string message = SafeFormat(format, args);
    if (message.size() > kMessageChars - 1)
        message.resize(kMessageChars - 1);
    std::lock_guard lock(m_writeLock);
    if (m_bEnabled.load() == 0)
        return;
    // Only absolute names: a log must never land in whatever folder the host happens to run in.
    if (!platform::IsAbsolutePath(m_strFileName))
        return;
    const std::string path = ToUtf8(m_strFileName);
    platform::AppendFile file = OpenWithLimit(path, m_nMaxSize);
    if (!file.valid())
        return;
    const std::int64_t now = platform::CurrentTimeSeconds();
    std::string line = "TID:" + ZeroPadded(platform::CurrentThreadId(), 6) + " [" + platform::FormatLocalTime(now) +
                       "." + ZeroPadded(((now % 1000) + 1000) % 1000, 3) + "]     " + ToUtf8(message) + "\n";
    file.Append(line);
}

void CLogTrace::TraceBinary(std::u16string_view tag, int length, const void* data) noexcept
{
    if (m_bEnabled == 0 || (m_nLevelMask & kDumpLevel) == 0)
        return;
    const int dumpNumber = ++s_nDumpCount;
    try {
        WriteDump(tag, length, data, dumpNumber);
    } catch (...) {
        // As for text lines: a dump that cannot be made is dropped.
    }
}

void CLogTrace::WriteDump(std::u16string_view tag, int length, const void* data, int dumpNumber)
{
    std::lock_guard lock(m_writeLock);
    if (m_bEnabled.load() == 0 || !platform::IsAbsolutePath(m_strFileName))
        return;
    platform::AppendFile dump = OpenWithLimit(ToUtf8(m_strFileName) + ".Dat", m_nMaxSize);
    if (!dump.valid())
        return;
    const std::uint32_t tick = platform::TickCount();
    Trace(kDumpLevel, u"%s\uFF0CID:%d%d\uFF0CBuffer Add is 0X%X, Buffer Len is 0X%X", tag, tick, dumpNumber, data,
          static_cast<std::uint32_t>(length));
    if (!data || length <= 0)
        return;
    // One record in one write: "Write binary data，ID:<tick><number>::::" + the bytes + 16 '=' CR LF.
    std::string record = "Write binary data\xEF\xBC\x8CID:" + ToUtf8(ToWide(tick)) + ToUtf8(ToWide(dumpNumber)) + "::::";
    record.append(static_cast<const char*>(data), static_cast<std::size_t>(length));
    record += "================\r\n";
    dump.Append(record);
}

}  // namespace tessaly
