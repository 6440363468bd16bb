#pragma once
// Readers that take a path get the fuzz input through one private file, rewritten for every run and
// removed when the process ends.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace tessaly::fuzz {

class TempInputFile {
public:
    explicit TempInputFile(std::string_view suffix)
    {
        const std::string name = "tessaly-fuzz-" + std::to_string(::getpid()) + std::string(suffix);
        path_ = (std::filesystem::temp_directory_path() / name).string();
    }
    ~TempInputFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TempInputFile(const TempInputFile&) = delete;
    TempInputFile& operator=(const TempInputFile&) = delete;

    const std::string& Write(std::string_view bytes)
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path_;
    }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace tessaly::fuzz
