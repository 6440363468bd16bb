// The companions' cryptographic primitives on BCrypt (Windows CNG).
#include "Crypto.h"

#include <winsock2.h>
#include <windows.h>
#include <bcrypt.h>

#include <climits>
#include <memory>

namespace companion::crypto {
namespace {

// BCrypt counts bytes in ULONGs.
constexpr std::size_t kMaxBytes = ULONG_MAX;

bool Succeeded(NTSTATUS status) { return status >= 0; }

struct AlgorithmCloser {
    void operator()(BCRYPT_ALG_HANDLE handle) const { ::BCryptCloseAlgorithmProvider(handle, 0); }
};
using UniqueAlgorithm = std::unique_ptr<void, AlgorithmCloser>;

struct HashDestroyer {
    void operator()(BCRYPT_HASH_HANDLE handle) const { ::BCryptDestroyHash(handle); }
};
using UniqueHash = std::unique_ptr<void, HashDestroyer>;

struct KeyDestroyer {
    void operator()(BCRYPT_KEY_HANDLE handle) const { ::BCryptDestroyKey(handle); }
};
using UniqueKey = std::unique_ptr<void, KeyDestroyer>;

UniqueAlgorithm OpenAlgorithm(const wchar_t* name)
{
    BCRYPT_ALG_HANDLE handle = nullptr;
    return UniqueAlgorithm(Succeeded(::BCryptOpenAlgorithmProvider(&handle, name, nullptr, 0)) ? handle : nullptr);
}

// An AES-256 key in GCM mode, with its provider (which must outlive it).
struct GcmKey {
    UniqueAlgorithm algorithm;
    UniqueKey key;
};

GcmKey MakeGcmKey(const Digest& secret)
{
    GcmKey made{OpenAlgorithm(BCRYPT_AES_ALGORITHM), nullptr};
    BCRYPT_KEY_HANDLE key = nullptr;
    auto* mode = reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM));
    if (made.algorithm &&
        Succeeded(::BCryptSetProperty(made.algorithm.get(), BCRYPT_CHAINING_MODE, mode, sizeof BCRYPT_CHAIN_MODE_GCM, 0)) &&
        Succeeded(::BCryptGenerateSymmetricKey(made.algorithm.get(), &key, nullptr, 0, const_cast<PUCHAR>(secret.data()),
                                               static_cast<ULONG>(secret.size()), 0)))
        made.key.reset(key);
    return made;
}

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO ModeInfo(const GcmInput& input, unsigned char* tag)
{
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = const_cast<PUCHAR>(input.nonce);
    info.cbNonce = kNonceBytes;
    info.pbAuthData = const_cast<PUCHAR>(input.authenticated);
    info.cbAuthData = static_cast<ULONG>(input.authenticatedSize);
    info.pbTag = tag;
    info.cbTag = kTagBytes;
    return info;
}

// BCrypt wants a buffer even for an empty text.
PUCHAR Bytes(const unsigned char* data)
{
    static unsigned char s_nothing = 0;
    return data ? const_cast<PUCHAR>(data) : &s_nothing;
}

}  // namespace

bool Sha256(const unsigned char* data, std::size_t size, Digest& out)
{
    const UniqueAlgorithm algorithm = OpenAlgorithm(BCRYPT_SHA256_ALGORITHM);
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!algorithm || size > kMaxBytes ||
        !Succeeded(::BCryptCreateHash(algorithm.get(), &hash, nullptr, 0, nullptr, 0, 0)))
        return false;
    const UniqueHash owned(hash);
    return (size == 0 || Succeeded(::BCryptHashData(hash, Bytes(data), static_cast<ULONG>(size), 0))) &&
           Succeeded(::BCryptFinishHash(hash, out.data(), static_cast<ULONG>(out.size()), 0));
}

bool RandomBytes(unsigned char* out, std::size_t size)
{
    return size <= kMaxBytes &&
           Succeeded(::BCryptGenRandom(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

void Wipe(void* data, std::size_t size) { ::SecureZeroMemory(data, size); }

bool GcmSeal(const GcmInput& input, const unsigned char* in, std::size_t size, unsigned char* out, unsigned char* tag)
{
    const GcmKey key = MakeGcmKey(input.key);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(input, tag);
    ULONG written = 0;
    return key.key && size <= kMaxBytes &&
           Succeeded(::BCryptEncrypt(key.key.get(), Bytes(in), static_cast<ULONG>(size), &info, nullptr, 0, Bytes(out),
                                     static_cast<ULONG>(size), &written, 0)) &&
           written == size;
}

bool GcmOpen(const GcmInput& input, const unsigned char* in, std::size_t size, const unsigned char* tag,
             unsigned char* out)
{
    const GcmKey key = MakeGcmKey(input.key);
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info = ModeInfo(input, const_cast<unsigned char*>(tag));
    ULONG written = 0;
    return key.key && size <= kMaxBytes &&
           Succeeded(::BCryptDecrypt(key.key.get(), Bytes(in), static_cast<ULONG>(size), &info, nullptr, 0, Bytes(out),
                                     static_cast<ULONG>(size), &written, 0)) &&
           written == size;
}

}  // namespace companion::crypto
