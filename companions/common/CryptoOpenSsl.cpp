// The companions' cryptographic primitives on OpenSSL's libcrypto.
#include "Crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace companion::crypto {
namespace {

struct CipherCtxDeleter {
    void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxDeleter>;

// A context keyed for one operation with the authenticated data already taken in.
CipherCtx StartGcm(const GcmInput& input, bool encrypt)
{
    CipherCtx ctx(EVP_CIPHER_CTX_new());
    const int enc = encrypt ? 1 : 0;
    int ignored = 0;
    if (!ctx || input.authenticatedSize > INT_MAX ||
        EVP_CipherInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr, enc) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(kNonceBytes), nullptr) != 1 ||
        EVP_CipherInit_ex(ctx.get(), nullptr, nullptr, input.key.data(), input.nonce, enc) != 1 ||
        (input.authenticatedSize > 0 && EVP_CipherUpdate(ctx.get(), nullptr, &ignored, input.authenticated,
                                                         static_cast<int>(input.authenticatedSize)) != 1))
        ctx.reset();
    return ctx;
}

}  // namespace

bool Sha256(const unsigned char* data, std::size_t size, Digest& out)
{
    static const unsigned char kNothing = 0;
    return SHA256(size > 0 ? data : &kNothing, size, out.data()) != nullptr;
}

bool RandomBytes(unsigned char* out, std::size_t size)
{
    return size <= INT_MAX && RAND_bytes(out, static_cast<int>(size)) == 1;
}

void Wipe(void* data, std::size_t size) { OPENSSL_cleanse(data, size); }

bool GcmSeal(const GcmInput& input, const unsigned char* in, std::size_t size, unsigned char* out, unsigned char* tag)
{
    auto ctx = StartGcm(input, true);
    int written = 0;
    int tail = 0;
    return ctx && size <= INT_MAX &&
           (size == 0 || EVP_EncryptUpdate(ctx.get(), out, &written, in, static_cast<int>(size)) == 1) &&
           EVP_EncryptFinal_ex(ctx.get(), out + written, &tail) == 1 &&
           EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagBytes), tag) == 1;
}

bool GcmOpen(const GcmInput& input, const unsigned char* in, std::size_t size, const unsigned char* tag,
             unsigned char* out)
{
    unsigned char expected[kTagBytes];
    std::copy(tag, tag + kTagBytes, expected);  // the control takes a writable buffer
    auto ctx = StartGcm(input, false);
    int written = 0;
    int tail = 0;
    return ctx && size <= INT_MAX &&
           (size == 0 || EVP_DecryptUpdate(ctx.get(), out, &written, in, static_cast<int>(size)) == 1) &&
           EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagBytes), expected) == 1 &&
           EVP_DecryptFinal_ex(ctx.get(), out + written, &tail) == 1;
}

}  // namespace companion::crypto
