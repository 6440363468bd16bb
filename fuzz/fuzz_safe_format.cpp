// The formatter that serves patterns read from configuration files. A pattern is hostile input: no
// conversion may read a value of the wrong type, run past the values given, or write anywhere. The
// output of a pattern without any '%' must be the pattern itself, and "%%" always gives one '%'.
#include <algorithm>
#include <vector>

#include "FuzzCheck.h"
#include "support/SafeFormat.h"
#include "support/WideText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::u16string pattern = tessaly::FromUtf8(input.Field());

    // Up to six values, each chosen by one selector byte: text, signed or unsigned.
    std::vector<std::u16string> texts;
    texts.reserve(6);
    std::vector<tessaly::FormatArg> args;
    const std::size_t count = input.Byte() % 7;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t kind = input.Byte();
        const std::uint64_t raw = (std::uint64_t{input.Byte()} << 56) | (std::uint64_t{input.Byte()} << 8) |
                                  input.Byte();
        switch (kind % 4) {
        case 0:
            texts.push_back(tessaly::FromUtf8(input.Field()));
            args.emplace_back(texts.back());
            break;
        case 1:
            args.emplace_back(static_cast<long long>(raw));
            break;
        case 2:
            args.emplace_back(static_cast<unsigned long long>(raw));
            break;
        default:
            args.emplace_back(static_cast<int>(raw & 0xFFFFFFFFu));
            break;
        }
    }

    const std::u16string out = tessaly::SafeFormat(pattern, std::span<const tessaly::FormatArg>(args));
    if (pattern.find(u'%') == std::u16string::npos)
        FUZZ_CHECK(out == pattern);

    // Doubling every '%' of a pattern turns it into plain text that must come back unchanged.
    std::u16string escaped;
    for (char16_t c : pattern) {
        escaped += c;
        if (c == u'%')
            escaped += u'%';
    }
    FUZZ_CHECK(tessaly::SafeFormat(escaped, std::span<const tessaly::FormatArg>(args)) == pattern);

    // Without values nothing can be consumed: the output is the pattern with "%%" collapsed.
    const std::u16string bare = tessaly::SafeFormat(pattern, {});
    FUZZ_CHECK(bare.size() <= pattern.size());
    return 0;
}
