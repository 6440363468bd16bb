#include <gtest/gtest.h>

#include "support/WideText.h"

namespace tessaly {
namespace {

TEST(WideText, Utf8RoundTripIncludingAstralCharacters)
{
    const std::u16string text = u"a\u00e9\u4e2d\U0001F600z";
    EXPECT_EQ(ToUtf8(text), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z");
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ToUtf8(u""), "");
}

TEST(WideText, InvalidSequencesBecomeReplacementCharacters)
{
    EXPECT_EQ(FromUtf8("\xC0\x80"), u"\uFFFD\uFFFD");          // over-long NUL
    EXPECT_EQ(FromUtf8("a\xE2\x82"), u"a\uFFFD\uFFFD");         // cut short
    EXPECT_EQ(FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD"); // encoded surrogate
    EXPECT_EQ(FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
    EXPECT_EQ(FromUtf8("\xFF" "b"), u"\uFFFDb");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(WideText, DecimalReadingLikeWtoi)
{
    EXPECT_EQ(WToI(u"  -12abc"), -12);
    EXPECT_EQ(WToI(u"\t+7"), 7);
    EXPECT_EQ(WToI(u"abc"), 0);
    EXPECT_EQ(WToI(u""), 0);
    EXPECT_EQ(WToI(u"- 5"), 0);
    EXPECT_EQ(WToI(u"99999999999999999999"), INT32_MAX);
    EXPECT_EQ(WToI(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(WToI(u"-99999999999"), INT32_MIN);
    EXPECT_EQ(ToWide(-42), u"-42");
}

TEST(WideText, HexadecimalReadingLikeScanf)
{
    std::uint32_t v = 0;
    EXPECT_TRUE(ScanHex(u"FF", v));
    EXPECT_EQ(v, 0xFFu);
    EXPECT_TRUE(ScanHex(u"  0x1f,", v));
    EXPECT_EQ(v, 0x1Fu);
    EXPECT_TRUE(ScanHex(u"0XaBc", v));
    EXPECT_EQ(v, 0xABCu);
    EXPECT_TRUE(ScanHex(u"0xg", v));  // the "0" alone
    EXPECT_EQ(v, 0u);
    EXPECT_TRUE(ScanHex(u"-1", v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_TRUE(ScanHex(u"123456789", v));
    EXPECT_EQ(v, 0xFFFFFFFFu);
    v = 77;
    EXPECT_FALSE(ScanHex(u"zz", v));
    EXPECT_FALSE(ScanHex(u"", v));
    EXPECT_FALSE(ScanHex(u"   ", v));
    EXPECT_EQ(v, 77u);
}

}  // namespace
}  // namespace tessaly
