#pragma once
// The few cryptographic primitives the companions use, on each system's own library (OpenSSL's
// libcrypto on Linux, BCrypt on Windows). Both give the same bytes for the same input.
#include <array>
#include <cstddef>

namespace companion::crypto {

constexpr std::size_t kDigestBytes = 32;
constexpr std::size_t kNonceBytes = 12;
constexpr std::size_t kTagBytes = 16;

using Digest = std::array<unsigned char, kDigestBytes>;

// SHA-256 of `size` bytes at `data` (which may be null when size is 0).
bool Sha256(const unsigned char* data, std::size_t size, Digest& out);

// Bytes from the system's cryptographic random source.
bool RandomBytes(unsigned char* out, std::size_t size);

// Overwrites secrets in a way the compiler may not leave out.
void Wipe(void* data, std::size_t size);

// What one AES-256-GCM operation works on besides the text: the key, the 12-byte nonce and the data
// that is authenticated but not enciphered.
struct GcmInput {
    const Digest& key;
    const unsigned char* nonce;
    const unsigned char* authenticated;
    std::size_t authenticatedSize;
};

// Enciphers `size` bytes of `in` into `out` and writes the 16-byte tag.
bool GcmSeal(const GcmInput& input, const unsigned char* in, std::size_t size, unsigned char* out, unsigned char* tag);

// Deciphers `size` bytes of `in` into `out`, true only when `tag` proves them and the authenticated
// data genuine. On false `out` may hold unproven bytes: the caller wipes it.
bool GcmOpen(const GcmInput& input, const unsigned char* in, std::size_t size, const unsigned char* tag,
             unsigned char* out);

}  // namespace companion::crypto
