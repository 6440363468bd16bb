// Hex deciphering through an in-process stand-in for the cipher library. The stand-in checks what the
// library hands it (buffer sizes, decoded bytes) and answers with fuzzer-chosen bytes and a fuzzer-
// chosen output length, including negative and huge ones: the library must never write outside its
// buffers and must reject an impossible length.
#include <cstring>
#include <vector>

#include "FuzzCheck.h"
#include "login/CipherLibrary.h"
#include "support/WideText.h"

namespace {

struct StandIn {
    std::string_view answer;   // bytes the "cipher" writes
    std::int32_t reportedLength = 0;
    std::int32_t seenInputLength = -1;
    std::int32_t seenOutputCapacity = -1;
    std::vector<unsigned char> seenInput;
};

StandIn* g_standIn = nullptr;

std::int32_t StandInDecrypt(const char* key, std::int32_t keyLength, const unsigned char* input,
                            std::int32_t inputLength, unsigned char* output, std::int32_t* outputLength)
{
    FUZZ_CHECK(keyLength == 8 && std::memcmp(key, "58074319", 8) == 0);
    FUZZ_CHECK(inputLength >= 0 && outputLength && *outputLength == inputLength / 2);
    g_standIn->seenInputLength = inputLength;
    g_standIn->seenOutputCapacity = *outputLength;
    g_standIn->seenInput.assign(input, input + inputLength);
    // The contract grants the whole n-byte output buffer; ASan catches any overrun on the library side.
    const std::size_t n = std::min<std::size_t>(g_standIn->answer.size(), static_cast<std::size_t>(inputLength));
    if (n > 0)
        std::memcpy(output, g_standIn->answer.data(), n);
    *outputLength = g_standIn->reportedLength;
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    tessaly::fuzz::InputSlicer input(data, size);
    const std::uint8_t b0 = input.Byte(), b1 = input.Byte(), b2 = input.Byte(), b3 = input.Byte();
    const std::u16string hex = tessaly::FromUtf8(input.Field());
    StandIn standIn;
    standIn.reportedLength = static_cast<std::int32_t>(std::uint32_t{b0} | std::uint32_t{b1} << 8 |
                                                       std::uint32_t{b2} << 16 | std::uint32_t{b3} << 24);
    standIn.answer = input.Rest();
    g_standIn = &standIn;

    tessaly::CipherLibrary library{};
    library.m_pfnDecrypt = &StandInDecrypt;
    std::u16string clear = u"untouched";
    const int called = tessaly::DecipherHexText(hex, library, &clear, tessaly::kCipherKey);

    if (hex.empty()) {
        FUZZ_CHECK(called == 0 && clear == u"untouched" && standIn.seenInputLength == -1);
        return 0;
    }
    const std::size_t n = tessaly::ToUtf8(hex).size();
    FUZZ_CHECK(standIn.seenInputLength == static_cast<std::int32_t>(n));
    for (std::size_t i = (n + 1) / 2; i < n; ++i)
        FUZZ_CHECK(standIn.seenInput[i] == 0);
    const bool usable = standIn.reportedLength >= 0 && static_cast<std::size_t>(standIn.reportedLength) < n;
    if (!usable) {
        FUZZ_CHECK(called == 0 && clear.empty());
        return 0;
    }
    FUZZ_CHECK(called == 1);
    FUZZ_CHECK(tessaly::fuzz::IsWellFormedUtf16(clear));
    // The clear text is the answer up to the reported length or the first zero byte (the rest of the
    // library's buffer is zero).
    const std::string_view granted = standIn.answer.substr(0, static_cast<std::size_t>(standIn.reportedLength));
    FUZZ_CHECK(clear == tessaly::FromUtf8(granted.substr(0, granted.find('\0'))));
    return 0;
}
