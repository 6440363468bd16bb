#pragma once
// The credential cipher: the host hands in its password enciphered and written as hexadecimal text;
// the cipher companion library turns it back into clear text with a fixed key.
#include <cstdint>
#include <string>

#include "support/ClassSafeGetProcess.h"

namespace tessaly {

// "Zel_Encrypt" / "Zel_Decrypt": (key, key length, input, input length, output, output length in/out).
using ZelCryptFn = std::int32_t (*)(const char* key, std::int32_t keyLength, const unsigned char* input,
                                    std::int32_t inputLength, unsigned char* output, std::int32_t* outputLength);

// File name of the cipher library: in the host executable's folder, else in the library's own.
inline constexpr char16_t kCipherLibraryStem[] = u"Cyvelle";
// The key built into the library: eight ASCII digits, passed with its length 8.
inline constexpr char16_t kCipherKey[] = u"58074319";

struct CipherLibrary {
    ClassSafeGetProcess loader{};
    ZelCryptFn m_pfnEncrypt = nullptr;  // resolved, never called
    ZelCryptFn m_pfnDecrypt = nullptr;
};

// Loads `dir` + `fileName` and resolves both exports. 1 when both were found, else 0.
int LoadCipherLibrary(CipherLibrary& library, const std::u16string& dir, const std::u16string& fileName);

// Deciphers the hexadecimal text into `clearText`. 1 when the decryption export was called and gave a
// usable length; 0 when it could not be called (output untouched) or reported an impossible length
// (output emptied).
int DecipherHexText(const std::u16string& hexText, CipherLibrary& library, std::u16string* clearText,
                    const std::u16string& key);

// Loads the cipher library from the host executable's folder (when it is not there, from the
// library's own folder), deciphers, frees the library again.
// `clearText` stays as it was when nothing could be deciphered.
void DecipherPassword(std::u16string* clearText, const std::u16string& hexText);

}  // namespace tessaly
