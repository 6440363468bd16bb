#include <gtest/gtest.h>

#include "CipherText.h"
#include "CipherVectors.h"
#include "common/LoadedLibrary.h"
#include "common/ServiceSuite.h"

#include <cstring>
#include <vector>

namespace tessaly::test {
namespace {

using CipherFn = int (*)(const unsigned char*, int, const unsigned char*, int, unsigned char*, int*);

const std::string kKey = "58074319";

class CyvelleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_library.ok()) << m_library.error();
        m_encrypt = m_library.Get<CipherFn>("Zel_Encrypt");
        m_decrypt = m_library.Get<CipherFn>("Zel_Decrypt");
        ASSERT_NE(m_encrypt, nullptr);
        ASSERT_NE(m_decrypt, nullptr);
    }

    std::vector<unsigned char> Encrypt(const std::string& clear, const std::string& key = kKey)
    {
        std::vector<unsigned char> out(clear.size() + 64);
        int length = static_cast<int>(out.size());
        EXPECT_EQ(m_encrypt(reinterpret_cast<const unsigned char*>(key.data()), static_cast<int>(key.size()),
                            reinterpret_cast<const unsigned char*>(clear.data()), static_cast<int>(clear.size()),
                            out.data(), &length),
                  0);
        out.resize(static_cast<std::size_t>(length));
        return out;
    }

    // Deciphers the way the login side calls: the input buffer is as long as the hexadecimal text
    // (twice the cipher bytes, the second half zeros), the capacity half of that, output buffer as
    // long as the input. Returns the clear text, or nullopt; checks the output's untouched parts.
    std::optional<std::string> DecryptLikeTheCaller(const std::vector<unsigned char>& cipher,
                                                    const std::string& key = kKey, int capacity = -1)
    {
        const int n = static_cast<int>(cipher.size() * 2);
        std::vector<unsigned char> input(static_cast<std::size_t>(n), 0);
        std::memcpy(input.data(), cipher.data(), cipher.size());
        std::vector<unsigned char> output(static_cast<std::size_t>(n), 0xAA);
        int length = capacity < 0 ? n / 2 : capacity;
        const int granted = length;
        const int rc = m_decrypt(reinterpret_cast<const unsigned char*>(key.data()), static_cast<int>(key.size()),
                                 input.data(), n, output.data(), &length);
        EXPECT_GE(length, 0);
        EXPECT_LT(length, n) << "the caller writes a terminator at the returned length";
        EXPECT_LE(length, granted);
        for (std::size_t i = static_cast<std::size_t>(std::max(length, 0)); i < output.size(); ++i)
            if (output[i] != 0xAA) {
                ADD_FAILURE() << "byte " << i << " beyond the result was written";
                break;
            }
        if (rc != 0) {
            EXPECT_EQ(length, 0);
            return std::nullopt;
        }
        return std::string(reinterpret_cast<const char*>(output.data()), static_cast<std::size_t>(length));
    }

    LoadedLibrary m_library{OutLibrary("Cyvelle")};
    CipherFn m_encrypt = nullptr;
    CipherFn m_decrypt = nullptr;
};

TEST_F(CyvelleTest, RoundTripsThroughTheCallersPaddedLayout)
{
    for (const std::string& clear : std::vector<std::string>{"wonderland", "", "x", std::string(300, 'p'), "p\xC3\xA4ss w\xC3\xB6rd&=%"}) {
        const auto cipher = Encrypt(clear);
        EXPECT_EQ(DecryptLikeTheCaller(cipher), clear);
    }
}

