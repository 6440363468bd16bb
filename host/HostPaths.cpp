#include "HostPaths.h"

namespace tessaly::host {

std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8Path(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string ProgramFolder()
{
    const std::filesystem::path exe = PathFromUtf8(ProgramPath());
    return exe.empty() ? std::string(".") : Utf8Path(exe.parent_path());
}

std::string FolderOf(const std::string& path)
{
    const auto folder = PathFromUtf8(path).parent_path();
    return folder.empty() ? std::string(".") : Utf8Path(folder);
}

std::string BesideFile(const std::string& path, const std::string& name)
{
    return Utf8Path(PathFromUtf8(FolderOf(path)) / PathFromUtf8(name));
}

}  // namespace tessaly::host
