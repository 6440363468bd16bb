#pragma once
// Scratch folders and small file helpers.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tessaly::test {

inline void WriteFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ASCII-only widening for building test paths and names.
inline std::u16string W(std::string_view s) { return std::u16string(s.begin(), s.end()); }

// A folder given with '/' (as the build passes them in) in the system's own form, ending in its
// separator, as the library hands folders out.
inline std::u16string NativeFolder(std::string_view folder)
{
    std::filesystem::path path{std::string(folder)};
    path.make_preferred();
    return (path / "").u16string();
}

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        // A new folder of a random name; creating it fails when the name is taken, so it is never shared.
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path candidate = base / ("tessaly-test-" + std::to_string(random()));
            std::error_code error;
            if (std::filesystem::create_directory(candidate, error)) {
                std::filesystem::permissions(candidate, std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::replace, error);
                path_ = candidate;
                return;
            }
        }
        throw std::runtime_error("no temporary folder could be made");
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // A name inside the folder; without one, the folder itself ending in the separator.
    std::string file(std::string_view name = {}) const { return (path_ / name).string(); }
    // The same in UTF-16, as the library takes paths; folder16() is the folder ending in '/'.
    std::u16string wide(std::string_view name = {}) const { return (path_ / name).u16string(); }
    std::u16string folder16() const { return wide(); }

    // Writes `content` to `name` (making the folders on the way); returns the file's UTF-16 path.
    std::u16string Write(std::string_view name, std::string_view content) const
    {
        const std::filesystem::path target = path_ / name;
        std::filesystem::create_directories(target.parent_path());
        WriteFile(target.string(), content);
        return target.u16string();
    }

private:
    std::filesystem::path path_;
};

}  // namespace tessaly::test
