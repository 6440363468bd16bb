#pragma once
// What the benchmarks that call PreLogin share: a private install talking to a service of its own,
// and one call as a host makes it (the records filled, the export called, what the library handed
// back freed again).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <tessaly/tessaly.h>

#include "CipherTool.h"
#include "PrivateInstall.h"
#include "ServiceProcess.h"

namespace tessaly::bench {

using PreLoginFn = int (*)(PreLoginRequest*, PreLoginResult*);

// A private copy of the output folder `out`, pointed at a tessaly-service of its own on a free port,
// and the password enciphered as the host hands it over (with the cipher library of `out`).
struct LoginSetup {
    std::unique_ptr<host::PrivateInstall> install;
    std::unique_ptr<host::ServiceProcess> service;
    std::string passwordHex;

    static std::optional<LoginSetup> Make(const std::string& out, const std::string& password, std::string& error)
    {
        LoginSetup setup;
        setup.install = host::PrivateInstall::Make(out, error);
        if (!setup.install)
            return std::nullopt;
        setup.service = host::ServiceProcess::Start(out + "/tessaly-service", {"--port", "0"}, error);
        if (!setup.service || !setup.install->PointAt(setup.service->BaseUrl(), error))
            return std::nullopt;
        auto hex = host::EncryptToHex(out + "/Cyvelle.so", password, error);
        if (!hex)
            return std::nullopt;
        setup.passwordHex = std::move(*hex);
        return setup;
    }
};

// The export's result; the reply code lands in `code`.
inline int CallPreLogin(PreLoginFn preLogin, const char* user, const char* passwordHex, std::int32_t& code)
{
    PreLoginRequest request{};
    PreLoginResult result{};
    TessalyStringSetUtf8(&request.m_strUserName, user);
    TessalyStringSetUtf8(&request.m_strPassword, passwordHex);
    const int accepted = preLogin(&request, &result);
    code = result.m_nCode;
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return accepted;
}

}  // namespace tessaly::bench
