#pragma once
// The few system facilities the shared test kit needs, Linux side.
#include <pthread.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tessaly::test::system {

inline constexpr bool kWindows = false;
// Whether the Windows programs run under Wine, whose system libraries fall short of Windows' in places.
inline bool UnderWine() { return false; }
// The file name suffix of a shared library.
inline constexpr const char* kLibrarySuffix = ".so";

inline void SetEnv(const char* name, const std::string& value) { ::setenv(name, value.c_str(), 1); }
// The variable that names the temporary folder.
inline constexpr const char* kTempFolderVariable = "TMPDIR";

// The calling thread's name as tools show it.
inline std::string CurrentThreadName()
{
    char name[16] = {};
    ::pthread_getname_np(::pthread_self(), name, sizeof name);
    return name;
}

// Makes a FIFO at `path`; false where the system has none.
inline bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

// Whether a folder can be made read-only for this process (never for root).
inline bool CanMakeFolderReadOnly() { return ::geteuid() != 0; }

inline void UnsetEnv(const char* name) { ::unsetenv(name); }

// Narrow text as the library hands it to the in-house libraries: UTF-8.
inline std::string EdgeText(std::u16string_view text) { return std::filesystem::path(text).string(); }

// The settings store holds what `regText` (REGEDIT4 text) says while this object lives: here a .reg
// file in `folder` named by TESSALY_REGISTRY; without text, a store file that does not exist.
class ScopedSettingsStore {
public:
    ScopedSettingsStore(const std::filesystem::path& folder, std::string_view regText)
        : m_path((folder / "settings.reg").string())
    {
        std::ofstream(m_path, std::ios::binary | std::ios::trunc) << regText;
        Point();
    }
    explicit ScopedSettingsStore(const std::filesystem::path& folder) : m_path((folder / "absent.reg").string())
    {
        Point();
    }
    ~ScopedSettingsStore()
    {
        if (m_hadOld)
            SetEnv("TESSALY_REGISTRY", m_old);
        else
            UnsetEnv("TESSALY_REGISTRY");
    }
    ScopedSettingsStore(const ScopedSettingsStore&) = delete;
    ScopedSettingsStore& operator=(const ScopedSettingsStore&) = delete;

    // Where a child process finds the same store (its environment variable's value).
    const std::string& path() const { return m_path; }

private:
    void Point()
    {
        if (const char* old = std::getenv("TESSALY_REGISTRY")) {
            m_hadOld = true;
            m_old = old;
        }
        SetEnv("TESSALY_REGISTRY", m_path);
    }

    std::string m_path;
    std::string m_old;
    bool m_hadOld = false;
};

}  // namespace tessaly::test::system
