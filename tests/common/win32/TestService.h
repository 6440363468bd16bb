#pragma once
// The stand-in service of a test suite, Windows side: the Linux service that tests/wine/with-service.sh
// started beside the test program, named in TESSALY_TEST_SERVICE_URL. Programs that use it link
// ws2_32.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace tessaly::test::system {

class SuiteService {
public:
    explicit SuiteService(std::string baseUrl) : m_baseUrl(std::move(baseUrl)) {}
    const std::string& BaseUrl() const { return m_baseUrl; }

private:
    std::string m_baseUrl;
};

inline std::unique_ptr<SuiteService> StartSuiteService(const std::string&, std::string& error)
{
    const char* url = std::getenv("TESSALY_TEST_SERVICE_URL");
    if (!url || !*url) {
        error = "TESSALY_TEST_SERVICE_URL is not set: run the test through tests/wine/with-service.sh";
        return nullptr;
    }
    return std::make_unique<SuiteService>(url);
}

inline int ClosedPort()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        return 0;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int len = sizeof addr;
    int port = 0;
    if (s != INVALID_SOCKET && ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    if (s != INVALID_SOCKET)
        ::closesocket(s);
    ::WSACleanup();
    return port;
}

}  // namespace tessaly::test::system
