#include "HostSession.h"

namespace tessaly::host {
namespace {

std::string ToUtf8(const TessalyChar* text)
{
    const std::size_t need = TessalyStringToUtf8(text, nullptr, 0);
    std::string out(need + 1, '\0');
    TessalyStringToUtf8(text, out.data(), out.size());
    out.resize(need);
    return out;
}

}  // namespace

std::unique_ptr<HostSession> HostSession::Open(const std::string& libraryPath, std::string& error)
{
    auto session = std::make_unique<HostSession>(Key{});
    session->m_block = SharedBlock::Publish(session->m_windows.Address(), error);
    if (!session->m_block)
        return nullptr;
    session->m_library = TessalyLibrary::Open(libraryPath, error);
    if (!session->m_library)
        return nullptr;
    return session;
}

PreLoginOutcome HostSession::PreLogin(const std::string& user, const std::string& passwordHex) const
{
    PreLoginRequest request{};
    PreLoginResult result{};
    PreLoginOutcome outcome;
    if (TessalyStringSetUtf8(&request.m_strUserName, user.c_str()) != 0 ||
        TessalyStringSetUtf8(&request.m_strPassword, passwordHex.c_str()) != 0) {
        outcome.message = "out of memory";
    } else {
        result.m_nCode = -1;
        outcome.result = m_library->PreLogin(&request, &result);
        outcome.code = result.m_nCode;
        outcome.message = ToUtf8(result.m_strMessage);
    }
    TessalyStringFree(&request.m_strUserName);
    TessalyStringFree(&request.m_strPassword);
    TessalyStringFree(&result.m_strMessage);
    return outcome;
}

std::string DescribeEndCode(int code)
{
    switch (code) {
    case 1:
        return "OK";
    case 2:
        return "Cancel";
    case 6:
        return "Yes";
    case 7:
        return "No";
    case -1:
        return "the redirect window is not available";
    default:
        return "end code " + std::to_string(code);
    }
}

}  // namespace tessaly::host
