// Network agent: one HTTP GET per call, the short reply copied into the caller's buffer.

#include "CompanionExport.h"
#include "HttpTransfer.h"
#include "NarrowText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Bytes the caller's buffer may take: one less than its size so a terminator always fits, and never
// more than 127, the most a short service reply can be.
constexpr std::uint32_t kMaxReplyBytes = 127;

struct ReplySink {
    char* buffer;
    std::uint32_t room;   // bytes that may still be stored
    std::uint64_t total;  // bytes received, stored or not

    bool Take(const char* data, std::size_t bytes)
    {
        const std::size_t stored = static_cast<std::size_t>(total < room ? room - total : 0);
        const std::size_t copy = std::min(bytes, stored);
        if (copy > 0)
            std::memcpy(buffer + total, data, copy);
        total += bytes;
        return true;
    }
};

// Callers build the URL by plain formatting, so a value may carry bytes that cannot stand in a URL
// (a space in a password, say). Those are percent-encoded here, as a browser would, rather than
// failing the request; everything else, '%' included, is passed on as given.
std::string EscapeUnsafeBytes(const std::string& url)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

}  // namespace

// Returns 0 when the server answered 2xx; *length then holds the true size of the reply body, which
// may exceed what was copied (a reply of 128 bytes or more is reported as such). Non-zero on a bad
// argument, a transport failure, a time-out, a redirect or an HTTP error status. Non-ASCII text of
// the URL is sent percent-encoded as UTF-8.
COMPANION_EXPORT int requestDataFromUrl(const char* url, char* reply, std::uint32_t* length)
{
    if (!url || !*url || !reply || !length || *length == 0)
        return 1;
    const std::uint32_t room = std::min(*length - 1, kMaxReplyBytes);
    std::memset(reply, 0, room + 1);

    const std::string utf8 = companion::NarrowToUtf8(url);
    if (utf8.empty())
        return 2;
    ReplySink sink{reply, room, 0};
    const companion::HttpRequest request{EscapeUnsafeBytes(utf8)};
    if (!companion::HttpPerform(request, [&sink](const char* data, std::size_t size) { return sink.Take(data, size); })) {
        std::memset(reply, 0, room + 1);
        return 3;
    }
    *length = static_cast<std::uint32_t>(std::min<std::uint64_t>(sink.total, UINT32_MAX));
    return 0;
}
