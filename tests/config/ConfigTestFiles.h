#pragma once
// Temporary folders with configuration files written by the tests themselves.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

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
    ~TempFolder() { std::filesystem::remove_all(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // The folder as the readers hand it on: ending in '/'.
    std::u16string Dir() const { return FromUtf8(path_.string() + "/"); }

    std::u16string Write(std::string_view name, std::string_view content) const
    {
        const std::filesystem::path file = path_ / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << content;
        return FromUtf8(file.string());
    }

private:
    std::filesystem::path path_;
};

}  // namespace tessaly::test
