// A stand-in cipher library: records every call and "deciphers" by copying the first output-length
// input bytes, unless told otherwise.
//   FAKE_CYVELLE_OUTPUT  bytes written to the output instead (at most the buffer's size)
//   FAKE_CYVELLE_OUTLEN  the output length written back (may be negative or too large)
// Built a second time with FAKE_WITHOUT_ENCRYPT, where "Zel_Encrypt" is missing.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "FakeRecorder.h"

__attribute__((constructor)) static void OnLoad() { fake::Record("cyvelle load"); }
__attribute__((destructor)) static void OnUnload() { fake::Record("cyvelle unload"); }

extern "C" __attribute__((visibility("default"))) std::int32_t Zel_Decrypt(const char* key, std::int32_t keyLength,
                                                                          const unsigned char* input,
                                                                          std::int32_t inputLength,
                                                                          unsigned char* output,
                                                                          std::int32_t* outputLength)
{
    fake::Record("decrypt key=" + std::string(key, static_cast<std::size_t>(keyLength)) +
                 " keylen=" + std::to_string(keyLength) + " in=" + fake::Hex(input, inputLength) +
                 " inlen=" + std::to_string(inputLength) + " outlen=" + std::to_string(*outputLength));
    if (const char* text = fake::Env("FAKE_CYVELLE_OUTPUT")) {
        const std::size_t n = std::min<std::size_t>(std::strlen(text), static_cast<std::size_t>(inputLength));
        std::memcpy(output, text, n);
        *outputLength = static_cast<std::int32_t>(n);
    } else {
        std::memcpy(output, input, static_cast<std::size_t>(std::max<std::int32_t>(*outputLength, 0)));
    }
    if (const char* forced = fake::Env("FAKE_CYVELLE_OUTLEN"))
        *outputLength = std::atoi(forced);
    return 0;
}

#ifndef FAKE_WITHOUT_ENCRYPT
extern "C" __attribute__((visibility("default"))) std::int32_t Zel_Encrypt(const char*, std::int32_t,
                                                                          const unsigned char*, std::int32_t,
                                                                          unsigned char*, std::int32_t*)
{
    fake::Record("encrypt");
    return 0;
}
#endif
