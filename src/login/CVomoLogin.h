#pragma once
// The login service behind PreLogin: reads the "VomoLogin" configuration section, deciphers the
// host's password, builds one request URL, sends it through the network agent library and turns the
// service's numeric reply into a result, a code and a configured message.
#include <cstdint>
#include <string>
#include <string_view>

#include <tessaly/tessaly.h>

#include "config/CZelXMLParseBase.h"
#include "support/ClassSafeGetProcess.h"

namespace tessaly {

// "requestDataFromUrl": (UTF-8 URL, 128-byte reply buffer, length in/out); 0 = success.
using RequestDataFromUrlFn = std::int32_t (*)(const char* url, char* reply, std::int32_t* length);

inline constexpr char16_t kAgentLibraryStem[] = u"Trelvin";
inline constexpr std::size_t kReplyBufferSize = 128;

class CVomoLogin : public CZelXMLParseBase {
public:
    CVomoLogin() = default;
    ~CVomoLogin() override;
    CVomoLogin(const CVomoLogin&) = delete;
    CVomoLogin& operator=(const CVomoLogin&) = delete;

    // Loads the agent library (empty arguments: this library's folder and the default file name) and
    // reads the login configuration. 1 = ready; 0 = library or export missing, configuration not read.
    int Init(std::u16string dir, std::u16string fileName);

    // The whole login for the host's records. 1 = accepted, 0 = refused or failed.
    int LoginService(PreLoginRequest* request, PreLoginResult* result);

    // Sends the request; 1 and the reply text, or 0 when no reply could be obtained.
    int QLRequestNet(const std::u16string& url, std::u16string* reply);

    // Reads the reply code into the result record and picks the message. 1 only for code 0.
    int ClassifyReply(std::u16string_view reply, PreLoginResult* result) const;

    // Traces the request with its password value hidden.
    void TraceMaskedUrl(const std::u16string& url) const;

    // Reads the "VomoLogin" section of the configuration file; writes no trace.
    void LoadLoginConfig();

    // The masking rule of the trace, on a copy: the value after "password=" (any letter case) becomes
    // stars, and so does any query value equal to `secretValue` (when it is not empty).
    static std::u16string MaskPasswordInUrl(std::u16string_view url, std::u16string_view secretValue);

private:
    // Deciphers the password, finds the local address and service address, and formats the pattern.
    // Keeps the encoded password in m_strTraceSecret for the trace.
    std::u16string BuildRequestUrl(const PreLoginRequest& request);

    // The configured text for `itemId`, or empty.
    std::u16string Item(std::u16string_view itemId) const;

    ClassSafeGetProcess m_Agent{};
    RequestDataFromUrlFn m_pfnRequestDataFromUrl = nullptr;
    // Encoded password of the request being sent, so the trace can hide it under any parameter name.
    std::u16string m_strTraceSecret;
};

}  // namespace tessaly