std::vector<unsigned char> FromHex(std::string_view hex)
{
    std::vector<unsigned char> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

// One table for both systems: what one enciphers, the other deciphers.
TEST_F(CyvelleTest, SharedVectorsDecipherAndEncipherToTheSameBytes)
{
    for (const CipherVector& vector : kCipherVectors) {
        const std::string key(vector.key);
        const auto cipher = FromHex(vector.cipherHex);
        EXPECT_EQ(DecryptLikeTheCaller(cipher, key), vector.clear) << vector.clear;

        std::vector<unsigned char> sealed(cipher.size() + 8, 0);
        int length = static_cast<int>(sealed.size());
        const auto* nonce = cipher.data() + cyvelle::kHeaderBytes;
        ASSERT_EQ(cyvelle::SealWithNonce({reinterpret_cast<const unsigned char*>(key.data()), static_cast<int>(key.size())},
                                         {reinterpret_cast<const unsigned char*>(vector.clear.data()),
                                          static_cast<int>(vector.clear.size())},
                                         nonce, sealed.data(), &length),
                  0);
        sealed.resize(static_cast<std::size_t>(length));
        EXPECT_EQ(sealed, cipher) << vector.clear;
    }
}

TEST_F(CyvelleTest, EachEncryptionIsFreshYetDecryptsTheSame)
{
    const auto first = Encrypt("wonderland");
    const auto second = Encrypt("wonderland");
    EXPECT_NE(first, second) << "a random nonce makes equal passwords look different";
    EXPECT_EQ(DecryptLikeTheCaller(second), "wonderland");
}

TEST_F(CyvelleTest, DamagedOrForgedCipherTextYieldsNothing)
{
    const auto cipher = Encrypt("wonderland");
    for (std::size_t i = 0; i < cipher.size(); ++i) {
        auto damaged = cipher;
        damaged[i] ^= 0x01;
        EXPECT_EQ(DecryptLikeTheCaller(damaged), std::nullopt) << "flipped byte " << i;
    }
    EXPECT_EQ(DecryptLikeTheCaller(cipher, "58074318"), std::nullopt) << "wrong key";

    // Cut short by one byte. (In the caller's zero-padded layout that byte would read back as 0, so
    // the cut is checked on the bare input: with a tag ending in 0 it would otherwise go unnoticed.)
    std::vector<unsigned char> clear(cipher.size(), 0xAA);
    int length = static_cast<int>(clear.size());
    EXPECT_NE(m_decrypt(reinterpret_cast<const unsigned char*>(kKey.data()), 8, cipher.data(),
                        static_cast<int>(cipher.size() - 1), clear.data(), &length),
              0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(clear, std::vector<unsigned char>(cipher.size(), 0xAA));

    // A header that claims more clear text than the input holds must not lead to reading beyond it.
    std::vector<unsigned char> lying(cipher.begin(), cipher.begin() + 31);
    lying[1] = 0xFF;
    lying[2] = 0xFF;
    EXPECT_EQ(DecryptLikeTheCaller(lying), std::nullopt);

    // Hex text that was never a cipher text at all.
    EXPECT_EQ(DecryptLikeTheCaller(std::vector<unsigned char>{0x41, 0x42}), std::nullopt);
    EXPECT_EQ(DecryptLikeTheCaller(std::vector<unsigned char>(40, 0)), std::nullopt);
}

TEST_F(CyvelleTest, TooSmallBuffersAreRefusedWithoutWriting)
{
    const auto cipher = Encrypt("wonderland");
    EXPECT_EQ(DecryptLikeTheCaller(cipher, kKey, 9), std::nullopt);
    EXPECT_EQ(DecryptLikeTheCaller(cipher, kKey, 10), "wonderland");

    std::vector<unsigned char> out(40, 0xAA);
    int length = 40;  // 10 clear bytes need 41
    const auto* clear = reinterpret_cast<const unsigned char*>("wonderland");
    EXPECT_NE(m_encrypt(reinterpret_cast<const unsigned char*>(kKey.data()), 8, clear, 10, out.data(), &length), 0);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(out, std::vector<unsigned char>(40, 0xAA));
}

TEST_F(CyvelleTest, NullAndNegativeArgumentsAreRefused)
{
    unsigned char buffer[64] = {};
    int length = sizeof buffer;
    const auto* key = reinterpret_cast<const unsigned char*>(kKey.data());
    EXPECT_NE(m_decrypt(key, 8, nullptr, 64, buffer, &length), 0);
    EXPECT_NE(m_decrypt(key, 8, buffer, 64, nullptr, &length), 0);
    EXPECT_NE(m_decrypt(key, 8, buffer, 64, buffer, nullptr), 0);
    EXPECT_NE(m_encrypt(key, -1, buffer, 4, buffer, &length), 0);
    length = sizeof buffer;
    EXPECT_NE(m_encrypt(key, 8, buffer, -4, buffer, &length), 0);
}

}  // namespace
}  // namespace tessaly::test
