#include <gtest/gtest.h>

#include "support/SafeFormat.h"

namespace tessaly {
namespace {

TEST(SafeFormat, TheLoginPattern)
{
    EXPECT_EQ(SafeFormat(u"%s?user=%s&pwd=%s&ip=%s", {u"http://h/login", u"bob", u"p\u00e4ss", u"10.0.0.2"}),
              u"http://h/login?user=bob&pwd=p\u00e4ss&ip=10.0.0.2");
}

TEST(SafeFormat, DangerousOrUnknownConversionsStayLiteralAndConsumeNothing)
{
    EXPECT_EQ(SafeFormat(u"a%nb%s", {u"x"}), u"a%nbx");
    EXPECT_EQ(SafeFormat(u"%s %s %s", {u"only"}), u"only %s %s");
    EXPECT_EQ(SafeFormat(u"%p %f %c %S %ls", {u"t"}), u"%p %f %c %S t");
    EXPECT_EQ(SafeFormat(u"%q%", {}), u"%q%");
    EXPECT_EQ(SafeFormat(u"%*d|%d", {5}), u"%*d|5");
    // Wrong types: the value waits for a conversion that fits it.
    EXPECT_EQ(SafeFormat(u"%d=%s", {u"name", 3}), u"%d=name");
    EXPECT_EQ(SafeFormat(u"%s,%d", {7, u"x"}), u"%s,7");
    // Absurd widths are not honoured.
    EXPECT_EQ(SafeFormat(u"%999999999d!", {1}), u"%999999999d!");
    EXPECT_EQ(SafeFormat(u"%.99999999s", {u"x"}), u"%.99999999s");
}

TEST(SafeFormat, PercentSigns)
{
    EXPECT_EQ(SafeFormat(u"100%% sure %%s", {u"x"}), u"100% sure %s");
    EXPECT_EQ(SafeFormat(u"%", {}), u"%");
    EXPECT_EQ(SafeFormat(u"", {1}), u"");
}

TEST(SafeFormat, IntegerFlagsWidthAndPrecision)
{
    EXPECT_EQ(SafeFormat(u"[%5d][%-5d][%05d][%+d][% d]", {42, 42, -42, 42, 42}), u"[   42][42   ][-0042][+42][ 42]");
    EXPECT_EQ(SafeFormat(u"[%.3d][%8.3d][%-8.3d][%.0d][%08.3d]", {7, -7, 7, 0, 5}),
              u"[007][    -007][007     ][][     005]");
    EXPECT_EQ(SafeFormat(u"TID:%06d", {1234}), u"TID:001234");
    EXPECT_EQ(SafeFormat(u"%x %X %#x %#X %#x", {255, 255, 255, 255, 0}), u"ff FF 0xff 0XFF 0");
    EXPECT_EQ(SafeFormat(u"%i %u %ld %lld %I64d %hd", {1, 2u, 3L, 4LL, 5, 6}), u"1 2 3 4 5 6");
    EXPECT_EQ(SafeFormat(u"%d %d", {INT64_MIN, UINT64_MAX}), u"-9223372036854775808 18446744073709551615");
}

TEST(SafeFormat, NegativeValuesInUnsignedConversionsShowTheirBitsAtTheirWidth)
{
    EXPECT_EQ(SafeFormat(u"%X %u", {-1, -2}), u"FFFFFFFF 4294967294");
    EXPECT_EQ(SafeFormat(u"%X", {-5000000000LL}), u"FFFFFFFED5FA0E00");
}

TEST(SafeFormat, PointersPrintAtFullWidth)
{
    const void* p = reinterpret_cast<const void*>(std::uintptr_t(0x7F12345678ABull));
    EXPECT_EQ(SafeFormat(u"0X%X", {p}), u"0X7F12345678AB");
    EXPECT_EQ(SafeFormat(u"0X%X", {static_cast<const void*>(nullptr)}), u"0X0");
}

TEST(SafeFormat, TextWidthAndPrecision)
{
    EXPECT_EQ(SafeFormat(u"[%6s][%-6s][%.2s][%6.2s][%06s]", {u"abc", u"abc", u"abc", u"abc", u"ab"}),
              u"[   abc][abc   ][ab][    ab][    ab]");
    EXPECT_EQ(SafeFormat(u"%s|%s", {u"", static_cast<const char16_t*>(nullptr)}), u"|");
    const std::u16string owned = u"\u4e2d\u6587";
    EXPECT_EQ(SafeFormat(u"<%s>", {owned}), u"<\u4e2d\u6587>");
}

}  // namespace
}  // namespace tessaly
