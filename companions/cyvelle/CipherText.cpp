#include "CipherText.h"

#include "Crypto.h"

#include <cstring>
#include <vector>

namespace cyvelle {
namespace {

namespace crypto = companion::crypto;
static_assert(kNonceBytes == crypto::kNonceBytes && kTagBytes == crypto::kTagBytes);

constexpr unsigned char kFormatMark = 0xC7;

// Derived key material, wiped when it goes out of scope.
struct SecretKey {
    crypto::Digest bytes{};
    ~SecretKey() { crypto::Wipe(bytes.data(), bytes.size()); }
};

// Clear text deciphered before its tag is checked; wiped whatever the outcome.
struct Scratch {
    std::vector<unsigned char> bytes;
    explicit Scratch(std::size_t n) : bytes(n == 0 ? 1 : n) {}
    ~Scratch() { crypto::Wipe(bytes.data(), bytes.size()); }
};

bool DeriveKey(Bytes key, SecretKey& out)
{
    if (key.length < 0 || (key.length > 0 && !key.data))
        return false;
    return crypto::Sha256(key.data, static_cast<std::size_t>(key.length), out.bytes);
}

}  // namespace

int SealWithNonce(Bytes key, Bytes clear, const unsigned char* nonce, unsigned char* output, int* outputLength)
{
    if (!outputLength)
        return kBadArgument;
    const int room = *outputLength;
    *outputLength = 0;
    if (!output || !nonce || clear.length < 0 || clear.length > kMaxClearBytes || (clear.length > 0 && !clear.data))
        return kBadArgument;
    if (room < clear.length + kOverhead)
        return kNoRoom;
    SecretKey derived;
    if (!DeriveKey(key, derived))
        return kBadArgument;
    output[0] = kFormatMark;
    output[1] = static_cast<unsigned char>(clear.length >> 8);
    output[2] = static_cast<unsigned char>(clear.length & 0xFF);
    std::memcpy(output + kHeaderBytes, nonce, kNonceBytes);
    unsigned char* body = output + kHeaderBytes + kNonceBytes;
    const crypto::GcmInput gcm{derived.bytes, nonce, output, kHeaderBytes};
    const auto size = static_cast<std::size_t>(clear.length);
    if (!crypto::GcmSeal(gcm, clear.data, size, body, body + size)) {
        crypto::Wipe(output, size + kOverhead);
        return kCipherFailure;
    }
    *outputLength = clear.length + kOverhead;
    return kOk;
}

int Open(Bytes key, Bytes input, unsigned char* output, int* outputLength)
{
    if (!outputLength)
        return kBadArgument;
    const int room = *outputLength;
    *outputLength = 0;
    if (!input.data || !output || room < 0)
        return kBadArgument;
    if (input.length < kOverhead || input.data[0] != kFormatMark)
        return kRejected;
    const int clearLength = (input.data[1] << 8) | input.data[2];
    if (clearLength > input.length - kOverhead)
        return kRejected;
    if (clearLength > room)
        return kNoRoom;
    SecretKey derived;
    if (!DeriveKey(key, derived))
        return kBadArgument;
    const unsigned char* nonce = input.data + kHeaderBytes;
    const unsigned char* body = nonce + kNonceBytes;
    const auto size = static_cast<std::size_t>(clearLength);
    Scratch scratch(size);
    const crypto::GcmInput gcm{derived.bytes, nonce, input.data, kHeaderBytes};
    if (!crypto::GcmOpen(gcm, body, size, body + size, scratch.bytes.data()))
        return kRejected;
    if (size > 0)
        std::memcpy(output, scratch.bytes.data(), size);
    *outputLength = clearLength;
    return kOk;
}

}  // namespace cyvelle
