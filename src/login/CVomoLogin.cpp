#include "login/CVomoLogin.h"

#include <array>
#include <cstring>

#include "config/ConfigSection.h"
#include "login/AdapterIdentity.h"
#include "login/CipherLibrary.h"
#include "login/HostStrings.h"
#include "login/PercentEncode.h"
#include "login/SecureWipe.h"
#include "platform/DynamicLibrary.h"
#include "platform/TextEncoding.h"
#include "support/CLogTrace.h"
#include "support/PathHelpers.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

constexpr std::u16string_view kPasswordKey = u"password=";

// Replaces every occurrence of `target` in `text`, continuing after each replacement.
void ReplaceAll(std::u16string& text, std::u16string_view target, std::u16string_view replacement)
{
    if (target.empty())
        return;
    for (std::size_t pos = text.find(target); pos != std::u16string::npos;
         pos = text.find(target, pos + replacement.size()))
        text.replace(pos, target.size(), replacement);
}

// Stars over every query value that equals `secret` exactly (after '=', before '&', '#' or the end).
void MaskSecretValues(std::u16string& url, std::u16string_view secret)
{
    if (secret.empty())
        return;
    for (std::size_t pos = url.find(secret); pos != std::u16string::npos; pos = url.find(secret, pos + 1)) {
        const std::size_t end = pos + secret.size();
        const bool afterEquals = pos > 0 && url[pos - 1] == u'=';
        const bool beforeEnd = end == url.size() || url[end] == u'&' || url[end] == u'#';
        if (afterEquals && beforeEnd)
            url.replace(pos, secret.size(), secret.size(), u'*');
    }
}

}  // namespace

CVomoLogin::~CVomoLogin()
{
    m_Agent.Free();
    WipeString(m_strTraceSecret);
}

int CVomoLogin::Init(std::u16string dir, std::u16string fileName)
{
    g_LogTrace.Trace(4, u"Enter Fun CVomoLogin::Init");
    if (dir.empty())
        dir = GetModuleDir(LibraryInstance());
    if (fileName.empty())
        fileName = platform::LibraryFileName(kAgentLibraryStem);
    m_pfnRequestDataFromUrl = m_Agent.GetProcAs<RequestDataFromUrlFn>(dir + fileName, u"requestDataFromUrl");
    if (!m_pfnRequestDataFromUrl)
        return 0;
    LoadLoginConfig();
    g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::Init");
    return 1;
}

void CVomoLogin::LoadLoginConfig()
{
    ReadConfigSection(DefaultConfigFilePath(), kLoginSection, *this);
}

int CVomoLogin::LoginService(PreLoginRequest* request, PreLoginResult* result)
{
    g_LogTrace.Trace(4, u"Enter Fun CVomoLogin::LoginService");
    WipeOnExit<std::u16string> wipeSecret(m_strTraceSecret);
    std::u16string requestUrl = BuildRequestUrl(*request);
    WipeOnExit<std::u16string> wipeRequest(requestUrl);

    std::u16string reply;
    const int accepted = QLRequestNet(requestUrl, &reply) ? ClassifyReply(reply, result)
                                                          : ClassifyReply(u"-1", result);

    WriteHostString(&request->m_strPassword, Item(u"Pwd"));
    g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::LoginService, Ret is %d", accepted);
    return accepted;
}

std::u16string CVomoLogin::BuildRequestUrl(const PreLoginRequest& request)
{
    std::u16string password;
    WipeOnExit<std::u16string> wipePassword(password);
    DecipherPassword(&password, ReadHostString(request.m_strPassword));

    std::u16string address;
    GetLocalIpAddress(&address);

    std::u16string url;
    ReadIniString(u"WebUrl", u"VomoLoginUrl", u"", &url, ConfigFilePath(u"orvane.cfg"), 1024);

    // The service address goes in as configured; the three values are percent-encoded so that none
    // of them can add or change a parameter of the request.
    m_strTraceSecret = PercentEncode(password);
    const std::u16string user = PercentEncode(ReadHostString(request.m_strUserName));
    return SafeFormat(Item(u"LoginPatern"), {url, user, m_strTraceSecret, PercentEncode(address)});
}

