#pragma once
// The cipher library's text format and its two operations, on the system's primitives (Crypto.h).
//
// A cipher text is self-describing, so a caller may hand over a buffer longer than the cipher text
// (the login side passes the length of the hexadecimal text, twice the real byte count, with the
// tail zero-filled):
//   byte 0        format mark 0xC7
//   bytes 1..2    clear-text length L, big-endian
//   bytes 3..14   nonce
//   next L bytes  cipher text (AES-256-GCM, the key being SHA-256 of the caller's key bytes)
//   next 16 bytes authentication tag (covering the mark and the length as well)

namespace cyvelle {

enum Result : int { kOk = 0, kBadArgument = -1, kNoRoom = -2, kRejected = -3, kCipherFailure = -4 };

constexpr int kHeaderBytes = 3;
constexpr int kNonceBytes = 12;
constexpr int kTagBytes = 16;
constexpr int kOverhead = kHeaderBytes + kNonceBytes + kTagBytes;
constexpr int kMaxClearBytes = 0xFFFF;

// The caller's key and text, as the exports take them.
struct Bytes {
    const unsigned char* data;
    int length;
};

// Enciphers `clear` under `nonce` (kNonceBytes) into `output`, which has room for `*outputLength`
// bytes; on return *outputLength is the number written (0 on failure). The same key, nonce and
// clear text give the same bytes on every system.
int SealWithNonce(Bytes key, Bytes clear, const unsigned char* nonce, unsigned char* output, int* outputLength);

// Deciphers the cipher text at the start of `input` into `output` (room `*outputLength`); on return
// *outputLength is the number of clear bytes, which is always below input.length. Nothing is written
// to `output` unless the cipher text proves authentic.
int Open(Bytes key, Bytes input, unsigned char* output, int* outputLength);

}  // namespace cyvelle
