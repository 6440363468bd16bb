#include "PrivateInstall.h"

#include "IniEdit.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace tessaly::host {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFiles[] = {"libtessaly.so", "Trelvin.so", "Cyvelle.so", "Parvex.so", "Dunmore.so"};

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Copies the folder's files, following links. An installed Config/ links its settings files to
// places outside the install (state under /var); a link that points at nothing yet is left out, just
// as the file would be missing for the library.
void CopyFolder(const fs::path& from, const fs::path& to, std::error_code& ec)
{
    fs::create_directory(to, ec);
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        const fs::path target = to / it->path().lexically_relative(from);
        std::error_code missing;
        const auto status = fs::status(it->path(), missing);
        if (fs::is_directory(status))
            fs::create_directory(target, ec);
        else if (fs::is_regular_file(status))
            fs::copy_file(it->path(), target, ec);
    }
}

}  // namespace

std::unique_ptr<PrivateInstall> PrivateInstall::Make(const fs::path& source, std::string& error)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tessaly-host-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot make a temporary folder under " + pattern;
        return nullptr;
    }
    auto install = std::make_unique<PrivateInstall>(Key{}, fs::path(pattern));
    std::error_code ec;
    for (const char* name : kFiles) {
        if (!fs::copy_file(source / name, install->m_root / name, ec)) {
            error = "cannot copy " + (source / name).string() + ": " + ec.message();
            return nullptr;
        }
    }
    if (fs::is_directory(source / "Config"))
        CopyFolder(source / "Config", install->m_root / "Config", ec);
    else
        fs::create_directory(install->m_root / "Config", ec);
    if (ec) {
        error = "cannot copy the Config folder: " + ec.message();
        return nullptr;
    }
    return install;
}

bool PrivateInstall::PointAt(const std::string& baseUrl, std::string& error) const
{
    const fs::path cfg = m_root / "Config" / "orvane.cfg";
    std::string text = ReadAll(cfg);
    text = SetIniValue(text, "WebUrl", "VomoLoginUrl", baseUrl + "/login");
    text = SetIniValue(text, "WebUrl", "PreLoginFromInternet", baseUrl + "/prelogin/exchange");
    std::ofstream out(cfg, std::ios::binary | std::ios::trunc);
    if (!(out << text) || !out.flush()) {
        error = "cannot write " + cfg.string();
        return false;
    }
    return true;
}

PrivateInstall::~PrivateInstall()
{
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

}  // namespace tessaly::host
