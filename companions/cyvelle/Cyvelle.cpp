// Cipher library: authenticated encryption of short secrets (CipherText.h), a fresh random nonce
// for every encryption.

#include "CipherText.h"
#include "CompanionExport.h"
#include "Crypto.h"

// Enciphers `inputLength` clear bytes. On entry *outputLength is the room in `output`, which must be
// at least inputLength + 31; on return it is the number of cipher bytes written (0 on failure).
COMPANION_EXPORT int Zel_Encrypt(const unsigned char* key, int keyLength, const unsigned char* input, int inputLength,
                                 unsigned char* output, int* outputLength)
{
    unsigned char nonce[cyvelle::kNonceBytes];
    if (!companion::crypto::RandomBytes(nonce, sizeof nonce)) {
        if (outputLength)
            *outputLength = 0;
        return cyvelle::kCipherFailure;
    }
    return cyvelle::SealWithNonce({key, keyLength}, {input, inputLength}, nonce, output, outputLength);
}

// Deciphers a cipher text made by Zel_Encrypt that starts at `input`; `inputLength` bytes of
// `input` are readable and may extend beyond the cipher text. On entry *outputLength is the room in
// `output`; on return the number of clear bytes written, which is always below inputLength. Nothing
// is written to `output` unless the cipher text proves authentic.
COMPANION_EXPORT int Zel_Decrypt(const unsigned char* key, int keyLength, const unsigned char* input, int inputLength,
                                 unsigned char* output, int* outputLength)
{
    return cyvelle::Open({key, keyLength}, {input, inputLength}, output, outputLength);
}
