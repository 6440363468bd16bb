#include "HostPaths.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace tessaly::host {

std::string ProgramPath()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string ProgramFolder()
{
    const std::filesystem::path exe = ProgramPath();
    return exe.empty() ? std::string(".") : exe.parent_path().string();
}

std::string DefaultLibraryPath()
{
    const std::filesystem::path folder = ProgramFolder();
    std::error_code ec;
    if (std::filesystem::exists(folder / "libtessaly.so", ec))
        return (folder / "libtessaly.so").string();
    return (folder.parent_path() / "lib" / "tessaly" / "libtessaly.so").string();
}

std::string FolderOf(const std::string& path)
{
    const auto folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool FindOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
    return false;
}

}  // namespace tessaly::host
