// Cipher library: authenticated encryption of short secrets (AES-256-GCM, random nonce, key derived
// from the caller's key bytes with SHA-256).
//
// A cipher text is self-describing, so a caller may hand us a buffer longer than the cipher text
// (the login side passes the length of the hexadecimal text, twice the real byte count, with the
// tail zero-filled):
//   byte 0        format mark 0xC7
//   bytes 1..2    clear-text length L, big-endian
//   bytes 3..14   nonce
//   next L bytes  cipher text
//   next 16 bytes authentication tag (covering the mark and the length as well)

#include "CompanionExport.h"

#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr unsigned char kFormatMark = 0xC7;
constexpr int kHeaderBytes = 3;
constexpr int kNonceBytes = 12;
constexpr int kTagBytes = 16;
constexpr int kOverhead = kHeaderBytes + kNonceBytes + kTagBytes;
constexpr int kMaxClearBytes = 0xFFFF;

enum Result : int { kOk = 0, kBadArgument = -1, kNoRoom = -2, kRejected = -3, kCipherFailure = -4 };

struct CipherCtxDeleter {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter>;

// Holds derived key material and wipes it when it goes out of scope.
struct SecretKey {
    std::array<unsigned char, SHA256_DIGEST_LENGTH> bytes{};
    ~SecretKey() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};

// Clear text decrypted before its tag is checked; wiped whatever the outcome.
struct Scratch {
    std::vector<unsigned char> bytes;
    explicit Scratch(std::size_t n) : bytes(n == 0 ? 1 : n) {}
    ~Scratch() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};

bool DeriveKey(const unsigned char* key, int keyLength, SecretKey& out)
{
    if (keyLength < 0 || (keyLength > 0 && !key))
        return false;
    static const unsigned char kNothing = 0;
    return SHA256(keyLength > 0 ? key : &kNothing, static_cast<std::size_t>(keyLength), out.bytes.data()) != nullptr;
}

CipherCtx StartGcm(const SecretKey& key, const unsigned char* nonce, bool encrypt)
{
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    if (!ctx)
        return ctx;
    const int enc = encrypt ? 1 : 0;
    if (EVP_CipherInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, kNonceBytes, nullptr) != 1 ||
        EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, key.bytes.data(), nonce, enc) != 1)
        ctx.reset();
    return ctx;
}

bool AddHeader(EVP_CIPHER_CTX* ctx, const unsigned char* header)
{
    int ignored = 0;
    return EVP_CipherUpdate(ctx, nullptr, &ignored, header, kHeaderBytes) == 1;
}

int Seal(const SecretKey& key, const unsigned char* clear, int clearLength, unsigned char* out)
{
    out[0] = kFormatMark;
    out[1] = static_cast<unsigned char>(clearLength >> 8);
    out[2] = static_cast<unsigned char>(clearLength & 0xFF);
    unsigned char* nonce = out + kHeaderBytes;
    unsigned char* body = nonce + kNonceBytes;
    if (RAND_bytes(nonce, kNonceBytes) != 1)
        return kCipherFailure;
    auto ctx = StartGcm(key, nonce, true);
    int written = 0;
    int tail = 0;
    if (!ctx || !AddHeader(ctx.get(), out) ||
        (clearLength > 0 && EVP_EncryptUpdate(ctx.get(), body, &written, clear, clearLength) != 1) ||
        EVP_EncryptFinal_ex(ctx.get(), body + written, &tail) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes, body + clearLength) != 1)
        return kCipherFailure;
    return kOk;
}

// Decrypts and authenticates into `scratch`; false for anything forged, damaged or malformed.
bool Open(const SecretKey& key, const unsigned char* in, int clearLength, Scratch& scratch)
{
    const unsigned char* nonce = in + kHeaderBytes;
    const unsigned char* body = nonce + kNonceBytes;
    std::array<unsigned char, kTagBytes> tag{};
    std::memcpy(tag.data(), body + clearLength, kTagBytes);
    auto ctx = StartGcm(key, nonce, false);
    int written = 0;
    int tail = 0;
    return ctx && AddHeader(ctx.get(), in) &&
           (clearLength == 0 || EVP_DecryptUpdate(ctx.get(), scratch.bytes.data(), &written, body, clearLength) == 1) &&
           EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, tag.data()) == 1 &&
           EVP_DecryptFinal_ex(ctx.get(), scratch.bytes.data() + written, &tail) == 1;
}

}  // namespace

// Enciphers `inputLength` clear bytes. On entry *outputLength is the room in `output`, which must be
// at least inputLength + 31; on return it is the number of cipher bytes written (0 on failure).
COMPANION_EXPORT int Zel_Encrypt(const unsigned char* key, int keyLength, const unsigned char* input, int inputLength,
                                 unsigned char* output, int* outputLength)
{
    if (!outputLength)
        return kBadArgument;
    const int room = *outputLength;
    *outputLength = 0;
    if (!output || inputLength < 0 || inputLength > kMaxClearBytes || (inputLength > 0 && !input))
        return kBadArgument;
    if (room < inputLength + kOverhead)
        return kNoRoom;
    SecretKey derived;
    if (!DeriveKey(key, keyLength, derived))
        return kBadArgument;
    const int rc = Seal(derived, input, inputLength, output);
    if (rc != kOk) {
        OPENSSL_cleanse(output, static_cast<std::size_t>(inputLength + kOverhead));
        return rc;
    }
    *outputLength = inputLength + kOverhead;
    return kOk;
}

// Deciphers a cipher text made by Zel_Encrypt that starts at `input`; `inputLength` bytes of
// `input` are readable and may extend beyond the cipher text. On entry *outputLength is the room in
// `output`; on return the number of clear bytes written, which is always below inputLength. Nothing
// is written to `output` unless the cipher text proves authentic.
COMPANION_EXPORT int Zel_Decrypt(const unsigned char* key, int keyLength, const unsigned char* input, int inputLength,
                                 unsigned char* output, int* outputLength)
{
    if (!outputLength)
        return kBadArgument;
    const int room = *outputLength;
    *outputLength = 0;
    if (!input || !output || room < 0)
        return kBadArgument;
    if (inputLength < kOverhead || input[0] != kFormatMark)
        return kRejected;
    const int clearLength = (input[1] << 8) | input[2];
    if (clearLength > inputLength - kOverhead)
        return kRejected;
    if (clearLength > room)
        return kNoRoom;
    SecretKey derived;
    if (!DeriveKey(key, keyLength, derived))
        return kBadArgument;
    Scratch scratch(static_cast<std::size_t>(clearLength));
    if (!Open(derived, input, clearLength, scratch))
        return kRejected;
    if (clearLength > 0)
        std::memcpy(output, scratch.bytes.data(), static_cast<std::size_t>(clearLength));
    *outputLength = clearLength;
    return kOk;
}
