#pragma once
// Cipher texts of the cipher library's format, made by an independent AES-256-GCM implementation
// (the key SHA-256 of the key bytes; the mark and the length authenticated). The Linux and the
// Windows build both decipher each and, given its nonce (bytes 3 to 14), encipher each to exactly
// these bytes, so a password enciphered on one system deciphers on the other.
#include <string_view>

namespace tessaly::test {

struct CipherVector {
    std::string_view key;
    std::string_view clear;
    std::string_view cipherHex;
};

inline constexpr CipherVector kCipherVectors[] = {
    {"58074319", "wonderland",
     "C7000A000102030405060708090A0B634BF475E00795C4E54690FE1C4D505D26"
     "A5F90FC2902A931682"},
    {"58074319", "",
     "C70000FFFFFFFFFFFFFFFFFFFFFFFF45A92BDC9BFF3F328E07F87676771164"},
    {"", "x",
     "C700010000000000000000000000A5777B9EEABADEF342517AF4C1272904D862"},
    {"58074319", "p\xC3\xA4ss w\xC3\xB6rd&=%",
     "C7000E5D1C0E27A4B3F9106E82C4D7452D89CA9FD79ED85E78D8EF65A21DCC1E"
     "37A2FBAF2515F002C2F37F7451"},
    {"another key, longer than a block of SHA-256's input: 64 bytes and more",
     "The quick brown fox jumps over the lazy dog",
     "C7002BC0FFEE00DEADBEEF012345673D32165CAADFCE44E5ACCB73B9A7B2B14F"
     "9736977267B7755577F1AC7A76CE71B1AD44D89CA44283903EA59848E5A3CA79"
     "EDAD1CEE5510489C2ED0"},
};

}  // namespace tessaly::test
