#pragma once
// A private module folder for one test: fake (or real) companion libraries copied in under the names
// the library looks for, a Config/ folder, and a private temporary folder for reply files. The
// library's folder lookups are redirected here for the sandbox's lifetime.
#include <filesystem>
#include <string>
#include <vector>

#include "platform/DynamicLibrary.h"

namespace tessaly::test {

class CompanionSandbox {
public:
    CompanionSandbox();
    ~CompanionSandbox();
    CompanionSandbox(const CompanionSandbox&) = delete;
    CompanionSandbox& operator=(const CompanionSandbox&) = delete;

    // Copies `builtLibrary` into the sandbox as `name` (for example "Parvex.so").
    void Install(const std::filesystem::path& builtLibrary, const std::string& name);

    // Loads the installed copy and keeps it loaded until the sandbox ends, so the state a fake keeps
    // survives the code under test loading and freeing it. Returns the export `exportName`.
    void* Control(const std::string& name, const char* exportName);

    void WriteConfig(const std::string& fileName, const std::string& text) const;
    std::string ReadConfig(const std::string& fileName) const;
    bool ConfigExists(const std::string& fileName) const;

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path ConfigFolder() const { return m_folder / "Config"; }
    std::filesystem::path TempFolder() const { return m_folder / "tmp"; }

    // Names left in the temporary folder (reply files that were not removed).
    std::vector<std::string> TempLeftovers() const;

private:
    std::filesystem::path m_folder;
    std::string m_savedTmpDir;
    bool m_hadTmpDir = false;
    std::vector<platform::LibraryHandle> m_loaded;
};

// Where the test suite's fake libraries were built.
std::filesystem::path FakeLibrary(const char* fileName);

// Polls `done` for up to `seconds`; true when it became true.
template <typename Predicate>
bool WaitFor(Predicate done, double seconds = 10.0);

}  // namespace tessaly::test

#include "CompanionSandbox.inl"
