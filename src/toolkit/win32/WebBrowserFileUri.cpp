// The file: URI of a Windows path, in the form the WebBrowser control reads: file:///C:/dir/page.htm
// for a drive path, file://server/share/page.htm for a UNC path.
#include <string>
#include <string_view>

#include "toolkit/BrowserView.h"

namespace tessaly::toolkit {
namespace {

constexpr std::string_view kLongPrefix = "\\\\?\\";
constexpr std::string_view kLongUncPrefix = "\\\\?\\UNC\\";

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters a URI path may hold as they are. Everything else of ASCII is percent-encoded (space,
// '%', '#', '?' among them). Characters beyond ASCII stay as they are: the control takes the address
// as UTF-16 and hands them to the file system unchanged, whereas how it decodes percent-encoded bytes
// in a file URI (as UTF-8 or in the ANSI code page) has varied between its versions.
bool KeptAsIs(unsigned char c)
{
    if (c >= 0x80 || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("-._~!$&'()*+,;=:@").find(static_cast<char>(c)) != std::string_view::npos;
}

// The path's parts after the root, '/' between them.
void AppendPath(std::string& uri, std::string_view path)
{
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : path) {
        const auto unit = static_cast<unsigned char>(c);
        if (IsSeparator(c)) {
            uri.push_back('/');
        } else if (KeptAsIs(unit)) {
            uri.push_back(c);
        } else {
            uri.push_back('%');
            uri.push_back(kHex[unit >> 4]);
            uri.push_back(kHex[unit & 0xF]);
        }
    }
}

std::string UncUri(std::string_view rest)
{
    // rest: server\share\...
    const auto serverEnd = rest.find_first_of("\\/");
    if (serverEnd == 0 || serverEnd == std::string_view::npos || serverEnd + 1 >= rest.size())
        return {};
    std::string uri = "file://";
    AppendPath(uri, rest.substr(0, serverEnd));
    AppendPath(uri, rest.substr(serverEnd));
    return uri;
}

}  // namespace

std::string FileUri(std::string_view absolutePath)
{
    if (absolutePath.find('\0') != std::string_view::npos)
        return {};
    std::string_view path = absolutePath;
    if (path.starts_with(kLongUncPrefix))
        return UncUri(path.substr(kLongUncPrefix.size()));
    if (path.starts_with(kLongPrefix))
        path.remove_prefix(kLongPrefix.size());
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        std::string uri = "file:///";
        uri += path.substr(0, 2);
        AppendPath(uri, path.substr(2));
        return uri;
    }
    // A UNC path; device paths (\\.\) and the other long forms name no file to show.
    if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]) && path[2] != '.' && path[2] != '?')
        return UncUri(path.substr(2));
    return {};  // relative, drive-relative (C:page.htm) or rooted without a drive (\page.htm)
}

}  // namespace tessaly::toolkit
