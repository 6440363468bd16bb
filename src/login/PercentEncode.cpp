#include "login/PercentEncode.h"

#include "login/SecureWipe.h"
#include "support/WideText.h"

namespace tessaly {
namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

std::u16string PercentEncode(std::u16string_view value)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    // The value may be a clear password: its UTF-8 copy is wiped once encoded.
    std::string bytes = ToUtf8(value);
    WipeOnExit<std::string> wipeBytes(bytes);
    std::u16string out;
    out.reserve(bytes.size() * 3);
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (IsUnreserved(c)) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(u'%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0x0F]);
        }
    }
    return out;
}

}  // namespace tessaly
