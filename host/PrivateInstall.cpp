#include "PrivateInstall.h"

#include "HostPaths.h"
#include "HostSystem.h"
#include "IniEdit.h"

#include <fstream>
#include <sstream>

namespace tessaly::host {
namespace {

namespace fs = std::filesystem;

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
    fs::path root = MakePrivateFolder(error);
    if (root.empty())
        return nullptr;
    auto install = std::make_unique<PrivateInstall>(Key{}, std::move(root));
    std::error_code ec;
    for (const char* name : Names().installFiles) {
        if (!fs::copy_file(source / name, install->m_root / name, ec)) {
            error = "cannot copy " + Utf8Path(source / name) + ": " + ec.message();
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

fs::path PrivateInstall::LibraryPath() const { return m_root / Names().library; }

bool PrivateInstall::PointAt(const std::string& baseUrl, std::string& error) const
{
    const fs::path cfg = m_root / "Config" / "orvane.cfg";
    std::string text = ReadAll(cfg);
    text = SetIniValue(text, "WebUrl", "VomoLoginUrl", baseUrl + "/login");
    text = SetIniValue(text, "WebUrl", "PreLoginFromInternet", baseUrl + "/prelogin/exchange");
    std::ofstream out(cfg, std::ios::binary | std::ios::trunc);
    if (!(out << text) || !out.flush()) {
        error = "cannot write " + Utf8Path(cfg);
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
