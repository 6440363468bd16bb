#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace tessaly::host {

// A throw-away copy of an install folder (the library, the companions, Config/) in a fresh
// temporary folder, so a demo or test can point its settings at a local service without touching
// the real install. The folder and everything in it are removed when the object goes away.
class PrivateInstall {
public:
    static std::unique_ptr<PrivateInstall> Make(const std::filesystem::path& source, std::string& error);

    struct Key {
    private:
        Key() = default;
        friend class PrivateInstall;
    };
    PrivateInstall(Key, std::filesystem::path root) : m_root(std::move(root)) {}
    PrivateInstall(const PrivateInstall&) = delete;
    PrivateInstall& operator=(const PrivateInstall&) = delete;
    ~PrivateInstall();

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path LibraryPath() const;

    // Points [WebUrl] VomoLoginUrl and PreLoginFromInternet of the copy's Config/orvane.cfg at the
    // service whose base address is given (e.g. http://127.0.0.1:8470), keeping its other lines.
    bool PointAt(const std::string& baseUrl, std::string& error) const;

private:
    std::filesystem::path m_root;
};

}  // namespace tessaly::host
