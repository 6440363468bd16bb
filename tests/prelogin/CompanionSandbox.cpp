#include "CompanionSandbox.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/ModulePaths.h"
#include "support/WideText.h"

namespace tessaly::test {

namespace fs = std::filesystem;

CompanionSandbox::CompanionSandbox()
{
    std::string pattern = (fs::temp_directory_path() / "tessaly-pre-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a sandbox folder");
    m_folder = pattern;
    fs::create_directory(m_folder / "Config");
    fs::create_directory(TempFolder());
    const std::u16string folder = FromUtf8(m_folder.string() + "/");
    platform::OverrideModuleFolders(folder, folder);
    ::setenv("TMPDIR", TempFolder().c_str(), 1);
}

CompanionSandbox::~CompanionSandbox()
{
    for (auto handle : m_loaded)
        platform::UnloadLibrary(handle);
    platform::OverrideModuleFolders(u"", u"");
    ::unsetenv("TMPDIR");
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

void* CompanionSandbox::Install(const fs::path& built, const std::string& name, const char* controlExport)
{
    fs::copy_file(built, m_folder / name);
    std::string error;
    auto handle = platform::LoadLibraryByPath((m_folder / name).string(), &error);
    if (!handle)
        throw std::runtime_error("cannot load " + name + ": " + error);
    m_loaded.push_back(handle);
    return controlExport ? platform::FindExport(handle, controlExport) : nullptr;
}

void* CompanionSandbox::Export(const char* name) const
{
    for (auto handle : m_loaded)
        if (void* found = platform::FindExport(handle, name))
            return found;
    return nullptr;
}

void CompanionSandbox::WriteConfig(const std::string& fileName, const std::string& text) const
{
    std::ofstream(m_folder / "Config" / fileName, std::ios::binary) << text;
}

std::string CompanionSandbox::ReadConfig(const std::string& fileName) const
{
    std::ostringstream text;
    text << std::ifstream(m_folder / "Config" / fileName, std::ios::binary).rdbuf();
    return text.str();
}

fs::path FakeLibrary(const char* fileName)
{
    return fs::path(TESSALY_TEST_BIN_DIR) / "fakes" / fileName;
}

}  // namespace tessaly::test
