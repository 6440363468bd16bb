#pragma once
// A file opened for appending whole records: created owner-only (0600 on Linux) when missing, never
// opened through a symbolic link (a reparse point on Windows), each Append one write at the end of
// the file.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::platform {

class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile();
    AppendFile(AppendFile&& other) noexcept;
    AppendFile& operator=(AppendFile&& other) noexcept;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    // Opens or creates `path` (UTF-8). An invalid object when the folder is missing, the path is a
    // symbolic link or anything else prevents it.
    static AppendFile Open(const std::string& path);

    bool valid() const { return fd_ >= 0; }

    // Current length of the open file; nothing when it cannot be asked.
    std::optional<std::uint64_t> Size() const;

    // Writes all bytes in one call at the end of the file. False when they were not all written
    // (disk full, read-only medium).
    bool Append(std::string_view bytes) const;

    void Close() noexcept;

private:
    // The system's handle of the open file: a descriptor on Linux, a HANDLE on Windows.
    explicit AppendFile(std::intptr_t fd) : fd_(fd) {}
    std::intptr_t fd_ = -1;
};

// Removes the directory entry `path` (a symbolic link itself, never its target). False on failure.
bool RemoveEntry(const std::string& path);

}  // namespace tessaly::platform
