#pragma once
// Temporary folders with configuration files written by the tests themselves.
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include <cstdlib>

#include "support/WideText.h"

namespace tessaly::test {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaly-cfg-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

    // The folder as the readers expect it: ending in '/'.
    std::u16string Dir() const { return FromUtf8(path_.string() + "/"); }

    std::filesystem::path Write(std::string_view name, std::string_view content) const
    {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file;
    }

private:
    std::filesystem::path path_;
};

inline std::u16string U16(const std::filesystem::path& path)
{
    return FromUtf8(path.string());
}

// A complete file around one section: <Config><CommonWindow><name>body</name></CommonWindow></Config>.
inline std::string SectionFile(std::string_view sectionName, std::string_view body)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config>\n<CommonWindow>\n<";
    text.append(sectionName).append(">\n").append(body).append("\n</").append(sectionName);
    text.append(">\n</CommonWindow>\n</Config>\n");
    return text;
}

}  // namespace tessaly::test
