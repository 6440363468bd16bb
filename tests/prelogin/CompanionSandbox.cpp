#include "CompanionSandbox.h"

#include <stdexcept>

#include "platform/ModulePaths.h"

namespace tessaly::test {

namespace fs = std::filesystem;

CompanionSandbox::CompanionSandbox()
{
    fs::create_directory(Folder() / "Config");
    fs::create_directory(TempFolder());
    platform::OverrideModuleFolders(m_root.folder16(), m_root.folder16());
}

CompanionSandbox::~CompanionSandbox()
{
    for (auto handle : m_loaded)
        platform::UnloadLibrary(handle);
    platform::OverrideModuleFolders(u"", u"");
}

void* CompanionSandbox::Install(const fs::path& built, const std::string& name, const char* controlExport)
{
    fs::copy_file(built, Folder() / name);
    std::string error;
    auto handle = platform::LoadLibraryByPath((Folder() / name).string(), &error);
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
    m_root.Write("Config/" + fileName, text);
}

std::string CompanionSandbox::ReadConfig(const std::string& fileName) const
{
    // Line ends as LF whatever the writer used (the Windows profile functions write CR LF).
    std::string text = ReadFile(Folder() / "Config" / fileName);
    std::erase(text, '\r');
    return text;
}

fs::path FakeLibrary(const char* fileName)
{
    return fs::path(TESSALY_TEST_BIN_DIR) / "fakes" / fileName;
}

}  // namespace tessaly::test
