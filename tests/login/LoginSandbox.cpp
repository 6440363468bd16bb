#include "login/LoginSandbox.h"

#include <cstdlib>
#include <fstream>

#include "login/PreLoginEntry.h"
#include "login/HostStrings.h"
#include "platform/ModulePaths.h"
#include "support/TraceTestSupport.h"
#include "support/WideText.h"

namespace fs = std::filesystem;

namespace login_test {
namespace {

std::string XmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '"': out += "&quot;"; break;
        default: out.push_back(c);
        }
    }
    return out;
}

std::u16string Folder(const fs::path& p) { return tessaly::test::NativeFolder(p.string()); }

}  // namespace

LoginSandbox::LoginSandbox()
{
    fs::create_directories(configDir);
    fs::create_directories(hostDir);
    tessaly::platform::OverrideModuleFolders(Folder(libDir), Folder(hostDir));
}

LoginSandbox::~LoginSandbox() { tessaly::platform::OverrideModuleFolders(u"", u""); }

void LoginSandbox::InstallAgent(const std::string& variant)
{
    fs::copy_file(fs::path(LOGIN_FAKES_DIR) / variant / "Trelvin" TESSALY_LIBRARY_SUFFIX, libDir / "Trelvin" TESSALY_LIBRARY_SUFFIX,
                  fs::copy_options::overwrite_existing);
}

void LoginSandbox::InstallCipher(const std::string& variant)
{
    fs::copy_file(fs::path(LOGIN_FAKES_DIR) / variant / "Cyvelle" TESSALY_LIBRARY_SUFFIX, hostDir / "Cyvelle" TESSALY_LIBRARY_SUFFIX,
                  fs::copy_options::overwrite_existing);
}

void LoginSandbox::RemoveAgent() { fs::remove(libDir / "Trelvin" TESSALY_LIBRARY_SUFFIX); }

void LoginSandbox::WriteLoginItems(const std::map<std::string, std::string>& items)
{
    std::ofstream xml(configDir / "VomoLoginCfg.xml", std::ios::trunc);
    xml << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Root><CommonWindow><VomoLogin><WindowInfo>\n";
    for (const auto& [id, data] : items)
        xml << "  <Item ItemID=\"" << XmlEscape(id) << "\" Data=\"" << XmlEscape(data) << "\"/>\n";
    xml << "</WindowInfo></VomoLogin></CommonWindow></Root>\n";
}

void LoginSandbox::WriteServiceUrl(const std::string& url)
{
    std::ofstream(configDir / "orvane.cfg", std::ios::trunc) << "[WebUrl]\nVomoLoginUrl=" << url << "\n";
}

std::vector<std::string> LoginSandbox::Records() const { return tessaly::test::Lines(recordFile.string()); }

std::vector<std::string> LoginSandbox::Records(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const std::string& line : Records())
        if (line.rfind(prefix, 0) == 0)
            lines.push_back(line);
    return lines;
}

void LoginSandbox::ClearRecords() { fs::remove(recordFile); }

CallOutcome CallPreLogin(const std::u16string& user, const std::u16string& hexPassword,
                         const std::u16string& presetMessage)
{
    PreLoginRequest request{};
    PreLoginResult result{};
    tessaly::WriteHostString(&request.m_strUserName, user);
    tessaly::WriteHostString(&request.m_strPassword, hexPassword);
    tessaly::WriteHostString(&result.m_strMessage, presetMessage);
    CallOutcome out;
    out.result = tessaly::RunPreLogin(&request, &result);
    out.code = result.m_nCode;
    out.message = tessaly::ReadHostString(result.m_strMessage);
    out.passwordNull = request.m_strPassword == nullptr;
    out.password = tessaly::ReadHostString(request.m_strPassword);
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return out;
}

std::u16string HexOf(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::u16string out;
    for (unsigned char c : bytes) {
        out.push_back(static_cast<char16_t>(digits[c >> 4]));
        out.push_back(static_cast<char16_t>(digits[c & 15]));
    }
    return out;
}

}  // namespace login_test
