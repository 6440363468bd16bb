#pragma once
// A private library folder, host folder and configuration for one login test. The fake companion
// libraries are copied in, module folders are redirected here, and the fakes' records are read back.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <tessaly/tessaly.h>

#include "common/ScopedEnv.h"
#include "common/TempDir.h"

namespace login_test {

using tessaly::test::ScopedEnv;

class LoginSandbox {
public:
    LoginSandbox();
    ~LoginSandbox();
    LoginSandbox(const LoginSandbox&) = delete;
    LoginSandbox& operator=(const LoginSandbox&) = delete;

    // Copies a fake from the build ("trelvin", "trelvin-noexport", "cyvelle", "cyvelle-noencrypt").
    void InstallAgent(const std::string& variant = "trelvin");
    void InstallCipher(const std::string& variant = "cyvelle");
    void RemoveAgent();

    // Writes Config/VomoLoginCfg.xml with these "VomoLogin" window entries.
    void WriteLoginItems(const std::map<std::string, std::string>& items);
    // Writes Config/orvane.cfg with the login service address.
    void WriteServiceUrl(const std::string& url);

    // Lines the fakes recorded so far, and those that start with `prefix`.
    std::vector<std::string> Records() const;
    std::vector<std::string> Records(const std::string& prefix) const;
    void ClearRecords();

    tessaly::test::TempDir dir;
    std::filesystem::path root = dir.path(), libDir = root / "lib", hostDir = root / "host",
                          configDir = libDir / "Config", recordFile = root / "records.txt";
    ScopedEnv recordEnv{"FAKE_LOGIN_LOG", recordFile.string()};  // where the fakes record
};

// One PreLogin call on host-style records.
struct CallOutcome {
    int result = -99;
    int code = -99;
    std::u16string message;
    bool passwordNull = false;
    std::u16string password;
};
CallOutcome CallPreLogin(const std::u16string& user, const std::u16string& hexPassword,
                         const std::u16string& presetMessage = u"");

// Hexadecimal text of the UTF-8 bytes, as the identity fake cipher gives them back.
std::u16string HexOf(const std::string& bytes);

}  // namespace login_test
