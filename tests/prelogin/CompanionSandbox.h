#pragma once
// A private module folder for one test: companion libraries copied in under the names the library
// looks for, a Config/ folder, and a private temporary folder (TMPDIR) for reply files. The library's
// folder lookups are redirected here while the sandbox lives.
#include <filesystem>
#include <string>
#include <vector>

#include "common/ScopedEnv.h"
#include "common/TempDir.h"
#include "platform/DynamicLibrary.h"

namespace tessaly::test {

class CompanionSandbox {
public:
    CompanionSandbox();
    ~CompanionSandbox();
    CompanionSandbox(const CompanionSandbox&) = delete;
    CompanionSandbox& operator=(const CompanionSandbox&) = delete;

    // Copies `built` in as `name` and keeps that copy loaded until the sandbox ends, so a fake's state
    // survives the code under test loading and freeing it. Returns the export `controlExport`.
    void* Install(const std::filesystem::path& built, const std::string& name, const char* controlExport = nullptr);

    // An export of any library installed so far.
    void* Export(const char* name) const;

    void WriteConfig(const std::string& fileName, const std::string& text) const;
    std::string ReadConfig(const std::string& fileName) const;

    const std::filesystem::path& Folder() const { return m_root.path(); }
    std::filesystem::path TempFolder() const { return Folder() / "tmp"; }
    bool TempFolderEmpty() const { return std::filesystem::is_empty(TempFolder()); }

private:
    TempDir m_root;
    ScopedEnv m_tmpdir{system::kTempFolderVariable, TempFolder().string()};
    std::vector<platform::LibraryHandle> m_loaded;
};

// A fake library built by the test suite.
std::filesystem::path FakeLibrary(const char* fileName);

}  // namespace tessaly::test
