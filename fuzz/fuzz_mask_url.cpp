// Password masking for the trace: for any URL and any secret value the masked copy has the same
// length, hides every character of the "password=" value and every query value equal to the secret,
// and changes nothing but stars and the letter case of the key.
#include "FuzzCheck.h"
#include "LoginProbe.h"
#include "support/WideText.h"

namespace {

bool SameLetterIgnoringCase(char16_t a, char16_t b)
{
    auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
    return lower(a) == lower(b);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::u16string url = tessaly::FromUtf8(input.Field());
    const std::u16string secret = tessaly::FromUtf8(input.Field());

    const std::u16string masked = tessaly::CVomoLogin::MaskPasswordInUrl(url, secret);
    FUZZ_CHECK(masked.size() == url.size());
    for (std::size_t i = 0; i < url.size(); ++i)
        FUZZ_CHECK(masked[i] == url[i] || masked[i] == u'*' || SameLetterIgnoringCase(masked[i], url[i]));

    // The first "password=" value is all stars up to the next '&'.
    const std::size_t key = tessaly::AsciiLower(url).find(u"password=");
    if (key != std::u16string::npos) {
        const std::size_t start = key + 9;
        const std::size_t end = std::min(url.find(u'&', key), url.size());
        for (std::size_t i = start; i < end; ++i)
            FUZZ_CHECK(masked[i] == u'*');
    }

    // No query value equal to the secret survives (a secret with stars could be rebuilt by masking).
    if (!secret.empty() && secret.find(u'*') == std::u16string::npos) {
        for (std::size_t pos = masked.find(secret); pos != std::u16string::npos; pos = masked.find(secret, pos + 1)) {
            const std::size_t end = pos + secret.size();
            const bool isValue = pos > 0 && masked[pos - 1] == u'=' &&
                                 (end == masked.size() || masked[end] == u'&' || masked[end] == u'#');
            FUZZ_CHECK(!isValue);
        }
    }
    return 0;
}