int CVomoLogin::QLRequestNet(const std::u16string& url, std::u16string* reply)
{
    TraceMaskedUrl(url);
    std::array<char, kReplyBufferSize> buffer{};
    if (!m_pfnRequestDataFromUrl) {
        g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::QLRequestNet1");
        return 0;
    }
    std::string narrow = platform::ToEdgeText(url);
    WipeOnExit<std::string> wipeNarrow(narrow);
    auto length = static_cast<std::int32_t>(kReplyBufferSize);
    if (m_pfnRequestDataFromUrl(narrow.c_str(), buffer.data(), &length) != 0) {
        g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::QLRequestNet2");
        return 0;
    }
    if (static_cast<std::uint32_t>(length) >= kReplyBufferSize) {
        g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::QLRequestNet3");
        return 0;
    }
    buffer[static_cast<std::size_t>(length)] = '\0';
    const std::u16string text = platform::FromEdgeText(std::string_view(buffer.data(), std::strlen(buffer.data())));
    if (reply)
        *reply = text;
    g_LogTrace.Trace(4, u"Exit  Fun CVomoLogin::QLRequestNet, Ret is %s", text);
    return 1;
}

int CVomoLogin::ClassifyReply(std::u16string_view reply, PreLoginResult* result) const
{
    // A reply that carries no code (an empty body, a proxy's error page) is no answer from the login
    // service: it counts as "-1" like a failed request, never as the accepting code 0.
    const std::int32_t code = StartsWithDecimal(reply) ? WToI(reply) : -1;
    result->m_nCode = code;
    std::u16string message;
    switch (code) {
    case 0:
        return 1;
    case -101:
        message = Item(u"ErrorUserNotExist");
        break;
    case -102:
        message = Item(u"ErrorPwd");
        break;
    case -103:
        message = Item(u"ErrorAmbiguity");
        break;
    case -104:
        message = Item(u"ErrorUserNotInUse");
        break;
    case -105:
        message = Item(u"ErrorUserNotActive");
        break;
    default:
        message = SafeFormat(Item(u"ErrorMsg"), {code});
        break;
    }
    WriteHostString(&result->m_strMessage, message);
    return 0;
}

void CVomoLogin::TraceMaskedUrl(const std::u16string& url) const
{
    if (!g_LogTrace.Wants(4))
        return;
    std::u16string masked = MaskPasswordInUrl(url, m_strTraceSecret);
    WipeOnExit<std::u16string> wipeMasked(masked);
    g_LogTrace.Trace(4, u"Enter Fun QLRequestNet, Url is %s", masked);
}

std::u16string CVomoLogin::MaskPasswordInUrl(std::u16string_view url, std::u16string_view secretValue)
{
    std::u16string masked(url);
    std::u16string lower = AsciiLower(url);
    WipeOnExit<std::u16string> wipeLower(lower);
    const std::size_t key = lower.find(kPasswordKey);
    if (key != std::u16string::npos) {
        const std::size_t valueStart = key + kPasswordKey.size();
        const std::size_t amp = masked.find(u'&', key);
        const std::size_t valueEnd = amp == std::u16string::npos ? masked.size() : amp;
        const std::u16string target = masked.substr(key, valueEnd - key);
        std::u16string replacement(kPasswordKey);
        replacement.append(valueEnd - valueStart, u'*');
        ReplaceAll(masked, target, replacement);
    }
    MaskSecretValues(masked, secretValue);
    return masked;
}

std::u16string CVomoLogin::Item(std::u16string_view itemId) const
{
    std::u16string value;
    GetWindowInfo(value, itemId);
    return value;
}

}  // namespace tessaly
