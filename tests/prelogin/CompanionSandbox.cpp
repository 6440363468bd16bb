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
    fs::create_directory(ConfigFolder());
    fs::create_directory(TempFolder());
    const std::u16string folder = FromUtf8(m_folder.string() + "/");
    platform::OverrideModuleFolders(folder, folder);
    if (const char* saved = std::getenv("TMPDIR")) {
        m_hadTmpDir = true;
        m_savedTmpDir = saved;
    }
    ::setenv("TMPDIR", TempFolder().c_str(), 1);
}

CompanionSandbox::~CompanionSandbox()
{
    for (auto handle : m_loaded)
        platform::UnloadLibrary(handle);
    platform::OverrideModuleFolders(u"", u"");
    if (m_hadTmpDir)
        ::setenv("TMPDIR", m_savedTmpDir.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    std::error_code ignored;
    fs::remove_all(m_folder, ignored);
}

void CompanionSandbox::Install(const fs::path& builtLibrary, const std::string& name)
{
    fs::copy_file(builtLibrary, m_folder / name, fs::copy_options::overwrite_existing);
}

void* CompanionSandbox::Control(const std::string& name, const char* exportName)
{
    std::string error;
    auto handle = platform::LoadLibraryByPath((m_folder / name).string(), &error);
    if (!handle)
        throw std::runtime_error("cannot load " + name + ": " + error);
    m_loaded.push_back(handle);
    return platform::FindExport(handle, exportName);
}

void CompanionSandbox::WriteConfig(const std::string& fileName, const std::string& text) const
{
    std::ofstream(ConfigFolder() / fileName, std::ios::binary) << text;
}

std::string CompanionSandbox::ReadConfig(const std::string& fileName) const
{
    std::ifstream in(ConfigFolder() / fileName, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool CompanionSandbox::ConfigExists(const std::string& fileName) const
{
    return fs::exists(ConfigFolder() / fileName);
}

std::vector<std::string> CompanionSandbox::TempLeftovers() const
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(TempFolder()))
        names.push_back(entry.path().filename().string());
    return names;
}

fs::path FakeLibrary(const char* fileName)
{
    return fs::path(TESSALY_TEST_BIN_DIR) / "fakes" / fileName;
}

}  // namespace tessaly::test
