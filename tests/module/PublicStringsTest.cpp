// The inline string helpers of the public header, as a C or C++ host uses them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <tessaly/tessaly.h>

namespace {

struct Owned {
    TessalyString value = nullptr;
    ~Owned() { TessalyStringFree(&value); }
};

TEST(PublicStrings, Utf8RoundTripAndInvalidBytes)
{
    Owned s;
    ASSERT_EQ(TessalyStringSetUtf8(&s.value, "gr\xC3\xBC\xC3\x9F \xF0\x9F\x99\x82"), 0);
    EXPECT_EQ(std::u16string(s.value), u"grüß 🙂");
    char out[32];
    EXPECT_EQ(TessalyStringToUtf8(s.value, out, sizeof out), 11u);
    EXPECT_STREQ(out, "gr\xC3\xBC\xC3\x9F \xF0\x9F\x99\x82");

    ASSERT_EQ(TessalyStringSetUtf8(&s.value, "a\xFF" "b\xE2\x82"), 0);  // a stray byte, a cut sequence
    EXPECT_EQ(std::u16string(s.value), u"a\uFFFDb\uFFFD\uFFFD");
    ASSERT_EQ(TessalyStringSetUtf8(&s.value, ""), 0);
    EXPECT_EQ(s.value, nullptr) << "the empty string is NULL";
}

TEST(PublicStrings, ShortBufferIsCutBeforeAWholeCharacter)
{
    Owned s;
    ASSERT_EQ(TessalyStringSetUtf8(&s.value, "ab\xC3\xBC\xF0\x9F\x99\x82"), 0);  // 2 + 2 + 4 bytes
    char out[8];
    std::memset(out, 0x7f, sizeof out);
    EXPECT_EQ(TessalyStringToUtf8(s.value, out, 4), 8u) << "the whole length is still reported";
    EXPECT_STREQ(out, "ab") << "ü needs two bytes, only one is left before the terminator";
    EXPECT_EQ(out[4], 0x7f) << "nothing written beyond the capacity";
    EXPECT_EQ(TessalyStringToUtf8(s.value, out, 7), 8u);
    EXPECT_STREQ(out, "ab\xC3\xBC") << "no half of the four-byte character";

    const TessalyChar lone[] = {u'x', 0xD800, 0};  // an unpaired surrogate
    EXPECT_EQ(TessalyStringToUtf8(lone, out, sizeof out), 4u);
    EXPECT_STREQ(out, "x\xEF\xBF\xBD");
}

}  // namespace
