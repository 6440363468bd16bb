// The INI reader over text in memory. Any file content, section and key must give an answer that fits
// the caller's buffer, is well-formed text, carries no surrounding white space from the file, and is the
// default whenever the key is absent. A key written into the text by the fuzzer must be found.
#include "FuzzCheck.h"
#include "platform/IniFile.h"
#include "support/WideText.h"

namespace {

// Values are trimmed before they are cut to the buffer, so a cut value may end in white space.
bool IsTrimmed(std::u16string_view v, bool cut)
{
    auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    return v.empty() || (!space(v.front()) && (cut || !space(v.back())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::size_t capacity = input.Byte();
    const std::u16string section = tessaly::FromUtf8(input.Field());
    const std::u16string key = tessaly::FromUtf8(input.Field());
    const std::string_view text = input.Rest();
    const std::u16string def = u"\u2603default";

    const std::u16string value =
        tessaly::platform::ReadProfileStringFromText(text, section, key, def, capacity);
    FUZZ_CHECK(capacity == 0 ? value.empty() : value.size() < capacity);
    FUZZ_CHECK(tessaly::fuzz::IsWellFormedUtf16(value));
    // A value in double quotes keeps the white space inside them, as the profile functions do.
    if (value != def.substr(0, capacity ? capacity - 1 : 0) && text.find('"') == std::string_view::npos)
        // A cut never splits a surrogate pair, so a cut value may be one unit shorter than the buffer.
        FUZZ_CHECK(IsTrimmed(value, capacity > 1 && value.size() + 2 >= capacity));

    // Without a file body the default (cut to the buffer) is the only possible answer.
    FUZZ_CHECK(tessaly::platform::ReadProfileStringFromText({}, section, key, def, capacity) ==
               def.substr(0, capacity ? capacity - 1 : 0));

    // A clean section/key pair put in front of the fuzzed text is found there with its value.
    if (!text.empty() && text.find('\0') == std::string_view::npos &&
        tessaly::AsciiLower(tessaly::FromUtf8(text)).find(u"fuzz") == std::u16string::npos) {
        const std::string head = "[FuzzSection]\nFuzzKey =  v" + std::to_string(text.size()) + "  \n";
        const std::string combined = head + std::string(text);
        FUZZ_CHECK(tessaly::platform::ReadProfileStringFromText(combined, u"fuzzsection", u"FUZZKEY", def, 256) ==
                   u"v" + tessaly::FromUtf8(std::to_string(text.size())));
    }
    return 0;
}
