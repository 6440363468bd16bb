// The external object's rules, checked without a browser.
#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "browser/BrowserHosting.h"
#include "browser/CImpIDispatch.h"

namespace tessaly {
namespace {

using D = CImpIDispatch;

TEST(ExternalObject, NamesMatchOnTheirFirstThreeCharactersOnly)
{
    EXPECT_TRUE(D::MatchesMember(u"xxyyzz"));
    EXPECT_TRUE(D::MatchesMember(u"xxy"));
    EXPECT_TRUE(D::MatchesMember(u"xxyANYTHING"));
    EXPECT_FALSE(D::MatchesMember(u"xx"));      // shorter than three
    EXPECT_FALSE(D::MatchesMember(u""));
    EXPECT_FALSE(D::MatchesMember(u"XXYyzz"));  // case counts
    EXPECT_FALSE(D::MatchesMember(u"xXyyzz"));
    EXPECT_FALSE(D::MatchesMember(u"xyxyzz"));
    EXPECT_FALSE(D::MatchesMember(u" xxy"));
    // Width differences are ignored: full-width letters compare like their ASCII forms.
    EXPECT_TRUE(D::MatchesMember(u"\uFF58\uFF58\uFF59zz"));
    EXPECT_TRUE(D::MatchesMember(u"x\uFF58y"));
    EXPECT_FALSE(D::MatchesMember(u"\uFF38\uFF38\uFF39"));  // full-width capitals still differ in case
}

TEST(ExternalObject, LookupFillsEveryIdAndReportsAnyMiss)
{
    D object;
    const std::array<std::u16string_view, 3> names{u"xxyyzz", u"other", u"xxyq"};
    std::array<std::int32_t, 3> ids{7, 7, 7};
    EXPECT_EQ(object.GetIDsOfNames(names, ids), D::kUnknownName);
    EXPECT_EQ(ids[0], D::kMemberId);
    EXPECT_EQ(ids[1], D::kUnknownId);
    EXPECT_EQ(ids[2], D::kMemberId);  // filled also after a miss

    const std::array<std::u16string_view, 1> one{u"xxyyzz"};
    std::array<std::int32_t, 1> oneId{0};
    EXPECT_EQ(object.GetIDsOfNames(one, oneId), D::kOk);
    EXPECT_EQ(oneId[0], 12345);

    // Too few id slots: nothing is written past the end and the lookup is not a success.
    std::array<std::int32_t, 2> shortIds{0, 0};
    EXPECT_EQ(object.GetIDsOfNames(names, std::span<std::int32_t>(shortIds.data(), 1)), D::kUnknownName);
    EXPECT_EQ(shortIds[1], 0);
}

TEST(ExternalObject, OnlyAPropertyReadOfTheMemberGivesTheValue)
{
    D object;
    std::optional<std::u16string> result;
    EXPECT_EQ(object.Invoke(D::kMemberId, D::kPropertyGet, &result), D::kOk);
    EXPECT_EQ(result, u"Wibble");

    std::optional<std::u16string> untouched;
    EXPECT_EQ(object.Invoke(D::kMemberId, D::kMethod, &untouched), D::kOk);
    EXPECT_FALSE(untouched.has_value());
    EXPECT_EQ(object.Invoke(D::kMemberId, D::kPropertyPut, &untouched), D::kOk);
    EXPECT_FALSE(untouched.has_value());
    EXPECT_EQ(object.Invoke(D::kUnknownId, D::kPropertyGet, &untouched), D::kOk);
    EXPECT_FALSE(untouched.has_value());
    // Method and get together (how scripts often ask) still reads; no result slot is fine.
    EXPECT_EQ(object.Invoke(D::kMemberId, D::kMethod | D::kPropertyGet, &untouched), D::kOk);
    EXPECT_EQ(untouched, u"Wibble");
    EXPECT_EQ(object.Invoke(D::kMemberId, D::kPropertyGet, nullptr), D::kOk);
}

TEST(ExternalObject, HostingStartAndStopOwnTheSingleObject)
{
    StopBrowserHosting();
    EXPECT_EQ(ExternalDispatch(), nullptr);
    ASSERT_TRUE(StartBrowserHosting());
    CImpIDispatch* first = ExternalDispatch();
    ASSERT_NE(first, nullptr);
    first->AddRef();
    ASSERT_TRUE(StartBrowserHosting());  // a second start keeps the same object
    EXPECT_EQ(ExternalDispatch(), first);
    StopBrowserHosting();  // deleted whatever its count
    EXPECT_EQ(ExternalDispatch(), nullptr);
    StopBrowserHosting();
}

}  // namespace
}  // namespace tessaly
