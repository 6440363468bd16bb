// UTF-8 <-> UTF-16 conversions and the small number readers shared by every configuration reader.
// Checks, for any input: the output is always well-formed, valid text survives a round trip unchanged,
// converting twice gives what converting once gave, and the number readers agree with a plain model.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "FuzzCheck.h"
#include "support/WideText.h"

namespace {

using tessaly::fuzz::AsUtf16Units;
using tessaly::fuzz::IsWellFormedUtf16;
using tessaly::fuzz::IsWellFormedUtf8;

void CheckConversions(std::string_view bytes)
{
    const std::u16string wide = tessaly::FromUtf8(bytes);
    FUZZ_CHECK(IsWellFormedUtf16(wide));
    const std::string narrow = tessaly::ToUtf8(wide);
    FUZZ_CHECK(IsWellFormedUtf8(narrow));
    if (IsWellFormedUtf8(bytes))
        FUZZ_CHECK(narrow == bytes);
    FUZZ_CHECK(tessaly::FromUtf8(narrow) == wide);

    // The same bytes taken as UTF-16 units: unpaired surrogates become U+FFFD, pairs survive.
    const std::u16string units = AsUtf16Units(bytes);
    const std::string fromUnits = tessaly::ToUtf8(units);
    FUZZ_CHECK(IsWellFormedUtf8(fromUnits));
    const std::u16string back = tessaly::FromUtf8(fromUnits);
    FUZZ_CHECK(back.size() == units.size());
    for (std::size_t i = 0; i < units.size(); ++i)
        FUZZ_CHECK(back[i] == units[i] || back[i] == u'\xFFFD');
    if (IsWellFormedUtf16(units))
        FUZZ_CHECK(back == units);
}

bool IsAsciiSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

std::int32_t ModelWToI(std::u16string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<std::int64_t>(value * 10 + (text[i] - u'0'), std::int64_t{1} << 40);
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

void CheckNumbers(std::u16string_view text)
{
    // Other systems' notions of white space differ beyond ASCII; compare only where they cannot.
    const auto firstOther = std::find_if_not(text.begin(), text.end(), IsAsciiSpace);
    if (firstOther == text.end() || *firstOther < 0x80)
        FUZZ_CHECK(tessaly::WToI(text) == ModelWToI(text));
    std::uint32_t hex = 0xA5A5A5A5u;
    if (!tessaly::ScanHex(text, hex))
        FUZZ_CHECK(hex == 0xA5A5A5A5u);
    const std::u16string lower = tessaly::AsciiLower(text);
    FUZZ_CHECK(lower.size() == text.size());
    FUZZ_CHECK(tessaly::EqualsNoCase(lower, text));
    FUZZ_CHECK(tessaly::FromUtf8(tessaly::ToUtf8(tessaly::ToWide(tessaly::WToI(text)))) ==
               tessaly::ToWide(tessaly::WToI(text)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckConversions(bytes);
    CheckNumbers(tessaly::FromUtf8(bytes));
    return 0;
}
